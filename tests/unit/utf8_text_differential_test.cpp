// The program's own code page 1250 table against glibc's converter: every
// character of the code page comes back as its byte; the undefined bytes
// have no character.

#include "utf8_text.h"

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

TEST(Utf8TextDifferential, EveryCodePageCharacterComesBackAsItsByte) {
    int defined = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string utf8 = GlibcUtf8(static_cast<unsigned char>(byte));
        if (utf8.empty()) {
            // Undefined in the code page: the C1 control of that number has no byte.
            const std::string control = {static_cast<char>(0xC2), static_cast<char>(byte)};
            EXPECT_EQ(Utf8ToCp1250(control), "?") << std::hex << byte;
            continue;
        }
        ++defined;
        EXPECT_TRUE(IsUtf8WithMultibyte(utf8)) << std::hex << byte;
        EXPECT_EQ(Utf8ToCp1250(utf8), std::string(1, static_cast<char>(byte))) << std::hex << byte;
    }
    EXPECT_EQ(defined, 123);
}

} // namespace
} // namespace velmora
