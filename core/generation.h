#pragma once
// One press of "Generuj": reads the input file and writes the batch file,
// talking to the user only through GenerationFeedback.

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct GenerationRequest {
    std::string inputPath;
    std::string outputPath;
    std::int32_t layoutIndex = -1;
    std::int32_t separatorIndex = -1;
    std::int32_t codeIndex = -1; // -1 when no point code is selected
    std::string codeText;        // the selected code as the list shows it; empty: none
    std::string kergText;        // empty: no KERG attribute
    std::string zudpText;        // empty: no ZUDP attribute
};

enum class GenerationOutcome { InputNotOpened, OutputNotOpened, Generated };

// "Błąd otwarcia pliku:\n" in code page 1250: what the user sees, followed by
// the path, for a file that cannot be opened.
inline constexpr char kOpenFailedText[] = "B\xB3\xB9"
                                          "d otwarcia pliku:\n";

// Implemented by the front end.
class GenerationFeedback {
public:
    virtual ~GenerationFeedback() = default;
    // Shows the text and returns once the user has acknowledged it.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
};

// What a generation did with the lines of the input.
struct GenerationCounts {
    std::uint64_t written = 0;                    // records written
    std::uint64_t skipped = 0;                    // lines that are not blank and gave no record
    std::vector<std::uint64_t> firstSkippedLines; // the first ten of them, counted from 1
};

// The success message: "Plik wsadowy został wygenerowany.", the number of
// records written and, when lines were skipped, their number and the first
// ten line numbers.
std::string FormatGeneratedMessage(const GenerationCounts& counts);

// Runs one generation. The success message is shown only after the batch file
// is complete and closed. Errors (InvalidArgumentError, FileError,
// std::bad_alloc) leave the function after clean-up; a batch file whose
// generation failed carries no end marker.
GenerationOutcome RunGeneration(const GenerationRequest& request, GenerationFeedback& feedback);

} // namespace velmora
