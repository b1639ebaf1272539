// Many generations from one running dialog must not leak windows, GDI objects or memory.
#include "velmora.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace e2e {
namespace {

constexpr int kWarmUp = 5;
constexpr int kRounds = 200;

std::string Expected(int round) {
    return Ansi(L"# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n"
                L"# \r\n"
                L"#Kamień graniczny=_code.n;_number;_X;_Y\r\n"
                L"KR;" +
                std::to_wstring(round) +
                L";5712345.120000;6543210.500000\r\n"
                L"KR;2;1.000000;2.000000\r\n"
                L"#KONIEC\r\n");
}

// The batch files go to a folder of their own: the file dialog lists the input's folder each
// time, and should not slow down as the batch files pile up.
void GenerateOnce(Velmora& app, const std::wstring& folder, const std::wstring& outputs,
                  int round) {
    const std::wstring input = folder + L"punkty.txt";
    WriteBytes(input, "Pomiar " + std::to_string(round) + "\r\n" + std::to_string(round) +
                          " 5712345,12 6543210.5\r\n2 1 2\r\n");
    app.ChooseInputFile(input);
    WaitUntil([&] { return app.Text(kInputPath) == input; }, "the input path");
    const std::wstring output = outputs + L"wynik " + std::to_wstring(round) + L".wsd";
    ReplaceText(app.Control(kOutputPath), output);
    app.PressGenerate();
    const auto box = app.WaitMessage();
    if (box.text != L"Plik wsadowy został wygenerowany.") {
        throw DriverError("round " + std::to_string(round) + ": " + Utf8(box.text));
    }
    app.Answer(box);
    WaitUntil([&] { return app.Text(kInputPath).empty() && app.Text(kOutputPath).empty(); },
              "the paths emptied");
    if (ReadBytes(output) != Expected(round)) {
        throw DriverError("round " + std::to_string(round) + ": wrong batch file");
    }
}

TEST(Load, TwoHundredGenerationsLeakNothing) {
    Velmora app(L"obciążenie");
    const std::wstring folder = app.Folder().Subfolder(L"dane");
    const std::wstring outputs = app.Folder().Subfolder(L"wyniki");
    SelectComboItem(app.Control(kLayout), 2); // "Numer X Y"

    for (int round = 1; round <= kWarmUp; ++round) {
        GenerateOnce(app, folder, outputs, round);
    }
    const auto before = app.Process().ReadResources();
    const auto start = Clock::now();
    for (int round = kWarmUp + 1; round <= kWarmUp + kRounds; ++round) {
        GenerateOnce(app, folder, outputs, round);
    }
    const auto seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto after = app.Process().ReadResources();

    std::printf("%d generations in %.1f s (%.0f ms each)\n", kRounds, seconds,
                1000.0 * seconds / kRounds);
    std::printf("GDI objects %lu -> %lu, USER objects %lu -> %lu, windows %lu -> %lu, "
                "handles %lu -> %lu, private bytes %zu -> %zu, working set %zu -> %zu\n",
                before.gdiObjects, after.gdiObjects, before.userObjects, after.userObjects,
                before.windows, after.windows, before.handles, after.handles,
                static_cast<size_t>(before.privateBytes), static_cast<size_t>(after.privateBytes),
                static_cast<size_t>(before.workingSet), static_cast<size_t>(after.workingSet));

    // A leak of one object or a few hundred bytes per generation would show as 200 or more.
    EXPECT_GT(before.gdiObjects, 0u) << "GDI objects could not be counted";
    EXPECT_LE(after.gdiObjects, before.gdiObjects + 20);
    EXPECT_LE(after.userObjects, before.userObjects + 20);
    EXPECT_LE(after.windows, before.windows);
    EXPECT_LE(after.handles, before.handles + 20);
    EXPECT_GT(before.privateBytes, 0u) << "private bytes could not be read";
    EXPECT_LE(after.privateBytes, before.privateBytes + 2 * 1024 * 1024);
}

} // namespace
} // namespace e2e
