// One generation: input reader, batch writer, and the messages around them.

#include "generation.h"

#include "batch_writer.h"
#include "input_reader.h"

namespace velmora {

namespace {

constexpr const char* kOpenFailed = "B\xB3\xB9"
                                    "d otwarcia pliku:\n";
constexpr const char* kGenerated = "Plik wsadowy zosta\xB3 wygenerowany.";

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

GenerationOutcome RunGeneration(const GenerationRequest& request, GenerationFeedback& feedback) {
    // Declared first, so destroyed last: the input is closed after the batch file.
    CInputReader reader(request.inputPath);
    if (!reader.IsOpen()) {
        feedback.ShowMessage(kOpenFailed + request.inputPath);
        return GenerationOutcome::InputNotOpened;
    }

    CBatchWriter writer(request.outputPath, request.layoutIndex, request.separatorIndex,
                        request.codeIndex, request.kergText, request.zudpText);
    if (!writer.IsOpen()) {
        feedback.ShowMessage(kOpenFailed + request.outputPath);
        return GenerationOutcome::OutputNotOpened;
    }

    {
        const CWaitIndication wait(feedback);
        std::string line;
        while (reader.ReadLine(line)) {
            writer.WriteRecord(line);
        }
        // The batch file is complete and closed before the user hears of it.
        writer.Finish();
        feedback.ShowMessage(kGenerated);
    }
    return GenerationOutcome::Generated;
}

} // namespace velmora
