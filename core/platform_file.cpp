// What the platform services do the same way on every system: the path
// limits, CFile's choice of how to open and its ownership of the handle. The
// systems' own parts are in platform_win32.cpp and platform_posix.cpp.

#include "platform.h"

#include <utility>

namespace velmora::platform {

namespace {

// A path opens only when it and its absolute form stay below kMaxPath bytes;
// an empty path, one the system cannot make absolute or one holding a NUL
// never opens.
bool FitsPathLimit(const std::string& path, const std::string& fullPath) {
    return !path.empty() && path.size() < kMaxPath && !fullPath.empty() &&
           fullPath.size() < kMaxPath && path.find('\0') == std::string::npos;
}

} // namespace

std::optional<std::string> NormalisePath(const std::string& path) {
    std::string result = FullPathOf(path);
    if (result.empty() || result.size() >= 258) {
        return std::nullopt;
    }
    return result;
}

CFile::CFile(CFile&& other) noexcept
    : m_hFile(std::exchange(other.m_hFile, kNoHandle)),
      m_strFullPath(std::move(other.m_strFullPath)) {}

CFile& CFile::operator=(CFile&& other) noexcept {
    if (this != &other) {
        if (IsOpen()) {
            CloseNative(m_hFile);
        }
        m_hFile = std::exchange(other.m_hFile, kNoHandle);
        m_strFullPath = std::move(other.m_strFullPath);
    }
    return *this;
}

CFile::~CFile() {
    if (IsOpen()) {
        CloseNative(m_hFile);
    }
}

CFile CFile::Open(const std::string& path, Mode mode) {
    CFile file;
    std::string fullPath = FullPathOf(path);
    if (!FitsPathLimit(path, fullPath)) {
        return file;
    }
    file.m_hFile = OpenNative(path, mode);
    if (file.IsOpen()) {
        file.m_strFullPath = std::move(fullPath);
    }
    return file;
}

CFile CFile::OpenExclusiveForReading(const std::string& path) {
    return Open(path, Mode::ExclusiveRead);
}

CFile CFile::OpenSharedForReading(const std::string& path) {
    return Open(path, Mode::SharedRead);
}

CFile CFile::CreateExclusiveForWriting(const std::string& path) {
    return Open(path, Mode::ExclusiveWrite);
}

bool CFile::IsOpen() const noexcept {
    return m_hFile != kNoHandle;
}

} // namespace velmora::platform
