// Text-mode reading over a 64 KiB block buffer. The block is refilled only
// when it is used up; a CR at the very end of a block is kept back until the
// next block shows whether an LF follows it. Decoded files go through a
// second buffer of the file's own bytes.

#include "text_input.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>

namespace velmora {

namespace {

constexpr std::size_t kBufferSize = std::size_t{64} * 1024;
constexpr char kEndOfText = '\x1A';
// The longest character: four bytes of UTF-8, a surrogate pair of UTF-16.
constexpr std::size_t kLongestCharacter = 4;

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
    const std::size_t got = ReadText(m_buffer.get() + m_nEnd, kBufferSize - m_nEnd);
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

std::size_t CTextInput::ReadText(char* out, std::size_t room) {
    if (m_encoding != TextEncoding::Cp1250) {
        return ReadDecoded(out, room);
    }
    if (!m_bStarted) {
        return ReadStart(out, room);
    }
    const std::size_t got = m_file.Read(out, room);
    return m_bSettled ? got : Settle(out, got, room);
}

// The first read: the file's marks take at most three bytes, and the first
// fill has the whole buffer for them.
std::size_t CTextInput::ReadStart(char* out, std::size_t room) {
    m_bStarted = true;
    std::size_t got = m_file.Read(out, room);
    for (std::size_t more = got; more != 0 && got < kUtf8ByteOrderMark.size(); got += more) {
        more = m_file.Read(out + got, room - got);
    }
    const std::string_view start(out, got);
    if (start.starts_with(kUtf16LeByteOrderMark) || start.starts_with(kUtf16BeByteOrderMark)) {
        m_bSettled = true;
        StartDecoding(start.starts_with(kUtf16LeByteOrderMark) ? TextEncoding::Utf16Le
                                                               : TextEncoding::Utf16Be,
                      start.substr(kUtf16LeByteOrderMark.size()));
        return ReadDecoded(out, room);
    }
    if (start.starts_with(kUtf8ByteOrderMark)) {
        got -= kUtf8ByteOrderMark.size();
        std::memmove(out, out + kUtf8ByteOrderMark.size(), got);
        if (got == 0) {
            got = m_file.Read(out, room);
        }
    }
    return Settle(out, got, room);
}

std::size_t CTextInput::Settle(char* out, std::size_t got, std::size_t room) {
    const std::string_view block(out, got);
    const std::size_t stop = std::min(block.find(kEndOfText), block.size());
    const std::size_t high = AsciiPrefixLength(block.substr(0, stop));
    if (high == stop) {
        // ASCII so far; behind a Ctrl-Z nothing is read.
        m_bSettled = stop < block.size();
        return got;
    }
    m_bSettled = true;
    if (!IsUtf8Ahead(block.substr(high, stop - high), stop < block.size())) {
        return got;
    }
    StartDecoding(TextEncoding::Utf8, block.substr(high));
    return high + ReadDecoded(out + high, room - high);
}

bool CTextInput::IsUtf8Ahead(std::string_view text, bool stopped) {
    CUtf8Check check;
    if (!check.Feed(text) || stopped) {
        return check.IsComplete();
    }
    // A file without a read position (a pipe) cannot be read ahead.
    const std::optional<std::uint64_t> back = m_file.GetPosition();
    if (!back) {
        return false;
    }
    char* const raw = RawBuffer();
    for (std::size_t got = 0; (got = m_file.Read(raw, kBufferSize)) != 0;) {
        const std::string_view ahead(raw, got);
        const std::size_t stop = ahead.find(kEndOfText);
        if (!check.Feed(ahead.substr(0, stop)) || stop != std::string_view::npos) {
            break;
        }
    }
    m_file.SetPosition(*back);
    return check.IsComplete();
}

char* CTextInput::RawBuffer() {
    if (!m_raw) {
        m_raw = std::make_unique<char[]>(kBufferSize);
    }
    return m_raw.get();
}

void CTextInput::StartDecoding(TextEncoding encoding, std::string_view bytes) {
    m_encoding = encoding;
    std::memmove(RawBuffer(), bytes.data(), bytes.size());
    m_nRawPos = 0;
    m_nRawEnd = bytes.size();
}

std::size_t CTextInput::ReadDecoded(char* out, std::size_t room) {
    for (;;) {
        if (!m_bRawEnded && m_nRawEnd - m_nRawPos < kLongestCharacter) {
            const std::size_t kept = m_nRawEnd - m_nRawPos;
            std::memmove(m_raw.get(), m_raw.get() + m_nRawPos, kept);
            m_nRawPos = 0;
            m_nRawEnd = kept;
            const std::size_t got = m_file.Read(m_raw.get() + kept, kBufferSize - kept);
            m_bRawEnded = got == 0;
            m_nRawEnd += got;
        }
        const std::string_view in(m_raw.get() + m_nRawPos, m_nRawEnd - m_nRawPos);
        const std::span<char> text(out, room);
        const DecodeStep step =
            m_encoding == TextEncoding::Utf8
                ? DecodeUtf8(in, text, m_bRawEnded)
                : DecodeUtf16(in, text, m_encoding == TextEncoding::Utf16Be, m_bRawEnded);
        m_nRawPos += step.consumed;
        // With a whole character's bytes at hand a step gives at least one.
        if (step.produced > 0 || m_bRawEnded) {
            return step.produced;
        }
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
