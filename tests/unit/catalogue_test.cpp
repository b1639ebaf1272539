// The catalogue: built-in lists, the point-code list file's parsing, and the
// program directory the list is looked up in.

#include "catalogue.h"

#include "errors.h"
#include "layouts.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <utility>

namespace velmora {
namespace {

using namespace test;

using namespace std::string_literals;
using Entries = std::vector<std::pair<std::string, std::string>>;

Entries EntriesOf(const CCatalogue& catalogue) {
    Entries entries;
    for (int i = 0; i < catalogue.GetCodeCount(); ++i) {
        entries.emplace_back(catalogue.GetCode(i), catalogue.GetDescription(i));
    }
    return entries;
}

Entries ParseList(const std::string& bytes) {
    const CTempDir dir;
    const std::string path = dir.Path("codes.txt");
    WriteBytes(path, bytes);
    const CMessageRecorder messages;
    const CCatalogue catalogue(path);
    EXPECT_TRUE(CMessageRecorder::Messages().empty());
    return EntriesOf(catalogue);
}

struct ListCase {
    const char* what;
    std::string bytes;
    Entries entries;
};

const ListCase kListCases[] = {
    {"CodeAndDescription", "KR,Kamie\xF1 graniczny\r\n", {{"KR", "Kamie\xF1 graniczny"}}},
    {"CodeIsUppercased", "kr,opis\n", {{"KR", "opis"}}},
    {"BlanksAroundBothPartsAreRemoved", "  p1\t,\tPunkt  \r\n", {{"P1", "Punkt"}}},
    {"OnlyTheFirstCommaSeparates", "a,b,c\n", {{"A", "b,c"}}},
    {"AllSixWhitespaceBytesAreTrimmed", "\t\v\f\r x \t\v\f\r,\v\fy\f\v \r\n", {{"X", "y"}}},
    {"NoBreakSpaceIsNoWhitespace", "\xA0x,y\xA0\n", {{"\xA0X", "y\xA0"}}},
    {"MalformedLinesAreSkipped",
     "no comma\n,comma first\n   ,code blank\nempty description,\nblank description,   \n\n"
     "ok,entry\n",
     {{"OK", "entry"}}},
    {"DuplicatesStayInFileOrder", "a,1\nb,2\na,3\n", {{"A", "1"}, {"B", "2"}, {"A", "3"}}},
    {"PolishLettersUppercased",
     "\xB9"
     "b1,\xB9"
     "b\n\xDF,\xDF\n",
     {{"\xA5"
       "B1",
       "\xB9"
       "b"},
      {"\xDF", "\xDF"}}},
    {"LastLineWithoutLineEnd", "a,1\r\nb,2", {{"A", "1"}, {"B", "2"}}},
    {"LoneCrStaysInsideTheDescription", "a,x\ry\r\n", {{"A", "x\ry"}}},
    {"CtrlZEndsTheList",
     "a,1\n\x1A"
     "b,2\n",
     {{"A", "1"}}},
    {"NulEndsThePieceText", "a\0,1\nb,2\0tail\nc,3\n"s, {{"B", "2"}, {"C", "3"}}},
    {"Utf8ByteOrderMarkIsSkipped", "\xEF\xBB\xBFkr,opis\n", {{"KR", "opis"}}},
    // Elsewhere it is a character that code page 1250 lacks.
    {"ByteOrderMarkElsewhere", "a,1\n\xEF\xBB\xBFkr,opis\n", {{"A", "1"}, {"?KR", "opis"}}},
    // UTF-8 lists become code page 1250, with or without the mark; the same
    // list in code page 1250 stays as it is.
    {"Utf8List",
     "\xC5\x82\xC4\x85k,Kamie\xC5\x84 graniczny\r\nx,\xE2\x82\xAC \xC5\xBC\n",
     {{"\xA3\xA5K", "Kamie\xF1 graniczny"}, {"X", "\x80 \xBF"}}},
    {"Utf8ListWithMark",
     "\xEF\xBB\xBF\xC5\x82\xC4\x85k,Kamie\xC5\x84 graniczny\r\n",
     {{"\xA3\xA5K", "Kamie\xF1 graniczny"}}},
    {"Cp1250List", "\xB3\xB9k,Kamie\xF1 graniczny\r\n", {{"\xA3\xA5K", "Kamie\xF1 graniczny"}}},
    // Characters outside the code page, a C1 control and the undefined 0x81.
    {"Utf8OutsideTheCodePage",
     "k,\xE2\x88\x9A"
     "2 \xC2\x81 \xF0\x9F\x98\x80 \xC3\xA9\n",
     {{"K", "?2 ? ? \xE9"}}},
    // Not well-formed UTF-8 (overlong, surrogate, cut off): read as it is.
    {"Utf8Overlong", "k,\xC0\xAF \xC5\x82\n", {{"K", "\xC0\xAF \xC5\x82"}}},
    {"Utf8Surrogate", "k,\xED\xA0\x80 \xC5\x82\n", {{"K", "\xED\xA0\x80 \xC5\x82"}}},
    {"Utf8CutOff", "k,\xC5\x82 \xC5", {{"K", "\xC5\x82 \xC5"}}},
    {"EmptyFile", "", {}},
    // UTF-16 lists with their mark, either byte order.
    {"Utf16LeList",
     test::SaveText(u"łąk,Kamień\r\nx,Ж €\r\n", test::Saved::Utf16Le),
     {{"\xA3\xA5K", "Kamie\xF1"}, {"X", "? \x80"}}},
    {"Utf16BeList",
     test::SaveText(u"łąk,Kamień", test::Saved::Utf16Be),
     {{"\xA3\xA5K", "Kamie\xF1"}}},
};

class PointCodeList : public ::testing::TestWithParam<ListCase> {};

TEST_P(PointCodeList, GivesTheEntries) {
    EXPECT_EQ(ParseList(GetParam().bytes), GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(Parsing, PointCodeList, ::testing::ValuesIn(kListCases),
                         [](const ::testing::TestParamInfo<ListCase>& info) {
                             return info.param.what;
                         });

TEST(PointCodeList, CrLfAndLfGiveTheSameLists) {
    EXPECT_EQ(ParseList("a,1\r\nb , 2 \r\nc,3\r\n"), ParseList("a,1\nb , 2 \nc,3\n"));
}

TEST(PointCodeList, LineOf3000BytesArrivesAsTwoPieces) {
    // 2047 bytes, then the remaining 953 bytes (the LF among them) form a
    // second piece that holds an entry of its own.
    const std::string first = "long," + std::string(2042, 'x');
    const std::string second = "rest, tail" + std::string(942, ' ');
    ASSERT_EQ(first.size() + second.size() + 1, 3000U);
    EXPECT_EQ(ParseList(first + second + "\r\nz,9\n"),
              (Entries{{"LONG", std::string(2042, 'x')}, {"REST", "tail"}, {"Z", "9"}}));
}

TEST(PointCodeList, SecondPieceWithoutCommaGivesNoEntry) {
    const std::string line = "a," + std::string(2045, 'y') + std::string(953, 'q');
    EXPECT_EQ(ParseList(line + "\n"), (Entries{{"A", std::string(2045, 'y')}}));
}

TEST(Uppercase, CodePage1250LettersAndNothingElse) {
    std::string all;
    for (int c = 1; c < 256; ++c) {
        all += static_cast<char>(c);
    }
    const std::string upper = UppercaseCp1250(all);
    ASSERT_EQ(upper.size(), all.size());
    const std::pair<unsigned char, unsigned char> changed[] = {
        {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F}, {0xB3, 0xA3},
        {0xB9, 0xA5}, {0xBA, 0xAA}, {0xBE, 0xBC}, {0xBF, 0xAF}, {0xE6, 0xC6}, {0xEA, 0xCA},
        {0xF1, 0xD1}, {0xF3, 0xD3}, {0xFE, 0xDE}, {'a', 'A'},   {'z', 'Z'},   {0xE0, 0xC0},
    };
    for (const auto& [lower, capital] : changed) {
        EXPECT_EQ(static_cast<unsigned char>(upper[lower - 1u]), capital) << int{lower};
    }
    int changedCount = 0;
    for (std::size_t i = 0; i < all.size(); ++i) {
        changedCount += upper[i] != all[i] ? 1 : 0;
    }
    // a-z, five of 0x9A-0x9F, five of 0xB3-0xBF, 0xE0-0xFE without 0xF7.
    EXPECT_EQ(changedCount, 26 + 5 + 5 + 30);
    for (const unsigned char same : {0xDFu, 0xF7u, 0xFFu, 0xB5u, 0x9Bu, 0xA5u, 0x40u, 0x5Bu}) {
        EXPECT_EQ(static_cast<unsigned char>(upper[same - 1u]), same) << int{same};
    }
}

TEST(Catalogue, BuiltInListsInIndexOrder) {
    const CTempDir dir;
    WriteBytes(dir.Path("codes.txt"), "");
    const CCatalogue catalogue(dir.Path("codes.txt"));
    ASSERT_EQ(catalogue.GetLayoutCount(), 14);
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(catalogue.GetLayoutName(i), GetLayout(i).name);
    }
    EXPECT_EQ(catalogue.GetLayoutName(0), "Numer X Y RZG");
    EXPECT_EQ(catalogue.GetLayoutName(13), "Numer Numer_inny X Y H");
    ASSERT_EQ(catalogue.GetSeparatorCount(), 5);
    const char* const names[] = {";", ",", "Tab", "Spacja", "|"};
    const char* const chars[] = {";", ",", "\t", " ", "|"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(catalogue.GetSeparatorName(i), names[i]);
        EXPECT_EQ(catalogue.GetSeparatorChar(i), chars[i]);
    }
}

TEST(Catalogue, GettersRefuseIndexesOutsideTheirLists) {
    const CTempDir dir;
    WriteBytes(dir.Path("codes.txt"), "a,1\nb,2\n");
    const CCatalogue catalogue(dir.Path("codes.txt"));
    ASSERT_EQ(catalogue.GetCodeCount(), 2);
    EXPECT_THROW(catalogue.GetLayoutName(14), InvalidArgumentError);
    EXPECT_THROW(catalogue.GetLayoutName(-1), InvalidArgumentError);
    EXPECT_THROW(catalogue.GetSeparatorName(5), InvalidArgumentError);
    EXPECT_THROW(catalogue.GetSeparatorChar(5), InvalidArgumentError);
    EXPECT_THROW(catalogue.GetCode(-1), InvalidArgumentError);
    EXPECT_THROW(catalogue.GetCode(2), InvalidArgumentError);
    EXPECT_THROW(catalogue.GetDescription(2), InvalidArgumentError);
    EXPECT_EQ(catalogue.GetCode(1), "B");
    try {
        catalogue.GetCode(2);
    } catch (const InvalidArgumentError& error) {
        EXPECT_STREQ(error.what(), "Encountered an improper argument.");
    }
}

TEST(Catalogue, MissingListIsReportedAndLeavesTheCodesEmpty) {
    const CTempDir dir;
    const CMessageRecorder messages;
    const CCatalogue catalogue(dir.Path("missing.txt"));
    EXPECT_EQ(CMessageRecorder::Messages(),
              std::vector<std::string>{"Nie mo\xBFna otworzy\xE6 pliku '" +
                                       dir.Path("missing.txt") + "'!"});
    EXPECT_EQ(catalogue.GetCodeCount(), 0);
    EXPECT_EQ(catalogue.GetLayoutCount(), 14);
    EXPECT_EQ(catalogue.GetSeparatorCount(), 5);
}

TEST(Catalogue, DefaultConstructionReadsTheListBesideTheProgram) {
    const test::CProgramList list("kr,Kamie\xF1 graniczny\r\npo,Punkt osnowy\r\n");
    const CMessageRecorder messages;
    const CCatalogue catalogue;
    EXPECT_TRUE(CMessageRecorder::Messages().empty());
    EXPECT_EQ(EntriesOf(catalogue),
              (Entries{{"KR", "Kamie\xF1 graniczny"}, {"PO", "Punkt osnowy"}}));
}

TEST(Catalogue, DefaultConstructionWithoutListNamesItsFullPath) {
    const test::CProgramList noList;
    const CMessageRecorder messages;
    const CCatalogue catalogue;
    EXPECT_EQ(CMessageRecorder::Messages(),
              std::vector<std::string>{"Nie mo\xBFna otworzy\xE6 pliku '" + noList.Path() + "'!"});
    EXPECT_EQ(noList.Path(), GetProgramDirectory() + platform::PointCodeListFileName());
    EXPECT_EQ(catalogue.GetCodeCount(), 0);
}

// A stand-in for the system's normalisation that resolves ".." of Windows
// paths and records how often it was asked.
int g_normaliseCalls = 0;
std::optional<std::string> FakeNormalise(const std::string& path) {
    ++g_normaliseCalls;
    if (path == "C:\\a\\..\\b\\Tool.exe") {
        return "C:\\b\\Tool.exe";
    }
    if (path == "Tool.exe") {
        return "D:\\work\\Tool.exe";
    }
    if (path.find("fail") != std::string::npos) {
        return std::nullopt;
    }
    return path;
}

struct DirectoryCase {
    const char* path;
    const char* directory;
};

const DirectoryCase kDirectoryCases[] = {
    {"C:\\Prog\\Tool.exe", "C:\\Prog\\"},
    {"C:\\Tool.exe", "C:\\"},
    {"C:\\a\\..\\b\\Tool.exe", "C:\\b\\"},
    {"\\\\server\\share\\Tool.exe", "\\\\server\\share\\"},
    {"C:/Prog/Tool.exe", "C:/Prog/\\"},
    {"C:Tool.exe", "C:\\"},
    {"Tool.exe", "D:\\work\\"},
    {"fail..Tool.exe", ""},
    {"C:\\fail..\\Tool.exe", ""},
    {"fail", ""},
    {"", ""},
};

class ProgramDirectory : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(ProgramDirectory, FromModulePath) {
#ifndef _WIN32
    if (std::string(GetParam().path) == "C:/Prog/Tool.exe") {
        GTEST_SKIP() << "a directory ending in '/' is used as it stands on POSIX";
    }
#endif
    EXPECT_EQ(ProgramDirectoryFromPath(GetParam().path, &FakeNormalise), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(Paths, ProgramDirectory, ::testing::ValuesIn(kDirectoryCases));

TEST(ProgramDirectory, PathWithDriveAndNoDotsIsNotNormalised) {
    g_normaliseCalls = 0;
    EXPECT_EQ(ProgramDirectoryFromPath("C:\\Prog\\Tool.exe", &FakeNormalise), "C:\\Prog\\");
    EXPECT_EQ(g_normaliseCalls, 0);
    EXPECT_EQ(ProgramDirectoryFromPath("\\\\server\\share\\Tool.exe", &FakeNormalise),
              "\\\\server\\share\\");
    EXPECT_EQ(g_normaliseCalls, 1);
}

TEST(ProgramDirectory, DirectoryLongerThan255BytesGivesNone) {
    const std::string directory = "\\" + std::string(253, 'd') + "\\"; // 255 bytes
    EXPECT_EQ(ProgramDirectoryFromPath("C:" + directory + "T.exe", &FakeNormalise),
              "C:" + directory);
    EXPECT_EQ(ProgramDirectoryFromPath("C:" + directory + "x\\T.exe", &FakeNormalise), "");
}

TEST(ProgramDirectory, ListPathIsTheDirectoryAndTheListName) {
    EXPECT_EQ(GetPointCodeListPath(), GetProgramDirectory() + platform::PointCodeListFileName());
#ifdef _WIN32
    EXPECT_EQ(platform::PointCodeListFileName(), "ListaKod\xF3w.txt");
#else
    EXPECT_EQ(platform::PointCodeListFileName(), "ListaKod\xC3\xB3w.txt");
#endif
}

} // namespace
} // namespace velmora
