#pragma once
// What the fault tests share: their fixture, a feedback that counts, one
// generation run that turns an escaping error into data the test can look at,
// and the names of their table rows.

#include "errors.h"
#include "generation.h"
#include "generation_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

// A scratch folder, and the point-code list with the code ABC beside the test
// program.
class FaultTest : public ::testing::Test {
protected:
    CTempDir m_dir;
    CProgramList m_list{"ABC,Punkt graniczny\r\n"};
};

// Names a parameterised test after its row's name.
inline constexpr auto RowName = [](const auto& info) { return std::string(info.param.name); };

class CCountingFeedback : public GenerationFeedback {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void BeginWait() override { ++begun; }
    void EndWait() override { ++ended; }

    std::vector<std::string> messages;
    int begun = 0;
    int ended = 0;
};

struct GenerationResult {
    std::optional<GenerationOutcome> outcome; // empty when an error left the job
    std::string error;
    bool fileError = false;
    FileError::Cause cause = FileError::Cause::Generic;
    CCountingFeedback feedback;
};

inline GenerationResult Generate(const GenerationRequest& request) {
    GenerationResult result;
    try {
        result.outcome = RunGeneration(request, result.feedback);
    } catch (const FileError& error) {
        result.error = error.what();
        result.fileError = true;
        result.cause = error.GetCause();
    } catch (const std::exception& error) {
        result.error = error.what();
    }
    EXPECT_EQ(result.feedback.begun, result.feedback.ended) << "wait indication not ended";
    return result;
}

} // namespace velmora::test
