// The fields of a record. Nearly every number in a point list is a plain
// decimal, which is written here as its own digits; all other tokens go
// through ParseNumber and FormatFixed.

#include "record_fields.h"

#include <cstring>
#include <optional>

namespace velmora {

namespace {

// Copies the run of digits that begins at p, but not past end, to w; returns
// where it ends and advances w as far. p lies in a token, so a word can be
// read from anywhere up to end; up to a word is written.
const char* CopyDigits(char*& w, const char* p, const char* end) {
    while (p < end) {
        std::memcpy(w, p, word::kSize);
        const word::Word nonDigits = word::NonDigitBytes(word::Load(p));
        auto digits = static_cast<std::ptrdiff_t>(nonDigits != 0 ? word::FirstFlagged(nonDigits)
                                                                 : word::kSize);
        digits = digits < end - p ? digits : end - p;
        w += digits;
        p += digits;
        if (digits < static_cast<std::ptrdiff_t>(word::kSize)) {
            break;
        }
    }
    return p;
}

// Integer digits up to which a plain decimal token prints as its own digits
// (see WriteNumber); 0 for other decimal counts.
int MaxPlainIntegerDigits(int decimals) {
    return decimals == 6 ? 9 : (decimals == 3 ? 12 : 0);
}

// The end of at most `count` bytes from p.
const char* Limit(const char* p, const char* end, int count) {
    return end - p > count ? p + count : end;
}

// WriteNumber's short way for a token of 1-16 bytes: digits with at most one
// '.' or ',' among them, the first digit not a 0 followed by another digit.
// Returns the end of the written column, or nullptr when the token has
// another shape.
char* WriteShortNumber(char* out, std::string_view token, int decimals, int maxIntegerDigits) {
    const std::size_t length = token.size();
    if (length == 0 || length > 2 * word::kSize) {
        return nullptr;
    }
    // Non-digit flags of the token's own bytes only. A carry can only flag a
    // digit 9 after a non-digit byte, never let a non-digit pass.
    word::Word lowFlags = word::NonDigitBytes(word::Load(token.data()));
    word::Word highFlags = word::NonDigitBytes(word::Load(token.data() + word::kSize));
    if (length < word::kSize) {
        lowFlags = word::FirstBytes(lowFlags, length);
        highFlags = 0;
    } else if (length < 2 * word::kSize) {
        highFlags = word::FirstBytes(highFlags, length - word::kSize);
    }
    std::size_t integerDigits = length;
    if (lowFlags != 0) {
        integerDigits = word::FirstFlagged(lowFlags);
        // The mark's flag goes; every other byte must be a digit.
        lowFlags &= ~(word::Word{0xFF} << (8 * integerDigits));
    } else if (highFlags != 0) {
        integerDigits = word::kSize + word::FirstFlagged(highFlags);
        highFlags &= ~(word::Word{0xFF} << (8 * (integerDigits - word::kSize)));
    }
    const char first = token[0];
    if (lowFlags != 0 || highFlags != 0 || integerDigits == 0 ||
        integerDigits > static_cast<std::size_t>(maxIntegerDigits) ||
        (first == '0' && integerDigits > 1)) {
        return nullptr;
    }
    if (integerDigits < length) {
        const char mark = token[integerDigits];
        if ((mark != '.' && mark != ',') ||
            length - integerDigits - 1 > static_cast<std::size_t>(decimals)) {
            return nullptr;
        }
    }
    std::memcpy(out, token.data(), 2 * word::kSize);
    out[integerDigits] = '.';
    // Zeros behind the fraction's digits (or behind the point of an integer).
    char* const zeros = out + (integerDigits < length ? length : length + 1);
    std::memcpy(zeros, "00000000", 8); // NOLINT(bugprone-not-null-terminated-result)
    return out + integerDigits + 1 + decimals;
}

// The general way of a number column. A coordinate that holds no number, or
// more than one, gives nullptr: the line makes no record.
char* WriteParsedNumber(char* out, std::string_view token, int decimals, bool coordinate) {
    if (!coordinate) {
        return FormatFixed(out, ParseNumber(token), decimals);
    }
    const std::optional<double> value = ParseCoordinate(token);
    return value ? FormatFixed(out, *value, decimals) : nullptr;
}

// Writes a number column: FormatFixed(ParseNumber(token), decimals), with a
// short way for the plain decimal tokens that make up nearly every file - an
// optional sign, digits, and at most `decimals` digits after a '.' or a ','
// (then the token's first comma). ParseNumber rounds such a value correctly,
// so the double lies within half a unit in its last place of the exact
// decimal value: below 10^9 that is under 2^-24, below 10^12 under 2^-14,
// much closer than half of 10^-6 or 10^-3. Rounding it to `decimals` places
// therefore gives back exactly the token's digits, padded with zeros, which
// are copied. Every other token takes the general way.
char* WriteNumber(char* out, std::string_view token, int decimals, bool coordinate) {
    const int maxIntegerDigits = MaxPlainIntegerDigits(decimals);
    if (maxIntegerDigits == 0) {
        return WriteParsedNumber(out, token, decimals, coordinate);
    }
    const char* p = token.data();
    const char* const end = p + token.size();
    // The digits are copied while they are checked, one more than allowed at
    // most (so the copy stays within the field's room); on the general way
    // the copy is simply overwritten.
    char* w = out;
    if (p != end && (*p == '-' || *p == '+')) {
        if (*p == '-') {
            *w++ = '-';
        }
        ++p;
    }
    // Leading zeros go; the last digit before the mark stays.
    while (p != end && *p == '0' && end - p > 1 && IsDigit(p[1])) {
        ++p;
    }
    const char* const integerBegin = p;
    if (p == end || !IsDigit(*p)) {
        *w++ = '0';
    }
    p = CopyDigits(w, p, Limit(p, end, maxIntegerDigits + 1));
    const auto integerDigits = static_cast<int>(p - integerBegin);
    *w++ = '.';
    int fractionDigits = 0;
    if (p != end && (*p == '.' || *p == ',')) {
        const char* const fractionBegin = ++p;
        p = CopyDigits(w, p, Limit(p, end, decimals + 1));
        fractionDigits = static_cast<int>(p - fractionBegin);
    }
    if (p != end || integerDigits + fractionDigits == 0 || fractionDigits > decimals ||
        integerDigits > maxIntegerDigits) {
        return WriteParsedNumber(out, token, decimals, coordinate);
    }
    // Pads with zeros; the room is there, a field takes up to kMaxFixedLength.
    std::memcpy(w, "000000000000", 12); // NOLINT(bugprone-not-null-terminated-result)
    return w + (decimals - fractionDigits);
}

} // namespace

// The commonest tokens - at most sixteen bytes, no sign, no leading zero
// before another digit - are checked and copied as two words right here, all
// others by WriteNumber.
char* WriteNumberField(char* out, std::string_view token, int decimals, bool coordinate) {
    if (char* end = WriteShortNumber(out, token, decimals, MaxPlainIntegerDigits(decimals));
        end != nullptr) {
        return end;
    }
    return WriteNumber(out, token, decimals, coordinate);
}

} // namespace velmora
