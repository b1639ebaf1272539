// Many generations from one running dialog must not leak windows, GDI objects or memory.
#include "velmora.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace e2e {
namespace {

constexpr int kWarmUp = 10;
constexpr int kRounds = 200;
// Under Wine the private bytes move in steps: once in a run, at a moment that varies from run to
// run, they grow by about 1.4 MB; between such steps they stay flat or creep up by a page now and
// then (Wine's own heap: 4 KB per 20 rounds was the most seen). So they are read every kSample
// rounds: a leak shows as more than one large step, or as creeping beyond kCreep in all, which
// a leak of 1 KB per generation would exceed.
constexpr int kSample = 20;
constexpr SIZE_T kOneStep = 2 * 1024 * 1024;
constexpr SIZE_T kLargeStep = 256 * 1024;
constexpr SIZE_T kCreep = 160 * 1024;
// GDI objects behave alike: Wine's file dialog fills a process-wide cache of a few dozen objects
// once, and under load that may happen after the warm-up. One such step is allowed; a leak of one
// object per generation adds 20 per sample, again and again.
constexpr DWORD kGdiStep = 64;
constexpr DWORD kGdiCreep = 10;

// The growth between consecutive samples: in all, its largest step, and how many steps reached
// `large` and the sum of the smaller ones.
template <typename T> struct Growth {
    T total = 0;
    T largest = 0;
    int largeSteps = 0;
    T creep = 0;
};
template <typename T> Growth<T> GrowthOf(const std::vector<T>& samples, T large) {
    Growth<T> growth;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (samples[i] <= samples[i - 1]) {
            continue;
        }
        const T step = samples[i] - samples[i - 1];
        growth.total += step;
        growth.largest = std::max(growth.largest, step);
        if (step >= large) {
            ++growth.largeSteps;
        } else {
            growth.creep += step;
        }
    }
    return growth;
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
    WaitUntil([&] { return app.Text(kInputPath) == input; }, "the input path");
    const std::wstring output = outputs + L"wynik " + std::to_wstring(round) + L".wsd";
    // Pasted rather than typed: typing is the other scenarios' matter, and time counts here.
    SendMessageW(app.Control(kOutputPath), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(output.c_str()));
    app.PressGenerate();
    const auto box = app.WaitMessage(false);
    // The "Pomiar" line gives no point.
    if (box.text != L"Plik wsadowy został wygenerowany.\n\nPunkty zapisane w pliku: 2\n"
                    L"Wiersze pominięte: 1 (1)") {
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
    std::vector<SIZE_T> privateBytes{before.privateBytes};
    std::vector<DWORD> gdiObjects{before.gdiObjects};
    const auto start = Clock::now();
    for (int round = kWarmUp + 1; round <= kWarmUp + kRounds; ++round) {
        GenerateOnce(app, folder, outputs, round);
        if ((round - kWarmUp) % kSample == 0) {
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
    std::printf("every %d rounds: private bytes", kSample);
    for (const SIZE_T bytes : privateBytes) {
        std::printf(" %zu", static_cast<size_t>(bytes));
    }
    std::printf(", GDI objects");
    for (const DWORD objects : gdiObjects) {
        std::printf(" %lu", objects);
    }
    std::printf("\n");

    // A leak of one object per generation, or of a few kilobytes, shows over 200 rounds.
    EXPECT_GT(before.gdiObjects, 0u) << "GDI objects could not be counted";
    const auto gdi = GrowthOf(gdiObjects, kGdiStep);
    EXPECT_LE(gdi.largest, kGdiStep) << "the GDI objects grew by " << gdi.largest << " at once";
    EXPECT_LE(gdi.total - gdi.largest, kGdiCreep) << "the GDI objects grew step after step";
    EXPECT_LE(after.userObjects, before.userObjects + 10);
    EXPECT_LE(after.windows, before.windows);
    EXPECT_LE(after.handles, before.handles + 10);
    EXPECT_GT(before.privateBytes, 0u) << "private bytes could not be read";
    EXPECT_LE(after.privateBytes, before.privateBytes + kOneStep);
    const auto bytes = GrowthOf(privateBytes, kLargeStep);
    EXPECT_LE(bytes.largeSteps, 1) << "the private bytes grew by large steps again and again";
    EXPECT_LE(bytes.creep, kCreep) << "the private bytes crept up by " << bytes.creep << " bytes";
}

} // namespace
} // namespace e2e
