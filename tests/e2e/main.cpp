// The end-to-end scenarios: velmora_e2e PATH-OF-Velmora.exe [GoogleTest options]
#include "velmora.h"

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_e2e PATH-OF-Velmora.exe [GoogleTest options]\n");
        return 2;
    }
    e2e::SetProgramPath(e2e::WindowsPath(argv[1]));
    if (!e2e::FileExists(e2e::ProgramPath())) {
        std::fprintf(stderr, "velmora_e2e: %s does not exist\n", argv[1]);
        return 2;
    }
    return RUN_ALL_TESTS();
}
