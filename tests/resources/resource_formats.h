// Decoders for the resource formats the program carries: extended dialog
// templates, string-table blocks, icon groups and icon images, the version record
// and the manifest text. Each takes the raw resource bytes and throws
// velmora::pe::FormatError on malformed data.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace velmora::res {

using Bytes = std::span<const std::uint8_t>;

// UTF-16 to UTF-8, for messages and for comparing with UTF-8 literals.
std::string ToUtf8(const std::u16string& text);

// A field that holds either a resource number (0xFFFF, n) or a string.
struct NameOrOrdinal {
    bool isOrdinal = false;
    std::uint16_t ordinal = 0;
    std::u16string text;

    static NameOrOrdinal Ordinal(std::uint16_t n) { return {true, n, {}}; }
    static NameOrOrdinal Text(std::u16string s) { return {false, 0, std::move(s)}; }
    bool IsEmpty() const { return !isOrdinal && text.empty(); }
    bool operator==(const NameOrOrdinal&) const = default;
};
std::string Describe(const NameOrOrdinal& value);

struct DialogControl {
    std::uint32_t helpId = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::int32_t id = 0;
    NameOrOrdinal windowClass;
    NameOrOrdinal title;
    std::vector<std::uint8_t> creationData;
};

struct DialogTemplate {
    std::uint32_t helpId = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t style = 0;
    std::int16_t x = 0, y = 0, cx = 0, cy = 0;
    NameOrOrdinal menu;
    NameOrOrdinal windowClass;
    std::u16string title;
    bool hasFont = false;
    std::uint16_t pointSize = 0;
    std::uint16_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t charset = 0;
    std::u16string typeface;
    std::vector<DialogControl> controls;
};

// Parses a DLGTEMPLATEEX; a plain DLGTEMPLATE is rejected.
DialogTemplate ParseDialogEx(Bytes data);

// The atom of a predefined control class, from its atom or its (any case) name:
// 0x80 button, 0x81 edit, 0x82 static, 0x83 list box, 0x84 scroll bar, 0x85 combo
// box; nullopt for any other class.
std::optional<std::uint16_t> PredefinedClassAtom(const NameOrOrdinal& windowClass);

// The 16 strings of a string-table block (resource name = id / 16 + 1); an
// absent string is empty.
std::vector<std::u16string> ParseStringBlock(Bytes data);

struct GroupIconEntry {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t colorCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t bytesInRes = 0;
    std::uint16_t iconId = 0;
};
std::vector<GroupIconEntry> ParseGroupIcon(Bytes data);

// The header of an icon image (a DIB with the AND mask below the colour bitmap).
struct IconImageHeader {
    std::int32_t width = 0;
    std::int32_t height = 0; // twice the icon height: colour bitmap + mask
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::size_t expectedSize = 0; // header + palette + colour bits + mask
};
IconImageHeader ParseIconImage(Bytes data);

struct FixedFileInfo {
    std::uint32_t signature = 0;
    std::uint32_t structVersion = 0;
    std::uint32_t fileVersionMs = 0, fileVersionLs = 0;
    std::uint32_t productVersionMs = 0, productVersionLs = 0;
    std::uint32_t fileFlagsMask = 0, fileFlags = 0;
    std::uint32_t fileOs = 0, fileType = 0, fileSubtype = 0;
    std::uint32_t fileDateMs = 0, fileDateLs = 0;
};

struct VersionInfo {
    std::u16string rootKey; // "VS_VERSION_INFO"
    std::optional<FixedFileInfo> fixed;
    // StringFileInfo: block key ("041504e4") -> value name -> text.
    std::map<std::u16string, std::map<std::u16string, std::u16string>> stringTables;
    // VarFileInfo "Translation": (language, code page) pairs.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
};
VersionInfo ParseVersionInfo(Bytes data);

// A loose reading of an XML text: the elements of a local name (namespace
// prefix ignored) with their attributes and their text up to the next tag.
struct XmlElement {
    std::map<std::string, std::string> attributes;
    std::string text;
};
std::vector<XmlElement> FindXmlElements(const std::string& xml, const std::string& localName);

} // namespace velmora::res
