#include "line_tokens.h"

#include "word_scan.h"

#include <cstring>

namespace velmora {

namespace {

constexpr char kQuote = '"';

// The first byte `wanted` or NUL from p on, or end. Reads a word at a time,
// up to a word past end.
char* FindByteOrNul(char* p, char* end, char wanted) {
    for (; p < end; p += word::kSize) {
        if (const word::Word found = word::BytesOrNul(word::Load(p), wanted); found != 0) {
            char* const at = p + word::FirstFlagged(found);
            return at < end ? at : end;
        }
    }
    return end;
}

// A blank that may stand around a quoted field: space or tab, unless it is
// the separator.
bool IsBlank(char c, char separator) {
    return (c == ' ' || c == '\t') && c != separator;
}

// What a field that may be quoted turned out to be.
enum class Quoted : unsigned char { No, Content, Empty, Malformed };

// Reads the field at p if it is quoted: its content, its doubled quotes made
// single in place, goes to content, and p is set behind the blanks after
// its closing quote.
Quoted TakeQuoted(char*& p, char* end, char separator, std::string_view& content) {
    char* in = p;
    while (in != end && IsBlank(*in, separator)) {
        ++in;
    }
    if (in == end || *in != kQuote) {
        return Quoted::No;
    }
    char* const begin = ++in;
    char* out = in;
    for (;;) {
        char* const quote = FindByteOrNul(in, end, kQuote);
        if (quote == end || *quote != kQuote) {
            return Quoted::Malformed; // left open
        }
        const auto run = static_cast<std::size_t>(quote - in);
        if (out != in) {
            std::memmove(out, in, run);
        }
        out += run;
        in = quote + 1;
        if (in == end || *in != kQuote) {
            break;
        }
        *out++ = kQuote; // "" stands for one quote
        ++in;
    }
    while (in != end && (IsBlank(*in, separator) || *in == '\r')) {
        ++in;
    }
    if (in != end && *in != separator && *in != '\0') {
        return Quoted::Malformed;
    }
    p = in;
    content = std::string_view(begin, static_cast<std::size_t>(out - begin));
    return content.empty() ? Quoted::Empty : Quoted::Content;
}

} // namespace

std::optional<std::size_t> SplitTokens(std::span<char> line, char separator,
                                       std::span<std::string_view> tokens) {
    char* p = line.data();
    char* const end = p + line.size();
    std::size_t count = 0;
    while (count < tokens.size()) {
        while (p != end && *p == separator) {
            ++p;
        }
        char* const begin = p;
        p = FindByteOrNul(p, end, separator);
        if (p == begin) {
            break; // the end of the line, or a NUL
        }
        // Fields start with a digit or letter nearly always: one test passes
        // them (a quote and the blanks are all at or below '"').
        if (static_cast<unsigned char>(*begin) <= static_cast<unsigned char>(kQuote)) [[unlikely]] {
            char* next = begin;
            std::string_view content;
            switch (TakeQuoted(next, end, separator, content)) {
            case Quoted::No:
                break;
            case Quoted::Malformed:
                return std::nullopt;
            case Quoted::Empty:
                p = next;
                continue;
            case Quoted::Content:
                p = next;
                tokens[count++] = content;
                continue;
            }
        }
        tokens[count++] = std::string_view(begin, static_cast<std::size_t>(p - begin));
    }
    return count;
}

} // namespace velmora
