#pragma once
// Splitting an input line into its tokens.

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace velmora {

// The tokens of line for the one separator character. Bare fields follow C's
// strtok rule: separators at the start are skipped, a run of them divides
// like a single one, there are no empty tokens ("101;;1;2" gives 101, 1 and
// 2), and a NUL ends the line as it ends a C string.
//
// A field whose first byte after blanks (space, tab; never the separator) is
// '"' is quoted, as spreadsheets and GIS tools write them: it runs to the
// next '"' that is not doubled, each "" inside is one '"', separators inside
// are text, and the token is its content. After the closing quote only
// blanks and CRs may stand before the separator or the line's end. A quoted
// field left open, or followed by anything else, makes the line malformed;
// an empty one ("") is dropped like an empty bare field. A '"' anywhere else
// is an ordinary byte.
//
// Fills at most tokens.size() of tokens (nothing after them is looked at) and
// returns how many it filled, or nothing for a malformed line. A quoted
// field's content is written over the field in line, so the tokens point
// into line, which is scanned a word at a time and must lie in a buffer with
// word::kReadAhead bytes to spare.
std::optional<std::size_t> SplitTokens(std::span<char> line, char separator,
                                       std::span<std::string_view> tokens);

} // namespace velmora
