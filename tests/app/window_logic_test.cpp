// The window rules every window front end renders: panels, the checked
// navigation button, the banner, and what a received-files button opens.
#include <gtest/gtest.h>

#include <fstream>

#include "app/received_files.h"
#include "app/window_model.h"
#include "locale/string_ids.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

TEST(WindowModel, PanelsFollowButtonsConnectionAndReopening) {
    WindowModel model;
    EXPECT_FALSE(model.ShownPanel());
    model.OnOpenMainWindow();  // the first opening shows the connect panel
    EXPECT_EQ(model.ShownPanel(), PanelId::Connect);
    EXPECT_EQ(model.CheckedButton(), NavButton::ConnectPhone);

    // A phone connects while the connect panel shows: the connected panel.
    model.OnConnectionStateChanged(true, "Pixel");
    EXPECT_EQ(model.ShownPanel(), PanelId::Connected);
    EXPECT_EQ(model.CheckedButton(), NavButton::ConnectPhone);
    EXPECT_EQ(model.ConnectedHeadline(), "Connected to Pixel");

    model.OnReceivedFiles();
    EXPECT_EQ(model.CheckedButton(), NavButton::ReceivedFiles);
    // Disconnect and connect again while Received Files shows: it stays.
    model.OnConnectionStateChanged(false, "");
    EXPECT_EQ(model.ShownPanel(), PanelId::ReceivedFiles);
    model.OnConnectionStateChanged(true, "");
    EXPECT_EQ(model.ShownPanel(), PanelId::ReceivedFiles);
    EXPECT_EQ(model.ConnectedHeadline(), "Connected to smartphone");
    // Reopening keeps the panel; Connect Phone now shows the connected panel.
    model.OnOpenMainWindow();
    EXPECT_EQ(model.ShownPanel(), PanelId::ReceivedFiles);
    model.OnConnectPhone();
    EXPECT_EQ(model.ShownPanel(), PanelId::Connected);
    // A disconnect while the connected panel shows brings the connect panel.
    model.OnConnectionStateChanged(false, "");
    EXPECT_EQ(model.ShownPanel(), PanelId::Connect);
    model.OnConnectPhone();
    EXPECT_EQ(model.ShownPanel(), PanelId::Connect);
}

TEST(WindowModel, PhoneConnectingBeforeTheWindowOpensShowsTheConnectedPanel) {
    WindowModel model;
    model.OnConnectionStateChanged(true, "Early");
    model.OnOpenMainWindow();
    EXPECT_EQ(model.ShownPanel(), PanelId::Connected);
}

TEST(BannerModel, ConnectionTextsStatusAndProgress) {
    BannerModel banner;
    EXPECT_EQ(banner.View().picture, BannerPicture::NotConnected);
    EXPECT_EQ(banner.View().text, "Open Harbrook on your mobile to connect PC.");
    banner.OnConnectionStateChanged(true);
    EXPECT_EQ(banner.View().picture, BannerPicture::Connected);
    EXPECT_EQ(banner.View().text, "Your computer is connected to your phone.");

    banner.OnStatus("Backing up files");
    ProgressReading reading;
    reading.totalBytes = 28'500'000;
    reading.doneBytes = 12'000'000;
    reading.percent = 42;
    reading.bytesPerSecond = 3'100'000;
    reading.secondsLeft = 5;
    banner.OnProgress(reading);
    EXPECT_EQ(banner.View().text, "Backing up files");
    EXPECT_EQ(banner.View().progressLine, "42% of 28.5 MB \u00b7 3.1 MB/s \u00b7 0:05 left");
    EXPECT_EQ(banner.View().percent, 42);

    // The end keeps the last status and drops the progress line.
    banner.OnStatus("Backup completed");
    banner.OnBackupEnded();
    EXPECT_EQ(banner.View().text, "Backup completed");
    EXPECT_TRUE(banner.View().progressLine.empty());
    EXPECT_EQ(banner.View().percent, -1);
    // A disconnect replaces the status.
    banner.OnStatus("Backing up files");
    banner.OnProgress(reading);
    banner.OnConnectionStateChanged(false);
    EXPECT_EQ(banner.View().text, "Open Harbrook on your mobile to connect PC.");
    EXPECT_TRUE(banner.View().progressLine.empty());
}

TEST(BannerModel, ProgressLineLeavesOutWhatIsNotKnownYet) {
    ProgressReading reading;
    reading.totalBytes = 1000;
    EXPECT_EQ(BannerProgressLine(reading), "0% of 1.0 kB");
}

TEST(WindowTexts, PlaceholdersAndBackupSummary) {
    EXPECT_EQ(FillPlaceholders("{a}/{b}/{a}{c}", {{"a", "{a}x"}, {"b", ""}}), "{a}x//{a}x{c}");
    const auto summary = SummariseBackup(BackupOutcome::Completed, 12, 4'500'000, 42);
    EXPECT_EQ(summary.title, "Backup completed");
    EXPECT_EQ(summary.body, "12 files, 4.5 MB, in 0:42.");
    EXPECT_EQ(SummariseBackup(BackupOutcome::Disconnected, 0, 0, 0).title, "Backup interrupted");
}

TEST(DialogUnits, ScaleWithTheFontLikeTheSystemDoes) {
    EXPECT_EQ(DluToPixelsX(525, {6, 13}), 788);  // 787.5 rounds up
    EXPECT_EQ(DluToPixelsY(340, {6, 13}), 553);  // 552.5 rounds up
    EXPECT_EQ(DluToPixelsX(525, {12, 26}), 1575);
    EXPECT_EQ(DluToPixelsY(50, {7, 16}), 100);
}

// Volumes rooted in the sandbox.
class SandboxVolumes : public VolumeSource {
  public:
    std::vector<std::filesystem::path> roots;
    std::vector<platform::StorageVolume> List() const override {
        std::vector<platform::StorageVolume> out;
        for (const auto& root : roots)
            out.push_back({root.filename().string(), root, platform::VolumeType::Fixed, false});
        // A network volume is never searched.
        out.push_back({"net", roots.empty() ? "/" : roots.front(), platform::VolumeType::Network});
        return out;
    }
    std::optional<std::uint64_t> FreeBytes(const std::filesystem::path&) const override {
        return 1;
    }
};

class ReceivedFiles : public ::testing::Test {
  protected:
    std::filesystem::path Volume(const std::string& name) {
        const auto root = sandbox.root() / name;
        std::filesystem::create_directories(root);
        volumes.roots.push_back(root);
        return root;
    }
    static std::filesystem::path Backup(const std::filesystem::path& root) {
        return root / "Backup of Harbrook";
    }
    ReceivedFilesSources Sources(std::string phone = {},
                                 std::optional<std::filesystem::path> stored = {}) {
        return {std::move(phone), std::move(stored), &volumes};
    }
    test::Sandbox sandbox;
    SandboxVolumes volumes;
};

TEST_F(ReceivedFiles, ConnectedPhoneUnderTheStoredRootUsesTheLayoutsFolderName) {
    const auto d = Volume("d");
    // The layout strips characters a file name may not hold.
    const auto phoneFolder = Backup(d) / "Anna's Phone 7";
    std::filesystem::create_directories(phoneFolder / "My Album");
    auto action = OpenCategoryFolder(Sources("Anna's Phone: 7", d), kStrFolderCamera);
    EXPECT_FALSE(action.message);
    EXPECT_EQ(action.open, std::vector{phoneFolder / "My Album"});

    // The category folder is missing: message 142, then the phone folder.
    action = OpenCategoryFolder(Sources("Anna's Phone: 7", d), kStrFolderDocuments);
    EXPECT_EQ(action.message, kStrFolderModified);
    EXPECT_EQ(action.open, std::vector{phoneFolder});
}

TEST_F(ReceivedFiles, OneVolumeWithoutAKnownPhoneTakesTheFirstPhoneFolder) {
    const auto e = Volume("e");
    std::filesystem::create_directories(Backup(e) / "B-phone" / "My Album");
    std::filesystem::create_directories(Backup(e) / "A-phone" / "My Album");
    std::ofstream(Backup(e) / "0-a file, not a folder").put('x');
    // A name without a stored root counts as unknown too.
    for (const auto& sources : {Sources(), Sources("A-phone")}) {
        const auto action = OpenCategoryFolder(sources, kStrFolderCamera);
        EXPECT_FALSE(action.message);
        EXPECT_EQ(action.open, std::vector{Backup(e) / "A-phone" / "My Album"});
    }
}

TEST_F(ReceivedFiles, BackupFoldersOnTwoVolumesOpenBoth) {
    const auto d = Volume("d"), e = Volume("e");
    std::filesystem::create_directories(Backup(d) / "X");
    std::filesystem::create_directories(Backup(e));
    const auto action = OpenCategoryFolder(Sources(), kStrFolderDocuments);
    EXPECT_FALSE(action.message);
    EXPECT_EQ(action.open, (std::vector{Backup(d), Backup(e)}));
}

TEST_F(ReceivedFiles, NothingToOpenSaysNoFilesWereReceived) {
    Volume("empty-volume");
    auto action = OpenCategoryFolder(Sources(), kStrFolderCamera);  // no backup folder
    EXPECT_EQ(action.message, kStrNoFilesReceived);
    EXPECT_TRUE(action.open.empty());

    const auto d = Volume("d");
    std::filesystem::create_directories(Backup(d));  // a backup folder, but empty
    action = OpenCategoryFolder(Sources(), kStrFolderCamera);
    EXPECT_EQ(action.message, kStrNoFilesReceived);
    EXPECT_TRUE(action.open.empty());
}

}  // namespace
}  // namespace harbrook
