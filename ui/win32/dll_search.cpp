#include "dll_search.h"

#include "win32.h"

#include <versionhelpers.h>

namespace win32 {

bool RemoveCurrentFolderFromDllSearch() {
    return ::SetDllDirectoryW(L"") != FALSE;
}

bool LimitDllSearchToSystemFolder() {
    if (!::IsWindows7OrGreater()) {
        return false;
    }
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    const FARPROC found =
        kernel != nullptr ? ::GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    if (found == nullptr) {
        return false;
    }
    // Through void (*)(), the one function type every function pointer converts to and from.
    const auto setDefaultDllDirectories =
        reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void (*)()>(found));
    return setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
}

bool LimitDllSearch() {
    const bool systemFolderOnly = LimitDllSearchToSystemFolder();
    return RemoveCurrentFolderFromDllSearch() && systemFolderOnly;
}

} // namespace win32
