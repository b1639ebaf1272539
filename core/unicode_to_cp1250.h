#pragma once
// UTF-8 and UTF-16 text turned into the code page 1250 bytes the rest of the
// program works with, one byte per character: the pure conversions under
// CFileDecoder. The conversion table is the program's own, so every platform
// gives the same bytes.

#include <cstddef>
#include <span>
#include <string_view>

namespace velmora {

// The marks editors put in front of a text.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LeByteOrderMark = "\xFF\xFE";
inline constexpr std::string_view kUtf16BeByteOrderMark = "\xFE\xFF";

// How a text file's bytes become code page 1250 bytes.
enum class TextEncoding {
    Cp1250,  // taken as they stand
    Utf8,    // decoded
    Utf16Le, // decoded
    Utf16Be, // decoded
};

// In decoded text, the byte that stands for a character code page 1250
// lacks. The code page leaves 0x81 unassigned, so no character decodes to it.
inline constexpr char kLackingCharacter = '\x81';

// How many bytes at the start of text are ASCII (below 0x80).
std::size_t AsciiPrefixLength(std::string_view text);

// The code page 1250 byte of a character, kLackingCharacter when the code
// page lacks it (surrogates, and the characters of its unassigned bytes).
char ToCp1250(char32_t code);

// Checks UTF-8 that arrives in parts: well-formed as RFC 3629 has it (no
// overlong forms, no surrogates, nothing above U+10FFFF).
class CUtf8Check {
public:
    // Takes the next bytes; false once the text is malformed.
    bool Feed(std::string_view bytes);
    // The text read so far is well-formed and ends with a whole character.
    bool IsComplete() const noexcept { return !m_bMalformed && m_nPending == 0; }

private:
    bool m_bMalformed = false;
    int m_nPending = 0; // continuation bytes still to come
    unsigned char m_lowest = 0x80;
    unsigned char m_highest = 0xBF; // the range of the next continuation byte
};

// What a decoding step took and gave.
struct DecodeStep {
    std::size_t consumed = 0; // bytes of the input
    std::size_t produced = 0; // code page 1250 bytes, one per character
};

// Decodes the characters at the front of `in` into `out` until either is
// used up. A character cut off at the end of `in` waits for more input
// unless `last` is set. Malformed UTF-8 gives one kLackingCharacter per byte.
DecodeStep DecodeUtf8(std::string_view in, std::span<char> out, bool last);

// The same for UTF-16 in the given byte order. A surrogate pair is one
// character, which code page 1250 lacks; so are an unpaired surrogate and an
// odd last byte, each of them.
DecodeStep DecodeUtf16(std::string_view in, std::span<char> out, bool bigEndian, bool last);

} // namespace velmora
