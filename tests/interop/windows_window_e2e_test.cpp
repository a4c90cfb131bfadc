// The Windows program's window under wine, on a private X screen with trayer
// as the notification area, against the Linux phone stand-in; judged by
// screenshots, which stay in the build folder for people to look at.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>

#include "tests/app/child_process.h"
#include "tests/app/e2e_phone.h"
#include "tests/app/x_screen.h"
#include "tests/interop/wine_support.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kPortsUsed = 14;
constexpr const char* kWine = "/usr/lib/wine/wine64";

// Colours of our own artwork (res/art) and of the window.
constexpr const char* kTickGreen = "#3DDC84";  // connected picture, progress bar
constexpr const char* kCrossRed = "#FF5A5F";   // not-connected picture
constexpr const char* kAlbumBlue = "#2F80ED";  // the My Album tile
constexpr const char* kOtherOrange = "#F2994A";
constexpr const char* kTitleGreen = "#0A644F";  // category titles, RGB(10, 100, 79)
constexpr const char* kFaceBorder = "#C9E4DA";  // a category button's face
constexpr const char* kInfoYellow = "#FFFFE1";  // wine's tooltips and balloons

constexpr Region kBanner{0.0, 0.0, 1.0, 0.14};
constexpr Region kBannerText{0.36, 0.0, 0.98, 0.14};  // right of the status picture
constexpr Region kPanel{0.27, 0.17, 1.0, 1.0};
constexpr Region kAlbumButton{0.278, 0.229, 0.964, 0.347};  // 12, 28, 360 by 40 in the panel

class WindowsWindowEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(shots);
        fs::create_directories(logs);
        fs::create_directories(backupRoot);
        fs::create_directories(wineprefix);
        base = FreePortRun(kPortsUsed);
        ASSERT_NE(base, 0);
        ::setenv("WINEPREFIX", wineprefix.c_str(), 1);
        ::setenv("WINEDEBUG", "-all", 1);
        ::setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
        ::setenv("LC_ALL", "C.UTF-8", 1);
        // A fresh prefix takes a while to make; do it before anything times.
        const auto boot = RunToEnd(WINE_RUN, {"cmd", "/c", "echo ready"}, logs, "wineboot", 180s);
        ASSERT_EQ(boot.status, 0) << boot.out << boot.err;
        // The boot ran without a display; its desktop process (which holds
        // the notification area) must be gone before the program starts one
        // on the X screen.
        RunToEnd("/usr/lib/wine/wineserver", {"-w"}, logs, "wineserver-w", 60s);
        screen = std::make_unique<XScreen>(logs);
        ASSERT_TRUE(screen->Started());
    }
    void TearDown() override {
        phone.reset();
        pc.reset();
        RunToEnd("/usr/lib/wine/wineserver", {"-k"}, logs, "wineserver-k", 20s);
        screen.reset();
        for (const char* name : {"WINEPREFIX", "WINEDEBUG", "WINEDLLOVERRIDES", "LC_ALL"})
            ::unsetenv(name);
    }

    std::vector<std::string> PcArgs() const {
        return {WIN_HARBROOK_EXE,     "--address",     "127.0.0.1",        "--ports-base",
                std::to_string(base), "--backup-root", WinPath(backupRoot)};
    }
    XScreen::Window Window() const { return screen->Harbrook(400, 2000); }
    XScreen::Window Reminder() const { return screen->Harbrook(100, 400); }
    bool WaitForShot(const std::string& name, const std::function<bool(const fs::path&)>& check,
                     std::chrono::milliseconds deadline = 20s) const {
        return screen->WaitForShot([&] { return Window().id; }, shots / (name + ".png"), check,
                                   deadline);
    }
    // The tray icon's menu: a small window without a name that shows up
    // after a right click (not one of `before`, such as a balloon).
    XScreen::Window Menu(const std::vector<XScreen::Window>& before) const {
        for (const auto& w : screen->VisibleWindows("^$")) {
            const bool old = std::any_of(before.begin(), before.end(),
                                         [&](const XScreen::Window& b) { return b.id == w.id; });
            if (!old && w.width >= 60 && w.width < 600 && w.height >= 40 && w.height < 300)
                return w;
        }
        return {};
    }

    Sandbox sandbox;
    const fs::path logs = sandbox.root() / "logs";
    const fs::path shots = HARBROOK_SHOTS_DIR;
    const fs::path backupRoot = sandbox.root() / "backups";
    const fs::path wineprefix = sandbox.root() / "wine";
    int base = 0;
    std::unique_ptr<XScreen> screen;
    std::unique_ptr<ChildProcess> pc, phone;
};

TEST_F(WindowsWindowEndToEnd, TrayStartPairingBackupReceivedFilesAndQuit) {
    ASSERT_TRUE(screen->StartTray());
    pc = std::make_unique<ChildProcess>(kWine, PcArgs(), logs, "pc");
    // A first start shows the icon in the tray and the backup reminder, not
    // the window. The reminder stands in the bottom right corner, on wine's
    // taskbar window, which lies just below the screen.
    ASSERT_TRUE(WaitFor([&] { return screen->TrayHoldsAnIcon(); }, 60s)) << pc->Err();
    EXPECT_TRUE(Window().id.empty());
    XScreen::Window reminder;
    ASSERT_TRUE(WaitFor([&] { return !(reminder = Reminder()).id.empty(); }, 20s));
    screen->Shot("root", shots / "0-reminder.png");
    const auto [x, y, w, h] = screen->Geometry(reminder.id);
    // (Without a window manager the X window is the client area: the
    // border lies outside it.)
    EXPECT_NEAR(x + w, 1280, 5);
    EXPECT_NEAR(y + h, 900, 5);
    // Its button (dialog units 61 to 94 of 117 down) opens the window and
    // closes the reminder.
    screen->Click(reminder.id, w / 2, h * 66 / 100);
    EXPECT_TRUE(WaitFor([&] { return !Window().id.empty() && Reminder().id.empty(); }, 10s))
        << "the reminder's button did not open the window";
    screen->Tool(XDOTOOL_EXE, {"key", "--window", Window().id, "Escape"});
    ASSERT_TRUE(WaitFor([&] { return Window().id.empty(); }, 10s));
    screen->Shot("root", shots / "1-hidden-start.png");

    // A second start shows the running window and ends.
    std::vector<std::string> again = PcArgs();
    EXPECT_EQ(RunToEnd(kWine, again, logs, "second", 60s).status, 0);
    ASSERT_TRUE(WaitFor([&] { return !Window().id.empty(); }, 20s));
    const std::string pairing = "127.0.0.1:" + std::to_string(base);
    EXPECT_TRUE(WaitForShot("2-connect-panel",
                            [&](const fs::path& shot) {
                                return screen->Decode(shot) == pairing &&
                                       screen->Share(shot, kBanner, kCrossRed) > 0.001;
                            }))
        << "the QR code on the screen does not read " << pairing;

    // The phone scans the code and pairs: the connected panel and picture.
    phone = StartPairingPhone(HARBROOK_PHONE_EXE, base, logs);
    EXPECT_TRUE(WaitForShot("3-connected-panel", [&](const fs::path& shot) {
        return screen->Decode(shot).empty() && screen->Share(shot, kBanner, kTickGreen) > 0.002 &&
               screen->Share(shot, kBanner, kCrossRed) < 0.0005;
    })) << "no connected panel";

    // A backup whose phone stalls after a few pieces: the progress bar on
    // the banner while the PC waits for the next one.
    const auto backup =
        StartStalledBackup(HARBROOK_PHONE_EXE, base, sandbox.root() / "phone", logs);
    EXPECT_TRUE(WaitForShot(
        "4-banner-during-backup",
        [&](const fs::path& shot) { return screen->Share(shot, kBannerText, kTickGreen) > 0.002; },
        9s))
        << "no progress bar on the banner";

    // The window hidden, the backup's end is a balloon from the tray icon
    // (a tooltip in the info colour near the tray): the outcome and why.
    screen->Tool(XDOTOOL_EXE, {"key", "--window", Window().id, "Escape"});
    ASSERT_TRUE(WaitFor([&] { return Window().id.empty(); }, 10s));
    const fs::path balloon = shots / "4b-end-of-backup-balloon.png";
    EXPECT_TRUE(WaitFor(
        [&] {
            screen->Shot("root", balloon);
            return screen->Share(balloon, {0, 0, 1, 1}, kInfoYellow) > 0.002;
        },
        30s))
        << "no balloon at the backup's end (the screen: " << balloon << ")";
    backup->Wait(20s);
    EXPECT_EQ(RunToEnd(kWine, again, logs, "third", 60s).status, 0);
    ASSERT_TRUE(WaitFor([&] { return !Window().id.empty(); }, 20s));

    // Received Files: the category buttons with their pictures and titles.
    const XScreen::Window window = Window();
    screen->Click(window.id, window.width / 10, window.height * 121 / 340);
    EXPECT_TRUE(WaitForShot("5-received-files", [&](const fs::path& shot) {
        return screen->Share(shot, kPanel, kOtherOrange) > 0.003 &&
               screen->Share(shot, kPanel, kAlbumBlue) > 0.003 &&
               screen->Share(shot, kPanel, kTitleGreen) > 0.001;
    })) << "no Received Files panel";

    // A category button shows its face only while the pointer is over it:
    // the face's border adds its colour to the button's area.
    const double withoutFace =
        screen->Share(shots / "5-received-files.png", kAlbumButton, kFaceBorder);
    screen->Tool(XDOTOOL_EXE,
                 {"mousemove", "--window", window.id, std::to_string(window.width * 62 / 100),
                  std::to_string(window.height * 98 / 340)});
    EXPECT_TRUE(WaitForShot("5b-category-under-pointer", [&](const fs::path& shot) {
        return screen->Share(shot, kAlbumButton, kFaceBorder) > withoutFace + 0.01;
    })) << "no face on the button under the pointer";

    // Esc hides the window; the icon stays.
    screen->Tool(XDOTOOL_EXE, {"key", "--window", window.id, "Escape"});
    EXPECT_TRUE(WaitFor([&] { return Window().id.empty(); }, 10s)) << "Esc did not hide the window";
    EXPECT_TRUE(screen->TrayHoldsAnIcon());

    // "Quit" in the icon's menu removes the icon and ends the program.
    const auto [trayX, trayY, trayWidth, trayHeight] = screen->Geometry(screen->TrayWindow());
    ASSERT_GT(trayWidth, 0);
    // The pointer rests on the icon before the button goes down (a press that
    // came with the move was now and then lost), and a lost click is made again.
    XScreen::Window menu;
    const auto unnamed = screen->VisibleWindows("^$");
    bool menuShown = false;
    for (int attempt = 0; attempt < 3 && !menuShown; ++attempt) {
        screen->Tool(XDOTOOL_EXE,
                     {"mousemove", std::to_string(trayX + trayWidth - 11),
                      std::to_string(trayY + trayHeight / 2), "sleep", "0.5", "click", "3"});
        menuShown = WaitFor([&] { return !(menu = Menu(unnamed)).id.empty(); }, 5s);
    }
    if (!menuShown) screen->Shot("root", shots / "6-no-tray-menu.png");
    ASSERT_TRUE(menuShown) << "no tray menu (the screen: 6-no-tray-menu.png)";
    screen->Shot("root", shots / "6-tray-menu.png");
    screen->Click(menu.id, 30, menu.height - 10);  // the last item, "Quit"
    EXPECT_TRUE(WaitFor([&] { return !screen->TrayHoldsAnIcon(); }, 10s)) << "the icon stayed";
    EXPECT_EQ(pc->Wait(30s), 0) << pc->Err();
}

// Started as the Start menu or Explorer start it (ShellExecute, no console),
// the program opens no console window, and a failure that ends the start is a
// message box in the user's language that stays until the user closes it.
// From a console, the same program writes there.
TEST_F(WindowsWindowEndToEnd, NoConsoleFromTheStartMenuAndFailuresInABox) {
    const auto missing = WinPath(sandbox.root() / "no such folder");
    pc = std::make_unique<ChildProcess>(
        kWine,
        std::vector<std::string>{"start", "/unix", WIN_HARBROOK_EXE, "--language", "german",
                                 "--backup-root", missing},
        logs, "start-menu");
    XScreen::Window box;
    const auto boxes = [&] {
        for (const auto& w : screen->VisibleWindows("^Harbrook$"))
            if (w.height > 40 && w.height < 300) return w;
        return XScreen::Window{};
    };
    if (!WaitFor([&] { return !(box = boxes()).id.empty(); }, 60s)) {
        screen->Shot("root", shots / "7-no-start-failure-box.png");
        FAIL() << "no message box (the screen: 7-no-start-failure-box.png)";
    }
    screen->Shot(box.id, shots / "7-start-failure-box.png");
    EXPECT_TRUE(screen->VisibleWindows("console|harbrook\\.exe|^cmd").empty())
        << "a console window showed";
    screen->Tool(XDOTOOL_EXE, {"key", "--window", box.id, "Return"});
    EXPECT_TRUE(WaitFor([&] { return boxes().id.empty(); }, 10s)) << "the box stayed";

    // (Last: wine-run.sh runs its programs without the X screen.)
    const auto help =
        RunToEnd(WINE_RUN, {"cmd", "/c", WinPath(WIN_HARBROOK_EXE), "--help"}, logs, "help", 60s);
    EXPECT_EQ(help.status, 0) << help.err;
    EXPECT_NE(help.out.find("--backup-root DIR"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace harbrook::test
