// Many generations from one running dialog must not leak windows, GDI objects or memory.
#include "leak_rule.h"
#include "velmora.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

namespace e2e {
namespace {

constexpr int kWarmUp = 10;
constexpr int kRounds = 200;
static_assert(kRounds % kRoundsPerSample == 0);
// Bounds on the one-time steps: the file dialog's one-off allocation of about 1.4 MB, which
// comes after the warm-up when the machine is busy, and a process-wide cache of a few dozen GDI
// objects that Wine's file dialog fills once.
constexpr SIZE_T kOneStep = 2 * 1024 * 1024;
constexpr double kGdiStep = 64;

// The samples as numbers for the rule, and printed.
template <typename T> std::vector<double> Numbers(const std::vector<T>& samples) {
    return {samples.begin(), samples.end()};
}
void Print(const char* name, const std::vector<double>& samples) {
    std::printf(", %s", name);
    for (const double sample : samples) {
        std::printf(" %.0f", sample);
    }
}

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
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH) == input; }, "the input path");
    const std::wstring output = outputs + L"wynik " + std::to_wstring(round) + L".wsd";
    // Pasted rather than typed: typing is the other scenarios' matter, and time counts here.
    SendMessageW(app.Control(IDC_OUTPUT_PATH), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(output.c_str()));
    app.PressGenerate();
    const auto box = app.WaitMessage(false);
    // The "Pomiar" line gives no point.
    if (box.text != L"Plik wsadowy został wygenerowany.\n\nPunkty zapisane w pliku: 2\n"
                    L"Wiersze pominięte: 1 (1)") {
        throw DriverError("round " + std::to_string(round) + ": " + Utf8(box.text));
    }
    app.Answer(box);
    WaitUntil([&] { return app.Text(IDC_INPUT_PATH).empty() && app.Text(IDC_OUTPUT_PATH).empty(); },
              "the paths emptied");
    if (ReadBytes(output) != Expected(round)) {
        throw DriverError("round " + std::to_string(round) + ": wrong batch file");
    }
}

TEST(Load, TwoHundredGenerationsLeakNothing) {
    Velmora app(L"obciążenie");
    const std::wstring folder = app.Folder().Subfolder(L"dane");
    const std::wstring outputs = app.Folder().Subfolder(L"wyniki");
    SelectComboItem(app.Control(IDC_LAYOUT), 2); // "Numer X Y"

    for (int round = 1; round <= kWarmUp; ++round) {
        GenerateOnce(app, folder, outputs, round);
    }
    const auto before = app.Process().ReadResources();
    std::vector<SIZE_T> privateBytes{before.privateBytes};
    std::vector<DWORD> gdiObjects{before.gdiObjects};
    const auto start = Clock::now();
    for (int round = kWarmUp + 1; round <= kWarmUp + kRounds; ++round) {
        GenerateOnce(app, folder, outputs, round);
        if ((round - kWarmUp) % kRoundsPerSample == 0) {
            const auto sample = app.Process().ReadResources();
            privateBytes.push_back(sample.privateBytes);
            gdiObjects.push_back(sample.gdiObjects);
        }
    }
    const auto seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const auto after = app.Process().ReadResources();

    std::printf("%d generations in %.1f s (%.0f ms each)\n", kRounds, seconds,
                1000.0 * seconds / kRounds);
    for (const auto& [name, r] :
         {std::pair{"after warm-up", before}, std::pair{"at the end", after}}) {
        std::printf("%-13s GDI objects %lu, USER objects %lu, windows %lu, handles %lu, private "
                    "bytes %zu, working set %zu\n",
                    name, r.gdiObjects, r.userObjects, r.windows, r.handles,
                    static_cast<size_t>(r.privateBytes), static_cast<size_t>(r.workingSet));
    }
    const auto bytes = Numbers(privateBytes);
    const auto gdi = Numbers(gdiObjects);
    const double bytesPerRound = SustainedGrowth(bytes) / kRoundsPerSample;
    const double gdiPerRound = SustainedGrowth(gdi) / kRoundsPerSample;
    std::printf("every %d rounds", kRoundsPerSample);
    Print("private bytes", bytes);
    Print("GDI objects", gdi);
    std::printf("\nsustained growth per round: %.1f bytes, %.2f GDI objects\n", bytesPerRound,
                gdiPerRound);

    // A leak goes on growing; a heap or a cache that fills once is one step, left out.
    EXPECT_GT(before.gdiObjects, 0u) << "GDI objects could not be counted";
    EXPECT_LE(gdiPerRound, kGdiObjectsPerRound) << "the GDI objects go on growing";
    const size_t gdiStep = LargestStepEnd(gdi);
    EXPECT_LE(gdi[gdiStep] - gdi[gdiStep - 1], kGdiStep) << "the GDI objects grew at once";
    EXPECT_LE(after.userObjects, before.userObjects + 10);
    EXPECT_LE(after.windows, before.windows);
    EXPECT_LE(after.handles, before.handles + 10);
    EXPECT_GT(before.privateBytes, 0u) << "private bytes could not be read";
    EXPECT_LE(bytesPerRound, kBytesPerRound) << "the private bytes go on growing";
    EXPECT_LE(after.privateBytes, before.privateBytes + kOneStep);
}

} // namespace
} // namespace e2e
