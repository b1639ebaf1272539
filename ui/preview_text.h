#pragma once
// What the preview box shows of a file's first lines.

#include <cstddef>
#include <string>

// An edit box lays out a line in time that grows with the square of its
// length (under Wine a line of 100 000 bytes takes the better part of a
// minute). The lines of a point list are short; of a longer line the preview
// shows the start.
inline constexpr std::size_t kPreviewLineLimit = 1024;

// preview: lines each followed by "\r\n". Every line is cut to
// kPreviewLineLimit bytes; nothing else changes.
std::string LimitPreviewLines(const std::string& preview);
