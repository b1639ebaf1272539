#pragma once
// A block of bytes read from a file and taken from its front.

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace velmora {

// The size of the blocks the program reads its input in.
inline constexpr std::size_t kReadBlockSize = std::size_t{64} * 1024;

class CReadBuffer {
public:
    CReadBuffer() = default;
    explicit CReadBuffer(std::size_t size)
        : m_data(std::make_unique<char[]>(size)), m_nSize(size) {}

    std::string_view GetUnread() const noexcept { return {m_data.get() + m_nPos, m_nEnd - m_nPos}; }
    void Consume(std::size_t count) noexcept { m_nPos += count; }

    // Moves the unread bytes to the front and reads behind them: read(room,
    // size) fills the room and returns how many bytes it gave, which this
    // returns too.
    template <typename Read> std::size_t ReadBehind(Read read) {
        const std::size_t kept = m_nEnd - m_nPos;
        std::memmove(m_data.get(), m_data.get() + m_nPos, kept);
        m_nPos = 0;
        m_nEnd = kept + read(m_data.get() + kept, m_nSize - kept);
        return m_nEnd - kept;
    }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_nSize = 0;
    std::size_t m_nPos = 0;
    std::size_t m_nEnd = 0;
};

} // namespace velmora
