// The real program under Xvfb with trayer as the notification area, driven
// by xdotool and the phone stand-in, judged by screenshots: the QR code must
// decode, the banner and the panels must show the state in their colours.
// The screenshots stay in the build folder for people to look at.
#include <gtest/gtest.h>
#include <signal.h>

#include <functional>

#include "tests/app/child_process.h"
#include "tests/app/e2e_phone.h"
#include "tests/app/x_screen.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kPortsUsed = 14;

// Colours of our own artwork (res/art).
constexpr const char* kTickGreen = "#3DDC84";  // connected picture, progress bar
constexpr const char* kCardBlue = "#2F80ED";   // the connected panel's card
constexpr const char* kAlbumBlue = "#2F80ED";  // the My Album tile
constexpr const char* kOtherOrange = "#F2994A";

constexpr Region kBanner{0.0, 0.0, 1.0, 0.14};
constexpr Region kBannerText{0.325, 0.0, 0.98, 0.14};  // right of the status picture
constexpr Region kPanel{0.27, 0.17, 1.0, 1.0};

class WindowEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(shots);
        fs::create_directories(backupRoot);
        base = FreePortRun(kPortsUsed);
        ASSERT_NE(base, 0);
        ASSERT_TRUE(screen.Started()) << "Xvfb did not start";
    }

    std::vector<std::string> PcArgs() const {
        return {"--address",          "127.0.0.1",     "--ports-base",
                std::to_string(base), "--backup-root", backupRoot.string()};
    }
    void StartPc() {
        pc = std::make_unique<ChildProcess>(HARBROOK_EXE, PcArgs(), logs, "pc");
        // The pairing code is written once its port is bound.
        ASSERT_TRUE(WaitFor([&] { return fs::exists(sandbox.appData() / "qrcode.bmp"); }, 15s))
            << pc->Err();
    }
    std::string Window() const { return screen.Harbrook(399, 2000).id; }
    std::string Reminder() const { return screen.Harbrook(0, 400).id; }
    bool WaitForShot(const std::string& name, const std::function<bool(const fs::path&)>& check,
                     std::chrono::milliseconds deadline = 15s) const {
        return screen.WaitForShot([&] { return Window(); }, shots / (name + ".png"), check,
                                  deadline);
    }
    void StopPc() {
        pc->Signal(SIGTERM);
        EXPECT_EQ(pc->Wait(10s), 0) << pc->Err();
    }

    Sandbox sandbox;
    const fs::path logs = sandbox.root() / "logs";
    const fs::path shots = HARBROOK_SHOTS_DIR;
    const fs::path backupRoot = sandbox.root() / "backups";
    XScreen screen{logs};
    int base = 0;
    std::unique_ptr<ChildProcess> pc, phone;
};

TEST_F(WindowEndToEnd, TrayStartPairingBackupAndAWindowWithoutTray) {
    ASSERT_TRUE(screen.StartTray());
    StartPc();
    // A first start shows the icon in the tray and the backup reminder, not
    // the window; Esc closes the reminder.
    ASSERT_TRUE(WaitFor([&] { return screen.TrayHoldsAnIcon(); }, 15s)) << pc->Err();
    ASSERT_TRUE(WaitFor([&] { return !Reminder().empty(); }, 10s));
    EXPECT_TRUE(Window().empty());
    screen.Shot("root", shots / "1-hidden-start.png");
    screen.Tool(XDOTOOL_EXE, {"windowfocus", "--sync", Reminder(), "key", "Escape"});
    EXPECT_TRUE(WaitFor([&] { return Reminder().empty(); }, 10s));

    // A second start shows the running window and ends.
    EXPECT_EQ(RunToEnd(HARBROOK_EXE, PcArgs(), logs, "second").status, 0);
    ASSERT_TRUE(WaitFor([&] { return !Window().empty(); }, 10s));
    const std::string pairing = "127.0.0.1:" + std::to_string(base);
    EXPECT_TRUE(WaitForShot("2-connect-panel",
                            [&](const fs::path& shot) { return screen.Decode(shot) == pairing; }))
        << "the QR code on the screen does not read " << pairing;

    // The phone scans the code and pairs: the connected panel and picture.
    phone = StartPairingPhone(HARBROOK_PHONE_EXE, base, logs);
    EXPECT_TRUE(WaitForShot("3-connected-panel", [&](const fs::path& shot) {
        return screen.Decode(shot).empty() && screen.Share(shot, kBanner, kTickGreen) > 0.002 &&
               screen.Share(shot, kPanel, kCardBlue) > 0.04;
    })) << "no connected panel";

    // A backup whose phone stalls after a few pieces: the progress bar on
    // the banner while the PC waits for the next one.
    const auto backup =
        StartStalledBackup(HARBROOK_PHONE_EXE, base, sandbox.root() / "phone", logs);
    EXPECT_TRUE(WaitForShot(
        "4-banner-during-backup",
        [&](const fs::path& shot) { return screen.Share(shot, kBannerText, kTickGreen) > 0.002; },
        9s))
        << "no progress bar on the banner";
    backup->Wait(20s);

    // Received Files: the category buttons (the navigation button's middle,
    // 121 of the window's 340 dialog units from the top).
    const XScreen::Window window = screen.Harbrook(399, 2000);
    ASSERT_FALSE(window.id.empty());
    screen.Click(window.id, 70, int(121.0 / 340 * window.height));
    EXPECT_TRUE(WaitForShot("5-received-files", [&](const fs::path& shot) {
        return screen.Share(shot, kPanel, kOtherOrange) > 0.003 &&
               screen.Share(shot, kPanel, kAlbumBlue) > 0.003;
    })) << "no Received Files panel";

    StopPc();

    // Without a notification area the window shows at start.
    screen.StopTray();
    StartPc();
    EXPECT_TRUE(WaitFor([&] { return !Window().empty(); }, 10s));
    EXPECT_TRUE(Reminder().empty()) << "the reminder came again the same day";
    screen.Shot(Window(), shots / "6-without-tray.png");
    StopPc();
}

}  // namespace
}  // namespace harbrook::test
