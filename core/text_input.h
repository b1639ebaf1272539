#pragma once
// Buffered text-mode reading: CR LF reads as LF (also across buffer
// boundaries), any other CR stays, and the byte 0x1A ends the input.

#include "platform.h"

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

    // Skips the UTF-8 byte-order mark EF BB BF if the input begins with it;
    // call it before the first read. Throws FileError when reading fails.
    void SkipByteOrderMark();

    // Appends to out the text-mode bytes up to and including the next LF, but
    // at most maxBytes of them. Returns how many were appended; 0 only at the
    // end of the input. Throws FileError when reading fails.
    std::size_t ReadPiece(std::string& out, std::size_t maxBytes);

private:
    void Fill();

    platform::CFile m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_nPos = 0;
    std::size_t m_nEnd = 0;
    bool m_bEnded = false; // end of file or Ctrl-Z reached
};

} // namespace velmora
