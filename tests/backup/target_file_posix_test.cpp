// Symbolic links under the wanted names (the Windows build's run-time library
// cannot make them, so this stays off Windows).
#include <gtest/gtest.h>

#include <fstream>

#include "backup/backup_receiver.h"
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

}  // namespace
}  // namespace harbrook::test
