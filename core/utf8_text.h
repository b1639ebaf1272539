#pragma once
// Point-code lists saved as UTF-8 (what current editors write by default):
// recognising such a text and turning it into the code page 1250 bytes that
// the rest of the program works with. The conversion table is the program's
// own, so every platform gives the same bytes.

#include <string>
#include <string_view>

namespace velmora {

// The three bytes EF BB BF that editors put in front of a UTF-8 text.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// True when text is well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF) and holds at least one multi-byte character.
bool IsUtf8WithMultibyte(std::string_view text);

// Converts well-formed UTF-8 to code page 1250; a character that the code
// page lacks becomes '?'.
std::string Utf8ToCp1250(std::string_view text);

} // namespace velmora
