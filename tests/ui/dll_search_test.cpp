// Where a DLL named without a folder is found before and after the search is
// limited. The test build puts a probe DLL beside this program and another in
// its folder current_folder, which each case makes the current folder. A
// limit cannot be undone, so every case runs in a child process of its own.

#include "win32/dll_search.h"
#include "win32/win32.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace win32;

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const std::wstring program(path, ::GetModuleFileNameW(nullptr, path, MAX_PATH));
    return program.substr(0, program.find_last_of(L'\\'));
}

// Loads the DLL by its name alone and unloads it again.
const char* Find(const wchar_t* name) {
    const HMODULE module = ::LoadLibraryW(name);
    if (module == nullptr) {
        return "not found";
    }
    ::FreeLibrary(module);
    return ::GetModuleHandleW(name) == nullptr ? "loaded" : "still loaded";
}

// Looks for both probes, runs limit, looks again, and ends the process with
// what it saw.
[[noreturn]] void ProbeAround(bool (*limit)()) {
    ::SetCurrentDirectoryW((ProgramFolder() + L"\\current_folder").c_str());
    const char* besideBefore = Find(L"velmora_probe_beside.dll");
    const char* currentBefore = Find(L"velmora_probe_current.dll");
    const char* limited = limit() ? "limited" : "refused";
    std::fprintf(stderr, "beside the program: %s, then %s; current folder: %s, then %s; %s\n",
                 besideBefore, Find(L"velmora_probe_beside.dll"), currentBefore,
                 Find(L"velmora_probe_current.dll"), limited);
    std::fflush(stderr);
    std::exit(0);
}

void ExpectProbes(bool (*limit)(), const char* seen) {
    EXPECT_EXIT(ProbeAround(limit), ::testing::ExitedWithCode(0), seen);
}

TEST(DllSearch, PlantedDllsAreFoundUntilTheSearchIsLimited) {
    const struct {
        const char* name;
        bool (*limit)();
    } cases[] = {
        {"system folder only", &LimitDllSearchToSystemFolder},
        {"start-up", &LimitDllSearch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectProbes(c.limit, "beside the program: loaded, then not found; "
                              "current folder: loaded, then not found; limited");
    }
}

TEST(DllSearch, AnEmptyDllDirectoryTakesOutTheCurrentFolderOnly) {
    if (::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
        GTEST_SKIP() << "Wine takes an empty DLL directory for none: its search keeps the "
                        "current folder";
    }
    ExpectProbes(&RemoveCurrentFolderFromDllSearch, "beside the program: loaded, then loaded; "
                                                    "current folder: loaded, then not found; "
                                                    "limited");
}

} // namespace
