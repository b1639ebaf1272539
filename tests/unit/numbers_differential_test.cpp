// Compares the number conversion with glibc on many random and adversarial
// values: FormatFixed with snprintf("%.*f"), ParseNumber with strtod after the
// decimal-comma rule (glibc_reference.h; the Windows builds ask glibc
// afterwards). The seed is fixed so that runs are reproducible;
// VELMORA_NUMBERS_SEED=<n> picks another one.

#include "glibc_reference.h"
#include "numbers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>

namespace velmora {
namespace {

// Runs the comparisons, reports the first differences and their count.
class Comparison {
public:
    explicit Comparison(std::uint64_t seed) : m_seed(seed) {}

    void Format(double value, int decimals) {
        char actual[kMaxFixedLength];
        const char* end = FormatFixed(actual, value, decimals);
        const std::string_view ours(actual, static_cast<std::size_t>(end - actual));
        ++m_checked;
        if (const auto expected = glibc::CheckFormat(value, decimals, ours);
            expected && ++m_differences <= kReported) {
            ADD_FAILURE() << "FormatFixed(" << glibc::Describe(value) << ", " << decimals
                          << ") gives \"" << ours << "\", glibc \"" << *expected << "\" (seed "
                          << m_seed << ")";
        }
    }

    // The two precisions of the batch file.
    void Format(double value) {
        Format(value, 6);
        Format(value, 3);
    }

    void Parse(const std::string& token) {
        const double actual = ParseNumber(token);
        ++m_checked;
        if (const auto expected = glibc::CheckParse(token, actual);
            expected && ++m_differences <= kReported) {
            ADD_FAILURE() << "ParseNumber(\"" << token << "\") gives " << glibc::Describe(actual)
                          << ", glibc " << *expected << " (seed " << m_seed << ")";
        }
    }

    long Checked() const { return m_checked; }
    long Differences() const { return m_differences; }

private:
    static constexpr long kReported = 20;
    std::uint64_t m_seed;
    long m_checked = 0;
    long m_differences = 0;
};

class NumbersDifferentialTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(m_compare.Differences(), 0)
            << m_compare.Differences() << " of " << m_compare.Checked()
            << " comparisons differ (seed " << m_seed << ")";
    }

    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(m_random);
    }
    std::uint64_t Below(std::uint64_t bound) {
        return std::uniform_int_distribution<std::uint64_t>(0, bound - 1)(m_random);
    }
    bool Chance(unsigned percent) { return Below(100) < percent; }

    std::uint64_t m_seed = glibc::TestSeed();
    std::mt19937_64 m_random{m_seed};
    Comparison m_compare{m_seed};
};

// ---------------------------------------------------------------------------
// FormatFixed
// ---------------------------------------------------------------------------

TEST_F(NumbersDifferentialTest, FormatsRandomBitPatternsLikeGlibc) {
    for (int i = 0; i < glibc::Cases(60000); ++i) {
        const double value = std::bit_cast<double>(m_random());
        m_compare.Format(value);
        m_compare.Format(value, static_cast<int>(Below(10)));
    }
}

TEST_F(NumbersDifferentialTest, FormatsCommonMagnitudesLikeGlibc) {
    // Random bit patterns mostly miss the range of real data: there the
    // exponent is drawn so that |value| lies between 2^-40 and 2^70.
    for (int i = 0; i < glibc::Cases(150000); ++i) {
        const auto mantissa = m_random() & ((std::uint64_t{1} << 52) - 1);
        const auto exponent = static_cast<std::uint64_t>(1023 - 40 + Below(110));
        const double value =
            std::bit_cast<double>((exponent << 52) | mantissa | (m_random() & (1ULL << 63)));
        m_compare.Format(value);
        m_compare.Format(value, static_cast<int>(Below(10)));
    }
}

TEST_F(NumbersDifferentialTest, FormatsCoordinatesAndShortDecimalsLikeGlibc) {
    for (int i = 0; i < glibc::Cases(100000); ++i) {
        // X and Y of the national grid, two decimals, as read from a file.
        const auto cents = 570000000 + Below(90000000);
        m_compare.Format(static_cast<double>(cents) / 100.0);
        // Heights and attributes: a few decimals, either sign.
        const double scale = std::pow(10.0, static_cast<double>(Below(10)));
        const double value = static_cast<double>(Below(100000000)) / scale;
        m_compare.Format(Chance(50) ? -value : value);
    }
}

TEST_F(NumbersDifferentialTest, FormatsExactAndNearTiesLikeGlibc) {
    // value * 10^d lies exactly halfway between two integers exactly when value
    // is an odd multiple of 2^-(d+1); check those and their neighbours.
    for (int i = 0; i < glibc::Cases(30000); ++i) {
        for (const int decimals : {0, 3, 6, 9}) {
            const double unit = std::ldexp(1.0, -(decimals + 1));
            const double whole = static_cast<double>(Below(std::uint64_t{1} << Below(44)));
            const double odd =
                static_cast<double>(2 * Below(std::uint64_t{1} << (decimals + 1)) + 1);
            const double tie = whole + odd * unit;
            for (const double value : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e300)}) {
                m_compare.Format(value, decimals);
                m_compare.Format(-value, decimals);
            }
        }
    }
}

TEST_F(NumbersDifferentialTest, FormatsValuesNearPowersOfTenLikeGlibc) {
    for (int power = -330; power <= 308; ++power) {
        const double base = std::pow(10.0, static_cast<double>(power));
        for (const double center : {base, base * 0.5, base * 0.9999995, base * 0.9999999995}) {
            double value = center;
            for (int step = 0; step < 4; ++step) {
                value = std::nextafter(value, 0.0);
            }
            for (int step = 0; step < 8; ++step) {
                for (int decimals = 0; decimals <= 9; ++decimals) {
                    m_compare.Format(value, decimals);
                }
                value = std::nextafter(value, HUGE_VAL);
            }
        }
    }
    // Carries through every digit: 9.9999995, 99.9995, 0.9999999995, ...
    for (int digits = 1; digits <= 18; ++digits) {
        for (int decimals = 0; decimals <= 9; ++decimals) {
            const double nines = std::pow(10.0, digits) - 0.5 * std::pow(10.0, -decimals);
            for (const double value : {nines, std::nextafter(nines, 0.0),
                                       std::nextafter(nines, HUGE_VAL), nines / 1e9}) {
                m_compare.Format(value, decimals);
            }
        }
    }
}

TEST_F(NumbersDifferentialTest, FormatsHugeTinyAndSubnormalValuesLikeGlibc) {
    for (int i = 0; i < glibc::Cases(30000); ++i) {
        // Subnormals, the smallest normals, and magnitudes above 2^64 that
        // take the long way.
        m_compare.Format(std::bit_cast<double>(m_random() & ((std::uint64_t{1} << 52) - 1)));
        const auto tinyExponent = static_cast<std::uint64_t>(1 + Below(60));
        m_compare.Format(std::bit_cast<double>((tinyExponent << 52) | (m_random() >> 12)));
        const auto hugeExponent = static_cast<std::uint64_t>(1023 + 60 + Below(965));
        m_compare.Format(std::bit_cast<double>((hugeExponent << 52) | (m_random() >> 12)),
                         static_cast<int>(Below(10)));
    }
    for (const double value :
         {0.0, -0.0, DBL_MIN, DBL_TRUE_MIN, DBL_MAX, -DBL_MAX, HUGE_VAL, -HUGE_VAL, std::nan(""),
          -std::nan(""), 18446744073709551616.0, 18446744073709549568.0, 9007199254740993.0}) {
        for (int decimals = 0; decimals <= 9; ++decimals) {
            m_compare.Format(value, decimals);
        }
    }
}

// ---------------------------------------------------------------------------
// ParseNumber
// ---------------------------------------------------------------------------

TEST_F(NumbersDifferentialTest, ParsesRandomCharacterSoupLikeGlibc) {
    static constexpr std::string_view kAlphabet = "0123456789012345678901234567890123456789"
                                                  "..,,,eeEE++--  \t\n\v\f\rxXpPabcdefABCDEF"
                                                  "iInNfFtTyY()_z;\x01\xff";
    for (int i = 0; i < glibc::Cases(200000); ++i) {
        std::string token;
        const auto length = Below(24);
        for (std::uint64_t k = 0; k < length; ++k) {
            token += kAlphabet[Below(kAlphabet.size())];
        }
        m_compare.Parse(token);
    }
}

TEST_F(NumbersDifferentialTest, ParsesNumberShapedTextLikeGlibc) {
    const auto digits = [this](std::uint64_t count) {
        std::string text;
        for (std::uint64_t k = 0; k < count; ++k) {
            text += static_cast<char>('0' + (Chance(20) ? 0 : Below(10)));
        }
        return text;
    };
    for (int i = 0; i < glibc::Cases(200000); ++i) {
        std::string token;
        if (Chance(10)) {
            token += " \t\n\v\f\r"[Below(6)];
        }
        if (Chance(30)) {
            token += "+-"[Below(2)];
        }
        // Mostly short runs, sometimes long ones.
        const auto runLength = [this] { return Chance(3) ? Below(900) : Below(12); };
        token += digits(runLength());
        if (Chance(70)) {
            token += ".,"[Below(2)];
            token += digits(runLength());
        }
        if (Chance(40)) {
            token += "eE"[Below(2)];
            if (Chance(50)) {
                token += "+-"[Below(2)];
            }
            token += digits(Chance(5) ? Below(25) : Below(4));
        }
        if (Chance(20)) {
            token += ",.xe;m"[Below(6)];
            token += digits(Below(4));
        }
        m_compare.Parse(token);
    }
}

TEST_F(NumbersDifferentialTest, ParsesFewDigitsAmongManyZerosLikeGlibc) {
    // Up to 19 significant digits padded with zeros on both sides and a point
    // anywhere: long tokens whose value is still a small integer times a
    // power of ten.
    for (int i = 0; i < glibc::Cases(100000); ++i) {
        std::string digits(Below(30), '0');
        const auto significant = 1 + Below(19);
        for (std::uint64_t k = 0; k < significant; ++k) {
            digits += static_cast<char>('0' + Below(10));
        }
        digits.append(Below(30), '0');
        if (Chance(70)) {
            digits.insert(Below(digits.size() + 1), 1, ".,"[Below(2)]);
        }
        if (Chance(60)) {
            digits += 'e' + std::to_string(static_cast<int>(Below(80)) - 40);
        }
        m_compare.Parse(digits);
    }
}

TEST_F(NumbersDifferentialTest, ParsesPrintedDoublesAndCoordinatesLikeGlibc) {
    for (int i = 0; i < glibc::Cases(100000); ++i) {
        const auto cents = 570000000 + Below(90000000);
        std::string token = std::to_string(cents / 100) + (Chance(50) ? "," : ".") +
                            std::to_string(100 + cents % 100).substr(1);
        m_compare.Parse(token);

        const double value = std::bit_cast<double>(m_random());
        static constexpr const char* kFormats[] = {"%.17g", "%.15g", "%.16e", "%.25g", "%a", "%g"};
        char buffer[80];
        std::snprintf(buffer, sizeof buffer, kFormats[Below(6)], value);
        token = buffer;
        if (const auto point = token.find('.'); point != std::string::npos && Chance(50)) {
            token[point] = ',';
        }
        m_compare.Parse(token);
    }
}

TEST_F(NumbersDifferentialTest, ParsesHalfwayPointsBetweenDoublesLikeGlibc) {
    // The exact decimal expansion of the midpoint of two neighbouring doubles
    // (held exactly in long double), and the same cut short or extended by a
    // trailing 1: the hardest cases for correct rounding.
    for (int i = 0; i < glibc::Cases(10000); ++i) {
        auto bits = m_random() >> 1;
        if (Chance(30)) {
            bits &= (std::uint64_t{1} << 54) - 1; // subnormal and near-subnormal range
        }
        const double low = std::bit_cast<double>(bits);
        const double high = std::nextafter(low, HUGE_VAL);
        if (!std::isfinite(high)) {
            continue;
        }
        const long double middle =
            (static_cast<long double>(low) + static_cast<long double>(high)) / 2;
        static char buffer[1200];
        std::snprintf(buffer, sizeof buffer, "%.800Le", middle);
        std::string exact = buffer;
        const auto exponent = exact.find('e');
        std::string mantissa = exact.substr(0, exponent);
        const std::string tail = exact.substr(exponent);
        while (mantissa.back() == '0') {
            mantissa.pop_back();
        }
        const auto withTail = [&tail](std::string text) { return text.append(tail); };
        m_compare.Parse(withTail(mantissa));
        m_compare.Parse(withTail(mantissa + '1'));
        if (mantissa.size() > 3) {
            m_compare.Parse(withTail(mantissa.substr(0, mantissa.size() - 1)));
        }
        std::string comma = withTail(mantissa + "0000001");
        comma[comma.find('.')] = ',';
        m_compare.Parse(comma);
    }
}

TEST_F(NumbersDifferentialTest, ParsesMantissasOfMoreThan800DigitsLikeGlibc) {
    // A few significant digits, zeros up to and past the 800th digit, and a
    // nonzero digit far behind: that digit may only count as "a little more",
    // never move up to a higher place.
    m_compare.Parse("59000000000000000000000000000," + std::string(1000, '0') + "2");
    m_compare.Parse("1" + std::string(20, '0') + "." + std::string(1000, '0') + "1");
    for (int i = 0; i < glibc::Cases(20000); ++i) {
        std::string digits(Chance(20) ? Below(5) : 0, '0');
        digits += static_cast<char>('1' + Below(9));
        for (auto count = Below(20); count > 0; --count) {
            digits += static_cast<char>('0' + Below(10));
        }
        digits.append(700 + Below(400) - std::min<std::uint64_t>(digits.size(), 700), '0');
        digits += static_cast<char>('1' + Below(9));
        if (Chance(30)) {
            digits.append(Below(300), '0');
            digits += static_cast<char>('1' + Below(9));
        }
        if (Chance(70)) {
            digits.insert(Below(digits.size() + 1), 1, ".,"[Below(2)]);
        }
        if (Chance(50)) {
            digits += "eE"[Below(2)] + std::to_string(static_cast<int>(Below(1400)) - 1100);
        }
        m_compare.Parse(Chance(20) ? "-" + digits : digits);
    }
}

TEST_F(NumbersDifferentialTest, ParsesHexadecimalAndWordsLikeGlibc) {
    static constexpr std::string_view kHex = "0123456789abcdefABCDEF000";
    for (int i = 0; i < glibc::Cases(100000); ++i) {
        std::string token = Chance(30) ? "-" : "";
        token += Chance(50) ? "0x" : "0X";
        for (auto count = Chance(10) ? Below(40) : Below(8); count > 0; --count) {
            token += kHex[Below(kHex.size())];
        }
        if (Chance(60)) {
            token += ".,"[Below(2)];
            for (auto count = Chance(10) ? Below(40) : Below(8); count > 0; --count) {
                token += kHex[Below(kHex.size())];
            }
        }
        if (Chance(70)) {
            token += "pP"[Below(2)];
            if (Chance(60)) {
                token += "+-"[Below(2)];
            }
            token += std::to_string(Chance(50) ? Below(1100) : Below(20));
        }
        m_compare.Parse(token);
    }
    static constexpr const char* kWords[] = {"inf",
                                             "INF",
                                             "Infinity",
                                             "infinit",
                                             "iNfInItY",
                                             "in",
                                             "nan",
                                             "NaN",
                                             "nan()",
                                             "nan(",
                                             "nan(1",
                                             "nan(123)",
                                             "nan(0x7)",
                                             "nan(0x)",
                                             "nan(017)",
                                             "nan(08)",
                                             "nan(_a)",
                                             "nan(ab_1)",
                                             "nan(1,2)",
                                             "nan(99999999999999999999999)",
                                             "na",
                                             "nanx",
                                             "nan(0xfffffffffffff)"};
    for (const char* word : kWords) {
        for (const char* prefix : {"", "-", "+", "  -", "\t+"}) {
            std::string token = prefix;
            token += word;
            m_compare.Parse(token);
            token += '5';
            m_compare.Parse(token);
        }
    }
}

} // namespace
} // namespace velmora
