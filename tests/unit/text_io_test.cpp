// The buffered text-mode layer under the reader, the catalogue and the writer.

#include "text_mode_input.h"
#include "text_output.h"

#include "errors.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

using namespace test;

// What text mode makes of bytes: CR LF becomes LF, Ctrl-Z ends the text.
std::string Translate(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            continue;
        }
        text += bytes[i];
    }
    return text;
}

// Every piece size over inputs dense in CRs and LFs: the pieces put back
// together are the translated text, and each piece is a run up to an LF or
// of exactly the size asked for.
TEST(TextInput, PiecesOfEverySizeJoinToTheTranslatedText) {
    const std::string inputs[] = {
        "ab\r\ncd\r\r\n\r\ne\rf\n\r",
        "\r\n\r\n\r\r\n\n\n\r",
        "x\r\ny\x1A\r\nz",
        std::string(70000, 'a') + "\r\n" + std::string(65534, 'b') + "\r\r\n\r",
    };
    for (const std::string& bytes : inputs) {
        const std::string expected = Translate(bytes);
        for (std::size_t size = 1; size <= 6; ++size) {
            const CTempDir dir;
            WriteBytes(dir.Path("in.txt"), bytes);
            CTextModeInput input(platform::CFile::OpenExclusiveForReading(dir.Path("in.txt")));
            ASSERT_TRUE(input.IsOpen());
            std::string joined;
            std::string piece;
            for (;;) {
                piece.clear();
                const std::size_t got = input.ReadPiece(piece, size);
                ASSERT_EQ(got, piece.size());
                if (got == 0) {
                    break;
                }
                const std::size_t lf = piece.find('\n');
                EXPECT_TRUE(lf == std::string::npos
                                ? got == size || joined.size() + got == expected.size()
                                : lf == got - 1)
                    << "piece size " << size << " at " << joined.size();
                joined += piece;
            }
            EXPECT_EQ(joined, expected) << "piece size " << size;
        }
    }
}

TEST(TextOutput, LfBecomesCrLfAndNothingElseChanges) {
    const CTempDir dir;
    const std::string path = dir.Path("out.txt");
    std::string expected;
    {
        CTextOutput output(platform::CFile::CreateExclusiveForWriting(path));
        ASSERT_TRUE(output.IsOpen());
        output.Write("a\nb\r\n\rc\x1A\xFF\n\n");
        expected += "a\r\nb\r\r\n\rc\x1A\xFF\r\n\r\n";
        // A long text crosses the write buffer several times.
        std::string block;
        for (int i = 0; i < 200000; ++i) {
            block += (i % 5 == 0) ? '\n' : static_cast<char>('a' + i % 26);
        }
        output.Write(block);
        for (const char c : block) {
            expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
        output.Close();
    }
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST(TextOutput, WriteOnAClosedOutputFails) {
    CTextOutput output;
    EXPECT_FALSE(output.IsOpen());
    EXPECT_THROW(output.Write("x"), FileError);
}

} // namespace
} // namespace velmora
