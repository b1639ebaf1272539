#pragma once
// Buffered text-mode writing: every LF is written as CR LF, no other byte
// changes.

#include "platform.h"

#include <cstddef>
#include <memory>
#include <string_view>

namespace velmora {

class CTextOutput {
public:
    CTextOutput() = default;
    explicit CTextOutput(platform::CFile file);
    CTextOutput(CTextOutput&&) noexcept = default;
    CTextOutput& operator=(CTextOutput&&) noexcept = default;
    // Writes out what is buffered and closes, ignoring errors.
    ~CTextOutput();

    bool IsOpen() const noexcept { return m_file.IsOpen(); }
    const std::string& GetFullPath() const noexcept { return m_file.GetFullPath(); }

    // Throws FileError when the system refuses the bytes.
    void Write(std::string_view text);
    void Flush();
    // Flushes and closes; throws FileError.
    void Close();

private:
    void Put(const char* data, std::size_t size);

    platform::CFile m_file;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_nUsed = 0;
};

} // namespace velmora
