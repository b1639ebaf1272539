#pragma once
// Runs a batch writer over a few lines and hands back what it wrote.

#include "batch_writer.h"
#include "test_files.h"

#include <string>
#include <vector>

namespace velmora::test {

struct WriterOptions {
    int layout = 2;
    int separator = 3; // space
    std::string kerg;
    std::string zudp;
};

// The writer's catalogue holds the one code ABC, "Punkt graniczny".
inline std::string WriteBatch(const WriterOptions& options, const std::vector<std::string>& lines) {
    const CTempDir dir;
    const std::string list = dir.Path("codes.txt");
    WriteBytes(list, "ABC,Punkt graniczny\r\n");
    const std::string output = dir.Path("out.wsd");
    {
        CBatchWriter writer(CCatalogue(list), output, options.layout, options.separator, 0, "ABC",
                            options.kerg, options.zudp);
        for (const std::string& line : lines) {
            writer.WriteRecord(line);
        }
        writer.Finish();
    }
    return ReadBytes(output);
}

inline std::vector<std::string> SplitCrLf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    if (start < bytes.size()) {
        lines.push_back(bytes.substr(start) + "<no line end>");
    }
    return lines;
}

// The records of a batch file: the lines between the definition line and
// "#KONIEC".
inline std::vector<std::string> RecordsOf(const std::string& bytes) {
    std::vector<std::string> lines = SplitCrLf(bytes);
    if (lines.size() < 4 || lines.back() != "#KONIEC") {
        return {"<malformed batch file>"};
    }
    return std::vector<std::string>(lines.begin() + 3, lines.end() - 1);
}

} // namespace velmora::test
