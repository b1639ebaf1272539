// The batch file as a whole: header block, record conversion, end marker,
// and what happens to the file when the writer is refused or not finished.

#include "batch_writer.h"

#include "errors.h"
#include "writer_support.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace test;

TEST(BatchWriter, WholeFileExample) {
    const std::string bytes = WriteBatch({2, 3, "K1", ""}, {"101 100 200", "", "102 5,5 6,25"});
    EXPECT_EQ(bytes, "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
                     "# \r\n"
                     "#Punkt graniczny=_code.n;_number;_X;_Y;KRG.n\r\n"
                     "ABC;101;100.000000;200.000000;K1\r\n"
                     "ABC;102;5.500000;6.250000;K1\r\n"
                     "#KONIEC\r\n");
}

TEST(BatchWriter, NoUsableLineGivesHeaderAndEndMarker) {
    EXPECT_EQ(WriteBatch({2, 3, "", ""}, {"", " \t ", "101"}),
              "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
              "# \r\n"
              "#Punkt graniczny=_code.n;_number;_X;_Y\r\n"
              "#KONIEC\r\n");
}

struct SplitCase {
    int separator;
    const char* line;
    const char* record; // nullptr: no record
};

const SplitCase kSplitCases[] = {
    {3, " \t\t  ", nullptr},
    {0, "  101;1;2", "ABC;101;1.000000;2.000000"},
    {0, "\t 101;1;2", "ABC;101;1.000000;2.000000"},
    {0, "101 ;1;2", "ABC;101 ;1.000000;2.000000"},
    {0, "101;;1;2", "ABC;101;1.000000;2.000000"},
    {0, ";;101;1;2;;", "ABC;101;1.000000;2.000000"},
    {0, "101;1,5;2,25", "ABC;101;1.500000;2.250000"},
    {1, "101,1.5,2.25", "ABC;101;1.500000;2.250000"},
    {2, "101\t1.5\t\t2.25", "ABC;101;1.500000;2.250000"},
    {3, "101  1.5 2.25  ", "ABC;101;1.500000;2.250000"},
    {4, "101|1.5|2.25", "ABC;101;1.500000;2.250000"},
    {4, "101 1.5 2.25", nullptr},
    {0, "101;1,234;2m", "ABC;101;1.234000;2.000000"},
    {0, "101;12.5m;2", "ABC;101;12.500000;2.000000"},
    {3, "P\xB3\xF3 1 2\r", "ABC;P\xB3\xF3;1.000000;2.000000"},
    // Text tokens around the two words the short copy moves.
    {3, "PKT-0001 1 2", "ABC;PKT-0001;1.000000;2.000000"},
    {3, "PKT-00012 1 2", "ABC;PKT-00012;1.000000;2.000000"},
    {3, "PKT-000123456789 1 2", "ABC;PKT-000123456789;1.000000;2.000000"},
    {3, "PKT-0001234567890 1 2", "ABC;PKT-0001234567890;1.000000;2.000000"},
};

class WriterSplitting : public ::testing::TestWithParam<SplitCase> {};

TEST_P(WriterSplitting, LineGivesRecord) {
    const SplitCase& c = GetParam();
    const std::vector<std::string> records =
        RecordsOf(WriteBatch({2, c.separator, "", ""}, {c.line}));
    if (c.record == nullptr) {
        EXPECT_TRUE(records.empty()) << records.front();
    } else {
        EXPECT_EQ(records, std::vector<std::string>{c.record});
    }
}

INSTANTIATE_TEST_SUITE_P(Separators, WriterSplitting, ::testing::ValuesIn(kSplitCases));

// X and Y must hold a number: a header row or a word gives no record instead
// of a point at 0. Heights and attributes are converted as they come.
struct NumberRoleCase {
    int layout;
    const char* line;
    const char* record; // nullptr: no record
};

const NumberRoleCase kNumberRoleCases[] = {
    {2, "Nr X Y", nullptr},
    {7, "X Y", nullptr},
    {10, "Nr Y X", nullptr},
    {12, "Nr Nr2 X Y", nullptr},
    {11, "101 1 Y 5", nullptr},
    {11, "101 1 2 H", "ABC;101;1.000000;2.000000;0.000"},
    {3, "101 1 2 rzg rzd", "ABC;101;1.000000;2.000000;0.000;0.000"},
    {2, "101 inf 2", nullptr},
    {2, "101 -Infinity 2", nullptr},
    {2, "101 nan 2", nullptr},
    {2, "101 2 nan(7)", nullptr},
    {2, "101 1e999 2", nullptr},
    {2, "101 \"1 2", nullptr},
    {2, "101 . 2", nullptr},
    {2, "101 -,e5 2", nullptr},
    {2, "101 1e-999 2", "ABC;101;0.000000;2.000000"},
    {2, "101 0x 2", "ABC;101;0.000000;2.000000"},
    {2, "101 ,5 -0", "ABC;101;0.500000;-0.000000"},
    {8, "1 2 inf", "ABC;1.000000;2.000000;inf"},
    // Exponents next to the ends of long long.
    {11, "1 1e9223372036854775807 5", nullptr},
    {11, "3 100000000e9223372036854775800 5", nullptr},
    {11, "5 5 6 1e9223372036854775807", "ABC;5;5.000000;6.000000;inf"},
    {11, "7 0.0001e-9223372036854775808 5", "ABC;7;0.000000;5.000000;"},
    {11, "9 0x0.0001p-9223372036854775808 5", "ABC;9;0.000000;5.000000;"},
};

class WriterNumberRoles : public ::testing::TestWithParam<NumberRoleCase> {};

TEST_P(WriterNumberRoles, CoordinatesMustHoldANumber) {
    const NumberRoleCase& c = GetParam();
    const std::vector<std::string> records = RecordsOf(WriteBatch({c.layout, 3, "", ""}, {c.line}));
    EXPECT_EQ(records,
              c.record == nullptr ? std::vector<std::string>{} : std::vector<std::string>{c.record})
        << c.line;
}

INSTANTIATE_TEST_SUITE_P(Layouts, WriterNumberRoles, ::testing::ValuesIn(kNumberRoleCases));

// Quoted fields as spreadsheets, GIS and statistics tools write them, and
// coordinates that must be one number.
struct QuotedCase {
    int layout;
    int separator;
    std::string line;
    std::string record; // empty: no record
};

const QuotedCase kQuotedCases[] = {
    {2, 1, "\"101\",5712345.12,6543210.55", "ABC;101;5712345.120000;6543210.550000"},
    {2, 1, "\"\",\"x\",\"y\"", ""},
    {2, 1, "\"1\",181072,333611", "ABC;1;181072.000000;333611.000000"},
    {2, 1, "\"101\",\"5712345,12\",\"6543210,55\"", "ABC;101;5712345.120000;6543210.550000"},
    {12, 1, "101,\"Krak\xF3w, ul. \"\"D\"\"\",5,6",
     "ABC;101;Krak\xF3w, ul. \"D\";5.000000;6.000000"},
    {2, 1, "\"101\",\"\",5,6", "ABC;101;5.000000;6.000000"},
    {2, 1, "\"101\" , \" 5,5\"\t,\"6\" \r", "ABC;101;5.500000;6.000000"},
    {11, 1, "P\"1,1,2,12\"5", "ABC;P\"1;1.000000;2.000000;12.000"},
    {2, 1, "101,5,\"6", ""},
    {2, 1, "\"101\"5,6,7", ""},
    {2, 1, "\"Sklep \\\"Ala\\\"\",5,6", ""},
    {2, 3, "\"P 1\"\t 5 \"6\"", "ABC;P 1;5.000000;6.000000"},
    {2, 2, "\"P\t1\" \t5\t \"6\"", "ABC;P\t1;5.000000;6.000000"},
    {2, 1, "\"" + std::string(130, 'x') + "\",5,6",
     "ABC;" + std::string(127, 'x') + ";5.000000;6.000000"},
    {2, 3,
     "1001 53\xB0"
     "55'49.288\" 14\xB0"
     "13'36.441\"",
     ""},
    {2, 0, "101;5 712 345,12;6543210,55", ""},
    {2, 0,
     "101;1;5\xA0"
     "712",
     ""},
    {2, 3, "101 1,234,5 2", ""},
    {2, 3, "101 12.5.3 2", ""},
    {2, 3, "101 1 12:30", ""},
    {2, 3, "101 101-3 2", ""},
    {2, 3, "101 12.5m 1e5", "ABC;101;12.500000;100000.000000"},
    {11, 3, "101 1 2 1,234,5", "ABC;101;1.000000;2.000000;1.234"},
};

class WriterQuotedFields : public ::testing::TestWithParam<QuotedCase> {};

TEST_P(WriterQuotedFields, LineGivesRecord) {
    const QuotedCase& c = GetParam();
    EXPECT_EQ(RecordsOf(WriteBatch({c.layout, c.separator, "", ""}, {c.line})),
              c.record.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.record})
        << c.line;
}

INSTANTIATE_TEST_SUITE_P(Fields, WriterQuotedFields, ::testing::ValuesIn(kQuotedCases));

TEST(BatchWriter, TellsWhatBecameOfEachLine) {
    const CTempDir dir;
    WriteBytes(dir.Path("codes.txt"), "ABC,Punkt\r\n");
    CBatchWriter writer(CCatalogue(dir.Path("codes.txt")), dir.Path("out.wsd"), 2, 0, 0, "ABC", "",
                        "");
    const std::pair<std::string, RecordResult> kLines[] = {
        {"101;1;2", RecordResult::Written},
        {"", RecordResult::Blank},
        {" \t\r", RecordResult::Blank},
        {";; ;\r", RecordResult::Blank},
        {"101;1", RecordResult::Skipped},
        {"Nr;X;Y", RecordResult::Skipped},
        {"101 1 2", RecordResult::Skipped},
        {"\"\";\"\"", RecordResult::Skipped},
        {";;" + std::string(3000, ' ') + "x", RecordResult::Skipped},
    };
    for (const auto& [line, result] : kLines) {
        EXPECT_EQ(writer.WriteRecord(line), result) << line;
    }
}

TEST(BatchWriter, KergWinsOverZudp) {
    const std::vector<std::string> lines =
        test::SplitCrLf(WriteBatch({2, 3, "K1", "Z1"}, {"101 1 2"}));
    ASSERT_EQ(lines.size(), 5U);
    EXPECT_EQ(lines[2], "#Punkt graniczny=_code.n;_number;_X;_Y;KRG.n");
    EXPECT_EQ(lines[3], "ABC;101;1.000000;2.000000;K1");
}

TEST(BatchWriter, ZudpAloneAndBlankTextsAreUsedAsGiven) {
    EXPECT_EQ(RecordsOf(WriteBatch({2, 3, "", " Z 1 "}, {"101 1 2"})),
              std::vector<std::string>{"ABC;101;1.000000;2.000000; Z 1 "});
    EXPECT_EQ(RecordsOf(WriteBatch({2, 3, "", ""}, {"101 1 2"})),
              std::vector<std::string>{"ABC;101;1.000000;2.000000"});
}

TEST(BatchWriter, LongLineIsConvertedFromItsFirst2047BytesAfterLeadingBlanks) {
    // The third token starts at byte 2041 of the stripped line: six of its
    // bytes are within the first 2047.
    const std::string line =
        "  101" + std::string(2036, ' ') + "5 123456789012" + std::string(1000, 'x');
    EXPECT_EQ(RecordsOf(WriteBatch({2, 3, "", ""}, {line})),
              std::vector<std::string>{"ABC;101;5.000000;123456.000000"});
}

TEST(BatchWriter, LinesBeyondTheWriteBufferArriveWhole) {
    std::vector<std::string> lines;
    std::vector<std::string> expected;
    for (int i = 0; i < 5000; ++i) {
        lines.push_back(std::to_string(i) + " " + std::to_string(i) + ",25 -" + std::to_string(i));
        expected.push_back("ABC;" + std::to_string(i) + ";" + std::to_string(i) + ".250000;-" +
                           std::to_string(i) + ".000000");
    }
    EXPECT_EQ(RecordsOf(WriteBatch({2, 3, "", ""}, lines)), expected);
}

TEST(BatchWriter, LayoutOutsideTheTableWritesNoDefinitionAndNoRecords) {
    EXPECT_EQ(WriteBatch({14, 3, "K1", ""}, {"101 1 2"}),
              "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
              "# \r\n"
              "#KONIEC\r\n");
}

class BatchWriterRefusal : public ::testing::Test {
protected:
    BatchWriterRefusal() { WriteBytes(m_list, "ABC,Punkt graniczny\r\n"); }

    CTempDir m_dir;
    const std::string m_list = m_dir.Path("codes.txt");
    const std::string m_output = m_dir.Path("out.wsd");
};

TEST_F(BatchWriterRefusal, CodeNamingNoEntryCreatesNoFile) {
    EXPECT_THROW(CBatchWriter(CCatalogue(m_list), m_output, 2, 3, 1, "XYZ", "", ""),
                 InvalidArgumentError);
    EXPECT_THROW(CBatchWriter(CCatalogue(m_list), m_output, 2, 3, 0, "abc", "", ""),
                 InvalidArgumentError);
    EXPECT_THROW(CBatchWriter(CCatalogue(m_list), m_output, 2, 3, -1, "", "", ""),
                 InvalidArgumentError);
    EXPECT_THROW(CBatchWriter(CCatalogue(m_list), m_output, 2, 3, 0, "", "", ""),
                 InvalidArgumentError);
    EXPECT_FALSE(test::FileExists(m_output));
}

TEST_F(BatchWriterRefusal, CodeNamingNoEntryLeavesAnExistingFileAlone) {
    WriteBytes(m_output, "earlier batch file\r\n#KONIEC\r\n");
    EXPECT_THROW(CBatchWriter(CCatalogue(m_list), m_output, 2, 3, 5, "XYZ", "K1", ""),
                 InvalidArgumentError);
    EXPECT_EQ(ReadBytes(m_output), "earlier batch file\r\n#KONIEC\r\n");
}

TEST_F(BatchWriterRefusal, SeparatorIndexOutsideTheTableCreatesNoFile) {
    EXPECT_THROW(CBatchWriter(CCatalogue(m_list), m_output, 2, 5, 0, "ABC", "", ""),
                 InvalidArgumentError);
    EXPECT_THROW(CBatchWriter(CCatalogue(m_list), m_output, 2, -1, 0, "ABC", "", ""),
                 InvalidArgumentError);
    EXPECT_FALSE(test::FileExists(m_output));
}

TEST_F(BatchWriterRefusal, FileInMissingFolderLeavesWriterClosed) {
    CBatchWriter writer(CCatalogue(m_list), m_dir.Path("missing/out.wsd"), 2, 3, 0, "ABC", "", "");
    EXPECT_FALSE(writer.IsOpen());
    writer.WriteRecord("101 1 2");
    writer.Finish();
    EXPECT_FALSE(test::FileExists(m_dir.Path("missing/out.wsd")));
}

TEST_F(BatchWriterRefusal, ExistingFileIsReplaced) {
    WriteBytes(m_output, std::string(100000, 'x'));
    {
        CBatchWriter writer(CCatalogue(m_list), m_output, 7, 3, 0, "ABC", "", "");
        ASSERT_TRUE(writer.IsOpen());
        writer.WriteRecord("1 2");
        writer.Finish();
    }
    EXPECT_EQ(RecordsOf(ReadBytes(m_output)), std::vector<std::string>{"ABC;1.000000;2.000000"});
}

TEST_F(BatchWriterRefusal, WriterNotFinishedLeavesNoEndMarker) {
    {
        CBatchWriter writer(CCatalogue(m_list), m_output, 7, 3, 0, "ABC", "", "");
        ASSERT_TRUE(writer.IsOpen());
        writer.WriteRecord("1 2");
    }
    EXPECT_EQ(ReadBytes(m_output),
              "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
              "# \r\n"
              "#Punkt graniczny=_code.n;_X;_Y\r\n"
              "ABC;1.000000;2.000000\r\n");
}

TEST_F(BatchWriterRefusal, FinishTwiceWritesOneEndMarker) {
    CBatchWriter writer(CCatalogue(m_list), m_output, 7, 3, 0, "ABC", "", "");
    writer.Finish();
    writer.Finish();
    writer.WriteRecord("1 2");
    EXPECT_EQ(test::SplitCrLf(ReadBytes(m_output)).back(), "#KONIEC");
    EXPECT_EQ(ReadBytes(m_output).find("ABC;"), std::string::npos);
}

TEST_F(BatchWriterRefusal, FileHeldByTheWriterCannotBeOpenedAgain) {
    CBatchWriter writer(CCatalogue(m_list), m_output, 7, 3, 0, "ABC", "", "");
    ASSERT_TRUE(writer.IsOpen());
    CBatchWriter second(CCatalogue(m_list), m_output, 7, 3, 0, "ABC", "", "");
    EXPECT_FALSE(second.IsOpen());
    writer.WriteRecord("1 2");
    writer.Finish();
    EXPECT_EQ(RecordsOf(ReadBytes(m_output)), std::vector<std::string>{"ABC;1.000000;2.000000"});
}

} // namespace
} // namespace velmora
