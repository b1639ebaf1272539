// Number conversion of the batch file: expected texts and values are those
// of glibc's printf("%.*f") and strtod (after the decimal-comma rule), and
// must come out the same in the Windows builds.

#include "numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace velmora {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::bit_cast<double>(std::uint64_t{0x7FF8000000000000});
constexpr double kNegativeNan = std::bit_cast<double>(std::uint64_t{0xFFF8000000000000});

std::string Format(double value, int decimals) {
    char buffer[kMaxFixedLength];
    std::memset(buffer, '#', sizeof buffer);
    const char* end = FormatFixed(buffer, value, decimals);
    const auto length = static_cast<std::size_t>(end - buffer);
    EXPECT_LT(length, sizeof buffer);
    EXPECT_EQ(buffer[length], '#') << "nothing is written past the returned end";
    return std::string(buffer, length);
}

struct FormatCase {
    double value;
    int decimals;
    std::string_view expected;
};

class FormatFixedTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatFixedTest, PrintsAsGlibcDoes) {
    const FormatCase& c = GetParam();
    EXPECT_EQ(Format(c.value, c.decimals), c.expected)
        << "value " << std::bit_cast<std::uint64_t>(c.value) << " decimals " << c.decimals;
}

INSTANTIATE_TEST_SUITE_P(
    RecordValues, FormatFixedTest,
    ::testing::Values(FormatCase{5712345.12, 6, "5712345.120000"},
                      FormatCase{6543210.5, 6, "6543210.500000"}, FormatCase{102.3, 3, "102.300"},
                      FormatCase{-1234.5678, 3, "-1234.568"}, FormatCase{0.3, 6, "0.300000"},
                      FormatCase{2.0 / 3, 6, "0.666667"}, FormatCase{123.456, 9, "123.456000000"},
                      FormatCase{0.1, 9, "0.100000000"},
                      FormatCase{0.000123456789, 9, "0.000123457"}, FormatCase{0.1, 0, "0"},
                      FormatCase{1e15 + 0.3, 6, "1000000000000000.250000"},
                      FormatCase{1e22, 6, "10000000000000000000000.000000"},
                      FormatCase{0.0, 3, "0.000"}));

// Rounding works on the exact binary value, ties to even.
INSTANTIATE_TEST_SUITE_P(
    Rounding, FormatFixedTest,
    ::testing::Values(FormatCase{0.0625, 3, "0.062"}, // exact tie, down to even
                      FormatCase{0.0005, 3, "0.001"}, // slightly above 0.0005
                      FormatCase{0.0015, 3, "0.002"}, FormatCase{1.0005, 3, "1.000"},
                      FormatCase{2.675, 2, "2.67"}, // slightly below 2.675
                      FormatCase{2.5, 0, "2"}, FormatCase{3.5, 0, "4"}, FormatCase{0.5, 0, "0"},
                      FormatCase{1.5, 0, "2"},
                      FormatCase{4503599627370495.5, 0, "4503599627370496"},
                      FormatCase{9007199254740993.0, 1, "9007199254740992.0"},
                      FormatCase{9.9999995, 6, "9.999999"}, FormatCase{0.9999995, 6, "1.000000"},
                      FormatCase{999999.9999995, 6, "999999.999999"},
                      FormatCase{1.5e-6, 6, "0.000002"}, FormatCase{5e-7, 6, "0.000000"},
                      FormatCase{1e-7, 6, "0.000000"}));

// A negative value keeps its '-' even when it prints as zero.
INSTANTIATE_TEST_SUITE_P(Signs, FormatFixedTest,
                         ::testing::Values(FormatCase{-0.0, 6, "-0.000000"},
                                           FormatCase{-0.0001, 3, "-0.000"},
                                           FormatCase{-0.0005, 3, "-0.001"},
                                           FormatCase{-0.5, 0, "-0"},
                                           FormatCase{-5e-324, 6, "-0.000000"}));

INSTANTIATE_TEST_SUITE_P(
    Extremes, FormatFixedTest,
    ::testing::Values(
        FormatCase{5e-324, 6, "0.000000"}, FormatCase{DBL_MIN, 9, "0.000000000"},
        FormatCase{18446744073709549568.0, 3, "18446744073709549568.000"},
        FormatCase{18446744073709551616.0, 3, "18446744073709551616.000"},
        FormatCase{1e23, 3, "99999999999999991611392.000"},
        FormatCase{1e300, 3,
                   "100000000000000005250476025520442024870446858110815915491585411551180245798890"
                   "819578637137508044786404370444383288387817694252323536043057564479218478670698"
                   "284838720092657580373783023379478809005936895323497079994508111903896764088007"
                   "465274278014249457925878882005684283811566947219638686545940054016"
                   "0.000"},
        FormatCase{DBL_MAX, 0,
                   "179769313486231570814527423731704356798070567525844996598917476803157260780028"
                   "538760589558632766878171540458953514382464234321326889464182768467546703537516"
                   "986049910576551282076245490090389328944075868508455133942304583236903222948165"
                   "808559332123348274797826204144723168738177180919299881250404026184124858368"},
        FormatCase{kInf, 6, "inf"}, FormatCase{-kInf, 3, "-inf"}, FormatCase{kNan, 6, "nan"},
        FormatCase{kNegativeNan, 3, "-nan"}));

TEST(FormatFixedLimits, LongestTextFitsTheBuffer) {
    EXPECT_EQ(Format(-DBL_MAX, 9).size(), std::size_t{1 + 309 + 1 + 9});
}

TEST(FormatFixedLimits, DecimalsOutsideTheRangeAreClamped) {
    EXPECT_EQ(Format(1.25, -1), "1");
    EXPECT_EQ(Format(1.25, 12), "1.250000000");
}

struct ParseCase {
    std::string_view token;
    double expected;
};

class ParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

// Compared bit for bit: the sign of a zero and of a NaN matter.
TEST_P(ParseNumberTest, ConvertsAsGlibcStrtodDoes) {
    const ParseCase& c = GetParam();
    const double actual = ParseNumber(c.token);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(actual), std::bit_cast<std::uint64_t>(c.expected))
        << "\"" << c.token << "\" gives " << actual << ", expected " << c.expected;
}

INSTANTIATE_TEST_SUITE_P(DecimalComma, ParseNumberTest,
                         ::testing::Values(ParseCase{"5712345,12", 5712345.12},
                                           ParseCase{"12,5", 12.5}, ParseCase{"1,234,5", 1.234},
                                           ParseCase{"12.5m", 12.5}, ParseCase{"1.5,3", 1.5},
                                           ParseCase{",5", 0.5}, ParseCase{"-,5", -0.5},
                                           ParseCase{"1,5e2", 150.0}, ParseCase{"1e2,5", 100.0},
                                           ParseCase{"0x1,8p1", 3.0}, ParseCase{"a,5", 0.0}));

INSTANTIATE_TEST_SUITE_P(
    Syntax, ParseNumberTest,
    ::testing::Values(ParseCase{"m12", 0.0}, ParseCase{"", 0.0}, ParseCase{" \t\n\v\f\r42", 42.0},
                      ParseCase{"+7", 7.0}, ParseCase{"-7", -7.0}, ParseCase{"- 7", 0.0},
                      ParseCase{"--7", 0.0}, ParseCase{"-", 0.0}, ParseCase{"-abc", 0.0},
                      ParseCase{"-0", -0.0}, ParseCase{"-000.000", -0.0}, ParseCase{".5", 0.5},
                      ParseCase{"5.", 5.0}, ParseCase{".", 0.0}, ParseCase{"-.", 0.0},
                      ParseCase{".e1", 0.0}, ParseCase{"1e", 1.0}, ParseCase{"1e+", 1.0},
                      ParseCase{"1e-", 1.0}, ParseCase{"1ex", 1.0}, ParseCase{"1e5", 100000.0},
                      ParseCase{"1E-2", 0.01}, ParseCase{"2.5E+3x", 2500.0},
                      ParseCase{std::string_view("7\0"
                                                 "5",
                                                 3),
                                7.0},
                      ParseCase{"0.1", 0.1}, ParseCase{"6543210.50", 6543210.5}));

INSTANTIATE_TEST_SUITE_P(
    Hexadecimal, ParseNumberTest,
    ::testing::Values(ParseCase{"0x1.8p3", 12.0}, ParseCase{"0XAp-1", 5.0}, ParseCase{"0x", 0.0},
                      ParseCase{"-0x", -0.0}, ParseCase{"0xg", 0.0}, ParseCase{"0x.8", 0.5},
                      ParseCase{"0x.p1", 0.0}, ParseCase{"0x1p", 1.0},
                      ParseCase{"0x1p-1074", 5e-324}, ParseCase{"0x1p-1075", 0.0},
                      ParseCase{"0x1.8p-1074", 1e-323}, ParseCase{"0x1p1024", kInf},
                      ParseCase{"0x1.00000000000008p0", 1.0},
                      ParseCase{"0x1.000000000000080000000001p0", 1.0000000000000002},
                      ParseCase{"0x1.fffffffffffff8p1023", kInf}));

INSTANTIATE_TEST_SUITE_P(
    Words, ParseNumberTest,
    ::testing::Values(ParseCase{"inf", kInf}, ParseCase{"-Infinity", -kInf},
                      ParseCase{"INFINITE", kInf}, ParseCase{"in", 0.0}, ParseCase{"nan", kNan},
                      ParseCase{"-nan", kNegativeNan}, ParseCase{"NaN(", kNan},
                      // A payload is never printed ("%.6lf" gives "nan"), and none is kept.
                      ParseCase{"nan(123)", kNan}, ParseCase{"-nan(0x10)", kNegativeNan},
                      ParseCase{"nan(08)", kNan}, ParseCase{"nan(1,2)", kNan}));

// Out of range by their length: a hexadecimal digit weighs four bits, the
// zeros behind the point none.
const std::string kLongHex = "0x1" + std::string(399, '0') + "p-400";
const std::string kZerosBehindThePoint = "0." + std::string(1000, '0') + "1e5";
const std::string kZerosBehindThePointPlus = "0." + std::string(1000, '0') + "1e+5";

// Overflow, underflow and correct rounding of long digit strings.
INSTANTIATE_TEST_SUITE_P(
    Range, ParseNumberTest,
    ::testing::Values(
        ParseCase{"1e400", kInf}, ParseCase{"-1e400", -kInf}, ParseCase{"1e-400", 0.0},
        ParseCase{"-1e-400", -0.0}, ParseCase{"1e99999999999999999999999", kInf},
        ParseCase{"0e99999999999999999999999", 0.0}, ParseCase{"4.9406564584124654e-324", 5e-324},
        ParseCase{"2.4703282292062328e-324", 5e-324}, ParseCase{"2.4703282292062327e-324", 0.0},
        ParseCase{"2.2250738585072011e-308", 2.2250738585072009e-308},
        ParseCase{"1.7976931348623158e308", DBL_MAX}, ParseCase{"1.7976931348623159e308", kInf},
        ParseCase{"9007199254740993", 9007199254740992.0},
        ParseCase{"9007199254740993.0000000000000001", 9007199254740994.0},
        ParseCase{"123456789012345678901234567890", 1.2345678901234568e29},
        ParseCase{"0.000000000000000000000000000000000000001e39", 1.0},
        ParseCase{"100000000000000000000000000000000000000e-38", 1.0}, ParseCase{kLongHex, kInf},
        ParseCase{kZerosBehindThePoint, 0.0}, ParseCase{kZerosBehindThePointPlus, 0.0}));

TEST(ParseNumberLongDigits, RoundsHalfwayCasesOnTheLastDigit) {
    // 2^53 + 1 is halfway between 2^53 and 2^53 + 2: decided by digits far
    // beyond the 17th, here after 1000 zeros.
    const std::string zeros(1000, '0');
    EXPECT_EQ(ParseNumber("9007199254740993." + zeros), 9007199254740992.0);
    EXPECT_EQ(ParseNumber("9007199254740993," + zeros + "1"), 9007199254740994.0);
    EXPECT_EQ(ParseNumber("0." + zeros + "9007199254740993e1016"), 9007199254740992.0);
}

} // namespace
} // namespace velmora
