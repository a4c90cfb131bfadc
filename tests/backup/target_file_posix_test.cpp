// Symbolic links under the wanted names, and files made ahead without a name
// (neither exists in the Windows build, so this stays off Windows).
#include <gtest/gtest.h>

#include <fstream>

#include "backup/backup_receiver.h"
#include "tests/backup/transfer_harness.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

class TargetFileLinkTest : public ::testing::Test {
  protected:
    std::filesystem::path Dir() const { return sandbox.root(); }
    void Touch(const std::string& name, const std::string& content = "old") {
        std::ofstream(Dir() / name) << content;
    }
    Sandbox sandbox;
};

TEST_F(TargetFileLinkTest, ALinkIsNeverFollowed) {
    // A link planted under the wanted name is skipped like a taken name...
    Touch("outside.txt", "keep me");
    std::filesystem::create_symlink(Dir() / "outside.txt", Dir() / "l.jpg");
    auto linked = Dir() / "l.jpg";
    ASSERT_TRUE(CreateUniqueTargetFile(linked));
    EXPECT_EQ(linked, Dir() / "l(1).jpg");
    // ...and when the last numbered name is a link, creating it fails
    // instead of writing through it.
    Touch("y.jpg");
    for (int n = 1; n <= 198; ++n) Touch("y(" + std::to_string(n) + ").jpg");
    std::filesystem::create_symlink(Dir() / "outside.txt", Dir() / "y(199).jpg");
    auto last = Dir() / "y.jpg";
    EXPECT_FALSE(CreateUniqueTargetFile(last));
    EXPECT_EQ(ReadFileBytes(Dir() / "outside.txt"), "keep me");
}

TEST_F(TargetFileLinkTest, ASpareBecomesTheFileOnlyUnderAFreeName) {
    const auto names = [&] { return FilesUnder(Dir()); };
    const auto atFirst = names();
    platform::File spare = platform::File::CreateUnnamed(Dir());
    if (!spare) GTEST_SKIP() << "this file system makes no unnamed files";
    EXPECT_EQ(names(), atFirst) << "an unnamed file shows in no folder";

    // A taken name, and a dangling link under a name, leave the spare as it
    // is: the file gets the next free name, and nothing is made through the
    // link.
    Touch("a.jpg");
    auto taken = Dir() / "a.jpg";
    ASSERT_TRUE(CreateUniqueTargetFile(taken, &spare));
    EXPECT_EQ(taken, Dir() / "a(1).jpg");
    std::filesystem::create_symlink(Dir() / "nowhere", Dir() / "l.jpg");
    auto linked = Dir() / "l.jpg";
    ASSERT_TRUE(CreateUniqueTargetFile(linked, &spare));
    EXPECT_EQ(linked, Dir() / "l(1).jpg");
    EXPECT_FALSE(std::filesystem::exists(Dir() / "nowhere"));
    ASSERT_TRUE(spare) << "still unnamed and ready";
    EXPECT_EQ(ReadFileBytes(Dir() / "a.jpg"), "old");

    // A free name in another folder of the same file system takes the spare.
    std::filesystem::create_directories(Dir() / "Videos");
    auto free = Dir() / "Videos" / "v.mp4";
    platform::File file = CreateUniqueTargetFile(free, &spare);
    ASSERT_TRUE(file);
    EXPECT_FALSE(spare) << "the spare was taken";
    EXPECT_EQ(free, Dir() / "Videos" / "v.mp4");
    EXPECT_TRUE(file.WriteAll(std::string_view("abc")));
    EXPECT_FALSE(file.LinkAs(Dir() / "second.jpg")) << "a named file gets no second name";
    file.Close();
    EXPECT_EQ(ReadFileBytes(free), "abc");

    // A spare closed unnamed leaves nothing behind.
    const auto before = names();
    platform::File unused = platform::File::CreateUnnamed(Dir());
    ASSERT_TRUE(unused);
    EXPECT_TRUE(unused.WriteAll(std::string_view("gone")));
    unused.Close();
    EXPECT_EQ(names(), before);
}

}  // namespace
}  // namespace harbrook::test
