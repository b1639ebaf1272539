// Windows implementation of the platform services, through the ANSI API so
// that every path is in the system's ANSI code page. Files are held with
// share mode 0 (no other open succeeds while we hold them); the point-code
// list is opened with read sharing only.

#include "platform.h"

#include "errors.h"

#include <utility>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace velmora::platform {

namespace {

HANDLE ToHandle(void* handle) {
    return static_cast<HANDLE>(handle);
}

void* OpenHandle(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    HANDLE handle = ::CreateFileA(path.c_str(), access, share, nullptr, disposition,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// A file to write: OPEN_ALWAYS and then SetEndOfFile, so that the file is
// cut to zero length only once we hold it and a file held by someone else
// stays untouched.
void* CreateHandle(const std::string& path) {
    void* handle = OpenHandle(path, GENERIC_WRITE, 0, OPEN_ALWAYS);
    if (handle == nullptr) {
        return nullptr;
    }
    if (::SetFilePointer(ToHandle(handle), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !::SetEndOfFile(ToHandle(handle))) {
        ::CloseHandle(ToHandle(handle));
        return nullptr;
    }
    return handle;
}

bool IsDiskFull(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

} // namespace

std::string GetModulePath() {
    char buffer[260];
    const DWORD length = ::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) {
        return {};
    }
    return std::string(buffer, length);
}

std::string PointCodeListFileName() {
    return "ListaKod\xF3w.txt";
}

std::string FullPathOf(const std::string& path) {
    char buffer[1024];
    const DWORD length = ::GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (length == 0 || length >= sizeof buffer) {
        return {};
    }
    return std::string(buffer, length);
}

CFile::Handle CFile::OpenNative(const std::string& path, Mode mode) {
    switch (mode) {
    case Mode::ExclusiveRead:
        return OpenHandle(path, GENERIC_READ, 0, OPEN_EXISTING);
    case Mode::SharedRead:
        return OpenHandle(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    case Mode::ExclusiveWrite:
        return CreateHandle(path);
    }
    return kNoHandle;
}

void CFile::CloseNative(Handle handle) noexcept {
    ::CloseHandle(ToHandle(handle));
}

std::size_t CFile::Read(void* buffer, std::size_t size) {
    // ReadFile takes a DWORD count; callers read in blocks far below 4 GiB.
    const DWORD wanted = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!::ReadFile(ToHandle(m_hFile), buffer, wanted, &got, nullptr)) {
        if (::GetLastError() == ERROR_BROKEN_PIPE) {
            return 0;
        }
        throw FileError(FileError::Cause::Generic, m_strFullPath);
    }
    return got;
}

std::optional<std::uint64_t> CFile::GetPosition() const {
    LARGE_INTEGER position{};
    if (::GetFileType(ToHandle(m_hFile)) != FILE_TYPE_DISK ||
        !::SetFilePointerEx(ToHandle(m_hFile), LARGE_INTEGER{}, &position, FILE_CURRENT)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(position.QuadPart);
}

void CFile::SetPosition(std::uint64_t position) {
    LARGE_INTEGER target{};
    target.QuadPart = static_cast<LONGLONG>(position);
    if (!::SetFilePointerEx(ToHandle(m_hFile), target, nullptr, FILE_BEGIN)) {
        throw FileError(FileError::Cause::Generic, m_strFullPath);
    }
}

void CFile::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD wanted = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(ToHandle(m_hFile), bytes, wanted, &written, nullptr)) {
            throw FileError(IsDiskFull(::GetLastError()) ? FileError::Cause::DiskFull
                                                         : FileError::Cause::Generic,
                            m_strFullPath);
        }
        if (written == 0) {
            throw FileError(FileError::Cause::Generic, m_strFullPath);
        }
        bytes += written;
        size -= written;
    }
}

void CFile::Close() {
    if (!IsOpen()) {
        return;
    }
    if (!::CloseHandle(ToHandle(std::exchange(m_hFile, kNoHandle)))) {
        throw FileError(FileError::Cause::Generic, m_strFullPath);
    }
}

} // namespace velmora::platform
