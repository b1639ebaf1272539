// Telling how a file was saved, and decoding it into code page 1250.

#include "file_decoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>

namespace velmora {

namespace {

// The longest character: four bytes of UTF-8, a surrogate pair of UTF-16.
constexpr std::size_t kLongestCharacter = 4;

} // namespace

std::size_t CFileDecoder::Read(char* out, std::size_t room) {
    switch (m_state) {
    case State::Start:
        return ReadStart(out, room);
    case State::Ascii:
        return ReadAscii(out, m_file.Read(out, room), room);
    case State::Cp1250:
        return m_file.Read(out, room);
    default:
        return ReadDecoded(out, room);
    }
}

// The marks take at most three bytes, and the first read has the whole room
// for them.
std::size_t CFileDecoder::ReadStart(char* out, std::size_t room) {
    std::size_t got = m_file.Read(out, room);
    for (std::size_t more = got; more != 0 && got < kUtf8ByteOrderMark.size(); got += more) {
        more = m_file.Read(out + got, room - got);
    }
    const std::string_view start(out, got);
    if (start.starts_with(kUtf16LeByteOrderMark) || start.starts_with(kUtf16BeByteOrderMark)) {
        return StartDecoding(start.starts_with(kUtf16LeByteOrderMark) ? State::Utf16Le
                                                                      : State::Utf16Be,
                             start.substr(kUtf16LeByteOrderMark.size()), out, room);
    }
    m_state = State::Ascii;
    if (start.starts_with(kUtf8ByteOrderMark)) {
        got -= kUtf8ByteOrderMark.size();
        std::memmove(out, out + kUtf8ByteOrderMark.size(), got);
        if (got == 0) {
            got = m_file.Read(out, room);
        }
    }
    return ReadAscii(out, got, room);
}

std::size_t CFileDecoder::ReadAscii(char* out, std::size_t got, std::size_t room) {
    const std::string_view block(out, got);
    const std::size_t stop = std::min(block.find(kEndOfText), block.size());
    const std::size_t high = AsciiPrefixLength(block.substr(0, stop));
    if (high == stop) {
        if (stop < block.size()) {
            m_state = State::Cp1250; // the text ends as ASCII
        }
        return got;
    }
    if (!IsUtf8Ahead(block.substr(high, stop - high), stop < block.size())) {
        m_state = State::Cp1250;
        return got;
    }
    return high + StartDecoding(State::Utf8, block.substr(high), out + high, room - high);
}

bool CFileDecoder::IsUtf8Ahead(std::string_view text, bool stopped) {
    CUtf8Check check;
    if (!check.Feed(text) || stopped) {
        return check.IsComplete();
    }
    // A file without a read position (a pipe) cannot be read ahead.
    const std::optional<std::uint64_t> back = m_file.GetPosition();
    if (!back) {
        return false;
    }
    const auto ahead = std::make_unique<char[]>(kReadBlockSize);
    for (std::size_t got = 0; (got = m_file.Read(ahead.get(), kReadBlockSize)) != 0;) {
        const std::string_view bytes(ahead.get(), got);
        const std::size_t stop = bytes.find(kEndOfText);
        if (!check.Feed(bytes.substr(0, stop)) || stop != std::string_view::npos) {
            break;
        }
    }
    m_file.SetPosition(*back);
    return check.IsComplete();
}

std::size_t CFileDecoder::StartDecoding(State state, std::string_view bytes, char* out,
                                        std::size_t room) {
    m_state = state;
    m_raw = CReadBuffer(kReadBlockSize);
    m_raw.ReadBehind([bytes](char* free, std::size_t) {
        std::memmove(free, bytes.data(), bytes.size());
        return bytes.size();
    });
    return ReadDecoded(out, room);
}

std::size_t CFileDecoder::ReadDecoded(char* out, std::size_t room) {
    for (;;) {
        if (!m_bRawEnded && m_raw.GetUnread().size() < kLongestCharacter) {
            m_bRawEnded = m_raw.ReadBehind([this](char* free, std::size_t size) {
                return m_file.Read(free, size);
            }) == 0;
        }
        const std::string_view in = m_raw.GetUnread();
        const std::span<char> text(out, room);
        const DecodeStep step = m_state == State::Utf8
                                    ? DecodeUtf8(in, text, m_bRawEnded)
                                    : DecodeUtf16(in, text, m_state == State::Utf16Be, m_bRawEnded);
        m_raw.Consume(step.consumed);
        // With a whole character's bytes at hand a step gives at least one.
        if (step.produced > 0 || m_bRawEnded) {
            return step.produced;
        }
    }
}

} // namespace velmora
