// Symbolic links under the wanted names, and files made ahead without a name
// (neither exists in the Windows build, so this stays off Windows).
#include <gtest/gtest.h>

#include <fstream>

#include "backup/target_file.h"
#include "tests/backup/transfer_harness.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

using TargetFileTest = FolderTest;

TEST_F(TargetFileTest, ALinkIsNeverFollowed) {
    // A link planted under the wanted name is skipped like a taken name...
    Touch("outside.txt", "keep me");
    std::filesystem::create_symlink(Dir() / "outside.txt", Dir() / "l.jpg");
    EXPECT_EQ(ChooseFreeName(Dir() / "l.jpg")->path, Dir() / "l(1).jpg");
    // ...also when it is planted while the file comes in...
    auto later = Dir() / "m.jpg";
    IncomingFile file = IncomingFile::Create(later);
    ASSERT_TRUE(file);
    ASSERT_TRUE(file.WriteAll(std::string_view("mine")));
    std::filesystem::create_symlink(Dir() / "outside.txt", Dir() / "m.jpg");
    ASSERT_TRUE(file.Name(later));
    EXPECT_EQ(later, Dir() / "m(1).jpg");
    // ...and when the last numbered name is a link, no file is made for it
    // instead of one written through it.
    Touch("y.jpg");
    for (int n = 1; n <= 198; ++n) Touch("y(" + std::to_string(n) + ").jpg");
    std::filesystem::create_symlink(Dir() / "outside.txt", Dir() / "y(199).jpg");
    EXPECT_FALSE(IncomingFile::Create(Dir() / "y.jpg"));
    EXPECT_EQ(ReadFileBytes(Dir() / "outside.txt"), "keep me");
}

TEST_F(TargetFileTest, ASpareBecomesTheFileAndIsNamedOnlyUnderAFreeName) {
    platform::File spare = platform::File::CreateUnnamed(Dir());
    if (!spare) GTEST_SKIP() << "this file system makes no unnamed files";
    const auto atFirst = FilesUnder(Dir());

    // A dangling link under the name: nothing is made through it.
    std::filesystem::create_symlink(Dir() / "nowhere", Dir() / "l.jpg");
    auto linked = Dir() / "l.jpg";
    IncomingFile file = IncomingFile::Create(linked, &spare);
    ASSERT_TRUE(file);
    EXPECT_FALSE(spare) << "the spare was taken";
    EXPECT_TRUE(file.IsUnnamed());
    EXPECT_TRUE(file.WriteAll(std::string_view("abc")));
    EXPECT_EQ(FilesUnder(Dir()), atFirst) << "an unnamed file shows in no folder";
    ASSERT_TRUE(file.Name(linked));
    EXPECT_EQ(linked, Dir() / "l(1).jpg");
    EXPECT_FALSE(std::filesystem::exists(Dir() / "nowhere"));
    file.Close();
    EXPECT_EQ(ReadFileBytes(linked), "abc");
}

}  // namespace
}  // namespace harbrook::test
