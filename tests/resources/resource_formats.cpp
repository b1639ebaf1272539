#include "resource_formats.h"

#include "pe_reader.h"

#include <algorithm>
#include <cctype>

namespace velmora::res {

using pe::ByteReader;
using pe::FormatError;

namespace {

constexpr std::uint32_t kDsSetFont = 0x40;
constexpr std::uint32_t kFixedFileInfoSignature = 0xFEEF04BD;
constexpr std::size_t kFixedFileInfoSize = 52;
constexpr std::uint16_t kVersionText = 1;

std::size_t Align4(std::size_t offset) {
    return (offset + 3) & ~std::size_t{3};
}

// A NUL-terminated UTF-16 string; `offset` moves past the terminator.
std::u16string ReadSz(const ByteReader& r, std::size_t& offset) {
    std::u16string text;
    for (;;) {
        const std::uint16_t c = r.U16(offset);
        offset += 2;
        if (c == 0) {
            return text;
        }
        text.push_back(static_cast<char16_t>(c));
    }
}

NameOrOrdinal ReadSzOrOrd(const ByteReader& r, std::size_t& offset) {
    if (r.U16(offset) == 0xFFFF) {
        const std::uint16_t n = r.U16(offset + 2);
        offset += 4;
        return NameOrOrdinal::Ordinal(n);
    }
    return NameOrOrdinal::Text(ReadSz(r, offset));
}

std::u16string Upper(std::u16string s) {
    for (char16_t& c : s) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return s;
}

} // namespace

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string Describe(const NameOrOrdinal& value) {
    std::string out(1, value.isOrdinal ? '#' : '"');
    out += value.isOrdinal ? std::to_string(value.ordinal) : ToUtf8(value.text);
    if (!value.isOrdinal) {
        out += '"';
    }
    return out;
}

DialogTemplate ParseDialogEx(Bytes data) {
    const ByteReader r(data);
    if (r.U16(0) != 1 || r.U16(2) != 0xFFFF) {
        throw FormatError("not an extended dialog template (DLGTEMPLATEEX)");
    }
    DialogTemplate d;
    d.helpId = r.U32(4);
    d.exStyle = r.U32(8);
    d.style = r.U32(12);
    const std::uint16_t count = r.U16(16);
    d.x = static_cast<std::int16_t>(r.U16(18));
    d.y = static_cast<std::int16_t>(r.U16(20));
    d.cx = static_cast<std::int16_t>(r.U16(22));
    d.cy = static_cast<std::int16_t>(r.U16(24));
    std::size_t at = 26;
    d.menu = ReadSzOrOrd(r, at);
    d.windowClass = ReadSzOrOrd(r, at);
    d.title = ReadSz(r, at);
    if ((d.style & kDsSetFont) != 0) {
        d.hasFont = true;
        d.pointSize = r.U16(at);
        d.weight = r.U16(at + 2);
        d.italic = r.U8(at + 4);
        d.charset = r.U8(at + 5);
        at += 6;
        d.typeface = ReadSz(r, at);
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        at = Align4(at);
        DialogControl c;
        c.helpId = r.U32(at);
        c.exStyle = r.U32(at + 4);
        c.style = r.U32(at + 8);
        c.x = static_cast<std::int16_t>(r.U16(at + 12));
        c.y = static_cast<std::int16_t>(r.U16(at + 14));
        c.cx = static_cast<std::int16_t>(r.U16(at + 16));
        c.cy = static_cast<std::int16_t>(r.U16(at + 18));
        c.id = static_cast<std::int32_t>(r.U32(at + 20));
        at += 24;
        c.windowClass = ReadSzOrOrd(r, at);
        c.title = ReadSzOrOrd(r, at);
        const std::uint16_t extra = r.U16(at);
        at += 2;
        const auto bytes = r.Bytes(at, extra);
        c.creationData.assign(bytes.begin(), bytes.end());
        at += extra;
        d.controls.push_back(std::move(c));
    }
    return d;
}

std::optional<std::uint16_t> PredefinedClassAtom(const NameOrOrdinal& windowClass) {
    if (windowClass.isOrdinal) {
        if (windowClass.ordinal >= 0x80 && windowClass.ordinal <= 0x85) {
            return windowClass.ordinal;
        }
        return std::nullopt;
    }
    static const std::pair<std::u16string, std::uint16_t> kNames[] = {
        {u"BUTTON", 0x80},  {u"EDIT", 0x81},      {u"STATIC", 0x82},
        {u"LISTBOX", 0x83}, {u"SCROLLBAR", 0x84}, {u"COMBOBOX", 0x85},
    };
    const std::u16string upper = Upper(windowClass.text);
    for (const auto& [name, atom] : kNames) {
        if (upper == name) {
            return atom;
        }
    }
    return std::nullopt;
}

std::vector<std::u16string> ParseStringBlock(Bytes data) {
    const ByteReader r(data);
    std::vector<std::u16string> strings;
    std::size_t at = 0;
    for (int i = 0; i < 16; ++i) {
        const std::uint16_t length = r.U16(at);
        at += 2;
        std::u16string s;
        for (std::uint16_t k = 0; k < length; ++k) {
            s.push_back(static_cast<char16_t>(r.U16(at)));
            at += 2;
        }
        strings.push_back(std::move(s));
    }
    return strings;
}

std::vector<GroupIconEntry> ParseGroupIcon(Bytes data) {
    const ByteReader r(data);
    if (r.U16(0) != 0 || r.U16(2) != 1) {
        throw FormatError("not an icon group (reserved 0, type 1)");
    }
    const std::uint16_t count = r.U16(4);
    std::vector<GroupIconEntry> entries;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t e = 6 + std::size_t{i} * 14;
        entries.push_back({r.U8(e), r.U8(e + 1), r.U8(e + 2), r.U16(e + 4), r.U16(e + 6),
                           r.U32(e + 8), r.U16(e + 12)});
    }
    return entries;
}

IconImageHeader ParseIconImage(Bytes data) {
    const ByteReader r(data);
    const std::uint32_t headerSize = r.U32(0);
    if (headerSize != 40) {
        throw FormatError("icon image is not a BITMAPINFOHEADER DIB (a PNG image?)");
    }
    IconImageHeader h;
    h.width = static_cast<std::int32_t>(r.U32(4));
    h.height = static_cast<std::int32_t>(r.U32(8));
    h.planes = r.U16(12);
    h.bitCount = r.U16(14);
    h.compression = r.U32(16);
    const std::uint32_t coloursUsed = r.U32(32);
    if (h.width <= 0 || h.height <= 0 || h.width > 1024 || h.height > 2048) {
        throw FormatError("icon image has an implausible size");
    }
    const std::size_t w = static_cast<std::size_t>(h.width);
    const std::size_t rows = static_cast<std::size_t>(h.height) / 2;
    std::size_t palette = 0;
    if (h.bitCount <= 8) {
        palette = 4 * (coloursUsed != 0 ? coloursUsed : (std::size_t{1} << h.bitCount));
    }
    const std::size_t colourRow = (w * h.bitCount + 31) / 32 * 4;
    const std::size_t maskRow = (w + 31) / 32 * 4;
    h.expectedSize = headerSize + palette + rows * (colourRow + maskRow);
    return h;
}

namespace {

struct VersionNode {
    std::u16string key;
    std::uint16_t type = 0;
    std::size_t valueOffset = 0;
    std::size_t valueSize = 0;
    std::size_t childrenOffset = 0;
    std::size_t end = 0;
};

VersionNode ReadVersionNode(const ByteReader& r, std::size_t at, std::size_t limit) {
    VersionNode n;
    const std::uint16_t length = r.U16(at);
    const std::uint16_t valueLength = r.U16(at + 2);
    n.type = r.U16(at + 4);
    if (length < 6 || at + length > limit) {
        throw FormatError("version node length out of range");
    }
    n.end = at + length;
    std::size_t p = at + 6;
    n.key = ReadSz(r, p);
    p = Align4(p);
    n.valueOffset = p;
    // Text values count characters, binary values bytes; never past the node's end.
    const std::size_t declared =
        n.type == kVersionText ? std::size_t{valueLength} * 2 : valueLength;
    n.valueSize = std::min(declared, n.end > p ? n.end - p : 0);
    n.childrenOffset = std::min(Align4(p + n.valueSize), n.end);
    return n;
}

std::vector<VersionNode> Children(const ByteReader& r, const VersionNode& parent) {
    std::vector<VersionNode> children;
    std::size_t at = parent.childrenOffset;
    while (at + 6 <= parent.end) {
        if (r.U16(at) == 0) {
            break; // padding
        }
        VersionNode child = ReadVersionNode(r, at, parent.end);
        at = Align4(child.end);
        children.push_back(std::move(child));
    }
    return children;
}

std::u16string TextValue(const ByteReader& r, const VersionNode& n) {
    std::u16string s;
    for (std::size_t p = n.valueOffset; p + 2 <= n.valueOffset + n.valueSize; p += 2) {
        const std::uint16_t c = r.U16(p);
        if (c == 0) {
            break;
        }
        s.push_back(static_cast<char16_t>(c));
    }
    return s;
}

} // namespace

VersionInfo ParseVersionInfo(Bytes data) {
    const ByteReader r(data);
    const VersionNode root = ReadVersionNode(r, 0, data.size());
    VersionInfo info;
    info.rootKey = root.key;
    if (root.valueSize >= kFixedFileInfoSize) {
        const std::size_t v = root.valueOffset;
        FixedFileInfo f;
        f.signature = r.U32(v);
        f.structVersion = r.U32(v + 4);
        f.fileVersionMs = r.U32(v + 8);
        f.fileVersionLs = r.U32(v + 12);
        f.productVersionMs = r.U32(v + 16);
        f.productVersionLs = r.U32(v + 20);
        f.fileFlagsMask = r.U32(v + 24);
        f.fileFlags = r.U32(v + 28);
        f.fileOs = r.U32(v + 32);
        f.fileType = r.U32(v + 36);
        f.fileSubtype = r.U32(v + 40);
        f.fileDateMs = r.U32(v + 44);
        f.fileDateLs = r.U32(v + 48);
        if (f.signature != kFixedFileInfoSignature) {
            throw FormatError("VS_FIXEDFILEINFO signature is wrong");
        }
        info.fixed = f;
    }
    for (const VersionNode& block : Children(r, root)) {
        if (block.key == u"StringFileInfo") {
            for (const VersionNode& table : Children(r, block)) {
                auto& values = info.stringTables[table.key];
                for (const VersionNode& value : Children(r, table)) {
                    values[value.key] = TextValue(r, value);
                }
            }
        } else if (block.key == u"VarFileInfo") {
            for (const VersionNode& var : Children(r, block)) {
                if (var.key != u"Translation") {
                    continue;
                }
                for (std::size_t p = var.valueOffset; p + 4 <= var.valueOffset + var.valueSize;
                     p += 4) {
                    info.translations.emplace_back(r.U16(p), r.U16(p + 2));
                }
            }
        }
    }
    return info;
}

std::vector<XmlElement> FindXmlElements(const std::string& xml, const std::string& localName) {
    std::vector<XmlElement> found;
    std::size_t at = 0;
    while ((at = xml.find('<', at)) != std::string::npos) {
        ++at;
        std::size_t nameEnd = at;
        while (nameEnd < xml.size() && !std::isspace(static_cast<unsigned char>(xml[nameEnd])) &&
               xml[nameEnd] != '>' && xml[nameEnd] != '/') {
            ++nameEnd;
        }
        std::string name = xml.substr(at, nameEnd - at);
        if (const auto colon = name.find(':'); colon != std::string::npos) {
            name = name.substr(colon + 1);
        }
        if (name != localName) {
            continue;
        }
        const std::size_t close = xml.find('>', nameEnd);
        if (close == std::string::npos) {
            break;
        }
        XmlElement element;
        std::size_t p = nameEnd;
        while (p < close) {
            while (p < close &&
                   (std::isspace(static_cast<unsigned char>(xml[p])) || xml[p] == '/')) {
                ++p;
            }
            const std::size_t eq = xml.find('=', p);
            if (p >= close || eq == std::string::npos || eq > close) {
                break;
            }
            std::string attr = xml.substr(p, eq - p);
            while (!attr.empty() && std::isspace(static_cast<unsigned char>(attr.back()))) {
                attr.pop_back();
            }
            std::size_t q = eq + 1;
            while (q < close && std::isspace(static_cast<unsigned char>(xml[q]))) {
                ++q;
            }
            if (q >= close || (xml[q] != '"' && xml[q] != '\'')) {
                break;
            }
            const std::size_t valueEnd = xml.find(xml[q], q + 1);
            if (valueEnd == std::string::npos || valueEnd > close) {
                break;
            }
            element.attributes[attr] = xml.substr(q + 1, valueEnd - q - 1);
            p = valueEnd + 1;
        }
        if (xml[close - 1] != '/') {
            const std::size_t next = xml.find('<', close);
            element.text =
                xml.substr(close + 1, (next == std::string::npos ? xml.size() : next) - close - 1);
        }
        found.push_back(std::move(element));
        at = close;
    }
    return found;
}

} // namespace velmora::res
