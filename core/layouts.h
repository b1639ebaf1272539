#pragma once
// The fourteen input layouts: names, token roles, definition lines and the
// shape of a record at the full and the short token count.

#include <array>
#include <cstdint>
#include <string_view>

namespace velmora {

inline constexpr int kLayoutCount = 14;

// How one output field is written.
enum class FieldFormat : std::uint8_t {
    Text,   // the token's bytes, at most kMaxTextToken of them
    Fixed6, // ParseNumber, then 6 decimals (X, Y)
    Fixed3, // ParseNumber, then 3 decimals (H, RZG, RZD)
};

inline constexpr std::size_t kMaxTextToken = 127;

struct RecordField {
    std::uint8_t token; // 0-based index of the input token
    FieldFormat format;
};

struct Layout {
    std::string_view name;       // as shown in the "Format:" list
    std::string_view definition; // definition line between "#<description>=" and the suffix
    int fullCount;               // tokens at which reading stops
    int shortCount;              // the one smaller count also accepted, 0 when none
    int fieldCount;              // fields of the full record, in output order
    std::array<RecordField, 5> fields;
};

// The layout of index 0-13; any other index throws InvalidArgumentError.
const Layout& GetLayout(int index);

} // namespace velmora
