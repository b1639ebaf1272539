// The benchmark's view of the program: one generation through RunGeneration,
// exactly as the dialog starts it, timed from inside the process.
//
//   velmora_bench_core convert INPUT OUTPUT LAYOUT SEPARATOR CODE
//   velmora_bench_core lines INPUT
//
// "convert" first writes ListaKodów.txt beside the program (one entry,
// "KR,Kamień graniczny" in code page 1250) so that code index 0 names it. It
// prints "elapsed_us=N maxrss_kb=N" (N the peak resident memory of the whole
// process) and exits with 0 only when the generation reports success.
// "lines" reads the file through CInputReader and prints the number of lines
// and the length of the longest one, with the peak memory.

#include "catalogue.h"
#include "generation.h"
#include "input_reader.h"
#include "platform.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// psapi.h needs windows.h first
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace {

using velmora::GenerationFeedback;
using velmora::GenerationOutcome;
using velmora::GenerationRequest;

class RecordingFeedback : public GenerationFeedback {
public:
    void ShowMessage(const std::string& text) override { m_messages.push_back(text); }
    void BeginWait() override { ++m_nWaits; }
    void EndWait() override { --m_nWaits; }

    const std::vector<std::string>& GetMessages() const noexcept { return m_messages; }
    int GetOpenWaits() const noexcept { return m_nWaits; }

private:
    std::vector<std::string> m_messages;
    int m_nWaits = 0;
};

std::uint64_t PeakResidentKilobytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) == 0) {
        return 0;
    }
    return counters.PeakWorkingSetSize / 1024;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<std::uint64_t>(usage.ru_maxrss);
#endif
}

std::string Decimal(std::uint64_t value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void PrintError(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
}

bool ParseIndex(std::string_view text, std::int32_t& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// One entry, so that code index 0 is "KR" with a Polish description.
void WritePointCodeList() {
    static constexpr std::string_view kList = "KR,Kamie\xF1 graniczny\r\n";
    auto file =
        velmora::platform::CFile::CreateExclusiveForWriting(velmora::GetPointCodeListPath());
    if (!file.IsOpen()) {
        throw std::runtime_error("cannot write " + velmora::GetPointCodeListPath());
    }
    file.Write(kList.data(), kList.size());
    file.Close();
}

int Convert(char** argv) {
    GenerationRequest request;
    request.inputPath = argv[0];
    request.outputPath = argv[1];
    if (!ParseIndex(argv[2], request.layoutIndex) || !ParseIndex(argv[3], request.separatorIndex) ||
        !ParseIndex(argv[4], request.codeIndex)) {
        PrintError("velmora_bench_core: LAYOUT, SEPARATOR and CODE are numbers");
        return 2;
    }
    WritePointCodeList();
    // The code the dialog would show for that index.
    if (const velmora::CCatalogue catalogue;
        request.codeIndex >= 0 && request.codeIndex < catalogue.GetCodeCount()) {
        request.codeText = catalogue.GetCode(request.codeIndex);
    }

    RecordingFeedback feedback;
    const auto started = std::chrono::steady_clock::now();
    const GenerationOutcome outcome = velmora::RunGeneration(request, feedback);
    const auto elapsed = std::chrono::steady_clock::now() - started;

    Print("elapsed_us=" +
          Decimal(static_cast<std::uint64_t>(
              std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count())) +
          " maxrss_kb=" + Decimal(PeakResidentKilobytes()) + "\n");
    const bool generated = outcome == GenerationOutcome::Generated &&
                           feedback.GetMessages().size() == 1 && feedback.GetOpenWaits() == 0;
    if (!generated) {
        PrintError("velmora_bench_core: the generation did not succeed");
        for (const std::string& message : feedback.GetMessages()) {
            PrintError("message: " + message);
        }
    }
    return generated ? 0 : 1;
}

int CountLines(const char* path) {
    velmora::CInputReader reader(path);
    if (!reader.IsOpen()) {
        PrintError(std::string("velmora_bench_core: cannot open ") + path);
        return 1;
    }
    std::uint64_t lines = 0;
    std::size_t longest = 0;
    std::string line;
    while (reader.ReadLine(line)) {
        ++lines;
        longest = std::max(longest, line.size());
    }
    Print("lines=" + Decimal(lines) + " longest=" + Decimal(longest) +
          " maxrss_kb=" + Decimal(PeakResidentKilobytes()) + "\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string_view command = argc > 1 ? argv[1] : "";
        if (command == "convert" && argc == 7) {
            return Convert(argv + 2);
        }
        if (command == "lines" && argc == 3) {
            return CountLines(argv[2]);
        }
        PrintError("usage: velmora_bench_core convert INPUT OUTPUT LAYOUT SEPARATOR CODE\n"
                   "       velmora_bench_core lines INPUT");
        return 2;
    } catch (const std::exception& error) {
        PrintError(std::string("velmora_bench_core: ") + error.what());
        return 1;
    }
}
