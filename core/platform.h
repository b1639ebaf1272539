#pragma once
// The few operating-system services the core needs: what both systems share
// in platform_file.cpp, the rest once for Windows (platform_win32.cpp) and
// once for POSIX (platform_posix.cpp).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace velmora::platform {

// Full path of the running program's executable, in the ANSI code page
// (GetModuleFileNameA on Windows, /proc/self/exe elsewhere).
std::string GetModulePath();

// The absolute form of path against the current directory, its "." and ".."
// components removed and no link resolved; empty when the system cannot make
// one.
std::string FullPathOf(const std::string& path);

// FullPathOf(path); nothing when that is empty or would not fit in 258 bytes.
std::optional<std::string> NormalisePath(const std::string& path);

// The point-code list's file name: the code page 1250 bytes on Windows, the
// UTF-8 spelling elsewhere.
std::string PointCodeListFileName();

// Paths of this many bytes or more, as given or made absolute, never open.
inline constexpr std::size_t kMaxPath = 260;

// An open file held by this process. Reads and writes are unbuffered; the
// text-mode rules live in text_mode_input.h and text_output.h.
class CFile {
public:
    CFile() = default;
    CFile(CFile&& other) noexcept;
    CFile& operator=(CFile&& other) noexcept;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile(); // closes, ignoring errors

    // An existing file, read only, held without sharing: no other open of it
    // succeeds meanwhile, and the open fails when another program holds it.
    static CFile OpenExclusiveForReading(const std::string& path);
    // An existing file, read only, others may read it too but not write it.
    static CFile OpenSharedForReading(const std::string& path);
    // Creates the file or truncates an existing one, held without sharing.
    // When the file is held by someone else it fails and leaves it untouched.
    static CFile CreateExclusiveForWriting(const std::string& path);

    bool IsOpen() const noexcept;
    // The absolute path the file was opened under (for error texts).
    const std::string& GetFullPath() const noexcept { return m_strFullPath; }

    // Reads up to size bytes; 0 at the end of the file. Throws FileError.
    std::size_t Read(void* buffer, std::size_t size);
    // Where the next Read starts, for reading ahead and coming back; nothing
    // for a file without positions (a pipe).
    std::optional<std::uint64_t> GetPosition() const;
    // Moves the read position back to one GetPosition gave. Throws FileError.
    void SetPosition(std::uint64_t position);
    // Writes all bytes. Throws FileError (DiskFull when the disk is full).
    void Write(const void* data, std::size_t size);
    // Closes the file; throws FileError when the system reports a failure.
    void Close();

private:
    // The three ways of opening, told apart only where the system is asked.
    enum class Mode { ExclusiveRead, SharedRead, ExclusiveWrite };
#ifdef _WIN32
    using Handle = void*; // HANDLE, INVALID_HANDLE_VALUE kept as nullptr
    static constexpr Handle kNoHandle = nullptr;
#else
    using Handle = int; // a file descriptor
    static constexpr Handle kNoHandle = -1;
#endif

    // The common steps: the path limit, the open itself, the full path kept.
    static CFile Open(const std::string& path, Mode mode);
    // The system's own parts: the open (kNoHandle when it fails) and a close
    // that ignores errors.
    static Handle OpenNative(const std::string& path, Mode mode);
    static void CloseNative(Handle handle) noexcept;

    Handle m_hFile = kNoHandle;
    std::string m_strFullPath;
};

// The catalogue's message to the user. The front end installs a function that
// shows a message box; until it does, messages go to standard error.
using MessageFunction = void (*)(const std::string& text);
void SetMessageFunction(MessageFunction function);
void ShowMessage(const std::string& text);

} // namespace velmora::platform
