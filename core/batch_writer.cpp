// The batch file writer: header block, one record per usable input line,
// and the end marker when the generation completes the file.

#include "batch_writer.h"

#include "errors.h"
#include "layouts.h"
#include "line_tokens.h"
#include "record_fields.h"
#include "unicode_to_cp1250.h"
#include "word_scan.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <span>
#include <utility>

namespace velmora {

namespace {

constexpr std::string_view kCommentLines =
    "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\n# \n";
constexpr std::string_view kEndMarker = "#KONIEC\n";
// Of a longer line only this many bytes are converted.
constexpr std::size_t kMaxLineBytes = 2047;
// The work buffer a line is converted in: the line, then bytes the token
// and field scans may read.
constexpr std::size_t kWorkBufferSize = kMaxLineBytes + 1 + word::kReadAhead;
constexpr std::size_t kMaxFields = 5;

bool IsLayoutIndex(int index) {
    return index >= 0 && index < kLayoutCount;
}

// Whether a line that gave no record is blank: only blanks, tabs, CRs and
// the separator character.
bool IsBlankLine(std::string_view line, char separator) {
    const char blanks[] = {' ', '\t', '\r', separator};
    return line.find_first_not_of(std::string_view(blanks, sizeof blanks)) ==
           std::string_view::npos;
}

// The entry of the point code the user saw: the one at `index` when it still
// has that code, else the first entry that has it (the list file may have
// changed since the dialog read it). No such entry, or no code at all,
// throws InvalidArgumentError.
int ResolveCodeIndex(const CCatalogue& catalogue, int index, const std::string& codeText) {
    if (codeText.empty()) {
        throw InvalidArgumentError();
    }
    if (index >= 0 && index < catalogue.GetCodeCount() && catalogue.GetCode(index) == codeText) {
        return index;
    }
    for (int i = 0; i < catalogue.GetCodeCount(); ++i) {
        if (catalogue.GetCode(i) == codeText) {
            return i;
        }
    }
    throw InvalidArgumentError();
}

// The line without its leading blanks, cut to kMaxLineBytes, copied into the
// work buffer and followed by the bytes the scans may read. Empty for a line
// of blanks.
std::span<char> CopyToWork(std::string_view line, char* work) {
    std::size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) {
        ++start;
    }
    if (start == line.size()) {
        return {};
    }
    line = line.substr(start, kMaxLineBytes);
    std::memcpy(work, line.data(), line.size());
    std::memset(work + line.size(), 0, word::kReadAhead);
    return {work, line.size()};
}

// How many of the layout's fields `count` tokens fill: all, all but the last
// (the short record, which keeps the ';' of its missing column), or 0 when
// they make no record.
int FieldsFilled(const Layout& layout, std::size_t count) {
    if (static_cast<int>(count) == layout.fullCount) {
        return layout.fieldCount;
    }
    return layout.shortCount != 0 && static_cast<int>(count) == layout.shortCount
               ? layout.fieldCount - 1
               : 0;
}

// Writes the record's fields and suffix behind its code; returns the end of
// the record, or nullptr when a field cannot be written.
char* WriteFields(char* out, const Layout& layout, std::span<const std::string_view> tokens,
                  int fields, bool decoded, std::string_view suffix) {
    for (int i = 0; i < fields; ++i) {
        if (i > 0) {
            *out++ = ';';
        }
        const RecordField& field = layout.fields[static_cast<std::size_t>(i)];
        const std::string_view token = tokens[field.token];
        switch (field.format) {
        case FieldFormat::Text:
            // A point number holding a character code page 1250 lacks
            // cannot be written.
            if (decoded &&
                token.substr(0, kMaxTextToken).find(kLackingCharacter) != std::string_view::npos) {
                return nullptr;
            }
            out = WriteTextField(out, token);
            break;
        case FieldFormat::Fixed6:
            out = WriteNumberField(out, token, 6, true);
            if (out == nullptr) {
                return nullptr; // X or Y not one number: no invented points
            }
            break;
        case FieldFormat::Fixed3:
            out = WriteNumberField(out, token, 3, false);
            break;
        }
    }
    if (fields < layout.fieldCount) {
        *out++ = ';';
    }
    out = std::copy(suffix.begin(), suffix.end(), out);
    *out++ = '\n';
    return out;
}

} // namespace

CBatchWriter::CBatchWriter(std::string path, int layout, int separator, int code,
                           const std::string& codeText, std::string kerg, std::string zudp)
    : CBatchWriter(CCatalogue(), std::move(path), layout, separator, code, codeText,
                   std::move(kerg), std::move(zudp)) {}

// The code, its description and the separator are resolved before the file is
// created, so that an index naming no entry leaves any existing file as it
// was. With a layout outside 0-13 no definition line and no record is ever
// written, so neither index is needed then and neither is checked. A
// separator index outside 0-4 names no separator and is refused like a code
// index that names no code (InvalidArgumentError).
CBatchWriter::CBatchWriter(CCatalogue catalogue, std::string path, int layout, int separator,
                           int code, const std::string& codeText, std::string kerg,
                           std::string zudp)
    : m_nLayout(layout), m_nSeparator(separator), m_nCode(code), m_catalogue(std::move(catalogue)) {
    // The separator also tells blank lines from the others where no record
    // is made; only where records are made does an unknown one refuse.
    if (IsLayoutIndex(m_nLayout) ||
        (m_nSeparator >= 0 && m_nSeparator < m_catalogue.GetSeparatorCount())) {
        m_cSeparator = m_catalogue.GetSeparatorChar(m_nSeparator).front();
    }
    if (IsLayoutIndex(m_nLayout)) {
        m_nCode = ResolveCodeIndex(m_catalogue, m_nCode, codeText);
        m_strDescription = m_catalogue.GetDescription(m_nCode);
        m_strCode = m_catalogue.GetCode(m_nCode);
        // The text that ends every record (KERG wins over ZUDP) must stay on
        // the record's line: a line break in it would split records and could
        // even put a "#KONIEC" line in the middle of the file.
        const std::string& suffixText = !kerg.empty() ? kerg : zudp;
        if (suffixText.find_first_of("\r\n") != std::string::npos) {
            throw InvalidArgumentError();
        }
    }

    m_file = CTextOutput(platform::CFile::CreateExclusiveForWriting(path));
    if (!m_file.IsOpen()) {
        return;
    }
    m_strPath = std::move(path);
    m_bOpen = true;
    m_strKerg = std::move(kerg);
    m_bKerg = m_strKerg.empty() ? 0 : 1;
    m_strZudp = std::move(zudp);
    m_bZudp = m_strZudp.empty() ? 0 : 1;
    if (m_bKerg != 0 || m_bZudp != 0) {
        m_strRecordSuffix = ";" + (m_bKerg != 0 ? m_strKerg : m_strZudp);
    }

    // One buffer for the whole file: the work buffer that a line is copied
    // into (with room to read a word past its end), then the record:
    // "<code>;" stays at its front, the fields and the suffix are written
    // behind it for every record.
    m_nRecordPrefix = m_strCode.size() + 1;
    m_recordBuffer = std::make_unique<char[]>(kWorkBufferSize + m_nRecordPrefix +
                                              kMaxFields * (kMaxFieldLength + 1) + 1 +
                                              m_strRecordSuffix.size() + 1);
    std::copy(m_strCode.begin(), m_strCode.end(), m_recordBuffer.get() + kWorkBufferSize);
    m_recordBuffer[kWorkBufferSize + m_strCode.size()] = ';';

    WriteHeader();
}

CBatchWriter::~CBatchWriter() = default;

void CBatchWriter::WriteHeader() {
    m_file.Write(kCommentLines);
    if (!IsLayoutIndex(m_nLayout)) {
        return;
    }
    const std::string_view definitionSuffix =
        m_bKerg != 0 ? ";KRG.n" : (m_bZudp != 0 ? ";NWN.n" : "");
    m_file.Write("#" + m_strDescription + "=" + std::string(GetLayout(m_nLayout).definition) +
                 std::string(definitionSuffix) + "\n");
}

RecordResult CBatchWriter::WriteRecord(std::string_view line, bool decoded) {
    if (WriteConvertedLine(line, decoded)) {
        return RecordResult::Written;
    }
    return IsBlankLine(line, m_cSeparator) ? RecordResult::Blank : RecordResult::Skipped;
}

bool CBatchWriter::WriteConvertedLine(std::string_view line, bool decoded) {
    if (!m_bOpen || !IsLayoutIndex(m_nLayout)) {
        return false;
    }
    const std::span<char> work = CopyToWork(line, m_recordBuffer.get());
    if (work.empty()) {
        return false;
    }
    const Layout& layout = GetLayout(m_nLayout);
    std::array<std::string_view, kMaxFields> tokens;
    const std::optional<std::size_t> count = SplitTokens(
        work, m_cSeparator, std::span(tokens).first(static_cast<std::size_t>(layout.fullCount)));
    if (!count) {
        return false; // a malformed quoted field
    }
    const int fields = FieldsFilled(layout, *count);
    if (fields == 0) {
        return false;
    }
    char* const record = m_recordBuffer.get() + kWorkBufferSize;
    char* const end =
        WriteFields(record + m_nRecordPrefix, layout, tokens, fields, decoded, m_strRecordSuffix);
    if (end == nullptr) {
        return false;
    }
    m_file.Write(std::string_view(record, static_cast<std::size_t>(end - record)));
    return true;
}

void CBatchWriter::Finish() {
    if (!m_bOpen) {
        return;
    }
    m_bOpen = false;
    m_file.Write(kEndMarker);
    m_file.Close();
}

} // namespace velmora
