#pragma once
// Buffered text-mode reading of a file saved as code page 1250, UTF-8 or
// UTF-16: the text is code page 1250 bytes, one per character, and on it CR
// LF reads as LF (also across buffer boundaries), any other CR stays, and the
// byte 0x1A ends the input.

#include "platform.h"
#include "unicode_text.h"

#include <cstddef>
#include <memory>
#include <string>

namespace velmora {

class CTextInput {
public:
    CTextInput() = default;
    explicit CTextInput(platform::CFile file);

    bool IsOpen() const noexcept { return m_file.IsOpen(); }
    const std::string& GetFullPath() const noexcept { return m_file.GetFullPath(); }

    // How the file's bytes become the text:
    // - UTF-16 when the file begins with its mark (FF FE or FE FF);
    // - UTF-8 when, after an optional UTF-8 mark, the bytes before the first
    //   0x1A are well-formed UTF-8 with a multi-byte character;
    // - else code page 1250, the bytes as they stand.
    // Marks are no part of the text. Which of the last two applies is
    // settled at the first byte above 0x7F, when the rest of the file is read
    // ahead once; until then the text is ASCII, the same in both, and this
    // answers Cp1250. In decoded text kLackingCharacter stands for a
    // character code page 1250 lacks.
    TextEncoding GetEncoding() const noexcept { return m_encoding; }

    // Appends to out the text-mode bytes up to and including the next LF, but
    // at most maxBytes of them. Returns how many were appended; 0 only at the
    // end of the input. Throws FileError when reading fails.
    std::size_t ReadPiece(std::string& out, std::size_t maxBytes);

private:
    void Fill();
    // The next text bytes into out, at most room of them; 0 at the end.
    std::size_t ReadText(char* out, std::size_t room);
    // The file's first bytes: a mark is taken away, UTF-16 set to decode.
    std::size_t ReadStart(char* out, std::size_t room);
    // Settles the encoding when out's got bytes hold one above 0x7F.
    std::size_t Settle(char* out, std::size_t got, std::size_t room);
    // Whether text, the rest of the file behind it up to the first 0x1A
    // included unless `stopped`, is well-formed UTF-8. Comes back to where
    // it began.
    bool IsUtf8Ahead(std::string_view text, bool stopped);
    // The buffer of the file's own bytes, made when first needed.
    char* RawBuffer();
    void StartDecoding(TextEncoding encoding, std::string_view bytes);
    std::size_t ReadDecoded(char* out, std::size_t room);

    platform::CFile m_file;
    std::unique_ptr<char[]> m_buffer; // text bytes
    std::size_t m_nPos = 0;
    std::size_t m_nEnd = 0;
    bool m_bEnded = false; // end of file or Ctrl-Z reached
    TextEncoding m_encoding = TextEncoding::Cp1250;
    bool m_bStarted = false; // the file's first bytes were read
    bool m_bSettled = false; // the encoding can change no more
    // The file's bytes still to be decoded (UTF-8 and UTF-16 only).
    std::unique_ptr<char[]> m_raw;
    std::size_t m_nRawPos = 0;
    std::size_t m_nRawEnd = 0;
    bool m_bRawEnded = false; // the file's end reached
};

} // namespace velmora
