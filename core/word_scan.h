#pragma once
// Scanning text eight bytes at a time. A word is loaded in the text's own
// order on every host (its first byte lowest), so the byte tests below and
// the byte a flag stands for are the same everywhere.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace velmora::word {

using Word = std::uint64_t;

inline constexpr std::size_t kSize = sizeof(Word);
// Bytes a scan may read behind the end of its text (two words): a text
// that is scanned lies in a buffer with this many bytes to spare.
inline constexpr std::size_t kReadAhead = 2 * kSize;

inline constexpr Word kOnes = 0x0101010101010101u;
inline constexpr Word kHighBits = 0x8080808080808080u;

// The eight bytes at p, the first one lowest.
inline Word Load(const char* p) {
    Word word = 0;
    std::memcpy(&word, p, kSize);
    if constexpr (std::endian::native == std::endian::big) {
        Word swapped = 0;
        for (std::size_t i = 0; i < kSize; ++i, word >>= 8) {
            swapped = (swapped << 8) | (word & 0xFF);
        }
        word = swapped;
    }
    return word;
}

// A word of eight bytes `byte`.
constexpr Word Repeat(char byte) {
    return kOnes * static_cast<unsigned char>(byte);
}

// The high bit of every byte at or above 0x80.
constexpr Word HighBytes(Word word) {
    return word & kHighBits;
}

// The high bit of the zero bytes of word. The lowest flag is exact; a flag
// above it may be false (a borrow from a zero byte).
constexpr Word ZeroBytes(Word word) {
    return (word - kOnes) & ~word & kHighBits;
}

// The bytes of word that are `byte` or NUL, flagged as ZeroBytes flags them.
constexpr Word BytesOrNul(Word word, char byte) {
    return ZeroBytes(word ^ Repeat(byte)) | ZeroBytes(word);
}

// Nonzero in the bytes that are not ASCII digits: a digit's high nibble is 3
// and adding 6 keeps it so. A carry out of a non-digit byte can only disturb
// the bytes above it.
constexpr Word NonDigitBytes(Word word) {
    constexpr Word kHigh = 0xF0F0F0F0F0F0F0F0u;
    constexpr Word kThrees = 0x3030303030303030u;
    constexpr Word kSixes = 0x0606060606060606u;
    return ((word & kHigh) ^ kThrees) | (((word + kSixes) & kHigh) ^ kThrees);
}

// The flags of the first `count` bytes only (count below eight).
constexpr Word FirstBytes(Word flags, std::size_t count) {
    return flags & ((Word{1} << (8 * count)) - 1);
}

// The index of the lowest flagged byte; flags is not zero.
constexpr std::size_t FirstFlagged(Word flags) {
    return static_cast<std::size_t>(std::countr_zero(flags)) / 8;
}

} // namespace velmora::word
