// The batch file writer: header block, one record per usable input line,
// and the end marker when the generation completes the file.

#include "batch_writer.h"

#include "errors.h"
#include "layouts.h"
#include "numbers.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <utility>

namespace velmora {

namespace {

constexpr std::string_view kCommentLines =
    "# Plik wsadowy KARTOVIA 7, wygenerowany przez program Velmora\n# \n";
constexpr std::string_view kEndMarker = "#KONIEC\n";
// Of a longer line only this many bytes are converted.
constexpr std::size_t kMaxLineBytes = 2047;
// Bytes after the end of the line copy in the work buffer that may be read
// (they hold NULs): the scans below look at eight or sixteen bytes at a time.
constexpr std::size_t kLinePadding = 16;
// The work buffer a line is converted in: the line, then its padding.
constexpr std::size_t kWorkBufferSize = kMaxLineBytes + 1 + kLinePadding;
constexpr std::size_t kMaxFields = 5;

bool IsLayoutIndex(int index) {
    return index >= 0 && index < kLayoutCount;
}

char* Append(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

constexpr bool kWordScans = std::endian::native == std::endian::little;
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighBits = 0x8080808080808080u;

std::uint64_t LoadWord(const char* p) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// Nonzero bytes where the byte of word (in memory order, lowest first) is not
// an ASCII digit: a digit's high nibble is 3 and adding 6 keeps it so. A carry
// out of a non-digit byte can only disturb the bytes after it.
std::uint64_t NonDigitBytes(std::uint64_t word) {
    constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0u;
    constexpr std::uint64_t kThrees = 0x3030303030303030u;
    constexpr std::uint64_t kSixes = 0x0606060606060606u;
    return ((word & kHigh) ^ kThrees) | (((word + kSixes) & kHigh) ^ kThrees);
}

// Copies the run of digits that begins at p, but not past end, to w; returns
// where it ends and advances w as far. p lies in the work buffer, so eight
// bytes can be read from anywhere up to end; up to eight bytes are written.
const char* CopyDigits(char*& w, const char* p, const char* end) {
    if constexpr (kWordScans) {
        while (p < end) {
            const std::uint64_t word = LoadWord(p);
            std::memcpy(w, &word, sizeof word);
            const std::uint64_t nonDigits = NonDigitBytes(word);
            auto digits =
                static_cast<std::ptrdiff_t>(nonDigits != 0 ? std::countr_zero(nonDigits) / 8 : 8);
            digits = digits < end - p ? digits : end - p;
            w += digits;
            p += digits;
            if (digits < 8) {
                break;
            }
        }
        return p;
    }
    while (p != end && IsDigit(*p)) {
        *w++ = *p++;
    }
    return p;
}

// The first separator or NUL byte from p on, or end; p lies in the work
// buffer.
const char* FindSeparatorOrNul(const char* p, const char* end, char separator) {
    if constexpr (kWordScans) {
        const std::uint64_t pattern = kOnes * static_cast<unsigned char>(separator);
        for (; p < end; p += 8) {
            const std::uint64_t word = LoadWord(p);
            const std::uint64_t x = word ^ pattern;
            // The lowest flagged byte is exactly the first zero byte of x or
            // of word (higher flags may be false).
            const std::uint64_t zeros = ((x - kOnes) & ~x) | ((word - kOnes) & ~word);
            if ((zeros & kHighBits) != 0) {
                const char* found = p + std::countr_zero(zeros & kHighBits) / 8;
                return found < end ? found : end;
            }
        }
        return end;
    }
    while (p != end && *p != separator && *p != '\0') {
        ++p;
    }
    return p;
}

// Integer digits up to which a plain decimal token prints as its own digits
// (see WriteNumber); 0 for other decimal counts.
int MaxPlainIntegerDigits(int decimals) {
    return decimals == 6 ? 9 : (decimals == 3 ? 12 : 0);
}

// The end of at most `count` bytes from p.
const char* Limit(const char* p, const char* end, int count) {
    return end - p > count ? p + count : end;
}

// WriteNumber's short way for a token of 1-16 bytes in the work buffer (so
// sixteen bytes can be read): digits with at most one '.' or ',' among them,
// the first digit not a 0 followed by another digit. Returns the end of the
// written column, or nullptr when the token has another shape.
char* WriteShortNumber(char* out, std::string_view token, int decimals, int maxIntegerDigits) {
    const std::size_t length = token.size();
    if (length == 0 || length > 16) {
        return nullptr;
    }
    const std::uint64_t low = LoadWord(token.data());
    const std::uint64_t high = LoadWord(token.data() + 8);
    // Non-digit flags of the token's own bytes only. A carry can only flag a
    // digit 9 after a non-digit byte, never let a non-digit pass.
    std::uint64_t lowFlags = NonDigitBytes(low);
    std::uint64_t highFlags = NonDigitBytes(high);
    if (length < 8) {
        lowFlags &= (std::uint64_t{1} << (8 * length)) - 1;
        highFlags = 0;
    } else if (length < 16) {
        highFlags &= (std::uint64_t{1} << (8 * (length - 8))) - 1;
    }
    std::size_t integerDigits = length;
    if (lowFlags != 0) {
        integerDigits = static_cast<std::size_t>(std::countr_zero(lowFlags)) / 8;
        // The mark's flag goes; every other byte must be a digit.
        lowFlags &= ~(std::uint64_t{0xFF} << (8 * integerDigits));
    } else if (highFlags != 0) {
        integerDigits = 8 + static_cast<std::size_t>(std::countr_zero(highFlags)) / 8;
        highFlags &= ~(std::uint64_t{0xFF} << (8 * (integerDigits - 8)));
    }
    const char first = token[0];
    if (lowFlags != 0 || highFlags != 0 || integerDigits == 0 ||
        integerDigits > static_cast<std::size_t>(maxIntegerDigits) ||
        (first == '0' && integerDigits > 1)) {
        return nullptr;
    }
    if (integerDigits < length) {
        const char mark = token[integerDigits];
        if ((mark != '.' && mark != ',') ||
            length - integerDigits - 1 > static_cast<std::size_t>(decimals)) {
            return nullptr;
        }
    }
    std::memcpy(out, &low, sizeof low);
    std::memcpy(out + 8, &high, sizeof high);
    out[integerDigits] = '.';
    // Zeros behind the fraction's digits (or behind the point of an integer).
    char* const zeros = out + (integerDigits < length ? length : length + 1);
    std::memcpy(zeros, "00000000", 8); // NOLINT(bugprone-not-null-terminated-result)
    return out + integerDigits + 1 + decimals;
}

// The general way of a number column. A coordinate that holds no number
// gives nullptr: the line makes no record.
char* WriteParsedNumber(char* out, std::string_view token, int decimals, bool coordinate) {
    if (!coordinate) {
        return FormatFixed(out, ParseNumber(token), decimals);
    }
    const std::optional<double> value = ParseFiniteNumber(token);
    return value ? FormatFixed(out, *value, decimals) : nullptr;
}

// Writes a number column: FormatFixed(ParseNumber(token), decimals), with a
// short way for the plain decimal tokens that make up nearly every file - an
// optional sign, digits, and at most `decimals` digits after a '.' or a ','
// (then the token's first comma). ParseNumber rounds such a value correctly,
// so the double lies within half a unit in its last place of the exact
// decimal value: below 10^9 that is under 2^-24, below 10^12 under 2^-14,
// much closer than half of 10^-6 or 10^-3. Rounding it to `decimals` places
// therefore gives back exactly the token's digits, padded with zeros, which
// are copied. Every other token takes the general way.
char* WriteNumber(char* out, std::string_view token, int decimals, bool coordinate) {
    const int maxIntegerDigits = MaxPlainIntegerDigits(decimals);
    if (maxIntegerDigits == 0) {
        return WriteParsedNumber(out, token, decimals, coordinate);
    }
    const char* p = token.data();
    const char* const end = p + token.size();
    // The digits are copied while they are checked, one more than allowed at
    // most (so the copy stays within the field's room); on the general way
    // the copy is simply overwritten.
    char* w = out;
    if (p != end && (*p == '-' || *p == '+')) {
        if (*p == '-') {
            *w++ = '-';
        }
        ++p;
    }
    // Leading zeros go; the last digit before the mark stays.
    while (p != end && *p == '0' && end - p > 1 && IsDigit(p[1])) {
        ++p;
    }
    const char* const integerBegin = p;
    if (p == end || !IsDigit(*p)) {
        *w++ = '0';
    }
    p = CopyDigits(w, p, Limit(p, end, maxIntegerDigits + 1));
    const auto integerDigits = static_cast<int>(p - integerBegin);
    *w++ = '.';
    int fractionDigits = 0;
    if (p != end && (*p == '.' || *p == ',')) {
        const char* const fractionBegin = ++p;
        p = CopyDigits(w, p, Limit(p, end, decimals + 1));
        fractionDigits = static_cast<int>(p - fractionBegin);
    }
    if (p != end || integerDigits + fractionDigits == 0 || fractionDigits > decimals ||
        integerDigits > maxIntegerDigits) {
        return WriteParsedNumber(out, token, decimals, coordinate);
    }
    // Pads with zeros; the room is there, a field takes up to kMaxFixedLength.
    std::memcpy(w, "000000000000", 12); // NOLINT(bugprone-not-null-terminated-result)
    return w + (decimals - fractionDigits);
}

// A number column: the commonest tokens - at most sixteen bytes, no sign, no
// leading zero before another digit - are checked and copied as two words
// right here, all others by WriteNumber. A coordinate (X, Y) that holds no
// number gives nullptr.
char* WriteNumberColumn(char* out, std::string_view token, int decimals, bool coordinate) {
    if constexpr (kWordScans) {
        if (char* end = WriteShortNumber(out, token, decimals, MaxPlainIntegerDigits(decimals));
            end != nullptr) {
            return end;
        }
    }
    return WriteNumber(out, token, decimals, coordinate);
}

// Whether a line that gave no record is blank: only blanks, tabs, CRs and
// the separator character.
bool IsBlankLine(std::string_view line, char separator) {
    for (const char c : line) {
        if (c != ' ' && c != '\t' && c != '\r' && c != separator) {
            return false;
        }
    }
    return true;
}

// A text column: the token's first kMaxTextToken bytes. A token of up to
// sixteen bytes lies in the work buffer, so it is copied as two words.
char* WriteTextColumn(char* out, std::string_view token) {
    if (token.size() <= 16) {
        std::memcpy(out, token.data(), 16);
        return out + token.size();
    }
    return Append(out, token.substr(0, kMaxTextToken));
}

} // namespace

CBatchWriter::CBatchWriter(std::string path, int layout, int separator, int code,
                           const std::string& codeText, std::string kerg, std::string zudp)
    : CBatchWriter(CCatalogue(), std::move(path), layout, separator, code, codeText,
                   std::move(kerg), std::move(zudp)) {}

namespace {

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

} // namespace

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
    if (m_bKerg != 0) {
        m_strRecordSuffix = ";" + m_strKerg;
    } else if (m_bZudp != 0) {
        m_strRecordSuffix = ";" + m_strZudp;
    }

    // One buffer for the whole file: the work buffer that a line is copied
    // into (with room to read a word past its end), then the record:
    // "<code>;" stays at its front, the fields and the suffix are written
    // behind it for every record.
    m_nRecordPrefix = m_strCode.size() + 1;
    m_recordBuffer = std::make_unique<char[]>(kWorkBufferSize + m_nRecordPrefix +
                                              kMaxFields * (kMaxFixedLength + 1) + 1 +
                                              m_strRecordSuffix.size() + 1);
    Append(m_recordBuffer.get() + kWorkBufferSize, m_strCode);
    m_recordBuffer[kWorkBufferSize + m_strCode.size()] = ';';

    WriteHeader();
}

CBatchWriter::~CBatchWriter() = default;

void CBatchWriter::WriteHeader() {
    m_file.Write(kCommentLines);
    if (!IsLayoutIndex(m_nLayout)) {
        return;
    }
    std::string_view definitionSuffix;
    if (m_bKerg != 0) {
        definitionSuffix = ";KRG.n";
    } else if (m_bZudp != 0) {
        definitionSuffix = ";NWN.n";
    }
    std::string line;
    line.reserve(m_strDescription.size() + 64);
    line += '#';
    line += m_strDescription;
    line += '=';
    line += GetLayout(m_nLayout).definition;
    line += definitionSuffix;
    line += '\n';
    m_file.Write(line);
}

RecordResult CBatchWriter::WriteRecord(std::string_view line) {
    const std::string_view whole = line;
    std::size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) {
        ++start;
    }
    if (start == line.size()) {
        return RecordResult::Blank;
    }
    if (!m_bOpen || !IsLayoutIndex(m_nLayout)) {
        return IsBlankLine(whole, m_cSeparator) ? RecordResult::Blank : RecordResult::Skipped;
    }
    line.remove_prefix(start);
    if (line.size() > kMaxLineBytes) {
        line = line.substr(0, kMaxLineBytes);
    }
    // Into the work buffer, followed by NULs that the word scans may read.
    char* const work = m_recordBuffer.get();
    std::memcpy(work, line.data(), line.size());
    std::memset(work + line.size(), 0, kLinePadding);
    // strtok's rule for one separator character: runs of separators divide
    // like one, and there are no empty tokens. The line is a C string to the
    // tokeniser: a NUL ends it.
    const char separator = m_cSeparator;
    const Layout& layout = GetLayout(m_nLayout);
    std::array<std::string_view, kMaxFields> tokens;
    int count = 0;
    const char* p = work;
    const char* end = work + line.size();
    while (count < layout.fullCount) {
        while (p != end && *p == separator) {
            ++p;
        }
        if (p == end || *p == '\0') {
            break;
        }
        const char* const tokenEnd = FindSeparatorOrNul(p, end, separator);
        tokens[static_cast<std::size_t>(count++)] =
            std::string_view(p, static_cast<std::size_t>(tokenEnd - p));
        if (tokenEnd != end && *tokenEnd == '\0') {
            end = tokenEnd;
        }
        p = tokenEnd;
    }

    int fields = 0;
    if (count == layout.fullCount) {
        fields = layout.fieldCount;
    } else if (layout.shortCount != 0 && count == layout.shortCount) {
        // The short record keeps the ';' of its missing last column.
        fields = layout.fieldCount - 1;
    } else {
        return IsBlankLine(whole, separator) ? RecordResult::Blank : RecordResult::Skipped;
    }

    char* const record = m_recordBuffer.get() + kWorkBufferSize;
    char* out = record + m_nRecordPrefix;
    for (int i = 0; i < fields; ++i) {
        if (i > 0) {
            *out++ = ';';
        }
        const RecordField& field = layout.fields[static_cast<std::size_t>(i)];
        const std::string_view token = tokens[field.token];
        switch (field.format) {
        case FieldFormat::Text:
            out = WriteTextColumn(out, token);
            break;
        case FieldFormat::Fixed6:
            out = WriteNumberColumn(out, token, 6, true);
            if (out == nullptr) {
                return RecordResult::Skipped; // no invented points
            }
            break;
        case FieldFormat::Fixed3:
            out = WriteNumberColumn(out, token, 3, false);
            break;
        }
    }
    if (fields < layout.fieldCount) {
        *out++ = ';';
    }
    if (!m_strRecordSuffix.empty()) {
        out = Append(out, m_strRecordSuffix);
    }
    *out++ = '\n';
    m_file.Write(std::string_view(record, static_cast<std::size_t>(out - record)));
    return RecordResult::Written;
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
