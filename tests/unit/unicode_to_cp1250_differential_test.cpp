// The program's own code page 1250 table against glibc's converter: every
// character of the code page comes back as its byte; the undefined bytes
// have no character.

#include "unicode_to_cp1250.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <string>

namespace velmora {
namespace {

// glibc's UTF-8 form of one code page 1250 byte; empty where it has none.
std::string GlibcUtf8(unsigned char byte) {
    const iconv_t convert = iconv_open("UTF-8", "CP1250");
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPos = in;
    char* outPos = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof out;
    const std::size_t done = iconv(convert, &inPos, &inLeft, &outPos, &outLeft);
    iconv_close(convert);
    return done == static_cast<std::size_t>(-1) ? std::string()
                                                : std::string(out, sizeof out - outLeft);
}

// The text's code page 1250 bytes as the program decodes them.
std::string DecodedUtf8(const std::string& utf8) {
    std::string out(utf8.size(), '\0');
    const DecodeStep step = DecodeUtf8(utf8, out, true);
    EXPECT_EQ(step.consumed, utf8.size());
    out.resize(step.produced);
    return out;
}

TEST(UnicodeTextDifferential, EveryCodePageCharacterComesBackAsItsByte) {
    int defined = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string utf8 = GlibcUtf8(static_cast<unsigned char>(byte));
        if (utf8.empty()) {
            // Undefined in the code page: the C1 control of that number has no byte.
            EXPECT_EQ(ToCp1250(static_cast<char32_t>(byte)), kLackingCharacter) << std::hex << byte;
            continue;
        }
        ++defined;
        CUtf8Check check;
        EXPECT_TRUE(check.Feed(utf8) && check.IsComplete()) << std::hex << byte;
        EXPECT_EQ(DecodedUtf8(utf8), std::string(1, static_cast<char>(byte))) << std::hex << byte;
    }
    EXPECT_EQ(defined, 123);
}

} // namespace
} // namespace velmora
