#include "line_tokens.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace velmora {

namespace {

// The first separator or NUL from p on, or end. Eight bytes are looked at
// as one word (the lowest flagged byte is exactly the first zero byte of x or
// of word; flags above it may be false), which may read past end.
const char* FindSeparatorOrNul(const char* p, const char* end, char separator) {
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101u;
        constexpr std::uint64_t kHighBits = 0x8080808080808080u;
        const std::uint64_t pattern = kOnes * static_cast<unsigned char>(separator);
        for (; p < end; p += 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, sizeof word);
            const std::uint64_t x = word ^ pattern;
            const std::uint64_t zeros = (((x - kOnes) & ~x) | ((word - kOnes) & ~word)) & kHighBits;
            if (zeros != 0) {
                const char* const found = p + std::countr_zero(zeros) / 8;
                return found < end ? found : end;
            }
        }
        return end;
    }
    while (p != end && *p != separator && *p != '\0') {
        ++p;
    }
    return p;
}

} // namespace

std::size_t SplitTokens(std::string_view line, char separator, std::span<std::string_view> tokens) {
    const char* p = line.data();
    const char* const end = p + line.size();
    std::size_t count = 0;
    while (count < tokens.size()) {
        while (p != end && *p == separator) {
            ++p;
        }
        const char* const begin = p;
        p = FindSeparatorOrNul(p, end, separator);
        if (p == begin) {
            break; // the end of the line, or a NUL
        }
        tokens[count++] = std::string_view(begin, static_cast<std::size_t>(p - begin));
    }
    return count;
}

} // namespace velmora
