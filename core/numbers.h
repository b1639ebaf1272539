#pragma once
// Number conversion of the batch file: parsing is C-locale atof after the
// decimal-comma rule, formatting is "%.6lf" / "%.3lf" as glibc prints them.
// Both are exact, ignore the locale and give the same results on every
// platform.

#include <cstddef>
#include <optional>
#include <string_view>

namespace velmora {

// An ASCII digit, whatever the locale.
constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Longest text FormatFixed can produce (sign, 309 integer digits, point,
// 9 decimals), with room to spare.
inline constexpr std::size_t kMaxFixedLength = 330;

// The first ',' counts as '.', then the longest leading decimal number is
// converted as C-locale atof does (leading white space skipped, sign, digits,
// point, exponent, hexadecimal, inf, nan); no number gives 0.0. The result is
// correctly rounded for any number of digits; overflow gives +-infinity and
// underflow a subnormal or a signed zero, as glibc does. A NaN carries no
// payload: "nan(...)" is a quiet NaN of the token's sign.
double ParseNumber(std::string_view token);

// ParseNumber's value when the token holds one number, as a coordinate must:
// the conversion takes at least one of its characters, the value is finite
// (not inf or nan, no overflow), and no digit follows in the rest of the
// token: "12.5m" is 12.5, but degrees, minutes and seconds, thousands groups
// ("5 712 345,12"), "1,234,5" and "12:30" are not one number. Otherwise
// nothing.
std::optional<double> ParseCoordinate(std::string_view token);

// Writes value with exactly `decimals` digits after the point (0..9; others
// are clamped to that range), rounded from its exact binary value to the
// nearest, ties to even, as glibc printf does ("%.*f"): "-0.000" for negative
// values that round to zero, "inf", "-inf", "nan", "-nan". out holds at
// least kMaxFixedLength bytes. Returns the end of the text (no NUL added).
char* FormatFixed(char* out, double value, int decimals);

} // namespace velmora
