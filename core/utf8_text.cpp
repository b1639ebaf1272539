// UTF-8 recognition and conversion to code page 1250.

#include "utf8_text.h"

#include <algorithm>
#include <array>
#include <cstdint>

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

// Decodes the well-formed sequence at text[at], of length 2-4 as told by its
// lead byte; returns 0 for a malformed one and sets length.
char32_t DecodeMultibyte(std::string_view text, std::size_t at, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(text[at]);
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        minimum = 0x10000;
    } else {
        return 0; // a continuation byte, an overlong lead, or beyond U+10FFFF
    }
    if (text.size() - at < length) {
        return 0;
    }
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(byte)) {
            return 0;
        }
        code = (code << 6) | (byte & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
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

char ToCp1250(char32_t code) {
    const auto* found = std::lower_bound(
        kByCharacter.begin(), kByCharacter.end(), code,
        [](const HighCharacter& entry, char32_t wanted) { return entry.code < wanted; });
    // The undefined bytes have the character 0, which no decoded character is.
    return found != kByCharacter.end() && found->code == code ? static_cast<char>(found->byte)
                                                              : '?';
}

} // namespace

bool IsUtf8WithMultibyte(std::string_view text) {
    bool multibyte = false;
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        std::size_t length = 0;
        if (DecodeMultibyte(text, at, length) == 0) {
            return false;
        }
        multibyte = true;
        at += length;
    }
    return multibyte;
}

std::string Utf8ToCp1250(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            result += text[at++];
            continue;
        }
        std::size_t length = 0;
        const char32_t code = DecodeMultibyte(text, at, length);
        result += code == 0 ? '?' : ToCp1250(code);
        at += code == 0 ? 1 : length;
    }
    return result;
}

} // namespace velmora
