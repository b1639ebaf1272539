#pragma once
// A text file's bytes as the code page 1250 bytes the program works with, one
// per character, whichever way the file was saved:
// - UTF-16 (little or big endian) when it begins with its mark (FF FE, FE FF);
// - UTF-8 when, after an optional UTF-8 mark, its bytes before the first
//   0x1A are well-formed UTF-8 with a multi-byte character;
// - else code page 1250, the bytes as they stand.
// Marks are no part of the text. Which of the last two applies is settled at
// the first byte above 0x7F: the rest of the file is read ahead once and the
// file comes back. Until then the text is ASCII, the same in both.

#include "platform.h"
#include "read_buffer.h"
#include "unicode_to_cp1250.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// The byte that ends a text read in text mode. It is the one text-mode rule
// the decoder knows: what stands behind it is never read as text, so the
// UTF-8 check stops there too.
inline constexpr char kEndOfText = '\x1A';

class CFileDecoder {
public:
    explicit CFileDecoder(platform::CFile file) : m_file(std::move(file)) {}

    bool IsOpen() const noexcept { return m_file.IsOpen(); }
    const std::string& GetFullPath() const noexcept { return m_file.GetFullPath(); }

    // How the text read so far was decoded: Cp1250 while it is ASCII.
    TextEncoding GetEncoding() const noexcept {
        return m_state <= State::Utf16Be ? static_cast<TextEncoding>(m_state)
                                         : TextEncoding::Cp1250;
    }

    // The next text bytes into out, at most room of them; 0 only at the end
    // of the file. In decoded text kLackingCharacter stands for a character
    // code page 1250 lacks. Throws FileError when reading fails.
    std::size_t Read(char* out, std::size_t room);

private:
    // The states of a settled encoding come first, as TextEncoding has them.
    enum class State : unsigned char {
        Cp1250 = static_cast<unsigned char>(TextEncoding::Cp1250),   // the bytes as they stand
        Utf8 = static_cast<unsigned char>(TextEncoding::Utf8),       // decoded
        Utf16Le = static_cast<unsigned char>(TextEncoding::Utf16Le), // decoded
        Utf16Be = static_cast<unsigned char>(TextEncoding::Utf16Be), // decoded
        Start,                                                       // nothing read yet
        Ascii, // the text so far is ASCII: code page 1250 or UTF-8
    };

    // The file's first bytes: a mark is taken away.
    std::size_t ReadStart(char* out, std::size_t room);
    // Settles the encoding when out's got bytes hold one above 0x7F.
    std::size_t ReadAscii(char* out, std::size_t got, std::size_t room);
    // Whether text and the rest of the file behind it, up to the first 0x1A
    // (none when `stopped`), are well-formed UTF-8. Comes back to where it
    // began.
    bool IsUtf8Ahead(std::string_view text, bool stopped);
    // Decodes from here on: bytes first, then the rest of the file.
    std::size_t StartDecoding(State state, std::string_view bytes, char* out, std::size_t room);
    std::size_t ReadDecoded(char* out, std::size_t room);

    platform::CFile m_file;
    State m_state = State::Start;
    CReadBuffer m_raw; // the file's bytes still to be decoded
    bool m_bRawEnded = false;
};

} // namespace velmora
