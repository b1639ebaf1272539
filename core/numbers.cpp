#include "numbers.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

#if defined(_MSC_VER) && defined(_M_X64)
#include <intrin.h>
#endif

namespace velmora {

namespace {

// ---------------------------------------------------------------------------
// Exact integer helpers
// ---------------------------------------------------------------------------

// An unsigned 128-bit integer as two halves; __int128 is missing on 32-bit
// targets and under MSVC, and the little we need is easy to spell out.
// VELMORA_NO_INT128 takes the 32-bit targets' path on a 64-bit host too, so
// that native tests check it.
struct U128 {
    std::uint64_t hi;
    std::uint64_t lo;
};

U128 Multiply64(std::uint64_t a, std::uint64_t b) {
#if defined(__SIZEOF_INT128__) && !defined(VELMORA_NO_INT128)
    __extension__ using UInt128 = unsigned __int128;
    const UInt128 p = static_cast<UInt128>(a) * b;
    return {static_cast<std::uint64_t>(p >> 64), static_cast<std::uint64_t>(p)};
#elif defined(_MSC_VER) && defined(_M_X64)
    std::uint64_t hi = 0;
    const std::uint64_t lo = _umul128(a, b, &hi);
    return {hi, lo};
#else
    const std::uint64_t a0 = a & 0xFFFFFFFFu;
    const std::uint64_t a1 = a >> 32;
    const std::uint64_t b0 = b & 0xFFFFFFFFu;
    const std::uint64_t b1 = b >> 32;
    const std::uint64_t p00 = a0 * b0;
    const std::uint64_t p01 = a0 * b1;
    const std::uint64_t p10 = a1 * b0;
    const std::uint64_t p11 = a1 * b1;
    const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & 0xFFFFFFFFu)};
#endif
}

// a * b for b below 2^32: two 64-bit products, cheap on every target.
U128 Multiply64By32(std::uint64_t a, std::uint32_t b) {
    const std::uint64_t low = (a & 0xFFFFFFFFu) * b;
    const std::uint64_t high = (a >> 32) * b + (low >> 32);
    return {high >> 32, (high << 32) | (low & 0xFFFFFFFFu)};
}

// Bit `index` (0..127) of v.
bool TestBit(const U128& v, int index) {
    return index < 64 ? ((v.lo >> index) & 1u) != 0 : ((v.hi >> (index - 64)) & 1u) != 0;
}

// Whether any of the lowest `count` (0..128) bits of v is set.
bool AnyLowBits(const U128& v, int count) {
    if (count <= 0) {
        return false;
    }
    if (count < 64) {
        return (v.lo & ((std::uint64_t{1} << count) - 1)) != 0;
    }
    if (v.lo != 0) {
        return true;
    }
    if (count >= 128) {
        return v.hi != 0;
    }
    return count > 64 && (v.hi & ((std::uint64_t{1} << (count - 64)) - 1)) != 0;
}

// v >> shift for shift 0..127, known to fit in 64 bits.
std::uint64_t ShiftRightTo64(const U128& v, int shift) {
    if (shift == 0) {
        return v.lo;
    }
    if (shift < 64) {
        return (v.lo >> shift) | (v.hi << (64 - shift));
    }
    return v.hi >> (shift - 64);
}

// base^0 .. base^(Count-1).
template <std::uint64_t Base, std::size_t Count>
constexpr std::array<std::uint64_t, Count> Powers() {
    std::array<std::uint64_t, Count> table{};
    std::uint64_t p = 1;
    for (auto& entry : table) {
        entry = p;
        p *= Base;
    }
    return table;
}

// 10^0 .. 10^19, all that fit in 64 bits.
constexpr auto kPow10U64 = Powers<10, 20>();

// Bits needed for 10^0 .. 10^9.
constexpr int kPow10Bits[] = {1, 4, 7, 10, 14, 17, 20, 24, 27, 30};

// 5^0 .. 5^27, all below 2^63.
constexpr auto kPow5 = Powers<5, 28>();

// ---------------------------------------------------------------------------
// Building a double from its exact binary value
// ---------------------------------------------------------------------------

constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kInfinityBits = 0x7FF0000000000000u;
constexpr std::uint64_t kQuietNanBits = 0x7FF8000000000000u;
constexpr std::uint64_t kNanPayloadMask = (std::uint64_t{1} << 51) - 1;

double WithSign(double magnitude, bool negative) {
    return negative ? -magnitude : magnitude;
}

double SignedZero(bool negative) {
    return negative ? -0.0 : 0.0;
}

double SignedInfinity(bool negative) {
    return std::bit_cast<double>(kInfinityBits | (negative ? kSignBit : 0));
}

// The double nearest to m * 2^e2 (+ a little more when `sticky`: some nonzero
// bits below m were dropped), ties to even; m is not zero. Overflow gives
// infinity, underflow a correctly rounded subnormal or zero.
double ComposeBinary(std::uint64_t m, bool sticky, std::int64_t e2) {
    const int leading = std::countl_zero(m);
    m <<= leading;
    e2 -= leading;
    // Now m has its top bit set and the value lies in [2^top, 2^(top + 1)).
    const std::int64_t top = e2 + 63;
    if (top > 1023) {
        return std::bit_cast<double>(kInfinityBits);
    }
    // Bits of m that do not fit: 11 for a normal number, more below 2^-1022.
    const std::int64_t dropped = top >= -1022 ? 11 : 11 + (-1022 - top);
    if (dropped > 64) {
        return 0.0; // below half the smallest subnormal
    }
    std::uint64_t mantissa = 0;
    bool roundBit = false;
    bool restNonZero = sticky;
    if (dropped == 64) {
        roundBit = (m >> 63) != 0;
        restNonZero = restNonZero || (m << 1) != 0;
    } else {
        mantissa = m >> dropped;
        roundBit = ((m >> (dropped - 1)) & 1u) != 0;
        restNonZero = restNonZero || (m & ((std::uint64_t{1} << (dropped - 1)) - 1)) != 0;
    }
    if (roundBit && (restNonZero || (mantissa & 1u) != 0)) {
        ++mantissa;
    }
    if (top < -1022) {
        // Subnormal; a carry into bit 52 correctly yields the smallest normal.
        return std::bit_cast<double>(mantissa);
    }
    std::int64_t biased = top + 1023;
    if (mantissa >> 53 != 0) {
        mantissa >>= 1;
        ++biased;
        if (biased >= 2047) {
            return std::bit_cast<double>(kInfinityBits);
        }
    }
    return std::bit_cast<double>((static_cast<std::uint64_t>(biased) << 52) |
                                 (mantissa & ((std::uint64_t{1} << 52) - 1)));
}

// m * 10^e exactly rounded, for e in 0..27: m * 5^e fits in 128 bits.
double ScaleUpExact(std::uint64_t m, int e) {
    const U128 p = Multiply64(m, kPow5[e]);
    if (p.hi == 0) {
        return ComposeBinary(p.lo, false, e);
    }
    const int leading = std::countl_zero(p.hi);
    const std::uint64_t top = leading == 0 ? p.hi : (p.hi << leading) | (p.lo >> (64 - leading));
    const bool sticky = (p.lo << leading) != 0;
    return ComposeBinary(top, sticky, std::int64_t{e} + 64 - leading);
}

constexpr double kPow10Double[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// m / 10^k for m below 2^53 and k in 1..22: both operands are exact doubles,
// so one IEEE division is correctly rounded. With x87 arithmetic (32-bit
// x86 with GCC) the quotient is first rounded to 64 bits and then to 53, which
// goes wrong only when the 64-bit quotient lies exactly halfway between two
// doubles; that case is reported as not handled.
bool TryDivideExact(std::uint64_t m, int k, double& result) {
#if defined(__FLT_EVAL_METHOD__) && __FLT_EVAL_METHOD__ != 0
    static_assert(std::numeric_limits<long double>::digits == 64, "x87 extended precision");
    const long double q = static_cast<long double>(m) / static_cast<long double>(kPow10Double[k]);
    std::uint64_t significand = 0;
    std::memcpy(&significand, &q, sizeof significand);
    if ((significand & 0x7FF) == 0x400) {
        return false;
    }
    result = static_cast<double>(q);
    return true;
#else
    result = static_cast<double>(m) / kPow10Double[k];
    return true;
#endif
}

// m * 10^e for nonzero m when it can be done exactly without big numbers:
// e from 0 up (as long as m * 10^(e - 27) fits in 64 bits) by integer
// arithmetic, e from -22 to -1 by one division.
bool TryScaleExact(std::uint64_t m, std::int64_t e, double& result) {
    if (e >= 0) {
        for (; e > 27; --e) {
            if (m > std::numeric_limits<std::uint64_t>::max() / 10) {
                return false;
            }
            m *= 10;
        }
        result = ScaleUpExact(m, static_cast<int>(e));
        return true;
    }
    return e >= -22 && m <= (std::uint64_t{1} << 53) &&
           TryDivideExact(m, static_cast<int>(-e), result);
}

// ---------------------------------------------------------------------------
// Parsing
// ---------------------------------------------------------------------------

constexpr bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

constexpr int HexDigitValue(char c) {
    if (IsDigit(c)) {
        return c - '0';
    }
    const char lower = static_cast<char>(c | 0x20);
    if (lower >= 'a' && lower <= 'f') {
        return lower - 'a' + 10;
    }
    return -1;
}

constexpr bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr char ToLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// Exponents are accumulated up to this bound; beyond it every value has long
// overflowed or underflowed.
constexpr std::int64_t kExponentLimit = 1'000'000'000'000;

// Significant decimal digits handed on exactly: a double's halfway points
// have at most 767, so the digits after these only matter as "nonzero".
constexpr std::size_t kMaxSignificantDigits = 800;

// The decimal point: '.', or the first ',' of the token. Only the point
// position of a number ever reads a comma, and nothing before it (blanks, sign,
// "0x", digits) is one, so any comma seen there is the token's first.
constexpr bool IsPoint(char c) {
    return c == '.' || c == ',';
}

// Reads a token; past the end it reads '\0', as a C string would.
class Cursor {
public:
    explicit Cursor(std::string_view token)
        : m_pos(token.data()), m_end(token.data() + token.size()) {}

    char Peek(std::size_t ahead = 0) const {
        return static_cast<std::size_t>(m_end - m_pos) > ahead ? m_pos[ahead] : '\0';
    }
    void Advance(std::size_t count = 1) { m_pos += count; }
    const char* Position() const { return m_pos; }
    const char* End() const { return m_end; }
    void MoveTo(const char* position) { m_pos = position; }

private:
    const char* m_pos;
    const char* m_end;
};

// A run of digits, with the point between the integer and fraction runs.
struct DigitRuns {
    std::uint64_t value; // the decimal digits as one integer, if at most 19
    const char* intBegin;
    const char* intEnd;
    const char* fracBegin;
    const char* fracEnd;

    std::size_t IntLength() const { return static_cast<std::size_t>(intEnd - intBegin); }
    std::size_t FracLength() const { return static_cast<std::size_t>(fracEnd - fracBegin); }
    std::size_t Length() const { return IntLength() + FracLength(); }
    char At(std::size_t index) const {
        return index < IntLength() ? intBegin[index] : fracBegin[index - IntLength()];
    }
};

// Scans digits (of base 16 when `hex`), an optional point and more digits.
template <bool hex> DigitRuns ScanMantissa(Cursor& cursor) {
    DigitRuns runs{};
    const auto scanDigits = [&] {
        const char* p = cursor.Position();
        const char* const end = cursor.End();
        for (; p != end; ++p) {
            if constexpr (hex) {
                if (HexDigitValue(*p) < 0) {
                    break;
                }
            } else {
                const auto digit = static_cast<unsigned char>(*p - '0');
                if (digit > 9) {
                    break;
                }
                // Wraps for more than 19 digits; only used up to 19.
                runs.value = runs.value * 10 + digit;
            }
        }
        cursor.MoveTo(p);
    };
    runs.intBegin = cursor.Position();
    scanDigits();
    runs.intEnd = cursor.Position();
    runs.fracBegin = runs.fracEnd = runs.intEnd;
    if (IsPoint(cursor.Peek())) {
        cursor.Advance();
        runs.fracBegin = cursor.Position();
        scanDigits();
        runs.fracEnd = cursor.Position();
    }
    return runs;
}

// An exponent introduced by `letter` ('e' or 'p'), counted only when at least
// one digit follows the letter and its optional sign; 0 otherwise.
std::int64_t ScanExponent(Cursor& cursor, char letter) {
    if ((cursor.Peek() | 0x20) != letter) {
        return 0;
    }
    std::size_t skip = 1;
    bool negative = false;
    if (cursor.Peek(1) == '+' || cursor.Peek(1) == '-') {
        negative = cursor.Peek(1) == '-';
        skip = 2;
    }
    if (!IsDigit(cursor.Peek(skip))) {
        return 0;
    }
    cursor.Advance(skip);
    std::int64_t exponent = 0;
    while (IsDigit(cursor.Peek())) {
        if (exponent < kExponentLimit) {
            exponent = exponent * 10 + (cursor.Peek() - '0');
        }
        cursor.Advance();
    }
    return negative ? -exponent : exponent;
}

// Any number of digits, exactly rounded through std::from_chars on a compact
// copy: the significant digits (at most kMaxSignificantDigits, then a '1'
// standing for any nonzero rest) and a decimal exponent.
double ConvertLongDecimal(const DigitRuns& runs, std::int64_t exponent, bool negative) {
    const std::size_t length = runs.Length();
    std::size_t first = 0;
    while (first < length && runs.At(first) == '0') {
        ++first;
    }
    if (first == length) {
        return SignedZero(negative);
    }
    // value = 0.d1d2d3... * 10^pointExponent
    const std::int64_t pointExponent =
        static_cast<std::int64_t>(runs.IntLength()) - static_cast<std::int64_t>(first) + exponent;
    if (pointExponent > 310) {
        return SignedInfinity(negative);
    }
    if (pointExponent <= -324) {
        return SignedZero(negative); // below 1e-324, under half the smallest subnormal
    }
    char buffer[kMaxSignificantDigits + 32];
    std::size_t count = 0;
    std::size_t index = first;
    for (; index < length && count < kMaxSignificantDigits; ++index) {
        buffer[count++] = runs.At(index);
    }
    bool restNonZero = false;
    for (; index < length && !restNonZero; ++index) {
        restNonZero = runs.At(index) != '0';
    }
    while (buffer[count - 1] == '0') {
        --count;
    }
    if (restNonZero) {
        buffer[count++] = '1';
    } else if (count <= 19) {
        // Few significant digits after all (zeros around them): exact here,
        // which also keeps from_chars off its floating-point shortcut.
        std::uint64_t m = 0;
        for (std::size_t i = 0; i < count; ++i) {
            m = m * 10 + static_cast<unsigned>(buffer[i] - '0');
        }
        double value = 0.0;
        if (TryScaleExact(m, pointExponent - static_cast<std::int64_t>(count), value)) {
            return WithSign(value, negative);
        }
    }
    char* end = buffer + count;
    *end++ = 'e';
    end =
        std::to_chars(end, buffer + sizeof buffer, pointExponent - static_cast<std::int64_t>(count))
            .ptr;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(buffer, end, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        return pointExponent > 0 ? SignedInfinity(negative) : SignedZero(negative);
    }
    return WithSign(value, negative);
}

double ParseDecimal(Cursor& cursor, bool negative) {
    const DigitRuns runs = ScanMantissa<false>(cursor);
    const std::int64_t exponent = ScanExponent(cursor, 'e');
    if (runs.Length() <= 19) {
        const std::uint64_t m = runs.value;
        if (m == 0) {
            return SignedZero(negative);
        }
        const std::int64_t e = exponent - static_cast<std::int64_t>(runs.FracLength());
        double value = 0.0;
        if (TryScaleExact(m, e, value)) {
            return WithSign(value, negative);
        }
    }
    return ConvertLongDecimal(runs, exponent, negative);
}

// After "0x": hexadecimal digits with an optional point and a binary
// exponent; no digit at all gives zero (the "0" before the 'x' is the number).
double ParseHex(Cursor& cursor, bool negative) {
    const DigitRuns runs = ScanMantissa<true>(cursor);
    const std::size_t length = runs.Length();
    std::size_t first = 0;
    while (first < length && runs.At(first) == '0') {
        ++first;
    }
    if (first == length) {
        return SignedZero(negative);
    }
    const std::int64_t exponent = ScanExponent(cursor, 'p');
    std::uint64_t m = 0;
    std::size_t taken = 0;
    std::size_t index = first;
    for (; index < length && taken < 16; ++index, ++taken) {
        m = (m << 4) | static_cast<unsigned>(HexDigitValue(runs.At(index)));
    }
    bool sticky = false;
    for (; index < length && !sticky; ++index) {
        sticky = runs.At(index) != '0';
    }
    const std::int64_t e2 = 4 * (static_cast<std::int64_t>(runs.IntLength()) -
                                 static_cast<std::int64_t>(first + taken)) +
                            exponent;
    return WithSign(ComposeBinary(m, sticky, e2), negative);
}

// The payload of "nan(chars)": the chars read as one unsigned number in C's
// base-0 notation (0x hexadecimal, leading 0 octal, else decimal, saturating);
// anything else in them gives no payload.
std::uint64_t NanPayload(const char* begin, const char* end) {
    unsigned base = 10;
    const char* p = begin;
    if (end - p > 2 && p[0] == '0' && (p[1] | 0x20) == 'x' && HexDigitValue(p[2]) >= 0) {
        base = 16;
        p += 2;
    } else if (p != end && p[0] == '0') {
        base = 8;
    }
    std::uint64_t value = 0;
    bool saturated = false;
    for (; p != end; ++p) {
        const int digit = HexDigitValue(*p);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) {
            return 0;
        }
        if (value >
            (std::numeric_limits<std::uint64_t>::max() - static_cast<unsigned>(digit)) / base) {
            saturated = true;
        }
        value = value * base + static_cast<unsigned>(digit);
    }
    return saturated ? std::numeric_limits<std::uint64_t>::max() : value;
}

constexpr bool IsNanChar(char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool StartsWithWord(const Cursor& cursor, std::string_view word) {
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (ToLower(cursor.Peek(i)) != word[i]) {
            return false;
        }
    }
    return true;
}

// "inf", "infinity", "nan" and "nan(chars)" in any case; anything else is no
// number.
double ParseWord(Cursor& cursor, bool negative) {
    if (StartsWithWord(cursor, "inf")) {
        return SignedInfinity(negative);
    }
    if (!StartsWithWord(cursor, "nan")) {
        return 0.0;
    }
    std::uint64_t bits = kQuietNanBits;
    if (cursor.Peek(3) == '(') {
        std::size_t i = 4;
        while (IsNanChar(cursor.Peek(i))) {
            ++i;
        }
        if (cursor.Peek(i) == ')') {
            const char* chars = cursor.Position() + 4;
            bits |= NanPayload(chars, chars + (i - 4)) & kNanPayloadMask;
        }
    }
    return std::bit_cast<double>(bits | (negative ? kSignBit : 0));
}

// ---------------------------------------------------------------------------
// Formatting
// ---------------------------------------------------------------------------

constexpr char kDigitPairs[] = "00010203040506070809"
                               "10111213141516171819"
                               "20212223242526272829"
                               "30313233343536373839"
                               "40414243444546474849"
                               "50515253545556575859"
                               "60616263646566676869"
                               "70717273747576777879"
                               "80818283848586878889"
                               "90919293949596979899";

int DigitCount(std::uint64_t value) {
    int count = 1;
    while (count < 20 && value >= kPow10U64[count]) {
        ++count;
    }
    return count;
}

const char* DigitPair(std::uint32_t n) {
    return kDigitPairs + std::size_t{2} * n;
}

char* WriteUnsigned(char* out, std::uint64_t value) {
    char* const end = out + DigitCount(value);
    char* p = end;
    while (value > 0xFFFFFFFFu) {
        const auto pair = static_cast<unsigned>(value % 100);
        value /= 100;
        p -= 2;
        std::memcpy(p, DigitPair(pair), 2);
    }
    auto small = static_cast<std::uint32_t>(value);
    while (small >= 100) {
        const std::uint32_t pair = small % 100;
        small /= 100;
        p -= 2;
        std::memcpy(p, DigitPair(pair), 2);
    }
    if (small >= 10) {
        std::memcpy(p - 2, DigitPair(small), 2);
    } else {
        p[-1] = static_cast<char>('0' + small);
    }
    return end;
}

// Exactly `count` digits of value (below 10^count), leading zeros included.
void WriteFixedDigits(char* out, std::uint32_t value, int count) {
    char* p = out + count;
    while (count >= 2) {
        p -= 2;
        std::memcpy(p, DigitPair(value % 100), 2);
        value /= 100;
        count -= 2;
    }
    if (count == 1) {
        *--p = static_cast<char>('0' + value);
    }
}

} // namespace

namespace {

// ParseNumber; `taken` tells whether the conversion took any character of
// the token (a word other than inf or nan takes none).
double Parse(std::string_view token, bool& taken) {
    Cursor cursor(token);
    while (IsSpace(cursor.Peek())) {
        cursor.Advance();
    }
    bool negative = false;
    if (cursor.Peek() == '+' || cursor.Peek() == '-') {
        negative = cursor.Peek() == '-';
        cursor.Advance();
    }
    taken = true;
    const char c = cursor.Peek();
    if (c == '0' && (cursor.Peek(1) | 0x20) == 'x') {
        cursor.Advance(2);
        return ParseHex(cursor, negative);
    }
    if (IsDigit(c) || (IsPoint(c) && IsDigit(cursor.Peek(1)))) {
        return ParseDecimal(cursor, negative);
    }
    taken = StartsWithWord(cursor, "inf") || StartsWithWord(cursor, "nan");
    return ParseWord(cursor, negative);
}

} // namespace

double ParseNumber(std::string_view token) {
    bool taken = false;
    return Parse(token, taken);
}

std::optional<double> ParseFiniteNumber(std::string_view token) {
    bool taken = false;
    const double value = Parse(token, taken);
    if (!taken || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

char* FormatFixed(char* out, double value, int decimals) {
    decimals = decimals < 0 ? 0 : (decimals > 9 ? 9 : decimals);
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits & kSignBit) != 0;
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
    if (negative) {
        *out++ = '-';
    }
    if (biased == 0x7FF) {
        const std::string_view word = fraction == 0 ? "inf" : "nan";
        return std::copy(word.begin(), word.end(), out);
    }
    // value = m * 2^e exactly
    const std::uint64_t m = biased == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    const int e = biased == 0 ? -1074 : biased - 1075;
    std::uint64_t integerPart = 0;
    std::uint32_t fractionDigits = 0;
    if (e >= 0) {
        if (e > 11) {
            // 2^64 and above: integers with up to 309 digits.
            const double magnitude = std::bit_cast<double>(bits & ~kSignBit);
            return std::to_chars(out, out + kMaxFixedLength - 1, magnitude,
                                 std::chars_format::fixed, decimals)
                .ptr;
        }
        integerPart = m << e;
    } else {
        const int shift = -e;
        // Split off the integer part; the fraction f / 2^shift is scaled by
        // 10^decimals and rounded to the nearest, ties to even.
        const std::uint64_t f = shift < 64 ? m & ((std::uint64_t{1} << shift) - 1) : m;
        integerPart = shift < 64 ? m >> shift : 0;
        const auto scale = static_cast<std::uint32_t>(kPow10U64[decimals]);
        bool roundBit = false;
        bool restNonZero = false;
        if (shift + kPow10Bits[decimals] <= 64) {
            // The scaled fraction fits in 64 bits: the common case (from 256
            // up with 6 decimals, from 0.25 up with 3).
            const std::uint64_t scaled = f * scale;
            fractionDigits = static_cast<std::uint32_t>(scaled >> shift);
            roundBit = ((scaled >> (shift - 1)) & 1u) != 0;
            restNonZero = (scaled & ((std::uint64_t{1} << (shift - 1)) - 1)) != 0;
        } else if (shift < 128) {
            const U128 scaled = Multiply64By32(f, scale);
            fractionDigits = static_cast<std::uint32_t>(ShiftRightTo64(scaled, shift));
            roundBit = TestBit(scaled, shift - 1);
            restNonZero = AnyLowBits(scaled, shift - 1);
        }
        // shift >= 128: the scaled fraction is below 2^94, far under one half.
        const bool odd = ((decimals == 0 ? integerPart : fractionDigits) & 1u) != 0;
        if (roundBit && (restNonZero || odd) && ++fractionDigits == scale) {
            fractionDigits = 0;
            ++integerPart;
        }
    }
    out = WriteUnsigned(out, integerPart);
    if (decimals > 0) {
        *out++ = '.';
        WriteFixedDigits(out, fractionDigits, decimals);
        out += decimals;
    }
    return out;
}

} // namespace velmora
