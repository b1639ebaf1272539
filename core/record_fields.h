#pragma once
// Writing the fields of a record from the tokens of an input line.

#include "layouts.h"
#include "numbers.h"
#include "word_scan.h"

#include <cstddef>
#include <cstring>
#include <string_view>

namespace velmora {

// Room a field may take in the record buffer: what FormatFixed may write,
// more than a text field or a copied plain decimal takes.
inline constexpr std::size_t kMaxFieldLength = kMaxFixedLength;

// Fields are checked and copied a word or two at a time, so the tokens lie in
// a buffer with word::kReadAhead bytes to spare behind their line.

// A text field: the token's first kMaxTextToken bytes. Returns the field's
// end. A token of up to two words is copied as two words.
inline char* WriteTextField(char* out, std::string_view token) {
    if (token.size() <= word::kReadAhead) {
        std::memcpy(out, token.data(), word::kReadAhead);
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
