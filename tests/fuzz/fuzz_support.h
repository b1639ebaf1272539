#pragma once
// Helpers shared by the fuzz targets: a private temporary folder per process,
// whole-file reads and writes, and small independent models of the text-mode
// reading rules that the targets compare the core against.

#include <iconv.h>

#include <cerrno>

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

// Text mode on code page 1250 bytes: the byte 0x1A ends the input, CR LF
// reads as LF, any other CR stays.
inline std::string TextMode(std::string_view raw) {
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

inline iconv_t OpenConverter(const char* to, const char* from) {
    const iconv_t converter = iconv_open(to, from);
    Check(reinterpret_cast<std::intptr_t>(converter) != -1, "glibc's converter is not available");
    return converter;
}

// The program's byte, in decoded text, for a character code page 1250 lacks.
constexpr char kLacking = '\x81';

// glibc's code page 1250 byte of one character; kLacking where it has none.
inline char GlibcCp1250(char32_t character) {
    static const iconv_t encode = OpenConverter("CP1250", "UTF-32LE");
    char* in = reinterpret_cast<char*>(&character);
    std::size_t inLeft = 4;
    char byte = 0;
    char* out = &byte;
    std::size_t outLeft = 1;
    if (iconv(encode, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        outLeft != 0) {
        iconv(encode, nullptr, nullptr, nullptr, nullptr);
        return kLacking;
    }
    return byte;
}

// The characters glibc decodes from bytes in the encoding `from`, as code
// page 1250 bytes. A unit it refuses (an unpaired surrogate) and an
// incomplete end are one lacking character each, two bytes at a time.
// wellFormed tells whether glibc took every byte.
inline std::string GlibcDecode(std::string_view bytes, const char* from, bool& wellFormed) {
    static const iconv_t kUtf8 = OpenConverter("UTF-32LE", "UTF-8");
    static const iconv_t kUtf16Le = OpenConverter("UTF-32LE", "UTF-16LE");
    static const iconv_t kUtf16Be = OpenConverter("UTF-32LE", "UTF-16BE");
    const std::string_view name(from);
    const iconv_t decode = name == "UTF-8" ? kUtf8 : name == "UTF-16LE" ? kUtf16Le : kUtf16Be;
    iconv(decode, nullptr, nullptr, nullptr, nullptr);
    wellFormed = true;
    std::string text;
    while (!bytes.empty()) {
        char32_t characters[256];
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        char* out = reinterpret_cast<char*>(characters);
        std::size_t outLeft = sizeof characters;
        const bool refused =
            iconv(decode, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) &&
            errno != E2BIG;
        for (std::size_t i = 0; i < (sizeof characters - outLeft) / 4; ++i) {
            text += GlibcCp1250(characters[i]);
        }
        bytes.remove_prefix(bytes.size() - inLeft);
        if (refused) {
            wellFormed = false;
            text += kLacking;
            bytes.remove_prefix(std::min<std::size_t>(bytes.size(), 2));
        }
    }
    return text;
}

struct ModelText {
    std::string bytes;    // code page 1250
    bool decoded = false; // from UTF-8 or UTF-16: kLacking marks what the code page lacks
};

// A file's text as the program reads it: UTF-16 after its mark; UTF-8 when,
// after an optional mark, the bytes before the first 0x1A are well-formed
// UTF-8 (with a multi-byte character where no mark says so); otherwise the
// bytes as they stand, after a UTF-8 mark.
inline ModelText ModelDecode(std::string_view raw) {
    bool wellFormed = true;
    if (raw.starts_with("\xFF\xFE") || raw.starts_with("\xFE\xFF")) {
        return {GlibcDecode(raw.substr(2), raw[0] == '\xFF' ? "UTF-16LE" : "UTF-16BE", wellFormed),
                true};
    }
    const bool mark = raw.starts_with("\xEF\xBB\xBF");
    if (mark) {
        raw.remove_prefix(3);
    }
    const std::string_view text = raw.substr(0, raw.find('\x1A'));
    const bool multibyte =
        std::ranges::any_of(text, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (mark || multibyte) {
        std::string decoded = GlibcDecode(text, "UTF-8", wellFormed);
        if (wellFormed) {
            return {std::move(decoded), true};
        }
    }
    return {std::string(raw), false};
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
    const std::string text = TextMode(ModelDecode(raw).bytes);
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
// through the decoding and text mode first; then every line, counted
// with its LF, is cut into pieces of 2047 bytes, and each piece is read as a
// line of its own.
inline std::vector<PointCode> ModelPointCodes(std::string_view raw) {
    constexpr std::size_t kPieceBytes = 2047;
    const ModelText decoded = ModelDecode(raw);
    std::string text = TextMode(decoded.bytes);
    if (decoded.decoded) {
        std::ranges::replace(text, kLacking, '?');
    }
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
