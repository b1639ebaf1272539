// The number columns of whole records against glibc: every token goes through
// CBatchWriter::WriteRecord (which copies plain decimal tokens digit for digit
// and converts all others) and must come out as snprintf("%.6f"/"%.3f") of
// strtod after the decimal-comma rule. Native builds only; the seed is fixed,
// VELMORA_NUMBERS_SEED=<n> picks another one.

#include "batch_writer.h"
#include "catalogue.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace velmora {
namespace {

std::uint64_t TestSeed() {
    if (const char* text = std::getenv("VELMORA_NUMBERS_SEED")) {
        return std::strtoull(text, nullptr, 10);
    }
    return 20261209;
}

// What the C library makes of a number column.
std::string WithPoint(const std::string& token) {
    std::string text = token;
    if (const std::size_t comma = text.find(','); comma != std::string::npos) {
        text[comma] = '.';
    }
    return text;
}

std::string Reference(const std::string& token, int decimals) {
    char buffer[400];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals,
                                     std::strtod(WithPoint(token).c_str(), nullptr));
    return std::string(buffer, static_cast<std::size_t>(length));
}

// A coordinate holds a number when strtod takes a character and the value is
// finite.
bool HoldsNumber(const std::string& token) {
    const std::string text = WithPoint(token);
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && std::isfinite(value);
}

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
    const std::uint64_t seed = TestSeed();
    // A folder of this run's own: builds may run their tests at the same time.
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() /
        ("velmora-record-numbers-" + std::to_string(std::random_device{}()) + "-" +
         std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    const std::string list = (dir / "codes.txt").string();
    std::ofstream(list, std::ios::binary) << "ABC,Punkt graniczny\r\n";
    const std::string output = (dir / "out.wsd").string();

    // Layout 11 "Numer X Y H" with the space separator: two six-decimal
    // columns and one three-decimal column per record.
    constexpr int kLines = 100000;
    TokenMaker maker(seed);
    std::vector<std::string> expected;
    expected.reserve(kLines);
    {
        CBatchWriter writer(CCatalogue(list), output, 11, 3, 0, "ABC", "", "");
        ASSERT_TRUE(writer.IsOpen());
        for (int i = 0; i < kLines; ++i) {
            const std::string x = maker.Next();
            const std::string y = maker.Next();
            const std::string h = maker.Next();
            if (x.find(' ') != std::string::npos || y.find(' ') != std::string::npos ||
                h.find(' ') != std::string::npos) {
                continue; // a blank would split the column
            }
            const RecordResult result = writer.WriteRecord("P " + x + " " + y + " " + h);
            if (!HoldsNumber(x) || !HoldsNumber(y)) {
                EXPECT_EQ(result, RecordResult::Skipped) << x << " " << y;
                continue;
            }
            expected.push_back("ABC;P;" + Reference(x, 6) + ";" + Reference(y, 6) + ";" +
                               Reference(h, 3) + "\t" + x + " " + y + " " + h);
        }
        writer.Finish();
    }

    std::ifstream file(output, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    std::filesystem::remove_all(dir);
    std::vector<std::string> records;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        records.push_back(bytes.substr(start, end - start));
    }
    ASSERT_EQ(records.size(), expected.size() + 4) << "three header lines and #KONIEC expected";
    int differences = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::size_t tab = expected[i].find('\t');
        if (records[i + 3] != expected[i].substr(0, tab) && ++differences <= 20) {
            ADD_FAILURE() << "tokens \"" << expected[i].substr(tab + 1) << "\" give \""
                          << records[i + 3] << "\", glibc \"" << expected[i].substr(0, tab)
                          << "\" (seed " << seed << ")";
        }
    }
    EXPECT_EQ(differences, 0) << "of " << expected.size() << " records";
}

} // namespace
} // namespace velmora
