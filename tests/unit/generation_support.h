#pragma once
// A GenerationFeedback that records what the job shows, in order, and checks
// at the success message that the batch file on disk is already complete.

#include "generation.h"
#include "test_files.h"

#include <string>
#include <utility>
#include <vector>

namespace velmora::test {

inline const std::string kOpenFailed = "B\xB3\xB9"
                                       "d otwarcia pliku:\n";
inline const std::string kGenerated = "Plik wsadowy zosta\xB3 wygenerowany.";
inline const std::string kWrittenPrefix = kGenerated + "\n\nPunkty zapisane w pliku: ";

// The success message for `written` records; `skipped` is what follows
// "Wiersze pominięte: ", empty when no line was skipped.
inline std::string GeneratedMessage(int written, const std::string& skipped = "") {
    return kWrittenPrefix + std::to_string(written) +
           (skipped.empty() ? "" : "\nWiersze pomini\xEAte: " + skipped);
}

// The number of records a success message reports, -1 for another text.
inline long WrittenCountOf(const std::string& text) {
    if (!text.starts_with(kWrittenPrefix)) {
        return -1;
    }
    return std::stol(text.substr(kWrittenPrefix.size()));
}

class CRecordingFeedback : public GenerationFeedback {
public:
    explicit CRecordingFeedback(std::string outputPath) : m_strOutput(std::move(outputPath)) {}

    void ShowMessage(const std::string& text) override {
        events.push_back("message: " + text);
        if (text.starts_with(kGenerated)) {
            const std::string bytes = ReadBytes(m_strOutput);
            const std::string end = "#KONIEC\r\n";
            completeAtSuccess = bytes.size() >= end.size() &&
                                bytes.compare(bytes.size() - end.size(), end.size(), end) == 0;
        }
    }
    void BeginWait() override { events.emplace_back("begin wait"); }
    void EndWait() override { events.emplace_back("end wait"); }

    std::vector<std::string> events;
    bool completeAtSuccess = false;

private:
    std::string m_strOutput;
};

inline std::vector<std::string> SuccessEvents(const std::string& message) {
    return {"begin wait", "message: " + message, "end wait"};
}

// A generation of input into output: layout 2 ("Numer X Y") and separator
// space unless given, the list's first code "ABC", no KERG or ZUDP.
inline GenerationRequest Request(std::string input, std::string output, int layout = 2,
                                 int separator = 3) {
    GenerationRequest request;
    request.inputPath = std::move(input);
    request.outputPath = std::move(output);
    request.layoutIndex = layout;
    request.separatorIndex = separator;
    request.codeIndex = 0;
    request.codeText = "ABC";
    return request;
}

} // namespace velmora::test
