// Text-mode writing over a 64 KiB block buffer: LF goes out as CR LF.

#include "text_output.h"

#include "errors.h"

#include <cstring>

namespace velmora {

namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;

} // namespace

CTextOutput::CTextOutput(platform::CFile file)
    : m_file(std::move(file)),
      m_buffer(m_file.IsOpen() ? std::make_unique<char[]>(kBufferSize) : nullptr) {}

CTextOutput::~CTextOutput() {
    try {
        Close();
    } catch (...) { // NOLINT(bugprone-empty-catch): a destructor must not throw
    }
}

void CTextOutput::Write(std::string_view text) {
    if (m_buffer == nullptr) {
        throw FileError(FileError::Cause::Generic, GetFullPath());
    }
    const char* data = text.data();
    std::size_t size = text.size();
    // A record: one line with its LF at the end, room for it in the buffer.
    if (size > 0 && size < kBufferSize - m_nUsed && data[size - 1] == '\n' &&
        std::memchr(data, '\n', size - 1) == nullptr) {
        char* out = m_buffer.get() + m_nUsed;
        std::memcpy(out, data, size - 1);
        out[size - 1] = '\r';
        out[size] = '\n';
        m_nUsed += size + 1;
        return;
    }
    while (size > 0) {
        const char* lf = static_cast<const char*>(std::memchr(data, '\n', size));
        const std::size_t plain = lf != nullptr ? static_cast<std::size_t>(lf - data) : size;
        Put(data, plain);
        if (lf == nullptr) {
            return;
        }
        Put("\r\n", 2);
        data += plain + 1;
        size -= plain + 1;
    }
}

void CTextOutput::Put(const char* data, std::size_t size) {
    while (size > 0) {
        if (m_nUsed == kBufferSize) {
            Flush();
        }
        const std::size_t room = kBufferSize - m_nUsed;
        const std::size_t part = size < room ? size : room;
        std::memcpy(m_buffer.get() + m_nUsed, data, part);
        m_nUsed += part;
        data += part;
        size -= part;
    }
}

void CTextOutput::Flush() {
    if (m_nUsed == 0) {
        return;
    }
    // What failed to go out is dropped, so that a later flush (for example
    // the one of the destructor) does not append it after the failure.
    const std::size_t used = m_nUsed;
    m_nUsed = 0;
    m_file.Write(m_buffer.get(), used);
}

void CTextOutput::Close() {
    if (!m_file.IsOpen()) {
        return;
    }
    try {
        Flush();
    } catch (...) {
        try {
            m_file.Close();
        } catch (...) { // NOLINT(bugprone-empty-catch): the first failure is the one reported
        }
        throw;
    }
    m_file.Close();
}

} // namespace velmora
