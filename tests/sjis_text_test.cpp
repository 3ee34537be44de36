// Shift_JIS to UTF-8 through the host's converter.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tool/host/sjis_text.h"

namespace {

const std::string FFFD = "\xEF\xBF\xBD";

std::string utf8(const std::string& sjis, SjisStatus expected = SjisStatus::Complete) {
    char out[utf8BufferSize(32)];
    const SjisResult result = sjisToUtf8(sjis.data(), sjis.size(), out, sizeof out);
    EXPECT_EQ(result.status, expected) << sjis;
    EXPECT_EQ(result.length, std::strlen(out));
    return std::string(out, result.length);
}

TEST(SjisText, ConvertsKatakanaKanjiAndAscii) {
    EXPECT_EQ(utf8("GAME1 \\~"), "GAME1 \\~");
    EXPECT_EQ(utf8("\xBB\xDD\xCC\xDF\xD9"), "ｻﾝﾌﾟﾙ");
    // Trail bytes 0x5C are not backslashes.
    EXPECT_EQ(utf8("\x95\x5C\x8E\xA6"), "表示");
    EXPECT_EQ(utf8("\x83\x5C"), "ソ");
}

TEST(SjisText, UnconvertibleBytesBecomeReplacementsAndConversionGoesOn) {
    EXPECT_EQ(utf8(std::string("A\x80") + "B"), "A" + FFFD + "B");
    EXPECT_EQ(utf8("\xA0\xFD"), FFFD + FFFD);
    // A lead byte with an ASCII trail: the trail is a character of its own.
    EXPECT_EQ(utf8("\x81 X"), FFFD + " X");
    EXPECT_EQ(utf8("A\x83"), "A" + FFFD);
    // The lone lead byte left nothing behind for the next call.
    EXPECT_EQ(utf8("\x83\x5C"), "ソ");
}

TEST(SjisText, TruncatesAtACharacterAndStaysInBounds) {
    char out[8];
    std::memset(out, 'x', sizeof out);
    SjisResult result = sjisToUtf8("\x95\x5C\x8E\xA6", 4, out, 6);
    EXPECT_EQ(result.status, SjisStatus::Truncated);
    EXPECT_STREQ(out, "表");
    EXPECT_EQ(out[6], 'x');
    result = sjisToUtf8("A\x80", 2, out, 4);
    EXPECT_EQ(result.status, SjisStatus::Truncated);
    EXPECT_STREQ(out, "A");
    EXPECT_EQ(sjisToUtf8("AB", 2, out, 1).length, 0u);
    EXPECT_EQ(out[0], '\0');
    // The documented bound holds for the worst case, six replacements.
    char name[utf8BufferSize(6)];
    result = sjisToUtf8("\xFD\xFD\xFD\xFD\xFD\xFD", 6, name, sizeof name);
    EXPECT_EQ(result.status, SjisStatus::Complete);
    EXPECT_EQ(result.length, 18u);
}

}  // namespace
