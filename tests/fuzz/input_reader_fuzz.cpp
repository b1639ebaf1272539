// Fuzzes the input reader and its preview: the input is the point list's bytes.

#include "fuzz_support.h"
#include "input_reader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::size_t CountCrLf(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t pos = text.find("\r\n"); pos != std::string_view::npos;
         pos = text.find("\r\n", pos + 2)) {
        ++count;
    }
    return count;
}

// Reads to the end, checking each line; the reader must then stay at the end.
std::vector<std::string> ReadRest(velmora::CInputReader& reader, std::size_t inputSize) {
    std::vector<std::string> lines;
    std::size_t total = 0;
    std::string line;
    while (reader.ReadLine(line)) {
        fuzz::Check(line.find('\n') == std::string::npos, "LF inside a line");
        total += line.size();
        fuzz::Check(total <= inputSize, "more bytes read than the file holds");
        fuzz::Check(lines.size() < inputSize, "more lines than the file has bytes");
        lines.push_back(line);
    }
    line = "unchanged";
    fuzz::Check(!reader.ReadLine(line), "a line after the end");
    fuzz::Check(line == "unchanged", "line changed at the end");
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::TempPath("punkty.txt");
    fuzz::WriteFile(path, bytes);

    const std::vector<std::string> expected = fuzz::ModelInputLines(bytes);
    std::string expectedPreview;
    for (std::size_t i = 0; i < expected.size() && i < 12; ++i) {
        expectedPreview += expected[i] + "\r\n";
    }
    if (fuzz::ModelDecode(bytes).decoded) {
        std::ranges::replace(expectedPreview, fuzz::kLacking, '?');
    }

    {
        // The dialog's use: preview of a fresh reader.
        velmora::CInputReader reader(path);
        fuzz::Check(reader.IsOpen(), "an existing file did not open");
        const std::string preview = reader.ReadPreview();
        fuzz::Check(CountCrLf(preview) <= 12, "more than twelve preview lines");
        fuzz::Check(preview.size() <= size + 12 * 2, "preview longer than the file allows");
        fuzz::Check(preview == expectedPreview, "preview differs from the reading rules");
        // Reading goes on after the preview's twelve lines.
        const std::vector<std::string> rest = ReadRest(reader, size);
        const std::size_t skipped = expected.size() < 12 ? expected.size() : 12;
        fuzz::Check(rest.size() == expected.size() - skipped, "lines after the preview");
        for (std::size_t i = 0; i < rest.size(); ++i) {
            fuzz::Check(rest[i] == expected[skipped + i], "line after the preview differs");
        }
    }
    {
        // The job's use: every line from the start.
        velmora::CInputReader reader(path);
        fuzz::Check(reader.IsOpen(), "the file did not open a second time");
        const std::vector<std::string> lines = ReadRest(reader, size);
        fuzz::Check(lines == expected, "lines differ from the reading rules");
    }
    return 0;
}
