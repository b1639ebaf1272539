// Point lists saved as UTF-8 and UTF-16: what a generation makes of them, the
// preview, and characters split between the reader's blocks.

#include "generation.h"
#include "input_reader.h"

#include "generation_support.h"
#include "writer_support.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace test;

using Records = std::vector<std::string>;

const std::u16string kExample = u"Nr X Y H\r\nŚ101 5712345,12 6543210,50 101,5\r\n"
                                u"Łąka-2 1 2 3\r\n103 4 5 6\r\n";
const Records kExampleRecords = {"ABC;\x8C"
                                 "101;5712345.120000;6543210.500000;101.500",
                                 "ABC;\xA3\xB9ka-2;1.000000;2.000000;3.000",
                                 "ABC;103;4.000000;5.000000;6.000"};

struct EncodingCase {
    const char* what;
    std::string bytes;
    int layout; // separator: space
    Records records;
    std::string skipped; // after "Wiersze pominięte: "; empty: none
};

const std::string k127a(127, 'a');
// Blanks reaching beyond the reader's first two blocks of 64 KiB; a line's
// blanks leave its record as it is.
const std::string kFar(140000, ' ');
// A point saved as UTF-8, and its record when the file is decoded or is
// taken in code page 1250, as it stands.
const std::string kS1 = SaveText(u"Ś1 1 2 3", Saved::Utf8);
const Records kS1Decoded = {"ABC;\x8C"
                            "1;1.000000;2.000000;3.000"};
const Records kS1AsItStands = {"ABC;\xC5\x9A"
                               "1;1.000000;2.000000;3.000"};
const Records kHeightLacking = {"ABC;3;1.000000;2.000000;0.000"};

// The first point number begins with a character code page 1250 lacks.
EncodingCase LackingFirst(const char* what, const std::u16string& first, Saved as) {
    return {what,
            SaveText(first + u"1 1 2 3\r\n2 1 2 3", as),
            11,
            {"ABC;2;1.000000;2.000000;3.000"},
            "1 (1)"};
}

const EncodingCase kEncodingCases[] = {
    {"Utf8", SaveText(kExample, Saved::Utf8), 11, kExampleRecords, "1 (1)"},
    {"Utf8WithMark", SaveText(kExample, Saved::Utf8Mark), 11, kExampleRecords, "1 (1)"},
    {"Utf16Le", SaveText(kExample, Saved::Utf16Le), 11, kExampleRecords, "1 (1)"},
    {"Utf16Be", SaveText(kExample, Saved::Utf16Be), 11, kExampleRecords, "1 (1)"},
    // The cuts count code page 1250 bytes, one per character.
    {"PointNumberKeeps127Characters",
     SaveText(std::u16string(130, u'ą') + u" 1 2 3", Saved::Utf8),
     11,
     {"ABC;" + std::string(127, '\xB9') + ";1.000000;2.000000;3.000"},
     ""},
    {"LineOf1900CharactersIsNotCut",
     SaveText(std::u16string(1900, u'ł') + u" 1 2 3", Saved::Utf8),
     11,
     {"ABC;" + std::string(127, '\xB3') + ";1.000000;2.000000;3.000"},
     ""},
    // Characters code page 1250 lacks: no point number holds one, a number
    // ends at one, an unused column does not matter.
    {"LackingInPointNumber",
     SaveText(u"Ж1 1 2 3\r\n2 1 2 3", Saved::Utf16Le),
     11,
     {"ABC;2;1.000000;2.000000;3.000"},
     "1 (1)"},
    {"LackingInSecondPointNumber", SaveText(u"1 \U0001F600 1 2", Saved::Utf8), 12, {}, "1 (1)"},
    {"LackingBehindTheKeptBytes",
     SaveText(std::u16string(127, u'a') + u"à 1 2 3", Saved::Utf8),
     11,
     {"ABC;" + k127a + ";1.000000;2.000000;3.000"},
     ""},
    {"LackingEndsANumber",
     SaveText(u"1 12,5à 2 7ñ", Saved::Utf16Be),
     11,
     {"ABC;1;12.500000;2.000000;7.000"},
     ""},
    {"LackingInX", SaveText(u"1 \uFEFF5 2 3", Saved::Utf8Mark), 11, {}, "1 (1)"},
    {"LackingInUnusedColumn",
     SaveText(u"1 2 3 \U0001F600", Saved::Utf8),
     2,
     {"ABC;1;2.000000;3.000000"},
     ""},
    LackingFirst("U0080", u"\u0080", Saved::Utf8),
    LackingFirst("Latin1InUtf16Le", u"à", Saved::Utf16Le),
    LackingFirst("Latin1InUtf16Be", u"à", Saved::Utf16Be),
    {"HighSurrogateLast", SaveText(u"3 1 2 \xD800", Saved::Utf16Be), 11, kHeightLacking, ""},
    {"OddLastByte", SaveText(u"3 1 2 ", Saved::Utf16Le) + "5", 11, kHeightLacking, ""},
    {"UnpairedSurrogatesAndOddByte",
     SaveText(u"\xD800"
              u"1 1 2 3\r\n\xDC00"
              u"2 1 2 3\r\n3 1 2 3",
              Saved::Utf16Le) +
         "A",
     11,
     {"ABC;3;1.000000;2.000000;3.000"},
     "2 (1, 2)"},
    // One malformed byte keeps the whole file in code page 1250, as it stands.
    {"OneInvalidByte",
     SaveText(u"Ś1 1 2 3\r\n", Saved::Utf8) + "\xB9 2 3 4",
     11,
     {"ABC;\xC5\x9A"
      "1;1.000000;2.000000;3.000",
      "ABC;\xB9;2.000000;3.000000;4.000"},
     ""},
    {"StrayContinuationByte", kS1 + " \x80", 11, kS1AsItStands, ""},
    {"LeadByteF5", kS1 + " \xF5\x80\x80\x80", 11, kS1AsItStands, ""},
    {"OverlongThreeBytes", kS1 + " \xE0\x9F\xBF", 11, kS1AsItStands, ""},
    {"AboveU10FFFF", kS1 + " \xF4\x90\x80\x80", 11, kS1AsItStands, ""},
    {"Byte81InCodePage1250", "\x81P 1 2 3", 11, {"ABC;\x81P;1.000000;2.000000;3.000"}, ""},
    // The encoding is settled at the first byte above 0x7F, wherever it lies.
    {"FirstCharacterFar", kFar + kS1, 11, kS1Decoded, ""},
    {"InvalidByteFar", kS1 + kFar + "\xFF", 11, kS1AsItStands, ""},
    {"InvalidBehindCtrlZFar", kS1 + "\x1A" + kFar + "\xFF", 11, kS1Decoded, ""},
    {"InvalidBehindCtrlZReadAhead", kS1 + kFar + "\x1A\xFF", 11, kS1Decoded, ""},
    // CR at byte 65535, LF at 65536: the CR ends the first block and waits for
    // the next, which is decoded behind it from more than a block of ASCII.
    {"CrLfOnTheBlockEdge", kS1 + std::string(65526, ' ') + "\r\n" + kFar, 11, kS1Decoded, ""},
    {"InvalidBehindCtrlZ",
     SaveText(u"Ś1 1 2 3\x1A", Saved::Utf8) + "\xFF",
     11,
     {"ABC;\x8C"
      "1;1.000000;2.000000;3.000"},
     ""},
    // Text mode after decoding.
    {"CtrlZ",
     SaveText(u"1 1 2 3\r\n\x1A"
              u"2 1 2 3",
              Saved::Utf16Le),
     11,
     {"ABC;1;1.000000;2.000000;3.000"},
     ""},
    {"ByteOfCtrlZInACharacter",
     SaveText(u"Ě1 1 2 3", Saved::Utf16Le),
     11,
     {"ABC;\xCC"
      "1;1.000000;2.000000;3.000"},
     ""},
    {"LoneCr",
     SaveText(u"Ś1 1 2 3\r9\r\n", Saved::Utf16Be),
     11,
     {"ABC;\x8C"
      "1;1.000000;2.000000;3.000"},
     ""},
};

class Encodings : public ::testing::TestWithParam<EncodingCase> {
protected:
    test::CTempDir m_dir;
    test::CProgramList m_list{"abc,Punkt graniczny\r\n"};
};

TEST_P(Encodings, GiveTheirCodePage1250Records) {
    const EncodingCase& c = GetParam();
    const std::string input = m_dir.Path("punkty.txt");
    test::WriteBytes(input, c.bytes);
    GenerationRequest request{input, m_dir.Path("punkty.wsd"), c.layout, 3, 0, "ABC", "", ""};
    test::CRecordingFeedback feedback(request.outputPath);
    ASSERT_EQ(RunGeneration(request, feedback), GenerationOutcome::Generated);
    EXPECT_EQ(test::RecordsOf(test::ReadBytes(request.outputPath)), c.records);
    EXPECT_EQ(feedback.events, test::SuccessEvents(test::GeneratedMessage(
                                   static_cast<int>(c.records.size()), c.skipped)));
}

INSTANTIATE_TEST_SUITE_P(SavedAs, Encodings, ::testing::ValuesIn(kEncodingCases),
                         [](const ::testing::TestParamInfo<EncodingCase>& info) {
                             return info.param.what;
                         });

TEST(EncodingsPreview, ShowsTheNamesAndLackingCharactersAsQuestionMarks) {
    const test::CTempDir dir;
    const std::string path = dir.Path("punkty.txt");
    // Surrogate pairs at the edges of their ranges, then two lone low surrogates.
    test::WriteBytes(path, SaveText(u"Ś101 1 2\r\nЖ1 1 2\r\n\xDBFF\xDFFF\xD800\xDC00|\xDC00\xDFFF",
                                    Saved::Utf16Le));
    CInputReader reader(path);
    EXPECT_EQ(reader.ReadPreview(), "\x8C"
                                    "101 1 2\r\n?1 1 2\r\n??|??\r\n");
}

// Every byte of malformed UTF-8 is one lacking character, whatever its
// neighbours: a byte that starts no character, and each byte of a character
// cut off, overlong, a surrogate or above U+10FFFF.
TEST(EncodingsDecoding, EachMalformedUtf8ByteIsOneLackingCharacter) {
    const std::pair<std::string_view, std::string_view> kCases[] = {
        {"\xE2\x82\x41", "\x81\x81\x41"},
        {"\x80\xBF\xC0\xAF\xC1\xBF", "\x81\x81\x81\x81\x81\x81"},
        {"\xE2\x82", "\x81\x81"},
        {"\xED\xA0\x80", "\x81\x81\x81"},
        {"\xF4\x90\x80\x80\xF5\x80\xFF", "\x81\x81\x81\x81\x81\x81\x81"},
    };
    for (const auto& [in, expected] : kCases) {
        std::string out(in.size(), '\0');
        const DecodeStep step = DecodeUtf8(in, out, true);
        EXPECT_EQ(step.consumed, in.size());
        EXPECT_EQ(out.substr(0, step.produced), expected) << ::testing::PrintToString(in);
    }
}

// A character, a surrogate pair or a CR LF whose bytes lie on both sides of
// the end of the reader's first 64 KiB.
TEST(EncodingsReading, CharactersSplitBetweenBlocksReadWhole) {
    for (const Saved as : {Saved::Utf8, Saved::Utf16Le, Saved::Utf16Be}) {
        const std::size_t unit = as == Saved::Utf8 ? 1 : 2;
        const std::size_t before = SaveText(u"Ś", as).size();
        for (const std::u16string split : {u"ą", u"\U0001F600", u"\u20AC", u"\r\n"}) {
            for (std::size_t at = 65536 - 4; at <= 65536; at += unit) {
                const std::u16string filler((at - before) / unit, u'x');
                const test::CTempDir dir;
                test::WriteBytes(dir.Path("in.txt"), SaveText(u"Ś" + filler + split + u"|\n", as));
                CInputReader reader(dir.Path("in.txt"));
                std::string line;
                ASSERT_TRUE(reader.ReadLine(line));
                const std::string expected = split == u"ą"        ? "\xB9|"
                                             : split == u"\u20AC" ? "\x80|"
                                             : split == u"\r\n"   ? ""
                                                                  : "\x81|";
                EXPECT_EQ(line, std::string(1, '\x8C').append(filler.size(), 'x') + expected)
                    << static_cast<int>(as) << " at " << at;
            }
        }
    }
}

} // namespace
} // namespace velmora
