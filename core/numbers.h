#pragma once
// Number conversion of the batch file, independent of the C runtime:
// parsing is C-locale atof after the decimal-comma rule, formatting is
// byte-identical to glibc's "%.6lf" / "%.3lf".

#include <cstddef>
#include <string_view>

namespace velmora {

// Longest text FormatFixed can produce (sign, 309 integer digits, point,
// 6 decimals), with room to spare.
inline constexpr std::size_t kMaxFixedLength = 330;

// The first ',' counts as '.', then the longest leading decimal number is
// converted as C-locale atof does (leading white space skipped, sign, digits,
// point, exponent, hexadecimal, inf, nan); no number gives 0.0.
double ParseNumber(std::string_view token);

// Writes value with exactly `decimals` digits after the point (0..9), exactly
// rounded as glibc printf does ("%.*f"), into out, which holds at least
// kMaxFixedLength bytes. Returns the end of the written text (no NUL added).
char* FormatFixed(char* out, double value, int decimals);

} // namespace velmora
