// The catalogue: built-in layout and separator lists, and the point codes
// read from ListaKodów.txt.

#include "catalogue.h"

#include "errors.h"
#include "layouts.h"
#include "platform.h"
#include "text_mode_input.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace velmora {

namespace {

// The read buffer of the list holds 2048 bytes with the terminating NUL.
constexpr std::size_t kListPieceBytes = 2047;
// The list is read in blocks of this size.
constexpr std::size_t kListReadBytes = std::size_t{64} * 1024;
constexpr std::size_t kMaxDrive = 2;
constexpr std::size_t kMaxDirectory = 255;
// Windows appends a backslash after a directory that ends in '/'; on POSIX
// '/' is the separator itself and the directory is used as it stands.
#ifdef _WIN32
constexpr bool kSlashEndsDirectory = false;
#else
constexpr bool kSlashEndsDirectory = true;
#endif

constexpr bool IsListWhitespace(char c) {
    return c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == ' ';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsListWhitespace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsListWhitespace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

constexpr std::array<unsigned char, 256> MakeUppercaseTable() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
    }
    for (int c = 0x61; c <= 0x7A; ++c) {
        table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 0x20);
    }
    // š ś ť ž ź
    table[0x9A] = 0x8A;
    table[0x9C] = 0x8C;
    table[0x9D] = 0x8D;
    table[0x9E] = 0x8E;
    table[0x9F] = 0x8F;
    // ł ą ş ľ ż
    table[0xB3] = 0xA3;
    table[0xB9] = 0xA5;
    table[0xBA] = 0xAA;
    table[0xBE] = 0xBC;
    table[0xBF] = 0xAF;
    // à-þ except the division sign; ß (0xDF) has no single-byte capital.
    for (int c = 0xE0; c <= 0xFE; ++c) {
        if (c != 0xF7) {
            table[static_cast<std::size_t>(c)] = static_cast<unsigned char>(c - 0x20);
        }
    }
    return table;
}

constexpr std::array<unsigned char, 256> kUppercase = MakeUppercaseTable();

const std::string& EntryOf(const std::vector<std::string>& list, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) {
        throw InvalidArgumentError();
    }
    return list[static_cast<std::size_t>(index)];
}

struct SplitPath {
    std::string drive;
    std::string directory;
};

// Drive (the first two bytes when the second is ':') and directory (up to
// and including the last '\' or '/'). A directory too long for its
// 255-byte component gives nothing at all.
SplitPath Split(const std::string& path) {
    SplitPath parts;
    std::size_t start = 0;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = path.substr(0, kMaxDrive);
        start = kMaxDrive;
    }
    const std::size_t last = path.find_last_of("\\/");
    if (last != std::string::npos && last >= start) {
        parts.directory = path.substr(start, last + 1 - start);
    }
    if (parts.directory.size() > kMaxDirectory) {
        return {};
    }
    return parts;
}

} // namespace

CCatalogue::CCatalogue() : CCatalogue(GetPointCodeListPath()) {}

CCatalogue::CCatalogue(const std::string& pointCodeListPath) {
    m_layoutNames.reserve(kLayoutCount);
    for (int i = 0; i < kLayoutCount; ++i) {
        m_layoutNames.emplace_back(GetLayout(i).name);
    }
    m_separatorNames = {";", ",", "Tab", "Spacja", "|"};
    m_separatorChars = {";", ",", "\t", " ", "|"};
    LoadPointCodes(pointCodeListPath);
}

// The whole list is read first, in text mode and as code page 1250 bytes
// (CFileDecoder decodes a list saved as UTF-8 or UTF-16), then split into
// entries. In a decoded list a character the code page lacks becomes '?'.
void CCatalogue::LoadPointCodes(const std::string& path) {
    CTextModeInput list(platform::CFile::OpenSharedForReading(path));
    if (!list.IsOpen()) {
        platform::ShowMessage("Nie mo\xBFna otworzy\xE6 pliku '" + path + "'!");
        return;
    }
    std::string text;
    try {
        while (list.ReadPiece(text, kListReadBytes) != 0) {
        }
    } catch (const FileError&) {
        // a read failure ends the list with what was read so far
    }
    if (list.GetEncoding() != TextEncoding::Cp1250) {
        std::ranges::replace(text, kLackingCharacter, '?');
    }
    for (std::string_view rest(text); !rest.empty();) {
        // A piece: up to and including the next LF, at most kListPieceBytes.
        std::size_t length = rest.find('\n', 0);
        length = length == std::string_view::npos ? rest.size() : length + 1;
        length = length < kListPieceBytes ? length : kListPieceBytes;
        std::string_view piece = rest.substr(0, length);
        rest.remove_prefix(length);
        if (const std::size_t nul = piece.find('\0'); nul != std::string_view::npos) {
            piece = piece.substr(0, nul);
        }
        const std::size_t comma = piece.find(',');
        if (comma == std::string_view::npos || comma == 0) {
            continue;
        }
        const std::string_view code = Trim(piece.substr(0, comma));
        const std::string_view description = Trim(piece.substr(comma + 1));
        if (code.empty() || description.empty()) {
            continue;
        }
        m_codes.push_back(UppercaseCp1250(std::string(code)));
        m_descriptions.emplace_back(description);
    }
}

std::string CCatalogue::GetLayoutName(int index) const {
    return EntryOf(m_layoutNames, index);
}

std::string CCatalogue::GetSeparatorName(int index) const {
    return EntryOf(m_separatorNames, index);
}

std::string CCatalogue::GetSeparatorChar(int index) const {
    return EntryOf(m_separatorChars, index);
}

std::string CCatalogue::GetCode(int index) const {
    return EntryOf(m_codes, index);
}

std::string CCatalogue::GetDescription(int index) const {
    return EntryOf(m_descriptions, index);
}

std::string UppercaseCp1250(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(kUppercase[static_cast<unsigned char>(c)]);
    }
    return text;
}

std::string ProgramDirectoryFromPath(const std::string& modulePath, NormaliseFunction normalise) {
    SplitPath parts;
    if (modulePath.find("..") != std::string::npos) {
        if (const std::optional<std::string> normalised = normalise(modulePath)) {
            parts = Split(*normalised);
        }
    } else {
        parts = Split(modulePath);
    }
    if (parts.drive.empty()) {
        if (const std::optional<std::string> normalised = normalise(modulePath)) {
            parts = Split(*normalised);
        }
    }
    std::string result = parts.drive + parts.directory;
    if (!parts.directory.empty()) {
        if (result.back() != '\\' && !(kSlashEndsDirectory && result.back() == '/')) {
            result += '\\';
        }
    } else if (!parts.drive.empty() && result.back() != '\\') {
        result += '\\';
    }
    return result;
}

std::string GetProgramDirectory() {
    return ProgramDirectoryFromPath(platform::GetModulePath(), &platform::NormalisePath);
}

std::string GetPointCodeListPath() {
    return GetProgramDirectory() + platform::PointCodeListFileName();
}

} // namespace velmora
