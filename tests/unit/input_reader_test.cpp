// Reading the input point list: the text-mode rules, the 128-byte pieces
// with their NUL rule, long lines, and the preview.

#include "input_reader.h"

#include "test_files.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace test;

using namespace std::string_literals;

std::vector<std::string> ReadAllLines(const std::string& bytes) {
    const CTempDir dir;
    const std::string path = dir.Path("input.txt");
    WriteBytes(path, bytes);
    CInputReader reader(path);
    EXPECT_TRUE(reader.IsOpen());
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line)) {
        lines.push_back(line);
        if (lines.size() > 100000) {
            ADD_FAILURE() << "reading does not end";
            break;
        }
    }
    return lines;
}

std::string Preview(const std::string& bytes) {
    const CTempDir dir;
    const std::string path = dir.Path("input.txt");
    WriteBytes(path, bytes);
    CInputReader reader(path);
    EXPECT_TRUE(reader.IsOpen());
    return reader.ReadPreview();
}

using Lines = std::vector<std::string>;

struct ReadCase {
    const char* what;
    std::string bytes;
    Lines lines;
};

const ReadCase kReadCases[] = {
    {"WorkedExample",
     "\x41\x0D\x0A\x0D\x0A\x42\x0D\x43\x0A\x44\x1A\x45\x0A",
     {"A", "", "B\rC", "D"}},
    {"EmptyFile", "", {}},
    {"OnlyCtrlZ",
     "\x1A"
     "101 1 2\n",
     {}},
    {"EndsWithLf", "a\nb\n", {"a", "b"}},
    {"LastLineWithoutLineEnd", "a\r\nb", {"a", "b"}},
    {"LoneLf", "\n", {""}},
    {"CrCrLfKeepsOneCr", "a\r\r\nb", {"a\r", "b"}},
    {"CrAloneIsNoLineEnd", "a\rb\rc\r", {"a\rb\rc\r"}},
    {"LastByteCr", "a\r", {"a\r"}},
    {"CrBeforeCtrlZ", "a\r\x1A\n", {"a\r"}},
    {"HighBytesUnchanged", "\xB3\xF3\xA5\x80\xFF\r\n", {"\xB3\xF3\xA5\x80\xFF"}},
    {"NulEndsTheLineText", "AB\0CD\nEF\n"s, {"AB", "EF"}},
    {"LineBeginningWithNulIsEmptyAndReadingGoesOn", "\0XY\r\nnext\n"s, {"", "next"}},
    {"NulOnlyFile", "\0\0\0"s, {""}},
    {"NulInSecondPieceDropsThatPiece",
     std::string(128, 'a') + "b\0c"s + std::string(200, 'd') + "\n",
     {std::string(128, 'a') + "b", std::string(75, 'd')}},
    {"NulInLastPieceWithLf", std::string(130, 'a') + "\0z\nq"s, {std::string(130, 'a'), "q"}},
    {"PieceOf128BytesEndingInLf", std::string(127, 'a') + "\n" + "b", {std::string(127, 'a'), "b"}},
    {"PieceOf128BytesThenEnd", std::string(128, 'a'), {std::string(128, 'a')}},
    {"CrLfAcrossPieceBoundary", std::string(128, 'a') + "\r\nb", {std::string(128, 'a'), "b"}},
    {"CrLfEndingFirstPiece", std::string(127, 'a') + "\r\nb", {std::string(127, 'a'), "b"}},
    // A UTF-8 byte-order mark is skipped as if absent; the pieces count after it.
    {"ByteOrderMarkSkipped", "\xEF\xBB\xBFNr X\r\n\xEF\xBB\xBF", {"Nr X", "\x81"}},
    {"ByteOrderMarkAlone", "\xEF\xBB\xBF", {}},
    {"ByteOrderMarkThenNulLine", "\xEF\xBB\xBF\0a\nb"s, {"", "b"}},
    {"ByteOrderMarkThenCtrlZ",
     "\xEF\xBB\xBF\x1A"
     "a",
     {}},
    {"ByteOrderMarkThenPieces",
     "\xEF\xBB\xBF" + std::string(128, 'a') + "b\0c\n"s,
     {std::string(128, 'a') + "b"}},
    {"PartOfAMarkStays",
     "\xEF\xBB"
     "a\n",
     {"\xEF\xBB"
      "a"}},
};

class InputReaderLines : public ::testing::TestWithParam<ReadCase> {};

TEST_P(InputReaderLines, GivesTheLines) {
    EXPECT_EQ(ReadAllLines(GetParam().bytes), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(TextMode, InputReaderLines, ::testing::ValuesIn(kReadCases),
                         [](const ::testing::TestParamInfo<ReadCase>& info) {
                             return info.param.what;
                         });

// CR LF pairs and lone CRs at every position around the ends of the reading
// blocks (64 KiB) and of a few more blocks further on.
TEST(InputReader, CrLfSplitAcrossReadingBlocks) {
    for (const std::size_t block : {std::size_t{65536}, std::size_t{131072}}) {
        for (std::size_t length = block - 3; length <= block + 1; ++length) {
            const std::string first(length, 'x');
            EXPECT_EQ(ReadAllLines(first + "\r\nsecond\r\n"), (Lines{first, "second"}))
                << "CR LF after " << length << " bytes";
            EXPECT_EQ(ReadAllLines(first + "\rY\n"), (Lines{first + "\rY"}))
                << "lone CR after " << length << " bytes";
            EXPECT_EQ(ReadAllLines(first + "\r"), (Lines{first + "\r"}))
                << "final CR after " << length << " bytes";
            EXPECT_EQ(ReadAllLines(first + "\x1Azz\n"), (Lines{first}))
                << "Ctrl-Z after " << length << " bytes";
        }
    }
}

TEST(InputReader, ManyShortCrLfLinesAcrossBlocks) {
    std::string bytes;
    Lines expected;
    for (int i = 0; i < 30000; ++i) {
        expected.push_back(std::to_string(i) + (i % 7 == 0 ? "\rz" : ""));
        bytes += expected.back() + (i % 3 == 0 ? "\n" : "\r\n");
    }
    EXPECT_EQ(ReadAllLines(bytes), expected);
}

TEST(InputReader, LineOf10000BytesIsReadWhole) {
    std::string line;
    for (int i = 0; i < 10000; ++i) {
        line += static_cast<char>('a' + i % 26);
    }
    EXPECT_EQ(ReadAllLines(line + "\r\nend"), (Lines{line, "end"}));
}

TEST(InputReader, EndOfInputLeavesTheLineUnchanged) {
    const CTempDir dir;
    const std::string path = dir.Path("input.txt");
    WriteBytes(path, "one\n");
    CInputReader reader(path);
    std::string line = "previous text";
    ASSERT_TRUE(reader.ReadLine(line));
    EXPECT_EQ(line, "one");
    line = "kept";
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(line, "kept");
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(line, "kept");
}

TEST(InputReader, MissingFileIsNotOpen) {
    const CTempDir dir;
    CInputReader reader(dir.Path("missing.txt"));
    EXPECT_FALSE(reader.IsOpen());
    std::string line = "kept";
    EXPECT_FALSE(reader.ReadLine(line));
    EXPECT_EQ(line, "kept");
}

TEST(InputReader, OpenInputIsHeldWithoutSharing) {
    const CTempDir dir;
    const std::string path = dir.Path("input.txt");
    WriteBytes(path, "one\n");
    {
        CInputReader first(path);
        ASSERT_TRUE(first.IsOpen());
        CInputReader second(path);
        EXPECT_FALSE(second.IsOpen());
    }
    CInputReader again(path);
    EXPECT_TRUE(again.IsOpen());
}

TEST(InputReader, PathOf260BytesOrMoreDoesNotOpen) {
    const CTempDir dir;
    const std::string path = dir.Path("input.txt");
    WriteBytes(path, "one\n");
    // The same file named through a long relative detour of "./" parts.
    std::string longPath = path;
    const std::size_t slash = longPath.find_last_of("\\/");
    while (longPath.size() < 260) {
        longPath.insert(slash + 1, "./");
    }
    longPath.erase(slash + 1, longPath.size() - 260); // exactly 260 bytes
    ASSERT_EQ(longPath.size(), 260U);
    EXPECT_FALSE(CInputReader(longPath).IsOpen());
    longPath.erase(slash + 1, 2);
    EXPECT_TRUE(CInputReader(longPath).IsOpen());
}

struct PreviewCase {
    const char* what;
    std::string bytes;
    std::string preview;
};

std::string NumberedLines(int count, const char* lineEnd) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "line " + std::to_string(i) + lineEnd;
    }
    return text;
}

const PreviewCase kPreviewCases[] = {
    {"WorkedExample", "\x41\x0D\x0A\x0D\x0A\x42\x0D\x43\x0A\x44\x1A\x45\x0A",
     "\x41\x0D\x0A\x0D\x0A\x42\x0D\x43\x0D\x0A\x44\x0D\x0A"},
    {"Empty", "", ""},
    {"ThirteenLinesShowTwelve", NumberedLines(13, "\n"), NumberedLines(12, "\r\n")},
    {"ThreeLines", NumberedLines(3, "\r\n"), NumberedLines(3, "\r\n")},
    {"LastLineWithoutEnd", "a\nb", "a\r\nb\r\n"},
    {"NulLineShowsEmpty", "a\n\0hidden\nb\n"s, "a\r\n\r\nb\r\n"},
    {"ByteOrderMarkNotShown", "\xEF\xBB\xBFNr X Y\n1 2 3\n", "Nr X Y\r\n1 2 3\r\n"},
};

class InputReaderPreview : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(InputReaderPreview, ShowsTheFirstTwelveLines) {
    EXPECT_EQ(Preview(GetParam().bytes), GetParam().preview);
}

INSTANTIATE_TEST_SUITE_P(Preview, InputReaderPreview, ::testing::ValuesIn(kPreviewCases),
                         [](const ::testing::TestParamInfo<PreviewCase>& info) {
                             return info.param.what;
                         });

TEST(InputReader, PreviewStartsAtTheCurrentLine) {
    const CTempDir dir;
    const std::string path = dir.Path("input.txt");
    WriteBytes(path, NumberedLines(20, "\n"));
    CInputReader reader(path);
    std::string line;
    ASSERT_TRUE(reader.ReadLine(line));
    const std::string preview = reader.ReadPreview();
    EXPECT_EQ(preview.substr(0, 8), "line 2\r\n");
    EXPECT_EQ(preview.size(), NumberedLines(13, "\r\n").size() - 8);
}

} // namespace
} // namespace velmora
