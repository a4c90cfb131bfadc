#include <fstream>

#include "link/keywords.h"
#include "tests/integration/backup_fixture.h"

namespace harbrook::test {
namespace {

using Verdicts = std::vector<std::string>;

TEST_F(BackupTest, MixedFolderArrivesByteForByteInItsCategories) {
    std::vector<phone::BackupFile> files = {
        Make("IMG_1.jpg", 299999, "camera", 1), Make("IMG_2.jpg", 300000, "camera", 2),
        Make("VID_3.mp4", 300001, "camera", 3), Make("wx.png", 600000, "tencent", 4),
        Make("shot.png", 1, "other", 5),        Make("report.pdf", 1234567, "document", 6),
        Make("song.mp3", 777777, "audio", 7)};
    const auto result = Backup(files);
    ASSERT_EQ(result.answer, "sufficient") << result.error;
    ASSERT_TRUE(result.ended) << result.error;
    for (const auto& f : result.files) EXPECT_EQ(f.verdicts, Verdicts{"fileEnd"}) << f.name;
    ASSERT_TRUE(BannerBecomes("Backup completed"));
    EXPECT_EQ(h.frontend.banners().front(), "Backing up files");
    const std::pair<std::string, BackupCategory> where[] = {
        {"IMG_1.jpg", BackupCategory::Camera}, {"IMG_2.jpg", BackupCategory::Camera},
        {"VID_3.mp4", BackupCategory::Camera}, {"wx.png", BackupCategory::Tencent},
        {"shot.png", BackupCategory::Other},   {"report.pdf", BackupCategory::Document},
        {"song.mp3", BackupCategory::Audio}};
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto stored = Folder(where[i].second) / where[i].first;
        ASSERT_TRUE(std::filesystem::exists(stored)) << stored;
        EXPECT_TRUE(ReadFileBytes(stored) == ReadFileBytes(files[i].path)) << stored;
    }
    EXPECT_EQ(Folder(BackupCategory::Camera),
              root / "Backup of Harbrook" / "Pixel" / "My Album" / "");
    EXPECT_FALSE(h.link.transferBusy.test()) << "the busy flag is released";
}

TEST_F(BackupTest, EmptyChunkEndsAFileLikeTheMarker) {
    phone::BackupOptions o;
    o.emptyChunkAsEnd = true;
    const auto f = Make("IMG.jpg", 600000, "camera");
    const auto result = Backup({f}, o);
    ASSERT_TRUE(result.ended) << result.error;
    EXPECT_EQ(result.files[0].verdicts, Verdicts{"fileEnd"});
    EXPECT_TRUE(ReadFileBytes(Folder(BackupCategory::Camera) / "IMG.jpg") == ReadFileBytes(f.path));
}

TEST_F(BackupTest, BadOffersEndTheBackupAsFailed) {
    // A 0-byte file, a name without a dot, an unknown category: each ends its backup.
    struct Case {
        phone::BackupFile file;
        std::string category;
    };
    std::vector<Case> cases = {{Make("empty.jpg", 0, "camera"), ""},
                               {Make("README", 10, "document"), ""},
                               {Make("a.jpg", 10, "camera"), "Camera"},
                               {Make("b.jpg", 10, "camera"), "video"}};
    for (auto& c : cases) {
        phone::BackupOptions o;
        o.forceCategory = c.category;
        o.forceTotal = "10";  // an empty file alone would announce 0, which is never answered
        Backup({c.file}, o);
        ASSERT_TRUE(BannerBecomes("Backup failed")) << c.file.name << " " << c.category;
        // The receiver starts over and serves the next phone.
        ASSERT_TRUE(WaitFor([&] { return !h.link.transferBusy.test(); }));
        const auto good = Backup({Make("ok.jpg", 10, "camera")});
        ASSERT_TRUE(good.ended) << good.error;
        ASSERT_TRUE(BannerBecomes("Backup completed"));
    }
}

TEST_F(BackupTest, ShortThreeTimesIsRetriedTwiceThenAccepted) {
    phone::BackupOptions o;
    o.shortTries = 3;
    const auto f = Make("IMG.jpg", 450000, "camera");
    const auto next = Make("IMG2.jpg", 10, "camera");
    const auto result = Backup({f, next}, o);
    ASSERT_TRUE(result.ended) << result.error;
    EXPECT_EQ(result.files[0].verdicts, (Verdicts{"fileError", "fileError", "fileEnd"}));
    // Every resend deleted the try before it: one short file is left.
    const auto folder = Folder(BackupCategory::Camera);
    EXPECT_EQ(std::filesystem::file_size(folder / "IMG.jpg"), 449999u);
    EXPECT_FALSE(std::filesystem::exists(folder / "IMG(1).jpg"));
    // The allowance is back at 2 for the next file, which is also short once.
    EXPECT_EQ(result.files[1].verdicts, (Verdicts{"fileError", "fileError", "fileEnd"}));
}

TEST_F(BackupTest, SameNameAndSizeReplacesThePreviousFile) {
    const auto a = Make("x.jpg", 1000, "camera", 1);
    const auto b = Make("x.jpg", 1000, "camera", 2);
    ASSERT_TRUE(Backup({a, b}).ended);
    const auto camera = Folder(BackupCategory::Camera);
    EXPECT_TRUE(ReadFileBytes(camera / "x.jpg") == ReadFileBytes(b.path)) << "b took a's name";
    EXPECT_FALSE(std::filesystem::exists(camera / "x(1).jpg"));

    // In a new backup x.jpg is taken, so the next copy is numbered; one in
    // another category then deletes that copy.
    const auto again = Make("x.jpg", 1000, "camera", 3);
    const auto other = Make("x.jpg", 1000, "other", 4);
    ASSERT_TRUE(Backup({again, other}).ended);
    EXPECT_FALSE(std::filesystem::exists(camera / "x(1).jpg"));
    EXPECT_TRUE(ReadFileBytes(camera / "x.jpg") == ReadFileBytes(b.path));
    EXPECT_TRUE(ReadFileBytes(Folder(BackupCategory::Other) / "x.jpg") ==
                ReadFileBytes(other.path));
}

TEST_F(BackupTest, TakenNamesAreNumberedAndTheLastIsOverwritten) {
    ASSERT_TRUE(storage.PrepareBackupFolders(1));
    const auto camera = Folder(BackupCategory::Camera);
    std::ofstream(camera / "x.jpg") << "old";
    const auto first = Backup({Make("x.jpg", 5, "camera")});
    ASSERT_TRUE(first.ended);
    EXPECT_TRUE(std::filesystem::exists(camera / "x(1).jpg"));
    for (int n = 2; n <= 199; ++n)
        std::ofstream(camera / ("x(" + std::to_string(n) + ").jpg")) << "old";
    const auto f = Make("x.jpg", 7, "camera", 9);
    ASSERT_TRUE(Backup({f}).ended);
    EXPECT_TRUE(ReadFileBytes(camera / "x(199).jpg") == ReadFileBytes(f.path));
    EXPECT_FALSE(std::filesystem::exists(camera / "x(200).jpg"));
    EXPECT_EQ(ReadFileBytes(camera / "x.jpg"), "old");
}

TEST_F(BackupTest, PhoneThatGoesAwayMidFileLeavesThePartAndTheReceiverGoesOn) {
    phone::BackupOptions o;
    o.vanishAfterChunks = 2;
    Backup({Make("big.mp4", 2000000, "camera")}, o);
    ASSERT_TRUE(WaitFor([&] {
        std::error_code ec;
        return std::filesystem::file_size(Folder(BackupCategory::Camera) / "big.mp4", ec) == 600000;
    }));
    // The monitor notices the phone is gone: the backup ends without a status.
    h.link.state.SetConnectionState(false, "", "", "");
    ASSERT_TRUE(WaitFor([&] { return !h.link.transferBusy.test(); }, std::chrono::seconds(5)));
    EXPECT_EQ(h.frontend.lastBanner(), "Backing up files");
    EXPECT_EQ(std::filesystem::file_size(Folder(BackupCategory::Camera) / "big.mp4"), 600000u);
    h.link.state.SetConnectionState(true, "Pixel", "abc123", "127.0.0.1");
    ASSERT_TRUE(WaitFor([&] { return Backup({Make("next.jpg", 10, "camera")}).ended; }));
    EXPECT_TRUE(BannerBecomes("Backup completed"));
}

TEST_F(BackupTest, SilentPhoneTimesOutAsFailed) {
    phone::BackupOptions o;
    o.vanishAfterChunks = 0;
    Backup({Make("big.mp4", 900000, "camera")}, o);
    EXPECT_TRUE(BannerBecomes("Backup failed"));
}

TEST_F(BackupTest, NoAnswerWhileASendRuns) {
    ASSERT_FALSE(h.link.transferBusy.test_and_set());
    phone::BackupOptions o;
    o.timeout = std::chrono::milliseconds(800);
    const auto result = phone::RunBackup(Endpoint(), {Make("a.jpg", 10, "camera")}, o);
    EXPECT_EQ(result.answer, "");
    h.link.transferBusy.clear();
    EXPECT_TRUE(h.frontend.banners().empty());
}

TEST_F(BackupTest, TotalsThatAreNotPositiveAreIgnored) {
    for (const char* total : {"0", "-5", "abc", " "}) {
        phone::BackupOptions o;
        o.forceTotal = total;
        o.timeout = std::chrono::milliseconds(500);
        EXPECT_EQ(phone::RunBackup(Endpoint(), {}, o).answer, "") << total;
    }
    EXPECT_TRUE(Backup({Make("a.jpg", 10, "camera")}).ended);
}

}  // namespace
}  // namespace harbrook::test
