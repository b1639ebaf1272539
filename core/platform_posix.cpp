// POSIX implementation of the platform services. The exclusive hold of the
// Windows build is made with flock(): every file this program opens for
// reading or writing takes an exclusive, non-blocking lock before anything
// is changed, so an output path naming the open input fails and leaves the
// input as it was.

#include "platform.h"

#include "errors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace velmora::platform {

namespace {

std::string CurrentDirectory() {
    std::vector<char> buffer(PATH_MAX);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return "/";
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

} // namespace

std::string FullPathOf(const std::string& path) {
    std::string source = path;
    if (source.empty() || source.front() != '/') {
        source = CurrentDirectory() + "/" + source;
    }
    std::vector<std::string_view> parts;
    std::string_view rest(source);
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    if (parts.empty()) {
        return std::string(1, '/');
    }
    std::string result;
    for (const std::string_view part : parts) {
        result += '/';
        result += part;
    }
    return result;
}

std::string GetModulePath() {
    std::vector<char> buffer(PATH_MAX);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string PointCodeListFileName() {
    return "ListaKod\xC3\xB3w.txt";
}

namespace {

// Opens path with flags and takes a non-blocking flock of the given kind;
// -1 when either fails.
int OpenLocked(const std::string& path, int flags, int lockKind) {
    int fd = -1;
    do {
        // O_NONBLOCK: a FIFO named as input or output must not hang the
        // program; it has no effect on regular files.
        fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return -1;
    }
    int locked = -1;
    do {
        locked = ::flock(fd, lockKind | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A file to write: created or, once the lock is held, cut to zero length (no
// O_TRUNC, which would cut a file that someone else holds).
int CreateLocked(const std::string& path) {
    const int fd = OpenLocked(path, O_WRONLY | O_CREAT, LOCK_EX);
    if (fd < 0) {
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || (S_ISREG(status.st_mode) && ::ftruncate(fd, 0) != 0)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

CFile::Handle CFile::OpenNative(const std::string& path, Mode mode) {
    switch (mode) {
    case Mode::ExclusiveRead:
        return OpenLocked(path, O_RDONLY, LOCK_EX);
    case Mode::SharedRead:
        return OpenLocked(path, O_RDONLY, LOCK_SH);
    case Mode::ExclusiveWrite:
        return CreateLocked(path);
    }
    return kNoHandle;
}

void CFile::CloseNative(Handle handle) noexcept {
    ::close(handle);
}

std::size_t CFile::Read(void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(m_hFile, buffer, size);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            throw FileError(FileError::Cause::Generic, m_strFullPath);
        }
    }
}

std::optional<std::uint64_t> CFile::GetPosition() const {
    const off_t position = ::lseek(m_hFile, 0, SEEK_CUR);
    if (position < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(position);
}

void CFile::SetPosition(std::uint64_t position) {
    if (::lseek(m_hFile, static_cast<off_t>(position), SEEK_SET) < 0) {
        throw FileError(FileError::Cause::Generic, m_strFullPath);
    }
}

void CFile::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(m_hFile, bytes, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            const bool full = errno == ENOSPC || errno == EDQUOT;
            throw FileError(full ? FileError::Cause::DiskFull : FileError::Cause::Generic,
                            m_strFullPath);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void CFile::Close() {
    if (!IsOpen()) {
        return;
    }
    const int fd = std::exchange(m_hFile, kNoHandle);
    if (::close(fd) != 0 && errno != EINTR) {
        const bool full = errno == ENOSPC || errno == EDQUOT;
        throw FileError(full ? FileError::Cause::DiskFull : FileError::Cause::Generic,
                        m_strFullPath);
    }
}

} // namespace velmora::platform
