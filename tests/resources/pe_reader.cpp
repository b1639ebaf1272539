#include "pe_reader.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace velmora::pe {

namespace {

constexpr std::uint32_t kPeSignature = 0x00004550; // "PE\0\0"
constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kImportDescriptorSize = 20;
constexpr std::size_t kDelayDescriptorSize = 32;
constexpr std::uint32_t kResourceSubdirectory = 0x80000000;
constexpr std::uint32_t kResourceNamed = 0x80000000;
constexpr int kResourceLevels = 3; // type, name, language
constexpr std::size_t kMaxEntries = 65536;
constexpr std::uint32_t kDirImport = 1;
constexpr std::uint32_t kDirResource = 2;
constexpr std::uint32_t kDirDelayImport = 13;

} // namespace

void ByteReader::Require(std::size_t offset, std::size_t count) const {
    if (offset > m_bytes.size() || count > m_bytes.size() - offset) {
        throw FormatError("read of " + std::to_string(count) + " bytes at offset " +
                          std::to_string(offset) + " runs past the end (" +
                          std::to_string(m_bytes.size()) + " bytes)");
    }
}

std::uint8_t ByteReader::U8(std::size_t offset) const {
    Require(offset, 1);
    return m_bytes[offset];
}

std::uint16_t ByteReader::U16(std::size_t offset) const {
    Require(offset, 2);
    return static_cast<std::uint16_t>(m_bytes[offset] | (m_bytes[offset + 1] << 8));
}

std::uint32_t ByteReader::U32(std::size_t offset) const {
    Require(offset, 4);
    return static_cast<std::uint32_t>(m_bytes[offset]) |
           (static_cast<std::uint32_t>(m_bytes[offset + 1]) << 8) |
           (static_cast<std::uint32_t>(m_bytes[offset + 2]) << 16) |
           (static_cast<std::uint32_t>(m_bytes[offset + 3]) << 24);
}

std::span<const std::uint8_t> ByteReader::Bytes(std::size_t offset, std::size_t count) const {
    Require(offset, count);
    return m_bytes.subspan(offset, count);
}

std::string ByteReader::CString(std::size_t offset) const {
    Require(offset, 0);
    const auto begin = m_bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    const auto end = std::find(begin, m_bytes.end(), std::uint8_t{0});
    if (end == m_bytes.end()) {
        throw FormatError("unterminated string at offset " + std::to_string(offset));
    }
    return std::string(begin, end);
}

PeImage PeImage::Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw FormatError("cannot open " + path);
    }
    std::vector<std::uint8_t> file{std::istreambuf_iterator<char>(in),
                                   std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw FormatError("cannot read " + path);
    }
    return Parse(std::move(file));
}

PeImage PeImage::Parse(std::vector<std::uint8_t> file) {
    PeImage image;
    image.m_file = std::move(file);
    const ByteReader r(image.m_file);
    if (r.Size() < 0x40 || r.U16(0) != 0x5A4D) {
        throw FormatError("no MZ header");
    }
    const std::size_t pe = r.U32(0x3C);
    if (r.U32(pe) != kPeSignature) {
        throw FormatError("no PE signature");
    }
    const std::size_t coff = pe + 4;
    image.m_machine = r.U16(coff);
    const std::uint16_t sectionCount = r.U16(coff + 2);
    const std::uint16_t optionalSize = r.U16(coff + 16);
    const std::size_t opt = coff + kCoffHeaderSize;
    image.m_magic = r.U16(opt);
    std::size_t directories = 0;
    std::uint32_t directoryCount = 0;
    if (image.m_magic == optional_magic::kPe32) {
        directoryCount = r.U32(opt + 92);
        directories = opt + 96;
    } else if (image.m_magic == optional_magic::kPe32Plus) {
        directoryCount = r.U32(opt + 108);
        directories = opt + 112;
    } else {
        throw FormatError("unknown optional header magic");
    }
    image.m_subsystem = r.U16(opt + 68);
    image.m_dllCharacteristics = r.U16(opt + 70);

    const std::size_t sections = opt + optionalSize;
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::size_t s = sections + i * kSectionHeaderSize;
        image.m_sections.push_back({r.U32(s + 12), r.U32(s + 8), r.U32(s + 20), r.U32(s + 16)});
    }

    const auto directory = [&](std::uint32_t index) {
        if (index >= directoryCount) {
            return std::pair<std::uint32_t, std::uint32_t>{0, 0};
        }
        const std::size_t entry = directories + std::size_t{index} * 8;
        return std::pair{r.U32(entry), r.U32(entry + 4)};
    };
    if (const auto [rva, size] = directory(kDirImport); rva != 0 && size != 0) {
        image.ReadImports(rva, false);
    }
    if (const auto [rva, size] = directory(kDirDelayImport); rva != 0 && size != 0) {
        image.ReadImports(rva, true);
    }
    if (const auto [rva, size] = directory(kDirResource); rva != 0 && size != 0) {
        image.ReadResources(rva);
    }
    return image;
}

std::size_t PeImage::FileOffset(std::uint32_t rva) const {
    for (const Section& s : m_sections) {
        const std::uint32_t extent = std::max(s.virtualSize, s.rawSize);
        if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
            const std::uint32_t delta = rva - s.virtualAddress;
            if (delta >= s.rawSize) {
                throw FormatError("address " + std::to_string(rva) + " has no file data");
            }
            return static_cast<std::size_t>(s.rawOffset) + delta;
        }
    }
    throw FormatError("address " + std::to_string(rva) + " lies in no section");
}

void PeImage::ReadImports(std::uint32_t rva, bool delayLoad) {
    const ByteReader r(m_file);
    const std::size_t step = delayLoad ? kDelayDescriptorSize : kImportDescriptorSize;
    const std::size_t nameField = delayLoad ? 4 : 12;
    const std::size_t first = FileOffset(rva);
    for (std::size_t i = 0; i < kMaxEntries; ++i) {
        const std::size_t d = first + i * step;
        const auto descriptor = r.Bytes(d, step);
        if (std::all_of(descriptor.begin(), descriptor.end(), [](auto b) { return b == 0; })) {
            return;
        }
        m_imports.push_back(r.CString(FileOffset(r.U32(d + nameField))));
    }
    throw FormatError("import directory without end");
}

ResourceKey PeImage::ReadKey(std::size_t base, std::uint32_t nameField) const {
    if ((nameField & kResourceNamed) == 0) {
        return ResourceKey::Number(static_cast<std::uint16_t>(nameField));
    }
    const ByteReader r(m_file);
    const std::size_t at = base + (nameField & ~kResourceNamed);
    ResourceKey key;
    key.isNumber = false;
    const std::uint16_t length = r.U16(at);
    for (std::size_t i = 0; i < length; ++i) {
        key.name.push_back(static_cast<char16_t>(r.U16(at + 2 + 2 * i)));
    }
    return key;
}

void PeImage::ReadResources(std::uint32_t rva) {
    const ByteReader r(m_file);
    const std::size_t base = FileOffset(rva);

    struct Pending {
        std::uint32_t dirOffset;
        int level;
        ResourceKey type;
        ResourceKey name;
    };
    std::vector<Pending> work{{0, 0, {}, {}}};
    std::size_t visited = 0;
    while (!work.empty()) {
        if (++visited > kMaxEntries) {
            throw FormatError("resource tree too large or cyclic");
        }
        const Pending dir = work.back();
        work.pop_back();
        const std::size_t at = base + dir.dirOffset;
        const std::size_t count = std::size_t{r.U16(at + 12)} + r.U16(at + 14);
        std::vector<Pending> children;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = at + 16 + i * 8;
            const std::uint32_t nameField = r.U32(entry);
            const std::uint32_t target = r.U32(entry + 4);
            const ResourceKey key = ReadKey(base, nameField);
            const bool subdirectory = (target & kResourceSubdirectory) != 0;
            if (dir.level < kResourceLevels - 1) {
                if (!subdirectory) {
                    throw FormatError("resource data above the language level");
                }
                Pending next{target & ~kResourceSubdirectory, dir.level + 1, dir.type, dir.name};
                (dir.level == 0 ? next.type : next.name) = key;
                children.push_back(next);
                continue;
            }
            if (subdirectory || !key.isNumber) {
                throw FormatError("resource language level is not a data entry");
            }
            const std::size_t data = base + target;
            const std::uint32_t dataRva = r.U32(data);
            const std::uint32_t dataSize = r.U32(data + 4);
            const auto bytes = r.Bytes(FileOffset(dataRva), dataSize);
            m_resources.push_back({dir.type, dir.name, key.number,
                                   std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
        }
        // Keep directory order: the last pushed is taken first.
        work.insert(work.end(), children.rbegin(), children.rend());
    }
}

std::vector<const Resource*> PeImage::Find(const ResourceKey& type, const ResourceKey& name) const {
    std::vector<const Resource*> found;
    for (const Resource& res : m_resources) {
        if (res.type == type && res.name == name) {
            found.push_back(&res);
        }
    }
    return found;
}

std::vector<const Resource*> PeImage::FindType(const ResourceKey& type) const {
    std::vector<const Resource*> found;
    for (const Resource& res : m_resources) {
        if (res.type == type) {
            found.push_back(&res);
        }
    }
    return found;
}

} // namespace velmora::pe
