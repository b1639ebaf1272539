#pragma once
// Writing the fields of a record from the tokens of an input line.

#include "layouts.h"
#include "numbers.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace velmora {

// Bytes that may be read from the start of a token, past the end of its line
// too: fields are checked and copied sixteen bytes at a time, so a line is
// converted in a buffer with this many bytes to spare behind it.
inline constexpr std::size_t kFieldReadAhead = 16;

// Room a field may take in the record buffer: what FormatFixed may write,
// more than a text field or a copied plain decimal takes.
inline constexpr std::size_t kMaxFieldLength = kMaxFixedLength;

// A text field: the token's first kMaxTextToken bytes. Returns the field's
// end. A token of up to sixteen bytes is copied as two words.
inline char* WriteTextField(char* out, std::string_view token) {
    if (token.size() <= 16) {
        std::memcpy(out, token.data(), 16);
        return out + token.size();
    }
    const std::size_t length = token.size() < kMaxTextToken ? token.size() : kMaxTextToken;
    std::memcpy(out, token.data(), length);
    return out + length;
}

// A number field: the token through ParseNumber, printed with `decimals`
// decimals. A coordinate (X, Y) that does not hold one number (ParseCoordinate)
// gives nullptr: the line makes no record. Returns the field's end.
char* WriteNumberField(char* out, std::string_view token, int decimals, bool coordinate);

} // namespace velmora
