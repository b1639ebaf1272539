// Fuzzes the whole generation job. The first bytes choose the request (layout,
// separator, point-code index, KERG and ZUDP texts, whether a batch file
// already exists); the rest is the input file.

#include "catalogue.h"
#include "errors.h"
#include "fuzz_support.h"
#include "generation.h"
#include "layouts.h"
#include "platform.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kHeader =
    "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\r\n# \r\n";
constexpr std::string_view kEndLine = "#KONIEC";
constexpr std::string_view kSuccess = "Plik wsadowy zosta\xB3 wygenerowany.";
constexpr std::string_view kWritten = "\n\nPunkty zapisane w pliku: ";
constexpr std::string_view kSkipped = "\nWiersze pomini\xEAte: ";
constexpr std::string_view kOldBatchFile = "# an older batch file\r\n#KONIEC\r\n";

std::vector<fuzz::PointCode> g_codes; // the list beside the program, as read

void IgnoreMessage(const std::string&) {}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// Records what the job shows; at the success message the batch file must
// already be complete.
class RecordingFeedback : public velmora::GenerationFeedback {
public:
    explicit RecordingFeedback(std::string outputPath) : m_strOutput(std::move(outputPath)) {}

    void ShowMessage(const std::string& text) override {
        m_messages.push_back(text);
        if (text.starts_with(kSuccess)) {
            std::string bytes;
            fuzz::Check(fuzz::ReadFile(m_strOutput, bytes), "no batch file at the success message");
            fuzz::Check(EndsWith(bytes, "\r\n#KONIEC\r\n"),
                        "success shown before the batch file was complete");
        }
    }
    void BeginWait() override {
        fuzz::Check(!m_bWaiting, "BeginWait twice");
        m_bWaiting = true;
        ++m_nWaits;
    }
    void EndWait() override {
        fuzz::Check(m_bWaiting, "EndWait without BeginWait");
        m_bWaiting = false;
    }

    const std::vector<std::string>& Messages() const { return m_messages; }
    bool Waiting() const { return m_bWaiting; }
    int Waits() const { return m_nWaits; }

private:
    std::string m_strOutput;
    std::vector<std::string> m_messages;
    bool m_bWaiting = false;
    int m_nWaits = 0;
};

// Takes one byte from the front of the input (0 when it is used up).
std::uint8_t TakeByte(std::string_view& input) {
    if (input.empty()) {
        return 0;
    }
    const auto byte = static_cast<std::uint8_t>(input.front());
    input.remove_prefix(1);
    return byte;
}

// A KERG or ZUDP text: often empty, otherwise up to 11 bytes of the input.
// Texts never hold NUL bytes (they come from an edit box).
std::string TakeText(std::string_view& input) {
    const int length = TakeByte(input) % 16;
    std::string text;
    for (int i = 0; i < length && i < 12; ++i) {
        const char c = static_cast<char>(TakeByte(input));
        text += c == '\0' ? ' ' : c;
    }
    return text;
}

int PickLayout(std::uint8_t byte) {
    const int value = byte % 16;
    if (value < 14) {
        return value;
    }
    if (value == 14) {
        return -1;
    }
    return (byte & 0x80) != 0 ? std::numeric_limits<std::int32_t>::max() : 14;
}

int PickCode(std::uint8_t byte) {
    const int count = static_cast<int>(g_codes.size());
    switch (byte % 8) {
    case 3:
        return count;
    case 4:
        return -1;
    case 5:
        return std::numeric_limits<std::int32_t>::min();
    case 6:
        return std::numeric_limits<std::int32_t>::max();
    case 7:
        return count - 1;
    default: // 0, 1, 2
        return byte % 8 < count ? byte % 8 : 0;
    }
}

// The code text the dialog would pass: mostly that of the entry at the index
// (none for an index naming no entry), sometimes that of another entry (the
// list changed since the dialog read it), or a code the list lacks.
std::string PickCodeText(std::uint8_t byte, int index) {
    const int count = static_cast<int>(g_codes.size());
    switch ((byte >> 3) % 4) {
    case 2:
        return g_codes[static_cast<std::size_t>((byte >> 5) % count)].code;
    case 3:
        return (byte & 0x80) != 0 ? "NO SUCH CODE" : "";
    default:
        return index >= 0 && index < count ? g_codes[static_cast<std::size_t>(index)].code : "";
    }
}

// The entry the writer must use: the one at the index if it has the code
// text, else the first one that has it; -1 for none.
int ExpectedEntry(const velmora::GenerationRequest& request) {
    if (request.codeText.empty()) {
        return -1;
    }
    const int count = static_cast<int>(g_codes.size());
    if (request.codeIndex >= 0 && request.codeIndex < count &&
        g_codes[static_cast<std::size_t>(request.codeIndex)].code == request.codeText) {
        return request.codeIndex;
    }
    for (int i = 0; i < count; ++i) {
        if (g_codes[static_cast<std::size_t>(i)].code == request.codeText) {
            return i;
        }
    }
    return -1;
}

std::vector<std::string_view> SplitCrLfLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find("\r\n");
        fuzz::Check(end != std::string_view::npos, "batch file does not end with CR LF");
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 2);
    }
    return lines;
}

// The first `wanted` fields of a line, read byte by byte as a CSV reader
// would: runs of separators divide like one; a field whose first byte after
// spaces and tabs (other than the separator) is '"' is quoted, its content
// runs to the lone closing '"' with "" for one '"', and only spaces, tabs and
// CRs may follow it before the separator; an empty quoted field counts for
// nothing. Nothing for a malformed line.
std::optional<std::vector<std::string>> ModelFields(std::string_view line, char separator,
                                                    std::size_t wanted) {
    const auto blank = [separator](char c, bool cr) {
        return c != separator && (c == ' ' || c == '\t' || (cr && c == '\r'));
    };
    std::vector<std::string> fields;
    for (std::size_t i = 0; fields.size() < wanted;) {
        for (; i < line.size() && line[i] == separator; ++i) {
        }
        std::size_t j = i;
        for (; j < line.size() && blank(line[j], false); ++j) {
        }
        std::string field;
        if (j == line.size() || line[j] != '"') {
            for (; i < line.size() && line[i] != separator; ++i) {
                field += line[i];
            }
            if (field.empty()) {
                break; // the end of the line
            }
            fields.push_back(field);
            continue;
        }
        for (++j; j < line.size() && (line[j] != '"' || line.substr(j, 2) == "\"\""); ++j) {
            j += line[j] == '"' ? 1 : 0;
            field += line[j];
        }
        for (j += 1; j < line.size() && blank(line[j], true); ++j) {
        }
        if (j > line.size() || (j < line.size() && line[j] != separator)) {
            return std::nullopt; // left open, or something behind the closing quote
        }
        if (!field.empty()) {
            fields.push_back(field);
        }
        i = j;
    }
    return fields;
}

// The record a line gives, computed the plain C way: the fields above,
// atof after the decimal-comma rule, printf's "%.6f"/"%.3f" (glibc is the
// yardstick of the number formatting). X and Y must hold one finite number
// with no digit behind it. In a decoded file a point number must not hold a
// character code page 1250 lacks. Empty when the line gives none.
std::string ExpectedRecord(std::string_view line, const velmora::GenerationRequest& request,
                           const std::string& code, bool decoded) {
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return {};
    }
    line = line.substr(start, 2047);
    const char separator = ";,\t |"[request.separatorIndex];
    const velmora::Layout& layout = velmora::GetLayout(request.layoutIndex);
    const std::optional<std::vector<std::string>> fieldsRead =
        ModelFields(line, separator, static_cast<std::size_t>(layout.fullCount));
    if (!fieldsRead) {
        return {};
    }
    const std::vector<std::string>& tokens = *fieldsRead;
    const int count = static_cast<int>(tokens.size());
    int fields = layout.fieldCount;
    if (count != layout.fullCount) {
        if (layout.shortCount == 0 || count != layout.shortCount) {
            return {};
        }
        fields = layout.fieldCount - 1;
    }
    std::string record = code + ";";
    for (int i = 0; i < fields; ++i) {
        if (i > 0) {
            record += ';';
        }
        const velmora::RecordField& field = layout.fields[static_cast<std::size_t>(i)];
        std::string token = tokens[field.token];
        if (field.format == velmora::FieldFormat::Text) {
            token.resize(std::min(token.size(), velmora::kMaxTextToken));
            if (decoded && token.find(fuzz::kLacking) != std::string::npos) {
                return {};
            }
            record += token;
            continue;
        }
        if (const std::size_t comma = token.find(','); comma != std::string::npos) {
            token[comma] = '.';
        }
        char* numberEnd = nullptr;
        const double value = std::strtod(token.c_str(), &numberEnd);
        if (field.format == velmora::FieldFormat::Fixed6 &&
            (numberEnd == token.c_str() || !std::isfinite(value) ||
             std::strpbrk(numberEnd, "0123456789") != nullptr)) {
            return {}; // X and Y must hold one number
        }
        char text[400];
        const int length =
            std::snprintf(text, sizeof text,
                          field.format == velmora::FieldFormat::Fixed6 ? "%.6f" : "%.3f", value);
        record.append(text, static_cast<std::size_t>(length));
    }
    if (fields < layout.fieldCount) {
        record += ';';
    }
    if (!request.kergText.empty()) {
        record += ";" + request.kergText;
    } else if (!request.zudpText.empty()) {
        record += ";" + request.zudpText;
    }
    return record;
}

// The success message for what the input gives: the records written and the
// lines that gave none although they hold more than blanks, tabs, CRs and
// separators.
std::string ExpectedMessage(const velmora::GenerationRequest& request,
                            const std::vector<std::string>& inputLines, bool decoded, int entry) {
    const bool layoutValid = request.layoutIndex >= 0 && request.layoutIndex < 14;
    const std::string blanks = std::string(" \t\r") + ";,\t |"[request.separatorIndex];
    std::size_t written = 0;
    std::vector<std::size_t> skipped;
    for (std::size_t i = 0; i < inputLines.size(); ++i) {
        if (layoutValid && !ExpectedRecord(inputLines[i], request,
                                           g_codes[static_cast<std::size_t>(entry)].code, decoded)
                                .empty()) {
            ++written;
        } else if (inputLines[i].find_first_not_of(blanks) != std::string::npos) {
            skipped.push_back(i + 1);
        }
    }
    std::string message = std::string(kSuccess) + std::string(kWritten) + std::to_string(written);
    if (!skipped.empty()) {
        message += std::string(kSkipped) + std::to_string(skipped.size()) + " (";
        for (std::size_t i = 0; i < skipped.size() && i < 10; ++i) {
            message += (i > 0 ? ", " : "") + std::to_string(skipped[i]);
        }
        message += skipped.size() > 10 ? ", ...)" : ")";
    }
    return message;
}

void CheckBatchFile(std::string_view bytes, const velmora::GenerationRequest& request,
                    const std::vector<std::string>& inputLines, bool decoded, int entryIndex) {
    fuzz::Check(bytes.substr(0, kHeader.size()) == kHeader, "header comment lines");
    for (std::size_t pos = bytes.find('\n'); pos != std::string_view::npos;
         pos = bytes.find('\n', pos + 1)) {
        fuzz::Check(pos > 0 && bytes[pos - 1] == '\r', "LF without CR in the batch file");
    }
    const std::vector<std::string_view> lines = SplitCrLfLines(bytes);
    fuzz::Check(lines.size() >= 3 && lines.back() == kEndLine, "batch file not ended by #KONIEC");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        fuzz::Check(lines[i] != kEndLine, "#KONIEC line before the end");
    }

    if (request.layoutIndex < 0 || request.layoutIndex >= 14) {
        fuzz::Check(lines.size() == 3, "definition line or records without a layout");
        return;
    }
    const fuzz::PointCode& entry = g_codes.at(static_cast<std::size_t>(entryIndex));
    const std::string definitionStart = "#" + entry.description + "=";
    fuzz::Check(lines[2].substr(0, definitionStart.size()) == definitionStart, "definition line");
    const std::size_t records = lines.size() - 4;
    fuzz::Check(records <= inputLines.size(), "more records than input lines");
    std::size_t next = 3;
    for (const std::string& line : inputLines) {
        const std::string expected = ExpectedRecord(line, request, entry.code, decoded);
        if (!expected.empty()) {
            fuzz::Check(next + 1 < lines.size(), "a record is missing");
            fuzz::Check(lines[next] == expected, "record differs from the plain C conversion");
            ++next;
        }
    }
    fuzz::Check(next + 1 == lines.size(), "more records than the input gives");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    velmora::platform::SetMessageFunction(IgnoreMessage);
    std::string list;
    if (!fuzz::ReadFile(velmora::GetPointCodeListPath(), list)) {
        fuzz::Fail("the point-code list beside the fuzz target is missing");
    }
    g_codes = fuzz::ModelPointCodes(list);
    fuzz::Check(!g_codes.empty(), "the point-code list beside the fuzz target is empty");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);

    velmora::GenerationRequest request;
    request.layoutIndex = PickLayout(TakeByte(input));
    const std::uint8_t separatorByte = TakeByte(input);
    request.separatorIndex = separatorByte % 5;
    const bool existingOutput = (separatorByte / 5) % 2 == 1;
    const std::uint8_t codeByte = TakeByte(input);
    request.codeIndex = PickCode(codeByte);
    request.codeText = PickCodeText(codeByte, request.codeIndex);
    request.kergText = TakeText(input);
    request.zudpText = TakeText(input);
    request.inputPath = fuzz::TempPath("punkty.txt");
    request.outputPath = fuzz::TempPath("punkty.txt.wsd");

    fuzz::WriteFile(request.inputPath, input);
    std::remove(request.outputPath.c_str());
    if (existingOutput) {
        fuzz::WriteFile(request.outputPath, kOldBatchFile);
    }

    const int entry = ExpectedEntry(request);
    const bool codeValid = entry >= 0;
    const bool layoutValid = request.layoutIndex >= 0 && request.layoutIndex < 14;
    // The text that goes after every record; a line break in it may be refused.
    const std::string& suffixText = request.kergText.empty() ? request.zudpText : request.kergText;
    const bool suffixHasLineBreak = suffixText.find_first_of("\r\n") != std::string::npos;

    RecordingFeedback feedback(request.outputPath);
    std::string output;
    try {
        const velmora::GenerationOutcome outcome = velmora::RunGeneration(request, feedback);
        fuzz::Check(outcome == velmora::GenerationOutcome::Generated, "generation not done");
        fuzz::Check(codeValid || !layoutValid, "generated with a point code that names no entry");
        const std::vector<std::string> lines = fuzz::ModelInputLines(input);
        const bool decoded = fuzz::ModelDecode(input).decoded;
        fuzz::Check(feedback.Messages().size() == 1 &&
                        feedback.Messages()[0] == ExpectedMessage(request, lines, decoded, entry),
                    "messages of a generation");
        fuzz::Check(fuzz::ReadFile(request.outputPath, output), "no batch file after success");
        CheckBatchFile(output, request, lines, decoded, entry);
    } catch (const velmora::InvalidArgumentError&) {
        fuzz::Check(!codeValid || suffixHasLineBreak, "improper argument with a valid request");
        fuzz::Check(feedback.Messages().empty(), "message shown before an improper argument");
        fuzz::Check(feedback.Waits() == 0, "waited before an improper argument");
        const bool exists = fuzz::ReadFile(request.outputPath, output);
        fuzz::Check(exists == existingOutput, "batch file created for an improper argument");
        fuzz::Check(!exists || output == kOldBatchFile,
                    "batch file touched by an improper argument");
    }
    fuzz::Check(!feedback.Waiting(), "wait not ended");

    std::string after;
    fuzz::Check(fuzz::ReadFile(request.inputPath, after) && after == input, "input file changed");
    return 0;
}
