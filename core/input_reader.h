#pragma once
// Reads an input point list line by line in text mode, and makes the preview
// of its first twelve lines. Lists saved as UTF-8 or UTF-16 are read as their
// code page 1250 bytes (see CFileDecoder).

#include "text_mode_input.h"

#include <string>

namespace velmora {

class CInputReader {
public:
    // Opens an existing file, read only, held without sharing. Never throws
    // for a file that cannot be opened: IsOpen() tells.
    explicit CInputReader(const std::string& path);

    CInputReader(const CInputReader&) = delete;
    CInputReader& operator=(const CInputReader&) = delete;

    bool IsOpen() const noexcept { return m_bOpen; }

    // Whether the lines read so far come decoded from UTF-8 or UTF-16: then
    // kLackingCharacter in a line stands for a character code page 1250
    // lacks. Lines read before it turns true are ASCII.
    bool IsDecoded() const noexcept { return m_text.GetEncoding() != TextEncoding::Cp1250; }

    // Stores the next line (without its line feed) and returns true; returns
    // false with line unchanged at the end of the input. Throws FileError
    // when reading fails.
    bool ReadLine(std::string& line);

    // Up to twelve lines from the current position, each followed by "\r\n".
    // A character code page 1250 lacks shows as '?'.
    std::string ReadPreview();

private:
    CTextModeInput m_text;
    bool m_bOpen = false;
};

} // namespace velmora
