#pragma once
// The errors the conversion core raises. Their what() texts are the exact
// texts the user sees in the front end's error report.

#include <stdexcept>
#include <string>

namespace velmora {

// An index that names no entry of a list (layout, separator, point code).
class InvalidArgumentError : public std::invalid_argument {
public:
    InvalidArgumentError() : std::invalid_argument("Encountered an improper argument.") {}
};

// A failed read or write of a file; carries the cause and the file's full path.
class FileError : public std::runtime_error {
public:
    enum class Cause { DiskFull, Generic };

    FileError(Cause cause, const std::string& fullPath)
        : std::runtime_error(FormatText(cause, fullPath)), m_cause(cause), m_strPath(fullPath) {}

    Cause GetCause() const noexcept { return m_cause; }
    const std::string& GetPath() const noexcept { return m_strPath; }

private:
    static std::string FormatText(Cause cause, const std::string& fullPath) {
        return cause == Cause::DiskFull
                   ? "Disk full while accessing " + fullPath + "."
                   : "An unknown error occurred while accessing " + fullPath + ".";
    }

    Cause m_cause;
    std::string m_strPath;
};

} // namespace velmora
