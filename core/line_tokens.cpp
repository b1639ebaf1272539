#include "line_tokens.h"

namespace velmora {

std::size_t SplitTokens(std::string_view line, char separator, std::span<std::string_view> tokens) {
    const char* p = line.data();
    const char* const end = p + line.size();
    std::size_t count = 0;
    while (count < tokens.size()) {
        while (p != end && *p == separator) {
            ++p;
        }
        const char* const begin = p;
        while (p != end && *p != separator && *p != '\0') {
            ++p;
        }
        if (p == begin) {
            break; // the end of the line, or a NUL
        }
        tokens[count++] = std::string_view(begin, static_cast<std::size_t>(p - begin));
    }
    return count;
}

} // namespace velmora
