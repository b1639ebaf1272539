#pragma once
// Buffered text-mode reading of a file's text (see CFileDecoder: code page
// 1250 bytes, one per character, whichever way the file was saved): CR LF
// reads as LF, also across block boundaries; any other CR stays; the byte
// 0x1A ends the input.

#include "file_decoder.h"
#include "platform.h"
#include "read_buffer.h"

#include <cstddef>
#include <string>

namespace velmora {

class CTextModeInput {
public:
    explicit CTextModeInput(platform::CFile file);

    bool IsOpen() const noexcept { return m_decoder.IsOpen(); }
    const std::string& GetFullPath() const noexcept { return m_decoder.GetFullPath(); }
    // How the text read so far was decoded (CFileDecoder::GetEncoding).
    TextEncoding GetEncoding() const noexcept { return m_decoder.GetEncoding(); }

    // Appends to out the text-mode bytes up to and including the next LF, but
    // at most maxBytes of them. Returns how many were appended; 0 only at the
    // end of the input. Throws FileError when reading fails.
    std::size_t ReadPiece(std::string& out, std::size_t maxBytes);

private:
    // Reads behind the unread text until at least one new byte arrived or the
    // input ended.
    void Fill();

    CFileDecoder m_decoder;
    CReadBuffer m_buffer;  // text bytes
    bool m_bEnded = false; // the end of the text, or its 0x1A, reached
};

} // namespace velmora
