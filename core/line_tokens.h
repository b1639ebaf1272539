#pragma once
// Splitting an input line into its tokens.

#include <cstddef>
#include <span>
#include <string_view>

namespace velmora {

// The tokens of line by C's strtok rule for the one separator character:
// separators at the start are skipped, a run of them divides like a single
// one, there are no empty tokens ("101;;1;2" gives 101, 1 and 2), and a NUL
// ends the line as it ends a C string. Fills at most tokens.size() of tokens
// and returns how many it filled.
std::size_t SplitTokens(std::string_view line, char separator, std::span<std::string_view> tokens);

} // namespace velmora
