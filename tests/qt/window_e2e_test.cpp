// The real program under Xvfb with trayer as the notification area, driven
// by xdotool and the phone stand-in, judged by screenshots: the QR code must
// decode, the banner and the panels must show the state in their colours.
// The screenshots stay in the build folder for people to look at.
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>
#include <sstream>

#include "tests/app/child_process.h"
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

struct Region {
    double left, top, right, bottom;  // fractions of the window
};
constexpr Region kBanner{0.0, 0.0, 1.0, 0.14};
constexpr Region kBannerText{0.325, 0.0, 0.98, 0.14};  // right of the status picture
constexpr Region kPanel{0.27, 0.17, 1.0, 1.0};

class WindowEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(logs);
        fs::create_directories(shots);
        fs::create_directories(backupRoot);
        base = FreePortRun(kPortsUsed);
        ASSERT_NE(base, 0);
        // Xvfb picks a free display and tells it on its stdout. -noreset: the
        // server would otherwise reset when its last client leaves (the tray
        // and the program between two starts) and refuse the next for a moment.
        xvfb = std::make_unique<ChildProcess>(
            XVFB_EXE,
            std::vector<std::string>{"-displayfd", "1", "-noreset", "-screen", "0", "1280x900x24",
                                     "-nolisten", "tcp"},
            logs, "xvfb");
        ASSERT_TRUE(WaitFor([&] { return xvfb->Out().find('\n') != std::string::npos; }, 20s))
            << xvfb->Err();
        SetEnv("DISPLAY", ":" + xvfb->Out().substr(0, xvfb->Out().find('\n')));
    }
    void TearDown() override {
        pc.reset();
        phone.reset();
        if (tray) Stop(*tray);
        if (xvfb) Stop(*xvfb);  // lets it remove its lock and socket
        UnsetEnv("DISPLAY");
    }
    static void Stop(ChildProcess& child) {
        child.Signal(SIGTERM);
        child.Wait(5s);
    }

    void StartTray() {
        tray = std::make_unique<ChildProcess>(
            TRAYER_EXE,
            std::vector<std::string>{"--edge", "top", "--align", "right", "--widthtype", "request",
                                     "--height", "32"},
            logs, "trayer");
        ASSERT_TRUE(WaitFor([&] { return !TrayWindow().empty(); }, 10s));
    }
    std::string TrayWindow() const {
        // trayer's panel: 2 pixels wide when empty, wider by each icon.
        return FirstLine(Run(XDOTOOL_EXE, {"search", "--classname", "^panel$"}).out);
    }
    // The program's visible windows: the main window, the backup reminder
    // and, once it is named, the icon in the tray.
    struct Shown {
        std::string id;
        int width = 0, height = 0;
    };
    std::vector<Shown> HarbrookWindows() const {
        std::vector<Shown> found;
        std::istringstream ids(
            Run(XDOTOOL_EXE, {"search", "--onlyvisible", "--name", "^Harbrook$"}).out);
        for (std::string id; std::getline(ids, id);) {
            const auto geometry = Run(XDOTOOL_EXE, {"getwindowgeometry", id}).out;
            std::smatch m;
            if (std::regex_search(geometry, m, std::regex("Geometry: (\\d+)x(\\d+)")))
                found.push_back({id, std::stoi(m[1]), std::stoi(m[2])});
        }
        return found;
    }
    bool TrayHoldsAnIcon() const {
        const auto geometry = Run(XDOTOOL_EXE, {"getwindowgeometry", TrayWindow()}).out;
        std::smatch m;
        return std::regex_search(geometry, m, std::regex("Geometry: (\\d+)x")) &&
               std::stoi(m[1]) >= 16;
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
    // The main window (340 dialog units tall) and the reminder (117), when on show.
    static bool IsMainWindow(const Shown& w) { return w.width > 200 && w.height >= 400; }
    static bool IsReminder(const Shown& w) { return w.width > 200 && w.height < 400; }
    std::string Window() const {
        for (const auto& w : HarbrookWindows())
            if (IsMainWindow(w)) return w.id;
        return {};
    }
    std::string Reminder() const {
        for (const auto& w : HarbrookWindows())
            if (IsReminder(w)) return w.id;
        return {};
    }
    int WindowHeight() const {
        for (const auto& w : HarbrookWindows())
            if (IsMainWindow(w)) return w.height;
        return 0;
    }
    fs::path Shot(const std::string& name) const {
        const fs::path file = shots / (name + ".png");
        Run(IMPORT_EXE, {"-window", Window().empty() ? "root" : Window(), file.string()});
        return file;
    }
    // The share of a region's pixels that have the colour (within a few percent).
    double Share(const fs::path& shot, Region r, const char* colour) const {
        const auto size = Run(IDENTIFY_EXE, {"-format", "%w %h", shot.string()}).out;
        int w = 0, h = 0;
        if (std::sscanf(size.c_str(), "%d %d", &w, &h) != 2) return 0;
        const int left = int(r.left * w), top = int(r.top * h);
        const std::string crop = std::to_string(int(r.right * w) - left) + "x" +
                                 std::to_string(int(r.bottom * h) - top) + "+" +
                                 std::to_string(left) + "+" + std::to_string(top);
        const auto mean =
            Run(CONVERT_EXE, {shot.string(), "-crop", crop, "+repage", "-fuzz", "8%", "-fill",
                              "black", "+opaque", colour, "-fill", "white", "-opaque", colour,
                              "-colorspace", "Gray", "-format", "%[fx:mean]", "info:"})
                .out;
        return std::atof(mean.c_str());
    }
    // Takes screenshots until one satisfies the check.
    bool WaitForShot(const std::string& name, const std::function<bool(const fs::path&)>& check,
                     std::chrono::milliseconds deadline = 15s) const {
        return WaitFor([&] { return !Window().empty() && check(Shot(name)); }, deadline);
    }
    std::string Decode(const fs::path& shot) const {
        return FirstLine(Run(ZBARIMG_EXE, {"-q", "--raw", shot.string()}).out);
    }
    void ClickNavigation(double fromTop) const {
        // The navigation buttons' middles, as fractions of the window.
        Run(XDOTOOL_EXE, {"mousemove", "--window", Window(), "70",
                          std::to_string(int(fromTop * WindowHeight())), "click", "1"});
    }
    Finished Run(const fs::path& program, std::vector<std::string> args) const {
        return RunToEnd(program, std::move(args), logs, "tool", 20s);
    }
    static std::string FirstLine(const std::string& text) {
        return text.substr(0, text.find('\n'));
    }

    Sandbox sandbox;
    const fs::path logs = sandbox.root() / "logs";
    const fs::path shots = HARBROOK_SHOTS_DIR;
    const fs::path backupRoot = sandbox.root() / "backups";
    int base = 0;
    std::unique_ptr<ChildProcess> xvfb, tray, pc, phone;
};

TEST_F(WindowEndToEnd, TrayStartPairingBackupAndAWindowWithoutTray) {
    StartTray();
    StartPc();
    // A first start shows the icon in the tray and the backup reminder, not
    // the window; Esc closes the reminder.
    ASSERT_TRUE(WaitFor([&] { return TrayHoldsAnIcon(); }, 15s)) << pc->Err();
    ASSERT_TRUE(WaitFor([&] { return !Reminder().empty(); }, 10s));
    EXPECT_TRUE(Window().empty());
    Run(IMPORT_EXE, {"-window", "root", (shots / "1-hidden-start.png").string()});
    Run(XDOTOOL_EXE, {"windowfocus", "--sync", Reminder(), "key", "Escape"});
    EXPECT_TRUE(WaitFor([&] { return Reminder().empty(); }, 10s));

    // A second start shows the running window and ends.
    EXPECT_EQ(RunToEnd(HARBROOK_EXE, PcArgs(), logs, "second").status, 0);
    ASSERT_TRUE(WaitFor([&] { return !Window().empty(); }, 10s));
    const std::string pairing = "127.0.0.1:" + std::to_string(base);
    EXPECT_TRUE(WaitForShot("2-connect-panel",
                            [&](const fs::path& shot) { return Decode(shot) == pairing; }))
        << "the QR code on the screen does not read " << pairing;

    // The phone scans the code and pairs: the connected panel and picture.
    phone = std::make_unique<ChildProcess>(
        HARBROOK_PHONE_EXE,
        std::vector<std::string>{
            "run", pairing, "--address", "127.0.0.1", "--name", "Test Pixel", "--id", "e2e-pixel",
            "--interval", "500", "--beacon-port", std::to_string(base + 9), "--detect-port",
            std::to_string(base + 13), "--disconnect-port", std::to_string(base + 12)},
        logs, "phone");
    EXPECT_TRUE(WaitForShot("3-connected-panel", [&](const fs::path& shot) {
        return Decode(shot).empty() && Share(shot, kBanner, kTickGreen) > 0.002 &&
               Share(shot, kPanel, kCardBlue) > 0.04;
    })) << "no connected panel";

    // A backup whose phone stalls after a few pieces: the PC waits for the
    // next one for ten seconds, with the progress bar on the banner.
    const fs::path sample = sandbox.root() / "phone" / "DCIM";
    fs::create_directories(sample);
    WritePatternFile(sample / "IMG_0001.jpg", 3'000'000);
    ChildProcess backup(HARBROOK_PHONE_EXE,
                        {"backup", "--pc", "127.0.0.1:" + std::to_string(base + 6),
                         "--vanish-after", "3", sample.parent_path().string()},
                        logs, "backup");
    EXPECT_TRUE(WaitForShot(
        "4-banner-during-backup",
        [&](const fs::path& shot) { return Share(shot, kBannerText, kTickGreen) > 0.002; }, 9s))
        << "no progress bar on the banner";
    backup.Wait(20s);

    // Received Files: the category buttons.
    ClickNavigation(121.0 / 340);
    EXPECT_TRUE(WaitForShot("5-received-files", [&](const fs::path& shot) {
        return Share(shot, kPanel, kOtherOrange) > 0.003 && Share(shot, kPanel, kAlbumBlue) > 0.003;
    })) << "no Received Files panel";

    pc->Signal(SIGTERM);
    EXPECT_EQ(pc->Wait(10s), 0) << pc->Err();

    // Without a notification area the window shows at start.
    Stop(*tray);
    tray.reset();
    StartPc();
    EXPECT_TRUE(WaitFor([&] { return !Window().empty(); }, 10s));
    EXPECT_TRUE(Reminder().empty()) << "the reminder came again the same day";
    Shot("6-without-tray");
    pc->Signal(SIGTERM);
    EXPECT_EQ(pc->Wait(10s), 0) << pc->Err();
}

}  // namespace
}  // namespace harbrook::test
