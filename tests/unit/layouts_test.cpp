// The fourteen layouts as the batch file shows them: definition lines, and
// records at the full, the short and a too-small token count.

#include "layouts.h"

#include "errors.h"
#include "writer_support.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace test;

// The line "7 8 1 2 3 9" cut to a number of tokens.
std::string Tokens(int count) {
    static const char* const kTokens[] = {"7", "8", "1", "2", "3", "9"};
    std::string line;
    for (int i = 0; i < count; ++i) {
        line += (i > 0 ? " " : "");
        line += kTokens[i];
    }
    return line;
}

struct LayoutCase {
    int layout;
    const char* name;
    const char* definition; // without suffix
    int full;
    const char* fullRecord;  // from the full count of tokens and one more
    const char* shortRecord; // from full - 1 tokens; nullptr: none
};

const LayoutCase kLayoutCases[] = {
    {0, "Numer X Y RZG", "#Punkt graniczny=_code.n;_number;_X;_Y;RZG", 4,
     "ABC;7;8.000000;1.000000;2.000", nullptr},
    {1, "Numer_inny X Y", "#Punkt graniczny=_code.n;NRI;_X;_Y", 3, "ABC;7;8.000000;1.000000",
     nullptr},
    {2, "Numer X Y", "#Punkt graniczny=_code.n;_number;_X;_Y", 3, "ABC;7;8.000000;1.000000",
     nullptr},
    {3, "Numer X Y RZG RZD", "#Punkt graniczny=_code.n;_number;_X;_Y;RZG;RZD", 5,
     "ABC;7;8.000000;1.000000;2.000;3.000", "ABC;7;8.000000;1.000000;2.000;"},
    {4, "Numer X Y RZD", "#Punkt graniczny=_code.n;_number;_X;_Y;RZD", 4,
     "ABC;7;8.000000;1.000000;2.000", nullptr},
    {5, "Numer X Y H RZG", "#Punkt graniczny=_code.n;_number;_X;_Y;_H;RZG", 5,
     "ABC;7;8.000000;1.000000;2.000;3.000", nullptr},
    {6, "Numer X Y H RZD", "#Punkt graniczny=_code.n;_number;_X;_Y;_H;RZD", 5,
     "ABC;7;8.000000;1.000000;2.000;3.000", nullptr},
    {7, "X Y", "#Punkt graniczny=_code.n;_X;_Y", 2, "ABC;7.000000;8.000000", nullptr},
    {8, "X Y H", "#Punkt graniczny=_code.n;_X;_Y;_H", 3, "ABC;7.000000;8.000000;1.000",
     "ABC;7.000000;8.000000;"},
    {9, "Numer_inny X Y H", "#Punkt graniczny=_code.n;NRI;_X;_Y;_H", 4,
     "ABC;7;8.000000;1.000000;2.000", "ABC;7;8.000000;1.000000;"},
    {10, "Numer_inny Y X", "#Punkt graniczny=_code.n;NRI;_X;_Y", 3, "ABC;7;1.000000;8.000000",
     nullptr},
    {11, "Numer X Y H", "#Punkt graniczny=_code.n;_number;_X;_Y;_H", 4,
     "ABC;7;8.000000;1.000000;2.000", "ABC;7;8.000000;1.000000;"},
    {12, "Numer Numer_inny X Y", "#Punkt graniczny=_code.n;_number;NRI;_X;_Y", 4,
     "ABC;7;8;1.000000;2.000000", nullptr},
    {13, "Numer Numer_inny X Y H", "#Punkt graniczny=_code.n;_number;NRI;_X;_Y;_H", 5,
     "ABC;7;8;1.000000;2.000000;3.000", "ABC;7;8;1.000000;2.000000;"},
};

class LayoutTable : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutTable, NameAndCounts) {
    const LayoutCase& c = GetParam();
    const Layout& layout = GetLayout(c.layout);
    EXPECT_EQ(layout.name, c.name);
    EXPECT_EQ(layout.fullCount, c.full);
    EXPECT_EQ(layout.shortCount, c.shortRecord != nullptr ? c.full - 1 : 0);
}

TEST_P(LayoutTable, DefinitionLineWithEachSuffix) {
    const LayoutCase& c = GetParam();
    const std::string plain = SplitCrLf(WriteBatch({c.layout, 3, "", ""}, {})).at(2);
    const std::string kerg = SplitCrLf(WriteBatch({c.layout, 3, "K1", ""}, {})).at(2);
    const std::string zudp = SplitCrLf(WriteBatch({c.layout, 3, "", "Z1"}, {})).at(2);
    EXPECT_EQ(plain, c.definition);
    EXPECT_EQ(kerg, std::string(c.definition) + ";KRG.n");
    EXPECT_EQ(zudp, std::string(c.definition) + ";NWN.n");
}

TEST_P(LayoutTable, RecordsAtFullShortAndTooFewTokens) {
    const LayoutCase& c = GetParam();
    const std::vector<std::string> records = RecordsOf(WriteBatch(
        {c.layout, 3, "", ""}, {Tokens(c.full + 1), Tokens(c.full - 1), Tokens(c.full - 2)}));
    std::vector<std::string> expected = {c.fullRecord};
    if (c.shortRecord != nullptr) {
        expected.emplace_back(c.shortRecord);
    }
    EXPECT_EQ(records, expected);
}

TEST_P(LayoutTable, RecordSuffixFollowsTheLastField) {
    const LayoutCase& c = GetParam();
    const std::vector<std::string> records =
        RecordsOf(WriteBatch({c.layout, 3, "K1", ""}, {Tokens(c.full), Tokens(c.full - 1)}));
    std::vector<std::string> expected = {std::string(c.fullRecord) + ";K1"};
    if (c.shortRecord != nullptr) {
        expected.push_back(std::string(c.shortRecord) + ";K1");
    }
    EXPECT_EQ(records, expected);
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, LayoutTable, ::testing::ValuesIn(kLayoutCases),
                         [](const ::testing::TestParamInfo<LayoutCase>& info) {
                             return "Layout" + std::to_string(info.param.layout);
                         });

struct RecordCase {
    int layout;
    const char* kerg;
    const char* line;
    const char* record; // nullptr: no record
};

const RecordCase kRecordCases[] = {
    {11, "", "101 5712345,12 6543210.5 102,3", "ABC;101;5712345.120000;6543210.500000;102.300"},
    {2, "", "101 100 200 300", "ABC;101;100.000000;200.000000"},
    {2, "", "101 100", nullptr},
    {7, "", "100 200 300", "ABC;100.000000;200.000000"},
    {7, "", "100", nullptr},
    {8, "", "100 200", "ABC;100.000000;200.000000;"},
    {8, "K1", "100 200", "ABC;100.000000;200.000000;;K1"},
    {10, "", "7 200 100", "ABC;7;100.000000;200.000000"},
    {3, "", "7 1 2 3.5", "ABC;7;1.000000;2.000000;3.500;"},
    {0, "", "7 1 2 3.5", "ABC;7;1.000000;2.000000;3.500"},
    {0, "", "7 1 2 3 4", "ABC;7;1.000000;2.000000;3.000"},
    {5, "", "7 1 2 3", nullptr},
    {6, "", "7 1 2 3", nullptr},
    {12, "", "7 8 1", nullptr},
    {13, "", "7 8 1 2", "ABC;7;8;1.000000;2.000000;"},
    {2, "", "7 abc 2", nullptr}, // X holds no number
    {12, "", "7 abc 1 2", "ABC;7;abc;1.000000;2.000000"},
    {11, "", "-1 -0 -0,0004 1e3", "ABC;-1;-0.000000;-0.000400;1000.000"},
};

class LayoutRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(LayoutRecords, LineGivesRecord) {
    const RecordCase& c = GetParam();
    const std::vector<std::string> records =
        RecordsOf(WriteBatch({c.layout, 3, c.kerg, ""}, {c.line}));
    if (c.record == nullptr) {
        EXPECT_TRUE(records.empty()) << records.front();
    } else {
        EXPECT_EQ(records, std::vector<std::string>{c.record});
    }
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, LayoutRecords, ::testing::ValuesIn(kRecordCases));

TEST(LayoutRecords, TextTokenIsCutTo127Bytes) {
    const std::string number(200, 'N');
    const std::string other(300, 'M');
    const std::vector<std::string> records =
        RecordsOf(WriteBatch({12, 3, "", ""}, {number + " " + other + " 1 2"}));
    EXPECT_EQ(records, std::vector<std::string>{"ABC;" + number.substr(0, 127) + ";" +
                                                other.substr(0, 127) + ";1.000000;2.000000"});
}

TEST(Layouts, IndexOutsideTheTableIsRefused) {
    EXPECT_THROW(GetLayout(-1), InvalidArgumentError);
    EXPECT_THROW(GetLayout(kLayoutCount), InvalidArgumentError);
}

} // namespace
} // namespace velmora
