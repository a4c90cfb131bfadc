// Free names for incoming files, and the decimal texts of the wire.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "backup/backup_receiver.h"
#include "backup/storage_layout.h"
#include "link/decimal_text.h"
#include "platform/text.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

class TargetFileTest : public ::testing::Test {
  protected:
    std::filesystem::path Dir() const { return sandbox.root(); }
    void Touch(const std::string& name, const std::string& content = "old") {
        std::ofstream(Dir() / name) << content;
    }
    Sandbox sandbox;
};

TEST_F(TargetFileTest, FreeNameIsUsedAsItIs) {
    auto path = Dir() / "IMG_1.jpg";
    platform::File file = CreateUniqueTargetFile(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(path, Dir() / "IMG_1.jpg");
    EXPECT_TRUE(file.WriteAll(std::string_view("abc")));
}

TEST_F(TargetFileTest, TakenNamesAreNumberedBeforeTheLastDot) {
    Touch("IMG_1.tar.gz");
    Touch("IMG_1.tar(1).gz");
    auto path = Dir() / "IMG_1.tar.gz";
    ASSERT_TRUE(CreateUniqueTargetFile(path));
    EXPECT_EQ(path, Dir() / "IMG_1.tar(2).gz");
    EXPECT_EQ(ReadFileBytes(Dir() / "IMG_1.tar.gz"), "old");
}

TEST_F(TargetFileTest, NumbersGoIntoTheFileNameNeverIntoAFolderName) {
    std::filesystem::create_directories(Dir() / "my.folder");
    auto noDot = Dir() / "my.folder" / "README";
    EXPECT_FALSE(CreateUniqueTargetFile(noDot));
    auto leadingDot = std::filesystem::path(".jpg");
    EXPECT_FALSE(CreateUniqueTargetFile(leadingDot));
    // In a folder, a name that starts with its dot is numbered before it.
    Touch(".jpg");
    auto hidden = Dir() / ".jpg";
    ASSERT_TRUE(CreateUniqueTargetFile(hidden));
    EXPECT_EQ(hidden, Dir() / "(1).jpg");
}

TEST_F(TargetFileTest, AllTwoHundredNamesTakenOverwritesTheLast) {
    Touch("x.jpg");
    for (int n = 1; n <= 199; ++n) Touch("x(" + std::to_string(n) + ").jpg");
    auto path = Dir() / "x.jpg";
    platform::File file = CreateUniqueTargetFile(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(path, Dir() / "x(199).jpg");
    EXPECT_EQ(ReadFileBytes(path), "");  // truncated
    EXPECT_FALSE(std::filesystem::exists(Dir() / "x(200).jpg"));
}

TEST_F(TargetFileTest, NumberedCopiesOfTheLongestNamesStayWithinTheLimit) {
    const std::string longest = std::string(251, 'L') + ".jpg";
    Touch(longest);
    auto path = Dir() / longest;
    ASSERT_TRUE(CreateUniqueTargetFile(path));
    EXPECT_EQ(path.filename(), std::string(248, 'L') + "(1).jpg");
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
    auto folder = Dir() / "d.jpg";
    EXPECT_FALSE(CreateUniqueTargetFile(folder));
    EXPECT_TRUE(std::filesystem::is_directory(Dir() / "d.jpg"));
}

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
