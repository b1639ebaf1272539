#pragma once
// Small helpers of the core's tests: scratch folders, whole-file reads and
// writes, the point-code list beside the test program, and a recorder of the
// catalogue's messages.

#include "catalogue.h"
#include "platform.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velmora::test {

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(path), error);
}

// How a text is saved: UTF-8 without and with its mark, UTF-16 with its mark.
enum class Saved { Utf8, Utf8Mark, Utf16Le, Utf16Be };

// The bytes of text saved so. Unpaired surrogates are saved as they stand,
// in UTF-8 too (then malformed).
inline std::string SaveText(std::u16string_view text, Saved as) {
    const bool utf16 = as == Saved::Utf16Le || as == Saved::Utf16Be;
    std::string bytes = as == Saved::Utf8Mark  ? "\xEF\xBB\xBF"
                        : as == Saved::Utf16Le ? "\xFF\xFE"
                        : as == Saved::Utf16Be ? "\xFE\xFF"
                                               : "";
    const auto add = [&](unsigned value) { bytes += static_cast<char>(value); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (utf16) {
            as == Saved::Utf16Le ? (add(c & 0xFF), add(c >> 8)) : (add(c >> 8), add(c & 0xFF));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            add(c);
        } else if (c < 0x800) {
            add(0xC0 | (c >> 6)), add(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            add(0xE0 | (c >> 12)), add(0x80 | ((c >> 6) & 0x3F)), add(0x80 | (c & 0x3F));
        } else {
            add(0xF0 | (c >> 18)), add(0x80 | ((c >> 12) & 0x3F));
            add(0x80 | ((c >> 6) & 0x3F)), add(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

// A fresh folder under the system's temporary folder, removed with its files.
class CTempDir {
public:
    CTempDir() {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        m_path = std::filesystem::temp_directory_path() /
                 ("velmora-" + std::to_string(stamp % 100000000) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(m_path);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    ~CTempDir() {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }

    std::string Dir() const { return m_path.string(); }
    std::string Path(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// ListaKodów.txt beside the test program, where the catalogue looks for it;
// with no content given, the file is removed for the test's duration.
class CProgramList {
public:
    CProgramList() : m_strPath(GetPointCodeListPath()) { std::remove(m_strPath.c_str()); }
    explicit CProgramList(std::string_view content) : CProgramList() {
        WriteBytes(m_strPath, content);
    }
    CProgramList(const CProgramList&) = delete;
    CProgramList& operator=(const CProgramList&) = delete;
    ~CProgramList() { std::remove(m_strPath.c_str()); }

    const std::string& Path() const { return m_strPath; }

private:
    std::string m_strPath;
};

// Collects what the core shows through platform::ShowMessage.
class CMessageRecorder {
public:
    CMessageRecorder() {
        Messages().clear();
        platform::SetMessageFunction(&Record);
    }
    CMessageRecorder(const CMessageRecorder&) = delete;
    CMessageRecorder& operator=(const CMessageRecorder&) = delete;
    ~CMessageRecorder() { platform::SetMessageFunction(nullptr); }

    static std::vector<std::string>& Messages() {
        static std::vector<std::string> messages;
        return messages;
    }

private:
    static void Record(const std::string& text) { Messages().push_back(text); }
};

} // namespace velmora::test
