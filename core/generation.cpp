// One generation: input reader, batch writer, and the messages around them.

#include "generation.h"

#include "batch_writer.h"
#include "input_reader.h"

namespace velmora {

namespace {

constexpr const char* kGenerated = "Plik wsadowy zosta\xB3 wygenerowany.";
constexpr const char* kWrittenCount = "\n\nPunkty zapisane w pliku: ";
constexpr const char* kSkippedCount = "\nWiersze pomini\xEAte: ";
// How many numbers of skipped lines the message lists.
constexpr std::size_t kListedSkippedLines = 10;

// The wait indication spans the conversion and ends on every way out.
class CWaitIndication {
public:
    explicit CWaitIndication(GenerationFeedback& feedback) : m_feedback(feedback) {
        m_feedback.BeginWait();
    }
    CWaitIndication(const CWaitIndication&) = delete;
    CWaitIndication& operator=(const CWaitIndication&) = delete;
    ~CWaitIndication() { m_feedback.EndWait(); }

private:
    GenerationFeedback& m_feedback;
};

} // namespace

std::string FormatGeneratedMessage(const GenerationCounts& counts) {
    std::string text = kGenerated;
    text += kWrittenCount;
    text += std::to_string(counts.written);
    if (counts.skipped == 0) {
        return text;
    }
    text += kSkippedCount;
    text += std::to_string(counts.skipped);
    text += " (";
    for (std::size_t i = 0; i < counts.firstSkippedLines.size(); ++i) {
        if (i > 0) {
            text += ", ";
        }
        text += std::to_string(counts.firstSkippedLines[i]);
    }
    if (counts.skipped > counts.firstSkippedLines.size()) {
        text += ", ...";
    }
    text += ')';
    return text;
}

GenerationOutcome RunGeneration(const GenerationRequest& request, GenerationFeedback& feedback) {
    // Declared first, so destroyed last: the input is closed after the batch file.
    CInputReader reader(request.inputPath);
    if (!reader.IsOpen()) {
        feedback.ShowMessage(kOpenFailedText + request.inputPath);
        return GenerationOutcome::InputNotOpened;
    }

    CBatchWriter writer(request.outputPath, request.layoutIndex, request.separatorIndex,
                        request.codeIndex, request.codeText, request.kergText, request.zudpText);
    if (!writer.IsOpen()) {
        feedback.ShowMessage(kOpenFailedText + request.outputPath);
        return GenerationOutcome::OutputNotOpened;
    }

    {
        const CWaitIndication wait(feedback);
        GenerationCounts counts;
        std::string line;
        for (std::uint64_t number = 1; reader.ReadLine(line); ++number) {
            switch (writer.WriteRecord(line, reader.IsDecoded())) {
            case RecordResult::Written:
                ++counts.written;
                break;
            case RecordResult::Skipped:
                if (counts.firstSkippedLines.size() < kListedSkippedLines) {
                    counts.firstSkippedLines.push_back(number);
                }
                ++counts.skipped;
                break;
            case RecordResult::Blank:
                break;
            }
        }
        // The batch file is complete and closed before the user hears of it.
        writer.Finish();
        feedback.ShowMessage(FormatGeneratedMessage(counts));
    }
    return GenerationOutcome::Generated;
}

} // namespace velmora
