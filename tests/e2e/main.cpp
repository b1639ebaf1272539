// The end-to-end scenarios: velmora_e2e PATH-OF-Velmora.exe [GoogleTest options]
#include "velmora.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_e2e PATH-OF-Velmora.exe [GoogleTest options]\n");
        return 2;
    }
    // Under Wine the X display comes down in the environment; without one no window appears.
    const bool underWine =
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    const char* display = std::getenv("DISPLAY");
    if (underWine && (display == nullptr || *display == '\0')) {
        std::fprintf(stderr, "velmora_e2e: no X display; run it under scripts/with-display\n");
        return 1;
    }
    e2e::SetProgramPath(e2e::WindowsPath(argv[1]));
    if (!e2e::FileExists(e2e::ProgramPath())) {
        std::fprintf(stderr, "velmora_e2e: %s does not exist\n", argv[1]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
