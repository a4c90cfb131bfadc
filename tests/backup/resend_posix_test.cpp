// Files the phone sends again: the same content costs no space, under its
// own name or under another; changed content is still stored beside it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "backup/backup_check.h"
#include "tests/backup/transfer_harness.h"

namespace harbrook::test {
namespace {

namespace fs = std::filesystem;

struct stat Stat(const fs::path& file) {
    struct stat st {};
    EXPECT_EQ(::stat(file.c_str(), &st), 0) << file;
    return st;
}

// Blocks the phone's folder takes, its manifest included.
std::int64_t BlocksUnder(const fs::path& folder) {
    std::int64_t blocks = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file()) blocks += Stat(entry.path()).st_blocks;
    return blocks;
}

TEST(ResendTest, TheSameFilesAgainAddNothingAndOtherNamesAreLinks) {
    TransferHarness h;
    h.StartReceiver();
    auto files = phone::GenerateBackupFiles(1000, 0);
    for (std::size_t i = 0; i < files.size(); ++i)
        files[i].size = 1000 + static_cast<std::int64_t>(i) * 37;
    ASSERT_TRUE(phone::RunPhoneBackup(h.PhoneOptions(), files).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(1, std::chrono::seconds(60)));
    const auto camera = h.CategoryFolder(BackupCategory::Camera);
    const auto blocks = BlocksUnder(h.PhoneFolder());
    EXPECT_EQ(FilesUnder(h.PhoneFolder()).size(), 1000u);

    const auto again = phone::RunPhoneBackup(h.PhoneOptions(), files);
    ASSERT_TRUE(again.ended) << again.problem;
    EXPECT_EQ(again.filesAccepted, 1000);
    ASSERT_TRUE(h.WaitForBackupEnds(2, std::chrono::seconds(60)));
    EXPECT_EQ(BlocksUnder(h.PhoneFolder()), blocks);
    EXPECT_EQ(FilesUnder(h.PhoneFolder()).size(), 1000u);  // no "(1)" name
    EXPECT_EQ(h.frontend.backupEnds().back().alreadyStored, 1000);
    EXPECT_EQ(h.frontend.backupEnds().back().files, 1000);
    EXPECT_EQ(h.frontend.receivedFiles().back(), camera / files.back().name)
        << "a file stored already is shown where it is";

    // Same content, other name: a second link to the stored file. Changed
    // content under a stored name: numbered beside it, as ever.
    auto renamed = files[5];
    renamed.name = "renamed.jpg";
    auto changed = files[7];
    changed.seed += 1;
    ASSERT_TRUE(phone::RunPhoneBackup(h.PhoneOptions(), {renamed, changed}).ended);
    ASSERT_TRUE(h.WaitForBackupEnds(3, std::chrono::seconds(60)));
    const auto original = Stat(camera / files[5].name);
    const auto link = Stat(camera / "renamed.jpg");
    EXPECT_EQ(link.st_ino, original.st_ino);
    EXPECT_EQ(link.st_nlink, 2u);
    EXPECT_EQ(h.frontend.backupEnds().back().alreadyStored, 1);
    EXPECT_EQ(fs::file_size(camera / "IMG_000007(1).jpg"),
              static_cast<std::uintmax_t>(changed.size));

    // The manifest knows every name, and the tree is intact.
    EXPECT_TRUE(CheckPhoneFolder(h.PhoneFolder(), false).Intact());
}

}  // namespace
}  // namespace harbrook::test
