#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/text.h"

namespace harbrook::platform {
namespace {

TEST(Utf8, ValidityRejectsMalformedSequences) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("\xC3"));              // cut sequence
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xFF"));
}

TEST(Utf8, TheFirstLetterSaysWhichWayATextReads) {
    EXPECT_TRUE(ReadsRightToLeft("1. \u0627\u062A\u0635\u0644 Harbrook"));  // Arabic
    EXPECT_TRUE(ReadsRightToLeft("\u05E9\u05DC\u05D5\u05DD"));              // Hebrew
    EXPECT_FALSE(ReadsRightToLeft("1. Harbrook \u0627\u062A\u0635\u0644"));
    EXPECT_FALSE(ReadsRightToLeft("\u041F\u043E\u0434\u043A\u043B\u044E\u0447\u0438\u0442\u044C"));
    EXPECT_FALSE(ReadsRightToLeft("12 %"));
    EXPECT_FALSE(ReadsRightToLeft("\xFF"));
}

TEST(Utf8, CutsNeverSplitACharacter) {
    const std::string s = "ab\xC3\xA9\xF0\x9F\x98\x80";  // a b é 😀 : 8 bytes, 5 UTF-16 units
    EXPECT_EQ(Utf16Units(s), 5u);
    EXPECT_EQ(CutToBytes(s, 3), "ab");
    EXPECT_EQ(CutToBytes(s, 4), "ab\xC3\xA9");
    EXPECT_EQ(CutToBytes(s, 7), "ab\xC3\xA9");
    EXPECT_EQ(CutToBytes(s, 8), s);
    EXPECT_EQ(CutToUtf16Units(s, 4), "ab\xC3\xA9");
    EXPECT_EQ(CutToUtf16Units(s, 5), s);
    EXPECT_EQ(CutToUtf16Units(s, 0), "");
    // Junk bytes count one unit each and are cut bytewise.
    EXPECT_EQ(CutToBytes("\xFF\xFF\xFF", 2), "\xFF\xFF");
}

TEST(Utf8, Utf16RoundTrip) {
    const std::string s = "x\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    std::u16string wide;
    ASSERT_TRUE(Utf8ToUtf16(s, wide));
    EXPECT_EQ(wide.size(), 5u);
    std::string back;
    ASSERT_TRUE(Utf16ToUtf8(wide, back));
    EXPECT_EQ(back, s);
    EXPECT_FALSE(Utf8ToUtf16("\xFF", wide));
    EXPECT_FALSE(Utf16ToUtf8(std::u16string(1, char16_t(0xD800)), back));
}

TEST(CommandLine, ArgumentsThatAreNotThisProgramsComeBackAsGiven) {
    // Eleven arguments: not what this test program was started with, so even
    // Windows, which reads its own command line again, keeps these.
    const char* const made[] = {
        "prog", "--send", "\xC3\xA9t\xC3\xA9.jpg", "a b", "", "\"q\"", "x", "y", "z", "w", "v"};
    EXPECT_EQ(CommandLineUtf8(11, made), std::vector<std::string>(made, made + 11));
    EXPECT_EQ(CommandLineUtf8(0, made), std::vector<std::string>());
}

}  // namespace
}  // namespace harbrook::platform
