#pragma once
// Reads an input point list line by line in text mode, and makes the preview
// of its first twelve lines. A UTF-8 byte-order mark at the start of the file
// is skipped.

#include "text_input.h"

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

    // Stores the next line (without its line feed) and returns true; returns
    // false with line unchanged at the end of the input. Throws FileError
    // when reading fails.
    bool ReadLine(std::string& line);

    // Up to twelve lines from the current position, each followed by "\r\n".
    std::string ReadPreview();

private:
    CTextInput m_file;
    bool m_bOpen = false;
    bool m_bAtStart = true; // nothing read yet
};

} // namespace velmora
