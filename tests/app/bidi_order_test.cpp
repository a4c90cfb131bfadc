// Arabic lines laid out as a terminal or a window lays them out (the Unicode
// bidirectional algorithm, by fribidi): the values put into a sentence keep
// their own order and stay in one piece.
#include <fribidi.h>
#include <gtest/gtest.h>

#include "app/progress_meter.h"
#include "app/window_model.h"
#include "locale/language_selector.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "tests/locale/built_libraries.h"

namespace harbrook {
namespace {

struct Layout {
    std::vector<FriBidiChar> logical;
    std::vector<FriBidiStrIndex> visualOf;  // the visual position of each logical character
    FriBidiParType direction = FRIBIDI_PAR_ON;
};

Layout Lay(const std::string& utf8) {
    Layout l;
    l.logical.resize(utf8.size() + 1);
    const auto n =
        fribidi_charset_to_unicode(FRIBIDI_CHAR_SET_UTF8, utf8.data(),
                                   static_cast<FriBidiStrIndex>(utf8.size()), l.logical.data());
    l.logical.resize(static_cast<std::size_t>(n));
    l.visualOf.resize(l.logical.size());
    std::vector<FriBidiChar> visual(l.logical.size() + 1);
    EXPECT_TRUE(fribidi_log2vis(l.logical.data(), n, &l.direction, visual.data(), l.visualOf.data(),
                                nullptr, nullptr));
    return l;
}

// Where the value's characters land: consecutive, and rising when the value
// reads left to right (a path, a Latin name).
::testing::AssertionResult InOnePiece(const std::string& line, const std::string& value,
                                      bool leftToRight) {
    const Layout l = Lay(line);
    const Layout v = Lay(value);
    const auto at =
        std::search(l.logical.begin(), l.logical.end(), v.logical.begin(), v.logical.end());
    if (at == l.logical.end()) return ::testing::AssertionFailure() << "not in the line";
    const auto first = static_cast<std::size_t>(at - l.logical.begin());
    std::vector<FriBidiStrIndex> places(
        l.visualOf.begin() + static_cast<std::ptrdiff_t>(first),
        l.visualOf.begin() + static_cast<std::ptrdiff_t>(first + v.logical.size()));
    const auto [low, high] = std::minmax_element(places.begin(), places.end());
    if (*high - *low + 1 != static_cast<FriBidiStrIndex>(places.size()))
        return ::testing::AssertionFailure() << "split apart in \"" << line << '"';
    for (std::size_t i = 1; leftToRight && i < places.size(); ++i) {
        if (places[i] != places[i - 1] + 1)
            return ::testing::AssertionFailure() << "out of order in \"" << line << '"';
    }
    return ::testing::AssertionSuccess();
}

TEST(BidiOrder, ArabicLinesKeepTheirValuesTogetherAndInOrder) {
    const auto arabic = test::LoadBuiltLibrary("arabic.dll");
    ASSERT_TRUE(arabic);
    const test::UsingLanguage language(arabic.get());

    ProgressReading r;
    r.percent = 42;
    r.doneBytes = 5'000'000;
    r.totalBytes = 12'000'000;
    r.bytesPerSecond = 3'100'000;
    r.secondsLeft = 75;
    const std::string banner = BannerProgressLine(r);
    EXPECT_TRUE(InOnePiece(banner, FormatBytes(r.totalBytes), false));
    EXPECT_TRUE(InOnePiece(banner, FormatRate(r.bytesPerSecond), false));
    EXPECT_TRUE(InOnePiece(banner, FormatDuration(75), true));

    const std::string path = "/home/anna/.config/autostart/harbrook.desktop";
    EXPECT_TRUE(InOnePiece(FormatUiText(LoadUiString(kStrStartsAtLogin, 512), {path}), path, true));
    const std::string name = "Anna's Pixel 7";
    EXPECT_TRUE(InOnePiece(FormatUiText(LoadUiString(kStrConnectedTo, 512), {name}), name, true));

    // The program's name before an error does not make the line left to right.
    const Layout error =
        Lay(ProgramLinePrefix() + FormatUiText(LoadUiString(kStrUnknownOption, 512), {"--x"}));
    EXPECT_EQ(error.direction, FRIBIDI_PAR_RTL);
}

}  // namespace
}  // namespace harbrook
