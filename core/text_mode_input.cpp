// Text-mode reading over a block buffer. The block is refilled only when it
// is used up; a CR at the very end of a block is kept back until the next
// block shows whether an LF follows it.

#include "text_mode_input.h"

#include <cstring>

namespace velmora {

CTextModeInput::CTextModeInput(platform::CFile file)
    : m_decoder(std::move(file)),
      m_buffer(m_decoder.IsOpen() ? CReadBuffer(kReadBlockSize) : CReadBuffer()),
      m_bEnded(!m_decoder.IsOpen()) {}

// A 0x1A cuts the input there for good.
void CTextModeInput::Fill() {
    if (m_bEnded) {
        return;
    }
    m_buffer.ReadBehind([this](char* room, std::size_t size) {
        const std::size_t got = m_decoder.Read(room, size);
        const auto* const stop = static_cast<const char*>(std::memchr(room, kEndOfText, got));
        m_bEnded = got == 0 || stop != nullptr;
        return stop != nullptr ? static_cast<std::size_t>(stop - room) : got;
    });
}

std::size_t CTextModeInput::ReadPiece(std::string& out, std::size_t maxBytes) {
    std::size_t appended = 0;
    while (appended < maxBytes) {
        if (m_buffer.GetUnread().empty()) {
            Fill();
            if (m_buffer.GetUnread().empty()) {
                break; // end of the input
            }
        }
        const char* raw = m_buffer.GetUnread().data();
        const std::size_t available = m_buffer.GetUnread().size();
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
                m_buffer.Consume(at + 1);
                return appended + at;
            }
            if (at < room) {
                out.append(raw, at + 1);
                m_buffer.Consume(at + 1);
                return appended + at + 1;
            }
            // The LF is one byte beyond the room: it begins the next piece.
            out.append(raw, room);
            m_buffer.Consume(room);
            return appended + room;
        }
        if (scan > room) {
            // The piece is full; the byte after it is not an LF, so a CR at
            // the end of the piece is an ordinary byte.
            out.append(raw, room);
            m_buffer.Consume(room);
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
        m_buffer.Consume(take);
        if (take < available) {
            Fill(); // keeps the CR, reads behind it
        }
    }
    return appended;
}

} // namespace velmora
