#include "locale/ui_strings.h"

#include <gtest/gtest.h>

#include "tests/locale/built_libraries.h"

namespace harbrook {
namespace {

// Every text equal to its source is translations_test's; here that an
// escaped line break in the source is a line break in the table.
TEST(UiStrings, OwnTableHoldsTheProgramsTexts) {
    EXPECT_NE(LoadUiString(148, 1000).find("videos.\r\nYou can also"), std::string::npos);
}

TEST(UiStrings, CapacityCountsTheTerminator) {
    EXPECT_EQ(LoadUiString(104, 5), "Harb");
    EXPECT_EQ(LoadUiString(104, 1), "");
    EXPECT_EQ(LoadUiString(104, 0), "");
    std::string text = "stale";
    EXPECT_FALSE(LoadUiString(9999, text, 100));
    EXPECT_EQ(text, "") << "missing everywhere gives the empty text";
}

TEST(UiStrings, LanguageModuleFirstThenOwnTable) {
    test::TextLibrary german(
        {{104, "Harbrook"}, {107, "Dateien senden"}, {119, "Trennen \xC3\xBC\xC3\xBC"}});
    const test::UsingLanguage language(&german);
    EXPECT_EQ(LoadUiString(107, 150), "Dateien senden");
    EXPECT_EQ(LoadUiString(129, 300), "Backup failed") << "missing in the library";
    EXPECT_EQ(LoadUiString(119, 10), "Trennen \xC3\xBC") << "cut between characters";
    // A character outside the BMP takes two UTF-16 units: it goes whole or not at all.
    german.texts[112] =
        "ab\xF0\x9F\x98\x80"
        "c";
    EXPECT_EQ(LoadUiString(112, 4), "ab");
    EXPECT_EQ(LoadUiString(112, 5), "ab\xF0\x9F\x98\x80");
}

TEST(UiStrings, FormatsTheOneArgument) {
    EXPECT_EQ(FormatWithText(LoadUiString(116, 512), "Pixel"), "Connected to Pixel");
    EXPECT_EQ(FormatWithText("%s and %s, 100%%", "x"), "x and %s, 100%");
    EXPECT_EQ(FormatWithText("no directive", "x"), "no directive");
    EXPECT_EQ(FormatWithText("%d %s", "%s"), "%d %s");
}

}  // namespace
}  // namespace harbrook
