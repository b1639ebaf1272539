#pragma once
// A GenerationFeedback that records what the job shows, in order, and checks
// at the success message that the batch file on disk is already complete.

#include "generation.h"
#include "test_files.h"

#include <string>
#include <vector>

namespace velmora::test {

inline const std::string kOpenFailed = "B\xB3\xB9"
                                       "d otwarcia pliku:\n";
inline const std::string kGenerated = "Plik wsadowy zosta\xB3 wygenerowany.";

class CRecordingFeedback : public GenerationFeedback {
public:
    explicit CRecordingFeedback(std::string outputPath) : m_strOutput(std::move(outputPath)) {}

    void ShowMessage(const std::string& text) override {
        events.push_back("message: " + text);
        if (text == kGenerated) {
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

inline std::vector<std::string> SuccessEvents() {
    return {"begin wait", "message: " + kGenerated, "end wait"};
}

} // namespace velmora::test
