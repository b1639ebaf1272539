#include "ansi_path.h"

namespace win32 {

namespace {

// The ANSI code page form of a path; false when a character has none.
bool Narrow(const std::wstring& wide, std::string& text) {
    BOOL usedDefault = FALSE;
    const int length = static_cast<int>(wide.size());
    const int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), length,
                                           nullptr, 0, nullptr, &usedDefault);
    text.assign(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.c_str(), length, text.data(), size,
                              nullptr, &usedDefault);
    }
    return !usedDefault;
}

} // namespace

std::string AnsiPath(const std::wstring& path) {
    std::string text;
    if (Narrow(path, text)) {
        return text;
    }
    const DWORD size = ::GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size > 0) {
        std::wstring shortPath(size, L'\0');
        const DWORD length = ::GetShortPathNameW(path.c_str(), shortPath.data(), size);
        if (length > 0 && length < size) {
            shortPath.resize(length);
            if (std::string shortText; Narrow(shortPath, shortText)) {
                return shortText;
            }
        }
    }
    return text;
}

std::string DragQueryPath(HDROP drop, UINT index) {
    const UINT length = ::DragQueryFileW(drop, index, nullptr, 0);
    if (length == 0) {
        return {};
    }
    std::wstring path(length + 1, L'\0');
    path.resize(::DragQueryFileW(drop, index, path.data(), length + 1));
    return AnsiPath(path);
}

} // namespace win32
