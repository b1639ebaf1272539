// Text-mode reading over a 64 KiB block buffer. The block is refilled only
// when it is used up; a CR at the very end of a block is kept back until the
// next block shows whether an LF follows it.

#include "text_input.h"

#include "utf8_text.h"

#include <cstring>
#include <string_view>

namespace velmora {

namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
constexpr char kEndOfText = '\x1A';

} // namespace

CTextInput::CTextInput(platform::CFile file)
    : m_file(std::move(file)),
      m_buffer(m_file.IsOpen() ? std::make_unique<char[]>(kBufferSize) : nullptr),
      m_bEnded(!m_file.IsOpen()) {}

// Moves the unread bytes to the front of the buffer and reads behind them
// until at least one new byte arrived or the input ended. A Ctrl-Z cuts the
// input there for good.
void CTextInput::Fill() {
    if (m_bEnded) {
        return;
    }
    const std::size_t kept = m_nEnd - m_nPos;
    if (kept > 0 && m_nPos > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_nPos, kept);
    }
    m_nPos = 0;
    m_nEnd = kept;
    const std::size_t got = m_file.Read(m_buffer.get() + m_nEnd, kBufferSize - m_nEnd);
    if (got == 0) {
        m_bEnded = true;
        return;
    }
    char* fresh = m_buffer.get() + m_nEnd;
    if (const void* stop = std::memchr(fresh, kEndOfText, got); stop != nullptr) {
        m_nEnd += static_cast<std::size_t>(static_cast<const char*>(stop) - fresh);
        m_bEnded = true;
        return;
    }
    m_nEnd += got;
}

void CTextInput::SkipByteOrderMark() {
    while (m_nEnd - m_nPos < kUtf8ByteOrderMark.size() && !m_bEnded) {
        Fill();
    }
    if (IsOpen() && std::string_view(m_buffer.get() + m_nPos, m_nEnd - m_nPos)
                        .starts_with(kUtf8ByteOrderMark)) {
        m_nPos += kUtf8ByteOrderMark.size();
    }
}

std::size_t CTextInput::ReadPiece(std::string& out, std::size_t maxBytes) {
    std::size_t appended = 0;
    while (appended < maxBytes) {
        if (m_nPos == m_nEnd) {
            Fill();
            if (m_nPos == m_nEnd) {
                break; // end of the input
            }
        }
        const char* raw = m_buffer.get() + m_nPos;
        const std::size_t available = m_nEnd - m_nPos;
        const std::size_t room = maxBytes - appended;
        // A CR LF pair gives one byte, so one raw byte more than the room
        // may still fit.
        const std::size_t scan = available < room + 1 ? available : room + 1;
        const char* lf = static_cast<const char*>(std::memchr(raw, '\n', scan));
        if (lf != nullptr) {
            const std::size_t at = static_cast<std::size_t>(lf - raw);
            if (at > 0 && raw[at - 1] == '\r') {
                // CR LF reads as LF; at <= room holds because scan <= room + 1.
                out.append(raw, at); // the CR's place takes the LF
                out.back() = '\n';
                m_nPos += at + 1;
                return appended + at;
            }
            if (at < room) {
                out.append(raw, at + 1);
                m_nPos += at + 1;
                return appended + at + 1;
            }
            // The LF is one byte beyond the room: it begins the next piece.
            out.append(raw, room);
            m_nPos += room;
            return appended + room;
        }
        if (scan > room) {
            // The piece is full; the byte after it is not an LF, so a CR at
            // the end of the piece is an ordinary byte.
            out.append(raw, room);
            m_nPos += room;
            return appended + room;
        }
        // Everything buffered fits and holds no LF. A final CR waits for the
        // next block unless the input has ended.
        std::size_t take = available;
        if (raw[available - 1] == '\r' && !m_bEnded) {
            --take;
        }
        out.append(raw, take);
        appended += take;
        m_nPos += take;
        if (take < available) {
            Fill(); // keeps the CR, reads behind it
        }
    }
    return appended;
}

} // namespace velmora
