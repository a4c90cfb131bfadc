// The Windows programs under wine64 against the Linux ones, both ways round,
// on loopback: pairing, a backup of a mixed folder compared byte for byte, a
// file sent back, and where the phone's record ends up.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <algorithm>

#include "core/settings_store.h"
#include "tests/app/e2e_phone.h"
#include "tests/interop/wine_support.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kPortsUsed = 14;  // the PC's 13 and the phone's detection port
const char* const kWideName = "report \u5199\u771F.pdf";  // CJK letters

std::string StripCr(std::string s) {
    s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    return s;
}

// A mixed phone folder: categories by extension, a subfolder, an empty file,
// a name with spaces and non-ASCII letters, sizes on and off the chunk size.
std::vector<fs::path> MakeSample(const fs::path& sample) {
    return MakePhoneFolder(sample, {{"DCIM/Camera/IMG_0001.jpg", 700000},
                                    {"clip.mp4", 1'200'000},
                                    {"notes.pdf", 5000},
                                    {"song.mp3", 300000},
                                    {"Grüße aus Köln.txt", 1234},
                                    {"empty.doc", 0}});
}

class WindowsInteropTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base = FreePortRun(kPortsUsed);
        ASSERT_NE(base, 0);
        fs::create_directories(backupRoot);
        fs::create_directories(logs);
        fs::create_directories(wineprefix);
        ::setenv("WINEPREFIX", wineprefix.c_str(), 1);
        // A fresh prefix takes a while to make; do it before anything times.
        const auto boot = RunToEnd(WINE_RUN, {"cmd", "/c", "echo ready"}, logs, "wineboot", 180s);
        ASSERT_EQ(boot.status, 0) << boot.out << boot.err;
    }
    void TearDown() override {
        RunToEnd("/usr/lib/wine/wineserver", {"-k"}, logs, "wineserver-k", 20s);
        for (const char* name : {"WINEPREFIX", "LOCPATH", "LC_ALL"}) ::unsetenv(name);
    }

    // Wine takes the user's language and code page from the Unix locale
    // ("de_DE"), made here in UTF-8 for what runs next; its server, which
    // keeps the language it started with, starts again.
    void UseLocale(const std::string& name) {
        RunToEnd("/usr/lib/wine/wineserver", {"-k"}, logs, "wineserver-k", 20s);
        const fs::path locales = sandbox.root() / "locales";
        const std::string locale = name + ".UTF-8";
        fs::create_directories(locales);
        if (!fs::exists(locales / locale)) {
            const auto made = RunToEnd("/usr/bin/localedef",
                                       {"-i", name, "-f", "UTF-8", (locales / locale).string()},
                                       logs, "localedef", 60s);
            ASSERT_TRUE(fs::exists(locales / locale)) << made.out << made.err;
        }
        ::setenv("LOCPATH", locales.c_str(), 1);
        ::setenv("LC_ALL", locale.c_str(), 1);
    }

    std::vector<std::string> PcArgs(const std::string& root) const {
        return {"--headless",         "--address",      "127.0.0.1",     "--ports-base",
                std::to_string(base), "--quick-timing", "--backup-root", root};
    }
    std::vector<std::string> Wine(const char* exe, std::vector<std::string> args) const {
        args.insert(args.begin(), exe);
        return args;
    }
    fs::path PhoneFolder() const { return backupRoot / "Backup of Harbrook" / "Test Pixel"; }

    Sandbox sandbox;
    int base = 0;
    fs::path backupRoot = sandbox.root() / "backups";
    fs::path logs = sandbox.root() / "logs";
    fs::path wineprefix = sandbox.root() / "wine";
};

TEST_F(WindowsInteropTest, WindowsHarbrookWithTheLinuxPhone) {
    ChildProcess pc(WINE_RUN, Wine(WIN_HARBROOK_EXE, PcArgs(WinPath(backupRoot))), logs, "pc");
    ASSERT_TRUE(pc.WaitForOutput("Pairing code: 127.0.0.1:" + std::to_string(base), 60s))
        << pc.Out() << pc.Err();
    ChildProcess phone(HARBROOK_PHONE_EXE, PhoneRunArgs(base), logs, "phone");
    ASSERT_TRUE(pc.WaitForOutput("] Connected: Connected to Test Pixel.", 30s))
        << pc.Out() << phone.Out() << phone.Err();

    const fs::path sample = sandbox.root() / "phone";
    const auto originals = MakeSample(sample);
    const auto backup = RunToEnd(HARBROOK_PHONE_EXE, PhoneBackupArgs(base, {sample.string()}), logs,
                                 "backup", 120s);
    EXPECT_EQ(backup.status, 0) << backup.out << backup.err;
    ASSERT_TRUE(pc.WaitForOutput("] Backup completed: 5 files", 30s)) << pc.Out();
    ExpectSameFiles(PhoneFolder(), originals);

    // A file back to the phone, handed over by a second start of the PC.
    const fs::path inbox = sandbox.root() / "phone-inbox";
    fs::create_directories(inbox);
    ChildProcess receiver(
        HARBROOK_PHONE_EXE,
        {"receive", "--out", inbox.string(), "--port", std::to_string(base + 11), "--count", "1"},
        logs, "receive");
    // A name outside every ANSI code page: it reaches harbrook.exe only
    // through the wide command line.
    const fs::path outgoing = sandbox.root() / kWideName;
    WritePatternFile(outgoing, 650000, 9);
    // Handed over without waiting: the running one tells the outcome.
    const auto send =
        RunToEnd(WINE_RUN, Wine(WIN_HARBROOK_EXE, {"--no-wait", "--send", WinPath(outgoing)}), logs,
                 "send", 60s);
    EXPECT_EQ(send.status, 0) << send.out << send.err;
    ASSERT_TRUE(pc.WaitForOutput("Transmission was completed.", 60s)) << pc.Out();
    EXPECT_EQ(receiver.Wait(30s), 0) << receiver.Out() << receiver.Err();
    EXPECT_EQ(ReadFileBytes(inbox / kWideName), ReadFileBytes(outgoing));

    // The phone's record is in the Windows registry of that prefix.
    const auto query = RunToEnd(
        WINE_RUN, {"reg", "query", "HKCU\\Software\\Harbrook\\Phone Information\\PhoneSection0"},
        logs, "reg", 60s);
    EXPECT_EQ(query.status, 0) << query.out << query.err;
    const std::string record = StripCr(query.out);
    EXPECT_NE(record.find("test-pixel-1"), std::string::npos) << record;
    EXPECT_NE(record.find("Test Pixel"), std::string::npos) << record;
}

// The phone names itself in the PC's ANSI code page: the headline and the
// backup folder show the name converted from it, under a Western (1252) and a
// Japanese (932) system locale, and a name that does not convert is
// "smartphone". (Wine takes the code page from the Unix locale, made here.)
TEST_F(WindowsInteropTest, PhoneNameFromTheAnsiCodePage) {
    struct Case {
        const char* locale;
        std::string sent, shown;
    };
    const Case cases[] = {{"de_DE",
                           "Gr\xFC\xDF"
                           "e Handy",
                           "Gr\u00FC\u00DF"
                           "e Handy"},
                          {"ja_JP", "\x8C\x67\x91\xD1 Pixel", "\u643A\u5E2F Pixel"},
                          {"ja_JP", "Pixel \x81\x20", ""}};
    ::setenv("WINEDEBUG", "-all", 1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale + (" " + c.shown));
        ASSERT_NO_FATAL_FAILURE(UseLocale(c.locale));
        const std::string locale = std::string(c.locale) + ".UTF-8";
        // (English texts whatever the locale.)
        auto pcArgs = PcArgs(WinPath(backupRoot));
        pcArgs.insert(pcArgs.end(), {"--language", "english"});
        ChildProcess pc("/usr/lib/wine/wine64", Wine(WIN_HARBROOK_EXE, pcArgs), logs,
                        "pc-" + locale);
        ASSERT_TRUE(pc.WaitForOutput("Pairing code: 127.0.0.1:" + std::to_string(base), 60s))
            << pc.Out() << pc.Err();
        auto args = PhoneRunArgs(base);
        *(std::find(args.begin(), args.end(), "--name") + 1) = c.sent;
        ChildProcess phone(HARBROOK_PHONE_EXE, args, logs, "phone");
        const std::string shown = c.shown.empty() ? "smartphone" : c.shown;
        EXPECT_TRUE(pc.WaitForOutput("] Connected: Connected to " + shown + ".", 30s)) << pc.Out();
        if (!c.shown.empty()) {
            const fs::path sample = sandbox.root() / "phone";
            fs::create_directories(sample);
            WritePatternFile(sample / "notes.pdf", 5000);
            const auto backup = RunToEnd(
                HARBROOK_PHONE_EXE, PhoneBackupArgs(base, {sample.string()}), logs, "backup", 120s);
            EXPECT_EQ(backup.status, 0) << backup.out << backup.err;
            EXPECT_TRUE(pc.WaitForOutput("] Backup completed: 1 file", 30s)) << pc.Out();
            EXPECT_TRUE(fs::is_directory(backupRoot / "Backup of Harbrook" / c.shown));
        }
        // Every wine process ends before the next locale's start.
        RunToEnd("/usr/lib/wine/wineserver", {"-k"}, logs, "wineserver-k", 20s);
        pc.Wait(20s);
    }
    ::unsetenv("WINEDEBUG");
}

TEST_F(WindowsInteropTest, LinuxHarbrookWithTheWindowsPhone) {
    ChildProcess pc(HARBROOK_EXE, PcArgs(backupRoot.string()), logs, "pc");
    ASSERT_TRUE(pc.WaitForOutput("Pairing code: 127.0.0.1:" + std::to_string(base), 20s))
        << pc.Out() << pc.Err();
    ChildProcess phone(WINE_RUN, Wine(WIN_HARBROOK_PHONE_EXE, PhoneRunArgs(base)), logs, "phone");
    ASSERT_TRUE(pc.WaitForOutput("] Connected: Connected to Test Pixel.", 60s))
        << pc.Out() << phone.Out() << phone.Err();

    // Folder names the Windows phone gets on its command line, outside
    // every ANSI code page.
    const fs::path sample = sandbox.root() / "phone \u5199\u771F";
    const auto originals = MakeSample(sample);
    const auto backup =
        RunToEnd(WINE_RUN, Wine(WIN_HARBROOK_PHONE_EXE, PhoneBackupArgs(base, {WinPath(sample)})),
                 logs, "backup", 120s);
    EXPECT_EQ(backup.status, 0) << backup.out << backup.err;
    ASSERT_TRUE(pc.WaitForOutput("] Backup completed: 5 files", 30s)) << pc.Out();
    ExpectSameFiles(PhoneFolder(), originals);

    const fs::path inbox = sandbox.root() / "inbox \u5199\u771F";
    fs::create_directories(inbox);
    ChildProcess receiver(
        WINE_RUN,
        Wine(WIN_HARBROOK_PHONE_EXE, {"receive", "--out", WinPath(inbox), "--port",
                                      std::to_string(base + 11), "--count", "1"}),
        logs, "receive");
    const fs::path outgoing = sandbox.root() / "report.pdf";
    WritePatternFile(outgoing, 650000, 9);
    // The later start waits for the outcome and prints it.
    const auto send = RunToEnd(HARBROOK_EXE, {"--send", outgoing.string()}, logs, "send", 60s);
    EXPECT_EQ(send.status, 0) << send.err;
    EXPECT_EQ(send.out.find("Transmission was completed."), 0u) << send.out << pc.Out();
    EXPECT_EQ(receiver.Wait(30s), 0) << receiver.Out() << receiver.Err();
    EXPECT_EQ(ReadFileBytes(inbox / "report.pdf"), ReadFileBytes(outgoing));

    std::string section;
    ASSERT_TRUE(CSettingsStore().FindPhoneSection("test-pixel-1", section));
    EXPECT_EQ(section, "Software\\Harbrook\\Phone Information\\PhoneSection0");

    pc.Signal(SIGTERM);
    EXPECT_EQ(pc.Wait(10s), 0) << pc.Err();
}

#ifdef WIN_HARBROOK_SETUP
// The installer, silent, into this test's own prefix on a German system: the
// program, its picture, the Start-menu entry and the uninstall record land per
// user, and the shortcuts the user sees are named in German. The installed
// program pairs, and the uninstaller, in English, takes it all away again.
TEST_F(WindowsInteropTest, SilentInstallThenTheInstalledProgramPairs) {
    ASSERT_NO_FATAL_FAILURE(UseLocale("de_DE"));
    // (Not through WINE_RUN, which runs everything in C.UTF-8.)
    const auto install =
        RunToEnd("/usr/lib/wine/wine64", {WIN_HARBROOK_SETUP, "/S"}, logs, "setup", 120s);
    ASSERT_EQ(install.status, 0) << install.out << install.err;
    RunToEnd("/usr/lib/wine/wineserver", {"-k"}, logs, "wineserver-k", 20s);
    for (const char* name : {"LOCPATH", "LC_ALL"}) ::unsetenv(name);
    fs::path folder;
    for (const auto& user : fs::directory_iterator(wineprefix / "drive_c" / "users")) {
        const fs::path candidate = user.path() / "AppData" / "Local" / "Programs" / "Harbrook";
        if (fs::exists(candidate / "harbrook.exe")) folder = candidate;
    }
    ASSERT_FALSE(folder.empty()) << "harbrook.exe is not under the user's programs";
    EXPECT_TRUE(fs::exists(folder / "mobile.jpg"));
    EXPECT_TRUE(fs::exists(folder / "uninstall.exe"));
    const fs::path roaming =
        folder.parent_path().parent_path().parent_path() / "Roaming" / "Microsoft" / "Windows";
    const fs::path links[] = {
        roaming / "Start Menu" / "Programs" / "Harbrook" / "Harbrook.lnk",
        roaming / "Start Menu" / "Programs" / "Harbrook" / "Harbrook deinstallieren.lnk",
        roaming / "SendTo" / "Handy (Harbrook).lnk"};
    for (const fs::path& link : links) EXPECT_TRUE(fs::exists(link)) << link;
    const auto record = RunToEnd(
        WINE_RUN,
        {"reg", "query", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Harbrook"},
        logs, "reg", 60s);
    EXPECT_NE(StripCr(record.out).find("uninstall.exe"), std::string::npos) << record.out;
    // Start at login is offered but not chosen by default.
    const auto run =
        RunToEnd(WINE_RUN,
                 {"reg", "query", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "/v",
                  "Harbrook"},
                 logs, "reg-run", 60s);
    EXPECT_NE(run.status, 0) << run.out;

    {
        ChildProcess pc(WINE_RUN,
                        Wine(WinPath(folder / "harbrook.exe").c_str(), PcArgs(WinPath(backupRoot))),
                        logs, "installed");
        ASSERT_TRUE(pc.WaitForOutput("Pairing code: 127.0.0.1:" + std::to_string(base), 60s))
            << pc.Out() << pc.Err();
        ChildProcess phone(HARBROOK_PHONE_EXE, PhoneRunArgs(base), logs, "phone");
        EXPECT_TRUE(pc.WaitForOutput("] Connected: Connected to Test Pixel.", 30s))
            << pc.Out() << phone.Out() << phone.Err();
        RunToEnd("/usr/lib/wine/wineserver", {"-k"}, logs, "wineserver-k", 20s);
    }

    // "_?=" runs the uninstaller in place, so that it ends when it is done.
    const auto uninstall =
        RunToEnd(WINE_RUN, {WinPath(folder / "uninstall.exe"), "/S", "_?=" + WinPath(folder)}, logs,
                 "uninstall", 120s);
    EXPECT_EQ(uninstall.status, 0) << uninstall.out << uninstall.err;
    EXPECT_FALSE(fs::exists(folder / "harbrook.exe"));
    EXPECT_FALSE(fs::exists(folder / "mobile.jpg"));
    for (const fs::path& link : links) EXPECT_FALSE(fs::exists(link)) << link;
}
#endif

}  // namespace
}  // namespace harbrook::test
