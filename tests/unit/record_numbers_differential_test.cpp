// The number columns of whole records against glibc: every token goes through
// CBatchWriter::WriteRecord (which copies plain decimal tokens digit for digit
// and converts all others) and must come out as snprintf("%.6f"/"%.3f") of
// strtod after the decimal-comma rule (glibc_reference.h; the Windows builds
// ask glibc afterwards). The seed is fixed, VELMORA_NUMBERS_SEED=<n> picks
// another one.

#include "batch_writer.h"
#include "catalogue.h"
#include "glibc_reference.h"
#include "test_files.h"
#include "writer_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace velmora {
namespace {

// Tokens of every shape near the plain decimals: signs, leading zeros, integer
// parts on both sides of the digit counts that are copied (9 for six decimals,
// 12 for three), fractions longer than the column's decimals, both marks, and
// endings that make the token something else (exponent, hexadecimal, text).
class TokenMaker {
public:
    explicit TokenMaker(std::uint64_t seed) : m_random(seed) {}

    std::string Next() {
        static const char* const kSpecial[] = {"0",  "-0", "+0", ".",   "-",    "+",     ",",
                                               "5.", ".5", ",5", "-.5", "-,0",  "00",    "-000,000",
                                               "0x", "1e", "e5", "inf", "-nan", "1,2,3", "1.2,3"};
        if (Below(20) == 0) {
            return kSpecial[Below(std::size(kSpecial))];
        }
        std::string token;
        switch (Below(8)) {
        case 0:
            token += '-';
            break;
        case 1:
            token += '+';
            break;
        default:
            break;
        }
        for (std::uint64_t zeros = Below(6) == 0 ? 1 + Below(3) : 0; zeros > 0; --zeros) {
            token += '0';
        }
        AppendDigits(token, Below(16));
        const std::uint64_t mark = Below(10);
        if (mark < 6) {
            token += '.';
        } else if (mark < 9) {
            token += ',';
        }
        if (mark < 9) {
            AppendDigits(token, Below(10));
        }
        // "\xFF\x39" is 0xFF followed by a 9: a byte whose +6 carries.
        static const char* const kEndings[] = {"e5", "E-3", "x",    "m",       ".5",
                                               ",5", " ",   "\xB3", "\xFF\x39"};
        if (Below(25) == 0) {
            token += kEndings[Below(std::size(kEndings))];
        }
        return token.empty() ? "7" : token;
    }

private:
    std::uint64_t Below(std::uint64_t bound) { return m_random() % bound; }
    void AppendDigits(std::string& token, std::uint64_t count) {
        for (; count > 0; --count) {
            token += static_cast<char>('0' + Below(10));
        }
    }

    std::mt19937_64 m_random;
};

TEST(RecordNumbersDifferential, NumberColumnsMatchGlibcForEveryTokenShape) {
    const std::uint64_t seed = glibc::TestSeed();
    const test::CTempDir dir;
    const std::string list = dir.Path("codes.txt");
    test::WriteBytes(list, "ABC,Punkt graniczny\r\n");
    const std::string output = dir.Path("out.wsd");

    // Layout 11 "Numer X Y H" with the space separator: two six-decimal
    // columns and one three-decimal column per record.
    struct Line {
        std::string x, y, h;
        bool written;
    };
    TokenMaker maker(seed);
    std::vector<Line> lines;
    {
        CBatchWriter writer(CCatalogue(list), output, 11, 3, 0, "ABC", "", "");
        ASSERT_TRUE(writer.IsOpen());
        for (int i = 0; i < glibc::Cases(100000); ++i) {
            Line line{maker.Next(), maker.Next(), maker.Next(), false};
            if ((line.x + line.y + line.h).find(' ') != std::string::npos) {
                continue; // a blank would split the column
            }
            line.written = writer.WriteRecord("P " + line.x + " " + line.y + " " + line.h) ==
                           RecordResult::Written;
            lines.push_back(std::move(line));
        }
        writer.Finish();
    }

    const std::vector<std::string> records = test::SplitCrLf(test::ReadBytes(output));
    const auto written =
        std::count_if(lines.begin(), lines.end(), [](const Line& line) { return line.written; });
    ASSERT_EQ(records.size(), static_cast<std::size_t>(written) + 4)
        << "three header lines and #KONIEC expected";
    int differences = 0;
    std::size_t next = 3;
    for (const Line& line : lines) {
        const std::string ours = line.written ? records[next++] : "";
        if (const auto expected = glibc::CheckRecord(line.x, line.y, line.h, ours);
            expected && ++differences <= 20) {
            ADD_FAILURE() << "tokens \"" << line.x << " " << line.y << " " << line.h << "\" give \""
                          << ours << "\", glibc \"" << *expected << "\" (seed " << seed << ")";
        }
    }
    EXPECT_EQ(differences, 0) << "of " << lines.size() << " lines";
}

} // namespace
} // namespace velmora
