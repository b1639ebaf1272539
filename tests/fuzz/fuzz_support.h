#pragma once
// Helpers shared by the fuzz targets: a private temporary folder per process,
// whole-file reads and writes, and small independent models of the text-mode
// reading rules that the targets compare the core against.

#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Stops the run so that libFuzzer records the input as a crash.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void Check(bool condition, const char* what) {
    if (!condition) {
        Fail(what);
    }
}

// A folder of this process's own under /tmp, removed when the process exits.
inline const std::string& TempDir() {
    // Never destroyed, so that the clean-up at exit can still read it.
    static const std::string& dir = *new std::string([] {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-fuzz-XXXXXX");
        if (mkdtemp(pattern.data()) == nullptr) {
            Fail("cannot create the temporary folder");
        }
        return pattern;
    }());
    static const bool cleanupRegistered = [] {
        return std::atexit([] {
                   std::error_code ignored;
                   std::filesystem::remove_all(TempDir(), ignored);
               }) == 0;
    }();
    (void)cleanupRegistered;
    return dir;
}

inline std::string TempPath(const char* name) {
    return TempDir() + "/" + name;
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr, "cannot create a temporary file");
    Check(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size(),
          "cannot write a temporary file");
    Check(std::fclose(file) == 0, "cannot close a temporary file");
}

// The file's bytes; false when it does not exist.
inline bool ReadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.append(buffer, got);
    }
    std::fclose(file);
    return true;
}

// Text mode: a UTF-8 byte-order mark at the start is skipped, the byte 0x1A
// ends the input, CR LF reads as LF, any other CR stays.
inline std::string TextMode(std::string_view raw) {
    if (raw.starts_with("\xEF\xBB\xBF")) {
        raw.remove_prefix(3);
    }
    std::string text;
    text.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\x1A') {
            break;
        }
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            continue;
        }
        text += c;
    }
    return text;
}

// The next piece of text from pos: up to and including the next LF, at most
// maxBytes bytes.
inline std::string_view NextPiece(std::string_view text, std::size_t& pos, std::size_t maxBytes) {
    const std::size_t limit = std::min(maxBytes, text.size() - pos);
    const std::size_t lf = text.substr(pos, limit).find('\n');
    const std::size_t length = lf == std::string_view::npos ? limit : lf + 1;
    const std::string_view piece = text.substr(pos, length);
    pos += length;
    return piece;
}

// The lines CInputReader::ReadLine returns for a file of these bytes: pieces of
// at most 128 bytes, a NUL ends the line's text and drops the rest of its
// piece; a line that begins with a NUL is an empty line and reading goes on.
inline std::vector<std::string> ModelInputLines(std::string_view raw) {
    const std::string text = TextMode(raw);
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::string line;
        while (pos < text.size()) {
            const std::string_view piece = NextPiece(text, pos, 128);
            const std::size_t nul = piece.find('\0');
            if (nul != std::string_view::npos) {
                line.append(piece.substr(0, nul));
                break;
            }
            if (piece.back() == '\n') {
                line.append(piece.substr(0, piece.size() - 1));
                break;
            }
            line.append(piece);
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

// The bytes trimmed around a code and a description.
constexpr std::string_view kListBlanks = " \t\n\v\f\r";

inline std::string_view TrimList(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kListBlanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kListBlanks) + 1 - first);
}

// Code page 1250 uppercase, written from the code page's letter table.
inline char UpperCp1250(char c) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7)) {
        return static_cast<char>(b - 0x20);
    }
    switch (b) {
    case 0x9A:
    case 0x9C:
    case 0x9D:
    case 0x9E:
    case 0x9F:
        return static_cast<char>(b - 0x10);
    case 0xB3:
        return '\xA3';
    case 0xB9:
        return '\xA5';
    case 0xBA:
        return '\xAA';
    case 0xBE:
        return '\xBC';
    case 0xBF:
        return '\xAF';
    default:
        return c;
    }
}

struct PointCode {
    std::string code;
    std::string description;
};

inline iconv_t OpenConverter(const char* to, const char* from) {
    const iconv_t converter = iconv_open(to, from);
    Check(reinterpret_cast<std::intptr_t>(converter) != -1, "glibc's converter is not available");
    return converter;
}

// A list text that is well-formed UTF-8 with a multi-byte character, turned
// into code page 1250 by glibc's converters ('?' for a character the code
// page lacks); any other text as it is.
inline std::string ModelListCodePage(const std::string& text) {
    if (std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return text;
    }
    std::string utf32(text.size() * 4, '\0');
    {
        const iconv_t decode = OpenConverter("UTF-32LE", "UTF-8");
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* out = utf32.data();
        std::size_t outLeft = utf32.size();
        const std::size_t done = iconv(decode, &in, &inLeft, &out, &outLeft);
        iconv_close(decode);
        if (done == static_cast<std::size_t>(-1) || inLeft != 0) {
            return text; // not well-formed UTF-8
        }
        utf32.resize(utf32.size() - outLeft);
    }
    const iconv_t encode = OpenConverter("CP1250", "UTF-32LE");
    std::string result;
    for (std::size_t i = 0; i < utf32.size(); i += 4) {
        char* in = utf32.data() + i;
        std::size_t inLeft = 4;
        char byte = 0;
        char* out = &byte;
        std::size_t outLeft = 1;
        if (iconv(encode, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
            outLeft != 0) {
            iconv(encode, nullptr, nullptr, nullptr, nullptr);
            byte = '?';
        }
        result += byte;
    }
    iconv_close(encode);
    return result;
}

// The entry one piece of the list gives, if any. The piece's text ends at its
// first NUL; its first comma divides the code from the description (a comma
// in first place leaves the code empty); both are trimmed and must not be
// empty.
inline std::optional<PointCode> ModelListEntry(std::string_view piece) {
    piece = piece.substr(0, piece.find('\0'));
    const auto comma = std::ranges::find(piece, ',');
    if (comma == piece.end()) {
        return std::nullopt;
    }
    PointCode entry{std::string(TrimList({piece.begin(), comma})),
                    std::string(TrimList({comma + 1, piece.end()}))};
    if (entry.code.empty() || entry.description.empty()) {
        return std::nullopt;
    }
    std::ranges::transform(entry.code, entry.code.begin(), UpperCp1250);
    return entry;
}

// The entries a point-code list of these bytes yields. The whole file goes
// through text mode and the UTF-8 conversion first; then every line, counted
// with its LF, is cut into pieces of 2047 bytes, and each piece is read as a
// line of its own.
inline std::vector<PointCode> ModelPointCodes(std::string_view raw) {
    constexpr std::size_t kPieceBytes = 2047;
    const std::string text = ModelListCodePage(TextMode(raw));
    std::vector<PointCode> entries;
    for (auto begin = text.begin(); begin != text.end();) {
        const auto lf = std::find(begin, text.end(), '\n');
        const std::string_view line(begin, lf == text.end() ? lf : lf + 1);
        for (std::size_t at = 0; at < line.size(); at += kPieceBytes) {
            if (std::optional<PointCode> entry = ModelListEntry(line.substr(at, kPieceBytes))) {
                entries.push_back(std::move(*entry));
            }
        }
        begin += static_cast<std::ptrdiff_t>(line.size());
    }
    return entries;
}

} // namespace fuzz
