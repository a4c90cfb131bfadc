// The harbrook executable end to end, with harbrook-phone as the phone, on
// loopback and on ports of its own.
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <set>

#include "app/backup_history.h"
#include "backup/manifest.h"
#include "core/settings_store.h"
#include "platform/profile.h"
#include "platform/single_instance.h"
#include "tests/app/child_process.h"
#include "tests/app/e2e_phone.h"
#include "tests/support/sandbox.h"

namespace harbrook::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kPortsUsed = 14;  // the PC's 13 and the phone's detection port

class HarbrookProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base = FreePortRun(kPortsUsed);
        ASSERT_NE(base, 0);
        fs::create_directories(backupRoot);
        fs::create_directories(logs);
    }

    std::vector<std::string> PcArgs(std::vector<std::string> more = {}) const {
        std::vector<std::string> args{"--headless",   "--address",          "127.0.0.1",
                                      "--ports-base", std::to_string(base), "--quick-timing"};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }
    std::unique_ptr<ChildProcess> StartPc(const std::string& tag = "pc") {
        auto pc = std::make_unique<ChildProcess>(
            HARBROOK_EXE, PcArgs({"--backup-root", backupRoot.string()}), logs, tag);
        EXPECT_TRUE(pc->WaitForOutput("Pairing code: 127.0.0.1:" + std::to_string(base), 10s))
            << pc->Out() << pc->Err();
        return pc;
    }
    Finished Pc(std::vector<std::string> args, const std::string& tag,
                std::chrono::milliseconds deadline = 20s) const {
        return RunToEnd(HARBROOK_EXE, std::move(args), logs, tag, deadline);
    }
    std::unique_ptr<ChildProcess> StartPhone() {
        return std::make_unique<ChildProcess>(HARBROOK_PHONE_EXE, PhoneRunArgs(base), logs,
                                              "phone");
    }
    Finished PhoneBackup(std::vector<std::string> more, const std::string& tag) const {
        return RunToEnd(HARBROOK_PHONE_EXE, PhoneBackupArgs(base, std::move(more)), logs, tag, 60s);
    }
    // The phone, once the PC says it is connected.
    std::unique_ptr<ChildProcess> ConnectPhone(ChildProcess& pc) {
        auto phone = StartPhone();
        EXPECT_TRUE(pc.WaitForOutput("] Connected: Connected to Test Pixel.", 10s))
            << pc.Out() << phone->Out() << phone->Err();
        return phone;
    }
    fs::path PhoneFiles(const std::vector<std::pair<fs::path, std::uintmax_t>>& files,
                        const std::string& folder = "phone") const {
        MakePhoneFolder(sandbox.root() / folder, files);
        return sandbox.root() / folder;
    }
    fs::path PhoneFolder() const { return backupRoot / "Backup of Harbrook" / "Test Pixel"; }

    Sandbox sandbox;
    int base = 0;
    fs::path backupRoot = sandbox.root() / "backups";
    fs::path logs = sandbox.root() / "logs";
};

TEST_F(HarbrookProcessTest, ASecondStartShowsTheFirstAndHandsOverFilesToSend) {
    auto pc = StartPc();
    EXPECT_TRUE(pc->WaitForOutput("Harbrook is running. Not connected.", 5s)) << pc->Out();

    const auto second = Pc(PcArgs(), "second");
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "");
    // The first one opens its "window": the code and the state once more.
    EXPECT_TRUE(pc->WaitForOutput("Pairing code: 127.0.0.1:", 5s, 2)) << pc->Out();
    EXPECT_TRUE(pc->WaitForOutput("] Not connected. Open Harbrook on your mobile", 5s));

    const fs::path file = sandbox.root() / "note.txt";
    WritePatternFile(file, 10);
    // The sender hears the outcome; with --no-wait the running one says it.
    const auto send = Pc({"--send", file.string()}, "send");
    EXPECT_EQ(send.status, 1);
    EXPECT_EQ(send.err, "harbrook: You need to connect your phone to send files.\n");
    EXPECT_EQ(pc->Out().find("You need to connect your phone"), std::string::npos);
    const auto handed = Pc({"--send", file.string(), "--no-wait"}, "no-wait");
    EXPECT_EQ(handed.status, 0) << handed.err;
    EXPECT_EQ(handed.err, "");
    EXPECT_TRUE(pc->WaitForOutput("You need to connect your phone to send files.", 5s));

    const auto missing = Pc({"--send", (sandbox.root() / "nope.txt").string()}, "missing");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("not a file"), std::string::npos);

    pc->Signal(SIGINT);
    EXPECT_EQ(pc->Wait(5s), 0);
    EXPECT_NE(pc->Out().find("Quitting (SIGINT)."), std::string::npos);
}

TEST_F(HarbrookProcessTest, ASecondStartThatCannotReachTheFirstEndsSilentlyAndAtOnce) {
    // A "first instance" that holds the claim but never listens.
    fs::create_directories(sandbox.appData());
    platform::SingleInstance holder;
    ASSERT_EQ(holder.TryClaim(sandbox.appData()), platform::SingleInstance::Claim::First);
    fs::remove(sandbox.appData() / "harbrook.sock");  // and nobody to take a request
    // It used to wait about 7 s; a generous bound, well below that.
    const auto second = Pc(PcArgs(), "second", 4s);
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "");
    // A send or a disconnect that does not arrive is reported, in one line.
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--send", HARBROOK_EXE}, {"--disconnect"}}) {
        const auto run = Pc(args, "handover", 4s);
        EXPECT_EQ(run.status, 1) << args[0];
        EXPECT_NE(run.err.find("already running but cannot be reached"), std::string::npos);
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1);
    }
}

// A running Harbrook may back up into the same manifest at any moment:
// --record adds nothing while one runs, and keeps one from starting while it
// records.
TEST_F(HarbrookProcessTest, RecordingWaitsForNoHarbrookToRun) {
    fs::create_directories(PhoneFolder() / "Camera");
    WritePatternFile(PhoneFolder() / "Camera" / "old.jpg", 1000);
    const std::vector<std::string> record{"--verify", "--record", "--backup-root",
                                          backupRoot.string()};
    {
        fs::create_directories(sandbox.appData());
        platform::SingleInstance running;
        ASSERT_EQ(running.TryClaim(sandbox.appData()), platform::SingleInstance::Claim::First);
        const auto refused = Pc(record, "refused");
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find("Quit Harbrook"), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(PhoneFolder() / kManifestFileName));
    }
    const auto recorded = Pc(record, "recorded");
    EXPECT_EQ(recorded.status, 0) << recorded.err;
    EXPECT_TRUE(fs::exists(PhoneFolder() / kManifestFileName));
}

TEST_F(HarbrookProcessTest, WithoutADataFolderItRunsAndSaysSoOnce) {
    const fs::path blocked = sandbox.root() / "a-file-not-a-folder";
    WritePatternFile(blocked, 1);
    const std::string dataHome = std::getenv("XDG_DATA_HOME");
    ::setenv("XDG_DATA_HOME", blocked.c_str(), 1);
    auto pc = StartPc();
    ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    EXPECT_TRUE(pc->WaitForOutput("Harbrook is running. Not connected.", 5s)) << pc->Err();
    EXPECT_EQ(Count(pc->Out(), "cannot create its data folder"), 1u) << pc->Out();
    pc->Signal(SIGTERM);
    EXPECT_EQ(pc->Wait(2s), 0);
}

// A display that cannot be opened (the stale DISPLAY of an SSH login) gives
// the terminal, not a crash.
TEST_F(HarbrookProcessTest, ADisplayThatCannotBeOpenedGivesTheTerminal) {
    const ClearedEnv cleared{"DISPLAY", "WAYLAND_DISPLAY"};
    SetEnv("DISPLAY", ":8191");
    auto args = PcArgs({"--backup-root", backupRoot.string()});
    args.erase(args.begin());  // not --headless
    ChildProcess pc(HARBROOK_EXE, args, logs, "nodisplay");
    EXPECT_TRUE(pc.WaitForOutput("Pairing code: 127.0.0.1:" + std::to_string(base), 10s))
        << pc.Err();
    EXPECT_NE(pc.Err().find("running in the terminal"), std::string::npos) << pc.Err();
    pc.Signal(SIGTERM);
    EXPECT_EQ(pc.Wait(5s), 0) << pc.Err();
}

TEST_F(HarbrookProcessTest, ALockThatCannotBeTakenRefusesToStart) {
    fs::create_directories(sandbox.appData() / "harbrook.lock");
    const auto run = Pc(PcArgs(), "nolock");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot tell whether Harbrook already runs"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.out.find("Pairing code"), std::string::npos) << "it must not start";
}

TEST_F(HarbrookProcessTest, BadInputIsRefusedWithOneLineAndNothingChanges) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--frobnicate"},  // one parse error: options_test has every reason
             {"--backup-root", (sandbox.root() / "missing").string()},
             {"--backup-root", HARBROOK_EXE},
             {"--backup-root", "/proc"},
         }) {
        const auto run = Pc(args, "bad");
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_EQ(run.out, "");
        ASSERT_FALSE(run.err.empty());
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    }
    EXPECT_NE(Pc({"--backup-root", "/proc"}, "ro").err.find("is not writable"), std::string::npos);
    EXPECT_NE(Pc({"--backup-root", (sandbox.root() / "missing").string()}, "m")
                  .err.find("does not exist"),
              std::string::npos);
    EXPECT_FALSE(fs::exists(sandbox.hiveFile()));  // no setting was written
    EXPECT_FALSE(fs::exists(sandbox.appData()));

    const auto help = Pc({"--help"}, "help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--ports-base"), std::string::npos);
    const auto version = Pc({"--version"}, "version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("harbrook ", 0), 0u);

    // A usable root is stored as the user's choice.
    const auto history = Pc({"--backup-root", backupRoot.string(), "--history"}, "good");
    EXPECT_EQ(history.status, 0);
    EXPECT_NE(history.out.find("No backup has been recorded yet."), std::string::npos);
    auto pc = StartPc();
    fs::path stored;
    ASSERT_TRUE(CSettingsStore().ReadRootDirectory(stored));
    EXPECT_EQ(stored, backupRoot);
}

TEST_F(HarbrookProcessTest, PairBackUpSendAndDisconnect) {
    auto pc = StartPc();
    auto phone = ConnectPhone(*pc);
    EXPECT_TRUE(pc->WaitForOutput("] Paired with Test Pixel (test-pixel-1)", 1s));

    const fs::path sample = sandbox.root() / "phone";
    const auto originals = MakePhoneFolder(sample, {{"DCIM/IMG_0001.jpg", 700000},
                                                    {"clip.mp4", 1'200'000},
                                                    {"notes.pdf", 5000},
                                                    {"song.mp3", 299999}});
    const auto backup = PhoneBackup({sample.string()}, "backup");
    EXPECT_EQ(backup.status, 0) << backup.out << backup.err;
    ASSERT_TRUE(pc->WaitForOutput("] Backup completed: 4 files, 2.2 MB", 10s)) << pc->Out();
    // (The console's lines for each event are console_output_test's.)
    EXPECT_NE(pc->Out().find("] Received IMG_0001.jpg (700.0 kB) into "), std::string::npos);
    ExpectSameFiles(PhoneFolder(), originals);

    const fs::path inbox = sandbox.root() / "phone-inbox";
    fs::create_directories(inbox);
    ChildProcess receiver(
        HARBROOK_PHONE_EXE,
        {"receive", "--out", inbox.string(), "--port", std::to_string(base + 11), "--count", "1"},
        logs, "receive");
    const fs::path outgoing = sandbox.root() / "report.pdf";
    WritePatternFile(outgoing, 650000, 9);
    // The receiver may take a moment to bind; ZeroMQ connects in the background.
    const auto send = Pc({"--send", outgoing.string()}, "send");
    EXPECT_EQ(send.status, 0) << send.err;
    EXPECT_EQ(send.out.find("Transmission was completed."), 0u) << send.out;
    EXPECT_NE(send.out.find("You can also use the phone's file manager"), std::string::npos);
    EXPECT_NE(pc->Out().find("] Sending...\n"), std::string::npos);
    EXPECT_NE(pc->Out().find("] Progress: 100%  650.0 kB of 650.0 kB"), std::string::npos)
        << pc->Out();
    EXPECT_EQ(receiver.Wait(10s), 0) << receiver.Out() << receiver.Err();
    EXPECT_EQ(ReadFileBytes(inbox / "report.pdf"), ReadFileBytes(outgoing));

    // The user's disconnect, handed over by a later start, reaches the phone.
    const auto disconnect = Pc({"--disconnect"}, "disconnect");
    EXPECT_EQ(disconnect.status, 0) << disconnect.err;
    EXPECT_TRUE(pc->WaitForOutput("] Disconnected. Not connected.", 10s)) << pc->Out();
    EXPECT_TRUE(phone->WaitForOutput("the PC disconnected", 10s)) << phone->Out();

    pc->Signal(SIGTERM);
    EXPECT_EQ(pc->Wait(5s), 0);
    EXPECT_EQ(pc->Err().find("Sanitizer"), std::string::npos) << pc->Err();

    const auto records = ReadBackupHistory(sandbox.appData() / kHistoryFileName);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].outcome, BackupOutcome::Completed);
    EXPECT_EQ(records[0].phone, "Test Pixel");
    EXPECT_EQ(records[0].files, 4);
    EXPECT_EQ(records[0].bytes, 700000 + 1'200'000 + 5000 + 299999);
}

// Every way a send from the command line can end, as the sender sees it:
// the message in one line and status 1 unless every file went.
TEST_F(HarbrookProcessTest, SendTellsTheSenderHowItEnded) {
    auto pc = StartPc();
    auto phone = ConnectPhone(*pc);
    const fs::path inbox = sandbox.root() / "phone-inbox";
    const auto receiver = [&](std::vector<std::string> more, const std::string& tag) {
        std::vector<std::string> args{"receive", "--out", inbox.string(), "--port",
                                      std::to_string(base + 11)};
        args.insert(args.end(), more.begin(), more.end());
        auto r = std::make_unique<ChildProcess>(HARBROOK_PHONE_EXE, args, logs, tag);
        EXPECT_TRUE(r->WaitForOutput("listening on", 5s)) << r->Err();
        return r;
    };
    const fs::path small = sandbox.root() / "small.txt";
    const fs::path large = sandbox.root() / "large.bin";
    WritePatternFile(small, 1000, 1);
    WritePatternFile(large, 3'000'000, 2);
    const auto expectRefused = [](const Finished& run, const std::string& message) {
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "harbrook: " + message + "\n");
    };

    {  // the phone refuses: no room
        auto r = receiver({"--space", "10"}, "refuse");
        expectRefused(Pc({"--send", small.string()}, "no-space"),
                      "The phone does not have enough space.");
    }
    {  // the phone goes away in the middle
        auto r = receiver({"--drop-after", "1"}, "drop");
        expectRefused(Pc({"--send", large.string()}, "dropped"),
                      "The connection between the phone and the computer has been disconnected.");
    }
    // Nobody takes the send at all.
    expectRefused(Pc({"--send", small.string()}, "no-answer"),
                  "The phone did not answer. Open the app on the phone, then send the files "
                  "again.");
    {  // a slow phone: a second send while the first runs is refused
        auto r = receiver({"--piece-delay", "300"}, "slow");
        ChildProcess first(HARBROOK_EXE, {"--send", large.string()}, logs, "first");
        ASSERT_TRUE(pc->WaitForOutput("] Sending...", 10s, 4)) << pc->Out();
        expectRefused(Pc({"--send", small.string()}, "second"),
                      "A send is already in progress. Wait until it has ended, then send again.");
        EXPECT_EQ(first.Wait(20s), 0) << first.Err();
        EXPECT_EQ(first.Out().find("Transmission was completed."), 0u) << first.Out();
        EXPECT_EQ(ReadFileBytes(inbox / "large.bin"), ReadFileBytes(large));
    }
    pc->Signal(SIGTERM);
    EXPECT_EQ(pc->Wait(5s), 0);
}

// The file manager's "Send to phone" with Harbrook closed starts it with
// the files; without a phone it asks for one, and a later send from the
// file manager is told by the running one, not by the start that handed it.
TEST_F(HarbrookProcessTest, SendToPhoneStartsHarbrookWhenItIsClosed) {
    const fs::path file = sandbox.root() / "photo.jpg";
    WritePatternFile(file, 5000, 3);
    ChildProcess pc(HARBROOK_EXE, PcArgs({"--notify", "--send", file.string()}), logs, "launcher");
    ASSERT_TRUE(
        pc.WaitForOutput("No phone is connected. Connect your phone, then send the files "
                         "again.",
                         10s))
        << pc.Out() << pc.Err();
    EXPECT_NE(pc.Out().find("Pairing code: 127.0.0.1:" + std::to_string(base)), std::string::npos);

    auto phone = ConnectPhone(pc);
    const fs::path inbox = sandbox.root() / "phone-inbox";
    ChildProcess receiver(HARBROOK_PHONE_EXE,
                          {"receive", "--out", inbox.string(), "--port", std::to_string(base + 11)},
                          logs, "receive");
    const auto again = Pc({"--notify", "--send", file.string()}, "again");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.out + again.err, "");
    EXPECT_TRUE(pc.WaitForOutput("Transmission was completed.", 15s)) << pc.Out();
    EXPECT_EQ(ReadFileBytes(inbox / "photo.jpg"), ReadFileBytes(file));
    pc.Signal(SIGTERM);
    EXPECT_EQ(pc.Wait(5s), 0);
}

TEST_F(HarbrookProcessTest, TheHistoryKeepsAGoodAndAFailedBackup) {
    auto pc = StartPc();
    auto phone = ConnectPhone(*pc);
    const fs::path sample = PhoneFiles({{"a.jpg", 1000}, {"b.txt", 2000}});

    EXPECT_EQ(PhoneBackup({sample.string()}, "good").status, 0);
    ASSERT_TRUE(pc->WaitForOutput("] Backup completed: 2 files", 10s)) << pc->Out();
    PhoneBackup({"--category", "bogus", "--timeout", "1000", sample.string()}, "bad");
    ASSERT_TRUE(pc->WaitForOutput("] Backup failed\n", 10s)) << pc->Out();
    ASSERT_TRUE(pc->WaitForOutput("] Backup failed: 0 files", 5s)) << pc->Out();
    // The phone delivers one byte short, twice: "fileError", then accepted short.
    PhoneBackup({"--short", "3", "--timeout", "3000", sample.string()}, "short");
    ASSERT_TRUE(pc->WaitForOutput("incomplete", 10s)) << pc->Out();

    const auto table = Pc({"--history"}, "history");
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(Count(table.out, " completed\n"), 2u) << table.out;
    EXPECT_EQ(Count(table.out, " failed\n"), 1u) << table.out;
    EXPECT_NE(table.out.find("    incomplete: a.jpg"), std::string::npos) << table.out;

    // The phone says it has gone.
    const auto notice =
        RunToEnd(HARBROOK_PHONE_EXE,
                 {"notice", "--pc", "127.0.0.1", "--notice-port", std::to_string(base + 10)}, logs,
                 "notice");
    EXPECT_EQ(notice.status, 0) << notice.err;
    EXPECT_TRUE(pc->WaitForOutput("] Disconnected. Not connected.", 10s)) << pc->Out();
    const auto records = ReadBackupHistory(sandbox.appData() / kHistoryFileName);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].files, 2);
    EXPECT_EQ(records[0].bytes, 3000);
    EXPECT_EQ(records[1].outcome, BackupOutcome::Failed);
    EXPECT_FALSE(records[2].incomplete.empty());
}

TEST_F(HarbrookProcessTest, QuittingDuringABackupLeavesNothingUnderTheFilesName) {
    auto pc = StartPc();
    auto phone = ConnectPhone(*pc);
    const fs::path sample = PhoneFiles({{"big.mp4", 3'000'000}});
    // The phone falls silent after two chunks; the PC waits for the third.
    ChildProcess backup(HARBROOK_PHONE_EXE,
                        PhoneBackupArgs(base, {"--vanish-after", "2", sample.string()}), logs,
                        "backup");
    ASSERT_TRUE(backup.WaitForOutput("vanishing in the middle of big.mp4", 10s)) << backup.Out();
    pc->Signal(SIGTERM);
    EXPECT_EQ(pc->Wait(2s), 0) << pc->Err();  // a quit keeps its deadline
    EXPECT_EQ(pc->Err().find("Sanitizer"), std::string::npos) << pc->Err();
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(PhoneFolder(), ec))
        EXPECT_FALSE(e.is_regular_file() && e.path().filename() != kManifestFileName)
            << "left behind: " << e.path();
    const auto records = ReadBackupHistory(sandbox.appData() / kHistoryFileName);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].outcome, BackupOutcome::Disconnected);
}

// Another device on the network, beside the paired phone: its backup is not
// answered and lands nowhere.
TEST_F(HarbrookProcessTest, AStrangersBackupIsNotAnswered) {
    auto pc = StartPc();
    auto phone = ConnectPhone(*pc);
    const fs::path sample = PhoneFiles({{"evil.jpg", 1000}}, "stranger");
    const auto stranger =
        PhoneBackup({"--from", "127.0.0.2", "--timeout", "1500", sample.string()}, "stranger");
    EXPECT_NE(stranger.status, 0);
    EXPECT_NE(stranger.out.find("no answer to the total"), std::string::npos) << stranger.out;
    EXPECT_EQ(pc->Out().find("] Backing up files"), std::string::npos) << pc->Out();
    EXPECT_FALSE(fs::exists(PhoneFolder() / "Other pictures videos" / "evil.jpg"));
    EXPECT_EQ(PhoneBackup({sample.string()}, "phone-backup").status, 0);
    EXPECT_TRUE(pc->WaitForOutput("] Backup completed: 1 file", 10s)) << pc->Out();
}

TEST_F(HarbrookProcessTest, SpeaksTheSystemsLanguageOrTheConfiguredOne) {
    // ctest runs every test under LC_ALL=C.UTF-8; the children here get the
    // locale each step sets, and it is restored at the end.
    const ClearedEnv locale{"LC_ALL", "LC_MESSAGES", "LANG"};
    const auto runUntilCode = [&](const std::string& tag, const std::string& code) {
        ChildProcess pc(HARBROOK_EXE, PcArgs(), logs, tag);
        EXPECT_TRUE(pc.WaitForOutput(code + "127.0.0.1:" + std::to_string(base), 10s))
            << pc.Out() << pc.Err();
        pc.Signal(SIGINT);
        EXPECT_EQ(pc.Wait(10s), 0);
        return pc.Out();
    };
    SetEnv("LANG", "de_DE.UTF-8");
    std::string out = runUntilCode("de", "] Kopplungscode: ");
    EXPECT_NE(out.find("] Harbrook l\u00e4uft. Nicht verbunden. \u00d6ffnen Sie Harbrook auf Ihrem "
                       "Handy, um es mit dem PC zu verbinden.\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Wird beendet (SIGINT)."), std::string::npos);
    // A refused command line too, though the options are read before the
    // language is chosen.
    auto refused = Pc({"--frobnicate"}, "de-bad");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "harbrook: unbekannte Option: --frobnicate (siehe --help)\n");

    // The key decides over the system language, and --language over the key.
    const auto ini = sandbox.appData() / "program_config.ini";
    fs::create_directories(sandbox.appData());
    SetEnv("LANG", "en_US.UTF-8");
    ASSERT_TRUE(platform::WriteProfileString(ini, "harbrook", "language", "German"));
    out = runUntilCode("key", "] Kopplungscode: ");
    EXPECT_NE(out.find("Harbrook l\u00e4uft. Nicht verbunden."), std::string::npos) << out;
    EXPECT_NE(
        Pc({"--help", "--language", "japan"}, "ja").out.find("\u4f7f\u3044\u65b9\uff1aharbrook"),
        std::string::npos);
    EXPECT_EQ(Pc({"--address", "10.0.0.256"}, "key-bad").err,
              "harbrook: --address: keine IPv4-Adresse: 10.0.0.256\n");
    refused = Pc({"--language", "japan", "--send"}, "ja-bad");
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err,
              "harbrook: --send \u306b\u306f\u5c11\u306a\u304f\u3068\u3082 1 "
              "\u3064\u306e\u30d5\u30a1\u30a4\u30eb\u3092\u6307\u5b9a\u3057\u3066"
              "\u304f\u3060\u3055\u3044\n");
}

// The words of a text that are ASCII letters alone, lower-cased: "file" in
// "1 file", not the "kh" and "ng" of "không". Letters of other alphabets
// (two-byte UTF-8, and Vietnamese's extended Latin) join a word; scripts
// without spaces, marks and punctuation part words.
std::set<std::string> AsciiWords(std::string_view text) {
    std::set<std::string> words;
    std::string word;
    bool ascii = true;
    const auto endWord = [&] {
        if (ascii && word.size() >= 2) words.insert(word);
        word.clear();
        ascii = true;
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (std::isalpha(c)) {
            word += static_cast<char>(std::tolower(c));
            ++i;
        } else if ((c >= 0xc0 && c < 0xe0) || (c == 0xe1 && next >= 0xb8 && next <= 0xbb)) {
            ascii = false;
            word += '*';
            i += c < 0xe0 ? 2 : 3;
        } else {
            endWord();
            i += c < 0x80 ? 1 : c < 0xe0 ? 2 : c < 0xf0 ? 3 : 4;
        }
    }
    endWord();
    return words;
}

// The words of a library's texts, its placeholders ({files}) and escapes
// (\r\n) left out.
std::set<std::string> LibraryWords(const fs::path& file) {
    std::ifstream in(file);
    std::string line, texts;
    while (std::getline(in, line)) {
        const auto open = line.find('"'), close = line.rfind('"');
        if (line.starts_with('#') || open == std::string::npos || close <= open) continue;
        std::string text = line.substr(open + 1, close - open - 1);
        for (auto brace = text.find('{'); brace != std::string::npos; brace = text.find('{')) {
            text.erase(brace, text.find('}', brace) - brace + 1);
        }
        for (auto slash = text.find('\\'); slash != std::string::npos;
             slash = text.find('\\', slash))
            text.replace(slash, 2, " ");
        texts += text + '\n';
    }
    return AsciiWords(texts);
}

// Pairing, a backup, failed ones and --history in each language but English:
// no English word that the language's own library does not use itself (as
// German does "in", or Indonesian "file"), in any line the user sees.
TEST_F(HarbrookProcessTest, EveryOtherLanguageRunsWithoutAnEnglishWord) {
    const fs::path strings = HARBROOK_STRINGS_DIR;
    const auto english = LibraryWords(strings / "english.txt");
    ASSERT_GT(english.size(), 300u);
    // What the test itself names: the phone, its files, a category.
    const std::set<std::string> given{"harbrook", "test", "pixel", "jpg", "mp4", "bogus"};
    const fs::path sample = PhoneFiles({{"a.jpg", 1000}, {"big.mp4", 3'000'000}});
    const auto history = sandbox.appData() / kHistoryFileName;
    const auto recorded = [&history](std::size_t count) {
        return WaitFor([&] { return ReadBackupHistory(history).size() >= count; }, 20s);
    };
    const std::pair<std::string, std::string> languages[] = {
        {"de", "german"},      {"fr", "french"},     {"es", "spanish"},   {"it", "italy"},
        {"pt-BR", "portuese"}, {"nl", "dutch"},      {"da", "denish"},    {"fi", "finnish"},
        {"pl", "polish"},      {"ru", "russian"},    {"uk", "ukrainian"}, {"tr", "turkish"},
        {"id", "indonesian"},  {"vi", "vietnam"},    {"th", "thai"},      {"ja", "japanese"},
        {"zh-CN", "chinese"},  {"zh-TW", "chinetw"}, {"ar", "arabic"}};
    for (const auto& [code, library] : languages) {
        SCOPED_TRACE(code);
        std::error_code ec;
        fs::remove(history, ec);
        ChildProcess pc(HARBROOK_EXE,
                        PcArgs({"--language", code, "--backup-root", backupRoot.string()}), logs,
                        "pc-" + code);
        ASSERT_TRUE(pc.WaitForOutput("127.0.0.1:" + std::to_string(base), 10s)) << pc.Out();
        {
            auto phone = StartPhone();
            ASSERT_TRUE(pc.WaitForOutput("Test Pixel", 10s)) << pc.Out();
            EXPECT_EQ(PhoneBackup({sample.string()}, "good-" + code).status, 0);
            ASSERT_TRUE(recorded(1)) << pc.Out();
            // A category the PC does not know, a file one byte short, a
            // phone that falls silent mid-file, and more than any disk has.
            PhoneBackup({"--category", "bogus", "--timeout", "1000", sample.string()},
                        "bogus-" + code);
            ASSERT_TRUE(recorded(2)) << pc.Out();
            PhoneBackup({"--short", "1", "--timeout", "3000", sample.string()}, "short-" + code);
            ASSERT_TRUE(recorded(3)) << pc.Out();
            ChildProcess drop(HARBROOK_PHONE_EXE,
                              PhoneBackupArgs(base, {"--vanish-after", "2", sample.string()}), logs,
                              "drop-" + code);
            ASSERT_TRUE(recorded(4)) << pc.Out();
            PhoneBackup({"--total", "9223372036854775807", "--timeout", "1000", sample.string()},
                        "full-" + code);
        }
        pc.Signal(SIGINT);
        EXPECT_EQ(pc.Wait(10s), 0);
        const auto table = Pc({"--history", "--language", code}, "history-" + code);
        std::string seen = pc.Out() + pc.Err() + table.out + table.err;
        const std::string root = sandbox.root().string();
        for (auto at = seen.find(root); at != std::string::npos; at = seen.find(root, at))
            seen.erase(at, root.size());
        auto own = LibraryWords(strings / (library + ".txt"));
        // The folders are named once, by the language of the first backup.
        for (const auto& entry : fs::recursive_directory_iterator(backupRoot))
            own.merge(AsciiWords(entry.path().filename().string()));
        std::string found;
        for (const auto& word : AsciiWords(seen)) {
            if (english.contains(word) && !own.contains(word) && !given.contains(word))
                found += " " + word;
        }
        EXPECT_EQ(found, "") << seen;
        // Nor a mark of our own written out as an escape ("\u2068").
        EXPECT_EQ(seen.find("\\u20"), std::string::npos) << seen;
    }
}

}  // namespace
}  // namespace harbrook::test
