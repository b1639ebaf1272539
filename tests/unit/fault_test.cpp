// Failure handling that holds on every platform: missing output folders, path
// length limits, hostile input files and very large point-code lists. Each
// case checks what the user sees, that the input keeps its bytes, and that a
// batch file is either complete or absent.

#include "catalogue.h"
#include "errors.h"
#include "generation.h"
#include "input_reader.h"

#include "fault_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace velmora {
namespace {

using namespace test;

using namespace std::string_literals;

constexpr std::string_view kHeaderBlock =
    "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n# \r\n"
    "#Punkt graniczny=_code.n;_number;_X;_Y\r\n";
constexpr std::string_view kEndLine = "#KONIEC\r\n";

std::string BatchFile(const std::vector<std::string>& records) {
    std::string bytes(kHeaderBlock);
    for (const std::string& record : records) {
        bytes += record + "\r\n";
    }
    return bytes + std::string(kEndLine);
}

std::size_t CountLines(const std::string& path) {
    CInputReader reader(path);
    EXPECT_TRUE(reader.IsOpen());
    std::size_t count = 0;
    std::string line;
    while (reader.ReadLine(line)) {
        ++count;
    }
    return count;
}

// What every successful generation leaves: header, records that begin with
// the code, no LF without CR, exactly one "#KONIEC" and that at the end.
void ExpectCompleteBatchFile(const std::string& bytes, std::size_t inputLines) {
    ASSERT_EQ(bytes.substr(0, kHeaderBlock.size()), kHeaderBlock);
    ASSERT_GE(bytes.size(), kHeaderBlock.size() + kEndLine.size());
    EXPECT_EQ(bytes.substr(bytes.size() - kEndLine.size()), kEndLine);
    for (std::size_t pos = bytes.find('\n'); pos != std::string::npos;
         pos = bytes.find('\n', pos + 1)) {
        ASSERT_EQ(bytes[pos - 1], '\r') << "LF without CR at byte " << pos;
    }
    const std::string records =
        bytes.substr(kHeaderBlock.size(), bytes.size() - kHeaderBlock.size() - kEndLine.size());
    std::size_t count = 0;
    for (std::size_t start = 0; start < records.size(); ++count) {
        EXPECT_EQ(records.compare(start, 4, "ABC;"), 0) << "record at byte " << start;
        start = records.find("\r\n", start) + 2;
    }
    EXPECT_LE(count, inputLines);
    EXPECT_EQ(records.find("#KONIEC"), std::string::npos);
}

TEST_F(FaultTest, OutputFolderThatDoesNotExist) {
    const std::string input = m_dir.Path("punkty.txt");
    WriteBytes(input, "101 1 2\r\n");
    const std::string output = m_dir.Path("brak") + "/punkty.wsd";

    const GenerationResult result = Generate(Request(input, output));

    EXPECT_EQ(result.outcome, GenerationOutcome::OutputNotOpened);
    EXPECT_EQ(result.feedback.messages,
              std::vector<std::string>{std::string(kOpenFailed) + output});
    EXPECT_EQ(result.feedback.begun, 0);
    EXPECT_FALSE(test::FileExists(output));
    EXPECT_EQ(ReadBytes(input), "101 1 2\r\n");
}

// A KERG or ZUDP text is written after every record; a line break in it would
// split records and could put "#KONIEC" in the middle of the file. Such a
// request is refused before the batch file is created or touched.
struct SuffixTextCase {
    const char* name;
    std::string kerg;
    std::string zudp;
    bool refused;
};

class SuffixText : public FaultTest, public ::testing::WithParamInterface<SuffixTextCase> {};

TEST_P(SuffixText, WithALineBreakIsRefusedBeforeTheFileIsTouched) {
    const SuffixTextCase& row = GetParam();
    const std::string input = m_dir.Path("punkty.txt");
    WriteBytes(input, "101 1 2\r\n");
    const std::string output = m_dir.Path("punkty.wsd");
    const std::string previous = "# Plik wsadowy z wczoraj\r\n#KONIEC\r\n";
    WriteBytes(output, previous);
    GenerationRequest request = Request(input, output);
    request.kergText = row.kerg;
    request.zudpText = row.zudp;

    const GenerationResult result = Generate(request);

    if (row.refused) {
        EXPECT_FALSE(result.outcome.has_value());
        EXPECT_EQ(result.error, "Encountered an improper argument.");
        EXPECT_TRUE(result.feedback.messages.empty());
        EXPECT_EQ(ReadBytes(output), previous);
    } else {
        ASSERT_EQ(result.outcome, GenerationOutcome::Generated) << result.error;
        EXPECT_EQ(ReadBytes(output),
                  "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n# \r\n"
                  "#Punkt graniczny=_code.n;_number;_X;_Y;KRG.n\r\n"
                  "ABC;101;1.000000;2.000000;" +
                      row.kerg + "\r\n#KONIEC\r\n");
    }
    EXPECT_EQ(ReadBytes(input), "101 1 2\r\n");
}

const SuffixTextCase kSuffixTextCases[] = {
    {"KergWithLf", "K1\n2", "", true},
    {"KergEndMarker", "\n#KONIEC", "", true},
    {"KergWithCrLf", "K1\r\n", "", true},
    {"KergWithLoneCr", "K\r1", "", true},
    {"ZudpWithLf", "", "Z\n1", true},
    // KERG wins: the ZUDP text is not written, so its line break harms nothing.
    {"UnusedZudpWithLf", "K1", "Z\n1", false},
    {"PlainTexts", "K.1 2", "", false},
};

INSTANTIATE_TEST_SUITE_P(Requests, SuffixText, ::testing::ValuesIn(kSuffixTextCases), RowName);

// ---------------------------------------------------------------------------
// Path lengths: a path of 260 bytes or more, as given or made absolute, never
// opens; shorter ones do.

enum class Role { Input, Output };

struct PathCase {
    const char* name;
    Role role;
    std::size_t absoluteLength; // of the path in its absolute form
    bool relative;              // given relative to a current folder of 180 bytes
};

class PathLength : public FaultTest, public ::testing::WithParamInterface<PathCase> {};

// Changes the current folder for the test's duration.
class CCurrentFolder {
public:
    explicit CCurrentFolder(const std::filesystem::path& folder)
        : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    CCurrentFolder(const CCurrentFolder&) = delete;
    CCurrentFolder& operator=(const CCurrentFolder&) = delete;
    ~CCurrentFolder() { std::filesystem::current_path(m_previous); }

private:
    std::filesystem::path m_previous;
};

TEST_P(PathLength, OpensOnlyBelow260Bytes) {
    const PathCase& row = GetParam();
    // A folder of exactly 180 bytes (well below every folder limit), then a
    // file name that brings the path to the length wanted.
    const std::filesystem::path base = std::filesystem::absolute(m_dir.Dir());
    const std::size_t baseLength = base.string().size();
    ASSERT_LT(baseLength + 2, 180u) << "temporary folder path too long for this test";
    const std::filesystem::path folder = base / std::string(180 - baseLength - 1, 'd');
    ASSERT_EQ(folder.string().size(), 180u);
    std::filesystem::create_directories(folder);
    const std::string name(row.absoluteLength - 181, 'n');
    const std::filesystem::path absolute = folder / name;
    ASSERT_EQ(absolute.string().size(), row.absoluteLength);

    std::optional<CCurrentFolder> current;
    if (row.relative) {
        current.emplace(folder);
    }
    const std::string given = row.relative ? name : absolute.string();
    const std::string shortInput = m_dir.Path("in.txt");
    const std::string shortOutput = m_dir.Path("out.wsd");
    WriteBytes(shortInput, "101 1 2\r\n");
    if (row.role == Role::Input) {
        std::ofstream(absolute, std::ios::binary) << "101 1 2\r\n";
        if (!std::filesystem::exists(absolute)) {
            GTEST_SKIP() << "this file system does not hold a path of " << row.absoluteLength
                         << " bytes";
        }
    }
    const GenerationRequest request =
        row.role == Role::Input ? Request(given, shortOutput) : Request(shortInput, given);

    const GenerationResult result = Generate(request);

    const bool mustFail = given.size() >= 260 || row.absoluteLength >= 260;
    if (mustFail) {
        const GenerationOutcome expected = row.role == Role::Input
                                               ? GenerationOutcome::InputNotOpened
                                               : GenerationOutcome::OutputNotOpened;
        EXPECT_EQ(result.outcome, expected);
        EXPECT_EQ(result.feedback.messages,
                  std::vector<std::string>{std::string(kOpenFailed) + given});
        if (row.role == Role::Output) {
            std::error_code ignored;
            EXPECT_FALSE(std::filesystem::exists(absolute, ignored));
        }
    } else {
        EXPECT_EQ(result.outcome, GenerationOutcome::Generated) << result.error;
        const std::filesystem::path output =
            row.role == Role::Input ? std::filesystem::path(shortOutput) : absolute;
        std::ifstream in(output, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes, BatchFile({"ABC;101;1.000000;2.000000"}));
    }
    if (row.role == Role::Input) {
        std::ifstream in(absolute, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        EXPECT_EQ(bytes, "101 1 2\r\n");
    }
}

const PathCase kPathCases[] = {
    {"Input259", Role::Input, 259, false},
    {"Input260", Role::Input, 260, false},
    {"Input300", Role::Input, 300, false},
    {"Output259", Role::Output, 259, false},
    {"Output260", Role::Output, 260, false},
    {"Output300", Role::Output, 300, false},
    // Short as given, but 259 or 260 bytes once made absolute.
    {"RelativeInput259", Role::Input, 259, true},
    {"RelativeInput260", Role::Input, 260, true},
    {"RelativeOutput259", Role::Output, 259, true},
    {"RelativeOutput260", Role::Output, 260, true},
};

INSTANTIATE_TEST_SUITE_P(Paths, PathLength, ::testing::ValuesIn(kPathCases), RowName);

// ---------------------------------------------------------------------------
// Hostile input files: the job never crashes, reads to the end, writes only
// records that begin with the code, and completes the batch file.

std::string RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(byte(engine));
    }
    return bytes;
}

std::string Utf16Le(std::string_view ascii) {
    std::string bytes = "\xFF\xFE";
    for (const char c : ascii) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

struct InputCase {
    const char* name;
    std::string bytes;
    int records; // -1: any number, as long as each is well formed
};

class HostileInput : public FaultTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(HostileInput, GeneratesACompleteBatchFileAndKeepsTheInput) {
    const InputCase& row = GetParam();
    const std::string input = m_dir.Path("punkty.txt");
    const std::string output = m_dir.Path("punkty.wsd");
    WriteBytes(input, row.bytes);

    const GenerationResult result = Generate(Request(input, output));

    ASSERT_EQ(result.outcome, GenerationOutcome::Generated) << result.error;
    ASSERT_EQ(result.feedback.messages.size(), 1U);
    const std::string bytes = ReadBytes(output);
    ExpectCompleteBatchFile(bytes, CountLines(input));
    long count = 0;
    for (std::size_t pos = bytes.find("\r\nABC;"); pos != std::string::npos;
         pos = bytes.find("\r\nABC;", pos + 2)) {
        ++count;
    }
    // The message reports what the file holds.
    EXPECT_EQ(test::WrittenCountOf(result.feedback.messages[0]), count);
    if (row.records >= 0) {
        EXPECT_EQ(count, row.records);
    }
    EXPECT_EQ(ReadBytes(input), row.bytes);
}

const InputCase kInputCases[] = {
    {"RandomBytes", RandomBytes(1 << 20, 5), -1},
    {"RandomPrintable",
     [] {
         std::string bytes = RandomBytes(1 << 18, 11);
         for (char& c : bytes) {
             c = " 0123456789,.\r\n\t;-eE"[static_cast<unsigned char>(c) % 21];
         }
         return bytes;
     }(),
     -1},
    // With its mark UTF-16 is decoded; without it every second byte is a NUL
    // and each line ends after its first character.
    {"Utf16Text", Utf16Le("101 5712345.12 6543210.50\r\n102 1 2\r\n"), 2},
    {"Utf16TextWithoutMark", Utf16Le("101 5712345.12 6543210.50\r\n102 1 2\r\n").substr(2), 0},
    {"OnlyCtrlZ", std::string(4096, '\x1A'), 0},
    {"OnlyNulBytes", std::string(1000, '\0'), 0},
    // A line that begins with a NUL is an empty line; reading goes on.
    {"NulLineThenPoints", "\0\r\n101 1 2\r\n\0\0\r\n102 3 4\r\n"s, 2},
    {"LoneCrOnly", std::string(3000, '\r'), 0},
};

INSTANTIATE_TEST_SUITE_P(Inputs, HostileInput, ::testing::ValuesIn(kInputCases), RowName);

TEST(HostileInputReader, NulBytesOnlyGiveOneEmptyLinePer128BytePiece) {
    const CTempDir dir;
    const std::string path = dir.Path("zera.txt");
    WriteBytes(path, std::string(1000, '\0'));
    CInputReader reader(path);
    ASSERT_TRUE(reader.IsOpen());
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line) && lines.size() < 2000) {
        lines.push_back(line);
    }
    EXPECT_EQ(lines, std::vector<std::string>(8, "")); // 1000 = 7 * 128 + 104
}

// One line of 50 MB: read whole, converted from its first 2047 bytes.
TEST_F(FaultTest, FiftyMegabyteLine) {
    constexpr std::size_t kLineLength = 50u << 20;
    const std::string input = m_dir.Path("dluga.txt");
    {
        std::ofstream out(input, std::ios::binary);
        out << "101 1 2 ";
        const std::string block(1 << 20, '7');
        for (std::size_t written = 8; written < kLineLength; written += block.size()) {
            out.write(block.data(),
                      static_cast<std::streamsize>(std::min(block.size(), kLineLength - written)));
        }
        out << "\r\n102 3 4";
    }
    {
        CInputReader reader(input);
        ASSERT_TRUE(reader.IsOpen());
        std::string line;
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line.size(), kLineLength);
        EXPECT_EQ(line.substr(0, 9), "101 1 2 7");
        EXPECT_EQ(line.find_first_not_of('7', 8), std::string::npos);
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, "102 3 4");
        EXPECT_FALSE(reader.ReadLine(line));
    }
    const std::string output = m_dir.Path("dluga.wsd");
    const GenerationResult result = Generate(Request(input, output));
    ASSERT_EQ(result.outcome, GenerationOutcome::Generated) << result.error;
    EXPECT_EQ(ReadBytes(output),
              BatchFile({"ABC;101;1.000000;2.000000", "ABC;102;3.000000;4.000000"}));
    EXPECT_EQ(std::filesystem::file_size(input), kLineLength + 2 + 7);
}

// ---------------------------------------------------------------------------
// Large and odd point-code lists.

TEST(LargeCodeList, HundredThousandEntries) {
    std::string list;
    for (int i = 0; i < 100000; ++i) {
        const std::string number = std::to_string(100000 + i).substr(1);
        list += "k" + number + ", Opis " + number + "\r\n";
    }
    const CProgramList programList(list);
    const CCatalogue catalogue(programList.Path());
    ASSERT_EQ(catalogue.GetCodeCount(), 100000);
    EXPECT_EQ(catalogue.GetCode(0), "K00000");
    EXPECT_EQ(catalogue.GetCode(99999), "K99999");
    EXPECT_EQ(catalogue.GetDescription(99999), "Opis 99999");
    EXPECT_THROW(catalogue.GetCode(100000), InvalidArgumentError);

    // The writer reads the list again and picks the last entry.
    const CTempDir dir;
    const std::string input = dir.Path("punkty.txt");
    WriteBytes(input, "101 1 2\r\n");
    GenerationRequest request = Request(input, dir.Path("punkty.wsd"));
    request.codeIndex = 99999;
    request.codeText = "K99999";
    const GenerationResult result = Generate(request);
    ASSERT_EQ(result.outcome, GenerationOutcome::Generated) << result.error;
    EXPECT_EQ(ReadBytes(request.outputPath),
              "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n# \r\n"
              "#Opis 99999=_code.n;_number;_X;_Y\r\nK99999;101;1.000000;2.000000\r\n#KONIEC\r\n");
}

struct LongLineCase {
    const char* name;
    std::string firstPiece;  // 2047 bytes
    std::string secondPiece; // 953 bytes with the LF
    std::vector<std::pair<std::string, std::string>> entries;
};

class LongListLine : public ::testing::TestWithParam<LongLineCase> {};

// A line of 3000 bytes (with its LF) is read as a piece of 2047 bytes and one
// of 953, each handled as a line of its own.
TEST_P(LongListLine, IsHandledAsTwoPieces) {
    const LongLineCase& row = GetParam();
    ASSERT_EQ(row.firstPiece.size(), 2047u);
    ASSERT_EQ(row.secondPiece.size(), 953u);
    const CTempDir dir;
    const std::string path = dir.Path("lista.txt");
    WriteBytes(path, "A,pierwszy\r\n" + row.firstPiece + row.secondPiece.substr(0, 952) +
                         "\r\nZ,ostatni\r\n");
    const CCatalogue catalogue(path);

    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < catalogue.GetCodeCount(); ++i) {
        entries.emplace_back(catalogue.GetCode(i), catalogue.GetDescription(i));
    }
    std::vector<std::pair<std::string, std::string>> expected = {{"A", "pierwszy"}};
    expected.insert(expected.end(), row.entries.begin(), row.entries.end());
    expected.emplace_back("Z", "ostatni");
    EXPECT_EQ(entries, expected);
}

const LongLineCase kLongLineCases[] = {
    {"CommaInBothPieces",
     "k1," + std::string(2044, 'a'),
     "k2,opis" + std::string(945, 'b') + "\n",
     {{"K1", std::string(2044, 'a')}, {"K2", "opis" + std::string(945, 'b')}}},
    {"CommaInFirstPieceOnly",
     "k1," + std::string(2044, 'a'),
     std::string(952, 'b') + "\n",
     {{"K1", std::string(2044, 'a')}}},
    {"CommaInSecondPieceOnly",
     std::string(2047, 'x'),
     "k2, opis" + std::string(944, ' ') + "\n",
     {{"K2", "opis"}}},
    {"SecondPieceBeginsWithComma",
     "k1,opis" + std::string(2040, ' '),
     "," + std::string(951, 'c') + "\n",
     {{"K1", "opis"}}},
};

INSTANTIATE_TEST_SUITE_P(Lists, LongListLine, ::testing::ValuesIn(kLongLineCases), RowName);

} // namespace
} // namespace velmora
