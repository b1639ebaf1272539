// One generation as the front end runs it: outcomes, messages in order with
// the wait indication around them, and the state of both files afterwards.

#include "generation.h"

#include "errors.h"
#include "generation_support.h"
#include "input_reader.h"
#include "writer_support.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace test;

using namespace std::string_literals;

const char* const kList = "abc,Punkt graniczny\r\nxyz,Inny punkt\r\n";
const char* const kHeader = "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
                            "# \r\n";

class Generation : public ::testing::Test {
protected:
    GenerationRequest Request(const std::string& inputBytes) {
        WriteBytes(m_input, inputBytes);
        return test::Request(m_input, m_output);
    }

    CTempDir m_dir;
    const std::string m_input = m_dir.Path("punkty.txt");
    const std::string m_output = m_dir.Path("punkty.txt.wsd");
    CRecordingFeedback m_feedback{m_output};
    CMessageRecorder m_catalogueMessages;
};

class GenerationWithList : public Generation {
protected:
    CProgramList m_list{kList};
};

TEST_F(GenerationWithList, WholeGeneration) {
    GenerationRequest request = Request("101 100 200\r\n\r\n102 5,5 6,25");
    request.kergText = "K1";
    EXPECT_EQ(RunGeneration(request, m_feedback), GenerationOutcome::Generated);
    EXPECT_EQ(m_feedback.events, SuccessEvents(GeneratedMessage(2)));
    EXPECT_TRUE(m_feedback.completeAtSuccess);
    EXPECT_EQ(ReadBytes(m_output), std::string(kHeader) +
                                       "#Punkt graniczny=_code.n;_number;_X;_Y;KRG.n\r\n"
                                       "ABC;101;100.000000;200.000000;K1\r\n"
                                       "ABC;102;5.500000;6.250000;K1\r\n"
                                       "#KONIEC\r\n");
    EXPECT_EQ(ReadBytes(m_input), "101 100 200\r\n\r\n102 5,5 6,25");
    EXPECT_TRUE(CMessageRecorder::Messages().empty());
}

TEST_F(GenerationWithList, CodeIndexSelectsFromTheListReadNow) {
    GenerationRequest request = Request("1 2 3\n");
    request.codeIndex = 1;
    request.codeText = "XYZ";
    request.zudpText = "Z-7";
    EXPECT_EQ(RunGeneration(request, m_feedback), GenerationOutcome::Generated);
    EXPECT_EQ(ReadBytes(m_output), std::string(kHeader) +
                                       "#Inny punkt=_code.n;_number;_X;_Y;NWN.n\r\n"
                                       "XYZ;1;2.000000;3.000000;Z-7\r\n"
                                       "#KONIEC\r\n");
}

TEST_F(GenerationWithList, InputWithoutUsableLinesGivesHeaderAndEndMarker) {
    for (const std::string& input : {""s,
                                     "\x1A"
                                     "101 1 2\r\n"s,
                                     "\r\n  \r\n\t\n"s}) {
        CRecordingFeedback feedback(m_output);
        EXPECT_EQ(RunGeneration(Request(input), feedback), GenerationOutcome::Generated);
        EXPECT_EQ(feedback.events, SuccessEvents(GeneratedMessage(0)));
        EXPECT_EQ(ReadBytes(m_output),
                  std::string(kHeader) + "#Punkt graniczny=_code.n;_number;_X;_Y\r\n#KONIEC\r\n");
    }
}

TEST_F(GenerationWithList, LineEndsConvertAlike) {
    for (const std::string& input :
         {"1 2 3\r\n4 5 6\r\r\n"s, "1 2 3\n4 5 6\r\n"s, "1 2 3\r\n4 5 6\r"s}) {
        CRecordingFeedback feedback(m_output);
        ASSERT_EQ(RunGeneration(Request(input), feedback), GenerationOutcome::Generated);
        EXPECT_EQ(RecordsOf(ReadBytes(m_output)),
                  (std::vector<std::string>{"ABC;1;2.000000;3.000000", "ABC;4;5.000000;6.000000"}))
            << input;
    }
}

TEST_F(GenerationWithList, LinesAfterALineStartingWithNulAreConverted) {
    EXPECT_EQ(RunGeneration(Request("1 2 3\n\0 9 9\n4 5 6\n"s), m_feedback),
              GenerationOutcome::Generated);
    EXPECT_EQ(RecordsOf(ReadBytes(m_output)),
              (std::vector<std::string>{"ABC;1;2.000000;3.000000", "ABC;4;5.000000;6.000000"}));
}

// The message counts the records and the lines that are not blank but gave
// none; a line starting with NUL reads as empty, so it counts as blank.
TEST_F(GenerationWithList, MessageCountsWrittenAndSkippedLines) {
    struct Case {
        std::string input;
        int separator;
        std::string message;
        int layout = 2;
    };
    std::string manyHeaders;
    for (int i = 0; i < 12; ++i) {
        manyHeaders += "Nr X Y\n";
    }
    const Case kCases[] = {
        {"Nr X Y\r\n101 1 2\r\n\r\n \t\r\n102 5\n\0 9 9\n103 3 4\n104 x 5"s, 3,
         GeneratedMessage(2, "3 (1, 5, 8)")},
        {"101;1;2\n;; ;\n;\n", 0, GeneratedMessage(1)},
        {"\xEF\xBB\xBF"
         "101;1;2\n",
         0, GeneratedMessage(1)},
        {manyHeaders + "101 1 2\n" + manyHeaders.substr(0, 7), 3,
         GeneratedMessage(1, "13 (1, 2, 3, 4, 5, 6, 7, 8, 9, 10, ...)")},
        {manyHeaders.substr(0, 70), 3, GeneratedMessage(0, "10 (1, 2, 3, 4, 5, 6, 7, 8, 9, 10)")},
        // Enough tokens for "X Y", all of them blank: still blank lines.
        {"\r; ;\t\n ;\t;\r; \n1;2\n", 0, GeneratedMessage(1), 7},
    };
    for (const Case& c : kCases) {
        GenerationRequest request = Request(c.input);
        request.separatorIndex = c.separator;
        request.layoutIndex = c.layout;
        CRecordingFeedback feedback(m_output);
        ASSERT_EQ(RunGeneration(request, feedback), GenerationOutcome::Generated);
        EXPECT_EQ(feedback.events, SuccessEvents(c.message)) << c.input;
        EXPECT_TRUE(feedback.completeAtSuccess);
    }
}

// The code written is the code the user saw, also when ListaKodów.txt
// changed after the dialog read it.
TEST_F(Generation, CodeTextFindsItsEntryInTheListReadNow) {
    const CProgramList list("new,Nowy\r\nabc,Punkt graniczny\r\nabc,Drugi\r\nxyz,Inny\r\n");
    struct Case {
        int index;
        const char* code;
        const char* lines; // definition and record
    };
    const Case kCases[] = {
        {0, "ABC", "#Punkt graniczny=_code.n;_number;_X;_Y\r\nABC;1;2.000000;3.000000"},
        {2, "ABC", "#Drugi=_code.n;_number;_X;_Y\r\nABC;1;2.000000;3.000000"},
        {1, "XYZ", "#Inny=_code.n;_number;_X;_Y\r\nXYZ;1;2.000000;3.000000"},
        {7, "NEW", "#Nowy=_code.n;_number;_X;_Y\r\nNEW;1;2.000000;3.000000"},
    };
    for (const Case& c : kCases) {
        GenerationRequest request = Request("1 2 3\n");
        request.codeIndex = c.index;
        request.codeText = c.code;
        ASSERT_EQ(RunGeneration(request, m_feedback), GenerationOutcome::Generated);
        EXPECT_EQ(ReadBytes(m_output), std::string(kHeader) + c.lines + "\r\n#KONIEC\r\n")
            << c.code;
    }
    // A code that is no longer in the list: refused before any file is made.
    GenerationRequest request = Request("1 2 3\n");
    request.outputPath = m_dir.Path("removed.wsd");
    request.codeText = "KR";
    EXPECT_THROW(RunGeneration(request, m_feedback), InvalidArgumentError);
    EXPECT_FALSE(test::FileExists(request.outputPath));
}

TEST_F(GenerationWithList, InputThatCannotBeOpened) {
    GenerationRequest request = Request("");
    request.inputPath = m_dir.Path("missing.txt");
    EXPECT_EQ(RunGeneration(request, m_feedback), GenerationOutcome::InputNotOpened);
    EXPECT_EQ(m_feedback.events,
              std::vector<std::string>{"message: " + kOpenFailed + request.inputPath});
    EXPECT_FALSE(test::FileExists(m_output));
}

TEST_F(GenerationWithList, OutputThatCannotBeCreated) {
    GenerationRequest request = Request("1 2 3\n");
    request.outputPath = m_dir.Path("no folder/out.wsd");
    EXPECT_EQ(RunGeneration(request, m_feedback), GenerationOutcome::OutputNotOpened);
    EXPECT_EQ(m_feedback.events,
              std::vector<std::string>{"message: " + kOpenFailed + request.outputPath});
}

TEST_F(GenerationWithList, OutputNamingTheInputFailsAndKeepsTheInput) {
    GenerationRequest request = Request("101 1 2\r\n102 3 4\r\n");
    request.outputPath = request.inputPath;
    EXPECT_EQ(RunGeneration(request, m_feedback), GenerationOutcome::OutputNotOpened);
    EXPECT_EQ(m_feedback.events,
              std::vector<std::string>{"message: " + kOpenFailed + request.inputPath});
    EXPECT_EQ(ReadBytes(m_input), "101 1 2\r\n102 3 4\r\n");
}

TEST_F(Generation, EmptyCodeListRefusesBeforeTheBatchFileIsCreated) {
    const CProgramList noList;
    GenerationRequest request = Request("101 1 2\r\n");
    request.codeIndex = -1;
    request.codeText.clear();
    EXPECT_THROW(RunGeneration(request, m_feedback), InvalidArgumentError);
    EXPECT_TRUE(m_feedback.events.empty());
    EXPECT_FALSE(test::FileExists(m_output));
    // The writer's own catalogue reported the missing list.
    EXPECT_EQ(CMessageRecorder::Messages(),
              std::vector<std::string>{"Nie mo\xBFna otworzy\xE6 pliku '" + noList.Path() + "'!"});
}

TEST_F(Generation, CodeIndexNamingNoEntryLeavesTheOldBatchFileAlone) {
    const CProgramList list(kList);
    WriteBytes(m_output, "old batch file\r\n#KONIEC\r\n");
    GenerationRequest request = Request("101 1 2\r\n");
    request.codeIndex = 2;
    request.codeText = "QQQ";
    EXPECT_THROW(RunGeneration(request, m_feedback), InvalidArgumentError);
    EXPECT_TRUE(m_feedback.events.empty());
    EXPECT_EQ(ReadBytes(m_output), "old batch file\r\n#KONIEC\r\n");
    EXPECT_EQ(ReadBytes(m_input), "101 1 2\r\n");
    // The input was closed on the way out.
    EXPECT_TRUE(CInputReader(m_input).IsOpen());
}

} // namespace
} // namespace velmora
