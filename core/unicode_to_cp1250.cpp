// Decoding UTF-8 and UTF-16 into code page 1250.

#include "unicode_to_cp1250.h"

#include "word_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace velmora {

namespace {

// The characters of the bytes 0x80-0xFF of code page 1250; 0 where the code
// page defines none (0x81, 0x83, 0x88, 0x90, 0x98).
constexpr std::array<std::uint16_t, 128> kCp1250High = {
    0x20AC, 0x0000, 0x201A, 0x0000, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x0000, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179, // 88
    0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0000, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7, // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7, // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9, // F8
};

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length a lead byte announces: 2-4, or 1 for a byte that leads nothing
// (a continuation byte, an overlong lead, or one beyond U+10FFFF).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 1;
}

// The character of the well-formed sequence of `length` bytes at text[at];
// 0 for a malformed one, and for a byte that leads nothing (length 1).
char32_t DecodeMultibyte(std::string_view text, std::size_t at, std::size_t length) {
    if (length < 2) {
        return 0;
    }
    constexpr std::array<char32_t, 5> kMinimum = {0, 0, 0x80, 0x800, 0x10000};
    const auto lead = static_cast<unsigned char>(text[at]);
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(byte)) {
            return 0;
        }
        code = (code << 6) | (byte & 0x3F);
    }
    if (code < kMinimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return code;
}

struct HighCharacter {
    char32_t code;
    unsigned char byte;
};

// The table above turned round and sorted by character, for a binary search.
constexpr auto kByCharacter = [] {
    std::array<HighCharacter, kCp1250High.size()> table{};
    for (std::size_t i = 0; i < kCp1250High.size(); ++i) {
        table[i] = {kCp1250High[i], static_cast<unsigned char>(0x80 + i)};
    }
    std::sort(table.begin(), table.end(),
              [](const HighCharacter& a, const HighCharacter& b) { return a.code < b.code; });
    return table;
}();

} // namespace

std::size_t AsciiPrefixLength(std::string_view text) {
    std::size_t at = 0;
    for (; text.size() - at >= word::kSize; at += word::kSize) {
        if (word::HighBytes(word::Load(text.data() + at)) != 0) {
            break;
        }
    }
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) {
        ++at;
    }
    return at;
}

char ToCp1250(char32_t code) {
    if (code < 0x80) {
        return static_cast<char>(code);
    }
    const auto* found = std::lower_bound(
        kByCharacter.begin(), kByCharacter.end(), code,
        [](const HighCharacter& entry, char32_t wanted) { return entry.code < wanted; });
    // The unassigned bytes have the character 0, which no code >= 0x80 is.
    return found != kByCharacter.end() && found->code == code ? static_cast<char>(found->byte)
                                                              : kLackingCharacter;
}

bool CUtf8Check::Feed(std::string_view bytes) {
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p != end && !m_bMalformed) {
        if (m_nPending > 0) {
            const auto byte = static_cast<unsigned char>(*p++);
            m_bMalformed = byte < m_lowest || byte > m_highest;
            --m_nPending;
            m_lowest = 0x80;
            m_highest = 0xBF;
            continue;
        }
        p += AsciiPrefixLength(std::string_view(p, static_cast<std::size_t>(end - p)));
        if (p == end) {
            break;
        }
        const auto lead = static_cast<unsigned char>(*p++);
        m_nPending = static_cast<int>(SequenceLength(lead)) - 1;
        m_bMalformed = m_nPending == 0;
        // The second byte's range rules out overlong forms, surrogates and
        // characters above U+10FFFF.
        if (lead == 0xE0) {
            m_lowest = 0xA0;
        } else if (lead == 0xED) {
            m_highest = 0x9F;
        } else if (lead == 0xF0) {
            m_lowest = 0x90;
        } else if (lead == 0xF4) {
            m_highest = 0x8F;
        }
    }
    return !m_bMalformed;
}

DecodeStep DecodeUtf8(std::string_view in, std::span<char> out, bool last) {
    std::size_t i = 0;
    std::size_t o = 0;
    while (i < in.size() && o < out.size()) {
        const std::size_t ascii = AsciiPrefixLength(in.substr(i, out.size() - o));
        std::memcpy(out.data() + o, in.data() + i, ascii);
        i += ascii;
        o += ascii;
        if (i == in.size() || o == out.size()) {
            break;
        }
        const auto lead = static_cast<unsigned char>(in[i]);
        const std::size_t length = SequenceLength(lead);
        if (in.size() - i < length && !last) {
            break; // the rest of the character comes with the next input
        }
        const char32_t code = in.size() - i < length ? 0 : DecodeMultibyte(in, i, length);
        out[o++] = code == 0 ? kLackingCharacter : ToCp1250(code);
        i += code == 0 ? 1 : length;
    }
    return {i, o};
}

DecodeStep DecodeUtf16(std::string_view in, std::span<char> out, bool bigEndian, bool last) {
    const auto unit = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(in[at]);
        const auto second = static_cast<unsigned char>(in[at + 1]);
        return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    const auto isHigh = [](char16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
    const auto isLow = [](char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
    // Four ASCII characters at a time: the high byte of each unit zero, the
    // low one below 0x80.
    const word::Word kNonAscii = bigEndian ? 0x80FF80FF80FF80FFu : 0xFF80FF80FF80FF80u;
    const std::size_t low = bigEndian ? 1 : 0;
    std::size_t i = 0;
    std::size_t o = 0;
    while (in.size() - i >= 2 && o < out.size()) {
        if (in.size() - i >= word::kSize && out.size() - o >= 4) {
            if ((word::Load(in.data() + i) & kNonAscii) == 0) {
                for (std::size_t k = 0; k < 4; ++k) {
                    out[o + k] = in[i + 2 * k + low];
                }
                i += 8;
                o += 4;
                continue;
            }
        }
        const char16_t u = unit(i);
        if (!isHigh(u)) {
            out[o++] = ToCp1250(u); // a lone low surrogate is lacking too
            i += 2;
            continue;
        }
        if (in.size() - i < 4 && !last) {
            break; // its partner may come with the next input
        }
        out[o++] = kLackingCharacter;
        i += in.size() - i >= 4 && isLow(unit(i + 2)) ? 4 : 2;
    }
    if (last && in.size() - i == 1 && o < out.size()) {
        out[o++] = kLackingCharacter; // an odd last byte
        ++i;
    }
    return {i, o};
}

} // namespace velmora
