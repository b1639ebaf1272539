#pragma once
// Writes one batch file: the header block at construction, one record per
// usable input line, and "#KONIEC" when the generation completes it.

#include "catalogue.h"
#include "text_output.h"

#include <memory>
#include <string>
#include <string_view>

namespace velmora {

// What became of one input line.
enum class RecordResult {
    Written, // a record was written
    Blank,   // only blanks, tabs, CRs and separators: nothing to convert
    Skipped, // no record: too few columns, a malformed quoted field, X or Y
             // not one number, or a point number holding a character code
             // page 1250 lacks
};

class CBatchWriter {
public:
    // Builds the writer's own catalogue (ListaKodów.txt is read again), resolves
    // the point code and its description, then creates or replaces the file and
    // writes the header block. The code is codeText, the code the user saw: the
    // entry at index `code` when it has that code, else the first entry that
    // has it. No entry with codeText (an empty codeText included), or a record
    // text (KERG, else ZUDP) holding a CR or LF, throws InvalidArgumentError
    // before any file is created or touched. A file that cannot be created
    // leaves the writer closed (IsOpen() is false).
    CBatchWriter(std::string path, int layout, int separator, int code, const std::string& codeText,
                 std::string kerg, std::string zudp);
    // The same with a catalogue given by the caller (tests, tools).
    CBatchWriter(CCatalogue catalogue, std::string path, int layout, int separator, int code,
                 const std::string& codeText, std::string kerg, std::string zudp);

    CBatchWriter(const CBatchWriter&) = delete;
    CBatchWriter& operator=(const CBatchWriter&) = delete;
    // Closes the file if Finish() did not; no end marker is written then, so a
    // batch file whose generation failed never looks complete.
    ~CBatchWriter();

    bool IsOpen() const noexcept { return m_bOpen; }

    // Converts one input line (without its line end) into at most one record
    // and writes it. In a line `decoded` from UTF-8 or UTF-16, a point number
    // holding kLackingCharacter in the bytes it keeps gives no record: the
    // character it stands for cannot be written. Throws FileError when
    // writing fails.
    RecordResult WriteRecord(std::string_view line, bool decoded = false);

    // Writes "#KONIEC", flushes and closes the file. Throws FileError.
    void Finish();

private:
    void WriteHeader();
    // Converts the line into its record and writes it; false when the line
    // makes no record.
    bool WriteConvertedLine(std::string_view line, bool decoded);

    bool m_bOpen = false;
    std::string m_strPath;
    CTextOutput m_file;
    int m_nLayout = -1;
    int m_nSeparator = -1;
    int m_nCode = -1;
    CCatalogue m_catalogue;
    std::string m_strKerg;
    int m_bKerg = 0;
    std::string m_strZudp;
    int m_bZudp = 0;

    // Resolved once at construction from m_catalogue and the options.
    std::string m_strCode;
    std::string m_strDescription;
    std::string m_strRecordSuffix;
    char m_cSeparator = ' ';
    // Holds "<code>;" at its front; records are formatted behind it.
    std::unique_ptr<char[]> m_recordBuffer;
    std::size_t m_nRecordPrefix = 0;
};

} // namespace velmora
