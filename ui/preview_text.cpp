#include "preview_text.h"

#include <algorithm>
#include <string_view>

std::string LimitPreviewLines(const std::string& preview) {
    static constexpr std::string_view kLineEnd = "\r\n";
    std::string shown;
    std::size_t start = 0;
    while (start < preview.size()) {
        std::size_t end = preview.find(kLineEnd, start);
        if (end == std::string::npos) {
            end = preview.size();
        }
        shown.append(preview, start, std::min(end - start, kPreviewLineLimit));
        if (end < preview.size()) {
            shown += kLineEnd;
        }
        start = end + kLineEnd.size();
    }
    return shown;
}
