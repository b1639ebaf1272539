// Numbers go through the standard library's <charconv>, which is exact,
// ignores the locale and gives the same bytes with every C++ library this
// program is built with. The few rules in which C's atof differs from
// std::from_chars (blanks, '+', the decimal comma, "0x", out of range) are
// applied around it here.

#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

namespace velmora {

namespace {

constexpr bool IsSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

constexpr bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// After a sign, "0x" opens a hexadecimal number only when a hexadecimal digit
// follows it, at once or behind the point; otherwise the number is the "0".
bool StartsHexadecimal(std::string_view text) {
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) {
        return false;
    }
    return IsHexDigit(text[2]) || (text[2] == '.' && text.size() > 3 && IsHexDigit(text[3]));
}

// Whether a number that from_chars found out of range (digits, point and
// exponent, no sign; its value is not zero) lies above the largest double
// rather than below the smallest. Its magnitude is 0.ddd * base^lead *
// 10^exponent (2^exponent for hexadecimal), so the sign of the scaled lead
// plus the exponent tells.
bool IsOverflow(std::string_view number, bool hex) {
    const std::size_t mark = number.find_first_of(hex ? "pP" : "eE");
    const std::string_view mantissa = number.substr(0, mark);
    const auto point = static_cast<long long>(std::min(mantissa.find('.'), mantissa.size()));
    const auto first = static_cast<long long>(mantissa.find_first_not_of("0."));
    const long long lead = first < point ? point - first : point + 1 - first;
    long long exponent = 0;
    if (mark != std::string_view::npos) {
        std::string_view digits = number.substr(mark + 1);
        if (digits.front() == '+') {
            digits.remove_prefix(1);
        }
        // An exponent too long for long long is beyond any double anyway.
        constexpr long long kHuge = std::numeric_limits<long long>::max() / 8;
        if (std::from_chars(digits.data(), digits.data() + digits.size(), exponent).ec !=
            std::errc()) {
            exponent = digits.front() == '-' ? -kHuge : kHuge;
        }
    }
    // lead is bounded by the token's length, the exponent is not: compared
    // rather than added, so that no exponent can overflow the sum.
    return exponent > -(hex ? 4 : 1) * lead;
}

struct Conversion {
    double value = 0.0;
    bool taken = false;        // the conversion took at least one character
    bool digitsBehind = false; // a digit stands in the text behind what it took
};

// atof's reading of a token whose first comma is already a point.
Conversion Convert(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    const bool hex = StartsHexadecimal(text);
    if (hex) {
        text.remove_prefix(2);
    } else if (!text.empty() && text.front() == '-') {
        return {}; // from_chars would take a second sign
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value,
                        hex ? std::chars_format::hex : std::chars_format::general);
    if (error == std::errc::invalid_argument) {
        return {};
    }
    const auto used = static_cast<std::size_t>(end - text.data());
    if (error == std::errc::result_out_of_range) {
        value =
            IsOverflow(text.substr(0, used), hex) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    const std::string_view behind = text.substr(used);
    return {negative ? -value : value, true, std::any_of(behind.begin(), behind.end(), IsDigit)};
}

Conversion ConvertToken(std::string_view token) {
    const std::size_t comma = token.find(',');
    if (comma == std::string_view::npos) {
        return Convert(token);
    }
    std::string text(token);
    text[comma] = '.';
    return Convert(text);
}

} // namespace

double ParseNumber(std::string_view token) {
    return ConvertToken(token).value;
}

std::optional<double> ParseCoordinate(std::string_view token) {
    const Conversion conversion = ConvertToken(token);
    if (!conversion.taken || conversion.digitsBehind || !std::isfinite(conversion.value)) {
        return std::nullopt;
    }
    return conversion.value;
}

char* FormatFixed(char* out, double value, int decimals) {
    return std::to_chars(out, out + kMaxFixedLength, value, std::chars_format::fixed,
                         std::clamp(decimals, 0, 9))
        .ptr;
}

} // namespace velmora
