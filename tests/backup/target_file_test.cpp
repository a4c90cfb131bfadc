// Free names for incoming files, and the decimal texts of the wire.
#include "backup/target_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "backup/storage_layout.h"
#include "link/decimal_text.h"
#include "platform/text.h"
#include "platform/utf8.h"
#include "tests/backup/transfer_harness.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

using TargetFileTest = FolderTest;

TEST_F(TargetFileTest, TakenNamesAreNumberedBeforeTheLastDot) {
    Touch("IMG_1.tar.gz");
    Touch("IMG_1.tar(1).gz");
    EXPECT_EQ(ChooseFreeName(Dir() / "IMG_1.tar.gz")->path, Dir() / "IMG_1.tar(2).gz");
}

TEST_F(TargetFileTest, NumbersGoIntoTheFileNameNeverIntoAFolderName) {
    std::filesystem::create_directories(Dir() / "my.folder");
    EXPECT_FALSE(ChooseFreeName(Dir() / "my.folder" / "README"));
    EXPECT_FALSE(ChooseFreeName(".jpg"));
    EXPECT_FALSE(IncomingFile::Create(Dir() / "my.folder" / "README"));
    // In a folder, a name that starts with its dot is numbered before it.
    Touch(".jpg");
    EXPECT_EQ(ChooseFreeName(Dir() / ".jpg")->path, Dir() / "(1).jpg");
}

TEST_F(TargetFileTest, AllTwoHundredNamesTakenReplacesTheLast) {
    Touch("x.jpg");
    for (int n = 1; n <= 199; ++n) Touch("x(" + std::to_string(n) + ").jpg");
    auto path = Dir() / "x.jpg";
    IncomingFile file = IncomingFile::Create(path);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file.WriteAll(std::string_view("new")));
    ASSERT_TRUE(file.Name(path));
    EXPECT_EQ(path, Dir() / "x(199).jpg");
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(ReadFileBytes(Dir() / "x.jpg"), "old");
    EXPECT_FALSE(std::filesystem::exists(Dir() / "x(200).jpg"));
}

TEST_F(TargetFileTest, NumberedCopiesOfTheLongestNamesStayWithinTheLimit) {
    const std::string longest = std::string(251, 'L') + ".jpg";
    Touch(longest);
    EXPECT_EQ(ChooseFreeName(Dir() / longest)->path.filename(), std::string(248, 'L') + "(1).jpg");
    // Characters are dropped whole: "\xc3\xa9" is two bytes, one UTF-16 unit.
    std::string accented;
    for (int i = 0; i < 127; ++i) accented += "\xc3\xa9";
    EXPECT_EQ(FitFileName(accented + ".x", "(12)").size() % 2, 0u) << "no half character";
    EXPECT_LE(platform::FileNameLength(FitFileName(accented + ".x", "(12)")),
              platform::kMaxFileNameLength);
    EXPECT_TRUE(FitFileName(accented + ".x", "(12)").ends_with("(12).x"));
    EXPECT_EQ(FitFileName("a." + std::string(260, 'e')), "") << "no room left for the stem";
    EXPECT_EQ(FitFileName("short.txt", "(3)"), "short(3).txt");
}

TEST_F(TargetFileTest, FolderInTheWayFails) {
    std::filesystem::create_directories(Dir() / "d.jpg");
    EXPECT_FALSE(IncomingFile::Create(Dir() / "d.jpg"));
    EXPECT_TRUE(std::filesystem::is_directory(Dir() / "d.jpg"));
}

// Both ways of making a file without its name: unnamed where the system can,
// a hidden temporary otherwise (always on Windows).
class IncomingFileTest : public TargetFileTest, public ::testing::WithParamInterface<bool> {};

TEST_P(IncomingFileTest, AFileIsNamedOnlyWhenWholeAndNeverOverAnother) {
    const bool unnamed = GetParam();
    const auto names = [&] {
        std::vector<std::string> visible;
        for (const auto& file : FilesUnder(Dir())) {
            const std::string name = platform::PathToUtf8(file.filename());
            if (!IsPartialFileName(name)) visible.push_back(name);
        }
        return visible;
    };
    auto path = Dir() / "v.mp4";
    IncomingFile file = IncomingFile::Create(path, nullptr, unnamed);
    ASSERT_TRUE(file);
    EXPECT_TRUE(file.WriteAll(std::string_view("abc")));
    EXPECT_TRUE(names().empty()) << "nothing under a name a user sees";
    // Someone takes the name meanwhile: the file goes the numbered way.
    Touch("v.mp4");
    ASSERT_TRUE(file.Name(path));
    EXPECT_EQ(path, Dir() / "v(1).mp4");
    file.Close();
    EXPECT_EQ(ReadFileBytes(path), "abc");
    EXPECT_EQ(ReadFileBytes(Dir() / "v.mp4"), "old");
    EXPECT_EQ(FilesUnder(Dir()).size(), 2u) << "no temporary is left";

    // Closed before it was whole: nothing of it is left, under any name.
    {
        IncomingFile cut = IncomingFile::Create(Dir() / "cut.mp4", nullptr, unnamed);
        ASSERT_TRUE(cut);
        EXPECT_TRUE(cut.WriteAll(std::string_view("part")));
    }
    EXPECT_EQ(FilesUnder(Dir()).size(), 2u);

    // A temporary that a crash left under the same hidden name is no obstacle.
    Touch(std::string(kPartialPrefix) + "w.mp4", "stale");
    auto again = Dir() / "w.mp4";
    IncomingFile next = IncomingFile::Create(again, nullptr, unnamed);
    ASSERT_TRUE(next);
    EXPECT_TRUE(next.WriteAll(std::string_view("new")));
    ASSERT_TRUE(next.Name(again));
    next.Close();
    EXPECT_EQ(ReadFileBytes(Dir() / "w.mp4"), "new");
}

INSTANTIATE_TEST_SUITE_P(UnnamedOrHidden, IncomingFileTest, ::testing::Bool());

TEST(DecimalTextTest, ReadsLikeTheCLibrary) {
    EXPECT_EQ(ParseDecimal64("600000"), 600000);
    EXPECT_EQ(ParseDecimal64("  \t+42"), 42);
    EXPECT_EQ(ParseDecimal64("-7"), -7);
    EXPECT_EQ(ParseDecimal64("12abc"), 12);
    EXPECT_EQ(ParseDecimal64("abc"), 0);
    EXPECT_EQ(ParseDecimal64(""), 0);
    EXPECT_EQ(ParseDecimal64("- 5"), 0);
    EXPECT_EQ(ParseDecimal64("9223372036854775807"), LLONG_MAX);
    EXPECT_EQ(ParseDecimal64("9223372036854775808"), LLONG_MAX);
    EXPECT_EQ(ParseDecimal64("-9223372036854775808"), LLONG_MIN);
    EXPECT_EQ(ParseDecimal64("-99999999999999999999999"), LLONG_MIN);
    EXPECT_EQ(FormatDecimal64(2'147'483'648LL), "2147483648");
}

}  // namespace
}  // namespace harbrook::test
