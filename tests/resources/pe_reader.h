// A small reader for Windows PE images (PE32 and PE32+), enough to check what a
// built program imports and which resources it carries. Portable C++: it runs on
// the build machine against the cross-compiled executable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::pe {

// Raised for a file that cannot be read or is not a well-formed PE image.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Little-endian reads with bounds checks over a byte range.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t Size() const { return m_bytes.size(); }
    std::uint8_t U8(std::size_t offset) const;
    std::uint16_t U16(std::size_t offset) const;
    std::uint32_t U32(std::size_t offset) const;
    std::span<const std::uint8_t> Bytes(std::size_t offset, std::size_t count) const;
    // A NUL-terminated 8-bit string starting at offset.
    std::string CString(std::size_t offset) const;

private:
    void Require(std::size_t offset, std::size_t count) const;

    std::span<const std::uint8_t> m_bytes;
};

// A resource type or name: a number, or a string (stored upper-case by the
// resource compiler).
struct ResourceKey {
    bool isNumber = true;
    std::uint16_t number = 0;
    std::u16string name;

    static ResourceKey Number(std::uint16_t value) { return {true, value, {}}; }
    bool operator==(const ResourceKey&) const = default;
};

struct Resource {
    ResourceKey type;
    ResourceKey name;
    std::uint16_t language = 0;
    std::vector<std::uint8_t> data;
};

namespace machine {
inline constexpr std::uint16_t kI386 = 0x014C;
inline constexpr std::uint16_t kAmd64 = 0x8664;
} // namespace machine

namespace optional_magic {
inline constexpr std::uint16_t kPe32 = 0x010B;
inline constexpr std::uint16_t kPe32Plus = 0x020B;
} // namespace optional_magic

namespace resource_type {
inline constexpr std::uint16_t kIcon = 3;
inline constexpr std::uint16_t kDialog = 5;
inline constexpr std::uint16_t kString = 6;
inline constexpr std::uint16_t kGroupIcon = 14;
inline constexpr std::uint16_t kVersion = 16;
inline constexpr std::uint16_t kManifest = 24;
} // namespace resource_type

class PeImage {
public:
    // Reads and parses the whole file; throws FormatError.
    static PeImage Load(const std::string& path);
    static PeImage Parse(std::vector<std::uint8_t> file);

    std::uint16_t Machine() const { return m_machine; }
    std::uint16_t OptionalMagic() const { return m_magic; }
    std::uint16_t Subsystem() const { return m_subsystem; }
    // The optional header's DllCharacteristics flags.
    std::uint16_t DllCharacteristics() const { return m_dllCharacteristics; }
    // DLL names of the import directory and of the delay-load directory, as stored.
    const std::vector<std::string>& ImportedDlls() const { return m_imports; }
    const std::vector<Resource>& Resources() const { return m_resources; }

    // Every resource of that type and name, in all languages.
    std::vector<const Resource*> Find(const ResourceKey& type, const ResourceKey& name) const;
    std::vector<const Resource*> FindType(const ResourceKey& type) const;

private:
    struct Section {
        std::uint32_t virtualAddress;
        std::uint32_t virtualSize;
        std::uint32_t rawOffset;
        std::uint32_t rawSize;
    };

    std::size_t FileOffset(std::uint32_t rva) const;
    void ReadImports(std::uint32_t rva, bool delayLoad);
    void ReadResources(std::uint32_t rva);
    ResourceKey ReadKey(std::size_t base, std::uint32_t nameField) const;

    std::vector<std::uint8_t> m_file;
    std::uint16_t m_machine = 0;
    std::uint16_t m_magic = 0;
    std::uint16_t m_subsystem = 0;
    std::uint16_t m_dllCharacteristics = 0;
    std::vector<Section> m_sections;
    std::vector<std::string> m_imports;
    std::vector<Resource> m_resources;
};

} // namespace velmora::pe
