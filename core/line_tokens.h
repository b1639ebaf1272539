#pragma once
// Splitting an input line into its tokens.

#include <cstddef>
#include <span>
#include <string_view>

namespace velmora {

inline constexpr std::size_t kTokenReadAhead = 8;

// The tokens of line by C's strtok rule for the one separator character:
// separators at the start are skipped, a run of them divides like a single
// one, there are no empty tokens ("101;;1;2" gives 101, 1 and 2), and a NUL
// ends the line as it ends a C string. Fills at most tokens.size() of tokens
// and returns how many it filled. Up to kTokenReadAhead bytes behind the
// line are read (the line is scanned eight bytes at a time), so it must lie
// in a buffer with that many bytes to spare.
std::size_t SplitTokens(std::string_view line, char separator, std::span<std::string_view> tokens);

} // namespace velmora
