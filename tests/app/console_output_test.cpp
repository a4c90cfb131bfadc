// The console front end and the watch in front of it, driven as the link
// workers would drive them.
#include <gtest/gtest.h>
#include <stdio.h>

#include <fstream>

#include "app/backup_watch.h"
#include "app/history_table.h"
#include "core/peer_text.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "tests/locale/built_libraries.h"
#include "tests/support/recorder_frontend.h"
#include "tests/support/sandbox.h"
#include "ui/console/console_frontend.h"
#include "ui/console/qr_terminal.h"

namespace harbrook {
namespace {

// Captures what a ConsoleFrontend prints.
class Captured {
  public:
    Captured() : m_file(open_memstream(&m_buffer, &m_size)) {}
    ~Captured() {
        std::fclose(m_file);
        std::free(m_buffer);
    }
    std::FILE* file() { return m_file; }
    std::string text() {
        std::fflush(m_file);
        return std::string(m_buffer, m_size);
    }

  private:
    char* m_buffer = nullptr;
    std::size_t m_size = 0;
    std::FILE* m_file;
};

bool Has(const std::string& haystack, const std::string& needle) {
    return haystack.find(needle) != std::string::npos;
}

// Reads the half-block drawing back into modules (light-drawn form).
std::vector<std::vector<bool>> ReadBack(const std::string& drawing) {
    std::vector<std::vector<bool>> rows;
    std::size_t start = 0;
    while (start < drawing.size()) {
        const std::size_t end = drawing.find('\n', start);
        const std::string line = drawing.substr(start, end - start);
        start = end + 1;
        std::vector<bool> top, bottom;
        for (std::size_t i = 0; i < line.size();) {
            // Light halves are drawn; a dark module is an undrawn half.
            if (line[i] == ' ') {
                top.push_back(true), bottom.push_back(true), i += 1;
                continue;
            }
            const std::string glyph = line.substr(i, 3);
            i += 3;
            top.push_back(glyph == "\u2584");
            bottom.push_back(glyph == "\u2580");
        }
        rows.push_back(top);
        rows.push_back(bottom);
    }
    return rows;
}

TEST(QrTerminalTest, TheDrawingHoldsTheSymbolWithItsQuietZone) {
    const auto modules = QrModules("127.0.0.1:5392");
    ASSERT_FALSE(modules.empty());
    const std::size_t side = modules.size();
    for (std::size_t i = 0; i < side; ++i) {
        for (int q = 0; q < kQrQuietZone; ++q) {
            EXPECT_FALSE(modules[q][i]);
            EXPECT_FALSE(modules[i][q]);
            EXPECT_FALSE(modules[side - 1 - q][i]);
        }
    }
    EXPECT_TRUE(modules[kQrQuietZone][kQrQuietZone]);  // finder pattern corner

    const auto back = ReadBack(RenderQrForTerminal("127.0.0.1:5392", false));
    ASSERT_GE(back.size(), side);
    for (std::size_t y = 0; y < side; ++y) {
        ASSERT_EQ(back[y].size(), side);
        for (std::size_t x = 0; x < side; ++x)
            EXPECT_EQ(back[y][x], modules[y][x]) << x << "," << y;
    }
    const std::string coloured = RenderQrForTerminal("127.0.0.1:5392", true);
    EXPECT_TRUE(Has(coloured, "\x1b[30;47m"));
    EXPECT_TRUE(Has(coloured, "\x1b[0m"));
}

TEST(BackupWatchTest, EachBackupEndsInOneHistoryRecordWithItsOutcome) {
    test::Sandbox sandbox;
    const auto history = sandbox.root() / "history.txt";
    test::RecorderFrontend ui;
    FixedClock clock(1'700'000'000);
    ConnectionState state;
    state.SetConnectionState(true, "Pixel", "abc", "127.0.0.1");
    BackupWatch watch(ui, history, clock);
    watch.WatchConnection(&state);

    watch.OnBackupStarted(1000);
    watch.SetBannerStatus(LoadUiString(kStrBackingUp, 300));
    watch.OnBackupProgress({1000, 400, 1, "a.jpg"});
    watch.OnFileReceived("a.jpg", 400, "/r/My Album/a.jpg", true);
    watch.OnFileReceived("b.mp4", 600, "/r/My Album/b.mp4", false);
    watch.OnBackupProgress({1000, 1000, 2, "b.mp4"});
    clock.Set(1'700'000'042);
    watch.SetBannerStatus(LoadUiString(kStrBackupCompleted, 300));
    watch.OnBackupEnded({BackupOutcome::Completed});

    watch.OnBackupStarted(5000);
    watch.SetBannerStatus(LoadUiString(kStrBackupFailed, 300));
    watch.OnBackupEnded({BackupOutcome::Failed, "cannot write x.jpg: No space left on device"});

    watch.OnBackupStarted(5000);
    watch.OnBackupEnded({BackupOutcome::Disconnected});
    watch.OnBackupEnded({BackupOutcome::Failed});  // a stray end records nothing

    const auto records = ReadBackupHistory(history);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].phone, "Pixel");
    EXPECT_EQ(records[0].files, 1);
    EXPECT_EQ(records[0].bytes, 1000);
    EXPECT_EQ(records[0].incomplete, std::vector<std::string>{"b.mp4"});
    EXPECT_EQ(records[0].endSeconds - records[0].startSeconds, 42);
    EXPECT_EQ(records[0].outcome, BackupOutcome::Completed);
    EXPECT_EQ(records[1].outcome, BackupOutcome::Failed);
    EXPECT_EQ(records[1].reason, "cannot write x.jpg: No space left on device");
    EXPECT_EQ(records[0].reason, "");
    EXPECT_EQ(records[1].files, 0);
    EXPECT_EQ(records[2].outcome, BackupOutcome::Disconnected);
    EXPECT_EQ(ui.records().size(), 3u);
    EXPECT_EQ(ui.banners().size(), 3u);  // passed on unchanged
    ASSERT_FALSE(ui.readings().empty());
    EXPECT_EQ(ui.readings().front().percent, 40);  // the first reading is never held back
}

TEST(BackupWatchTest, ABackupCutShortByAQuitIsInterruptedNotFailed) {
    test::Sandbox sandbox;
    const auto history = sandbox.root() / "history.txt";
    test::RecorderFrontend ui;
    FixedClock clock(1'700'000'000);
    BackupWatch watch(ui, history, clock);

    watch.EndOpenBackup();  // nothing runs: nothing to record
    watch.OnBackupStarted(100);
    watch.NoteQuitting();
    watch.OnBackupEnded({BackupOutcome::Failed});  // the receiver's socket went away
    watch.OnBackupStarted(100);
    watch.EndOpenBackup();  // the receiver stopped without an end
    watch.EndOpenBackup();

    const auto records = ReadBackupHistory(history);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].outcome, BackupOutcome::Disconnected);
    EXPECT_EQ(records[1].outcome, BackupOutcome::Disconnected);
}

TEST(ConsoleFrontendTest, APipeGetsOneLinePerEventAndNothingIsLost) {
    Captured out;
    ConsoleFrontend ui(out.file(), false);
    ui.PrintWelcome();
    ui.ShowQrCode("/data/qrcode.bmp", "127.0.0.1:5392");
    ui.ShowQrCode("/data/qrcode.bmp", "127.0.0.1:5392");  // unchanged: not drawn again
    ui.OnPaired("Pixel", "abc123");
    ui.OnConnectionStateChanged(true, "Pixel");
    ui.OnBackupStarted(2'000'000);
    ui.SetBannerStatus("Backing up files");
    ui.OnFileReceived("IMG_1.jpg", 1'500'000, "/root/Backup of Harbrook/Pixel/My Album/IMG_1.jpg",
                      true);
    ProgressReading reading;
    reading.percent = 100;
    reading.doneBytes = reading.totalBytes = 2'000'000;
    ui.OnProgressReading(reading);
    ui.SetBannerStatus("Backup completed");
    ui.OnBackupRecorded({0, 3, "Pixel", 1, 2'000'000, {}, BackupOutcome::Completed});
    ui.OnBackupRecorded(
        {0, 3, "Pixel", 0, 0, {}, BackupOutcome::Failed, "cannot write a.jpg: Disk full"});
    ui.SetSendButton("Sending", false);
    ui.SetSendButton("Send Files", true);
    ui.ShowMessage("line one.\r\nline two.");
    EXPECT_FALSE(ui.AskOkCancel("Install the update?"));
    ui.ShowBackupReminder();
    ui.OnConnectionStateChanged(false, "");

    const std::string text = out.text();
    EXPECT_TRUE(Has(text, "Harbrook is running. Not connected. Open Harbrook on your mobile"));
    EXPECT_TRUE(Has(text, "2. Open Harbrook on the smartphone and scan the QR code below."));
    EXPECT_TRUE(Has(text, "] Pairing code: 127.0.0.1:5392\n"));
    EXPECT_EQ(text.find("Pairing code"), text.rfind("Pairing code"));
    EXPECT_TRUE(Has(text, "\u2580"));
    EXPECT_TRUE(Has(text, "] Paired with Pixel (abc123)\n"));
    EXPECT_TRUE(Has(text, "] Connected: Connected to Pixel. Your computer is connected"));
    EXPECT_TRUE(Has(text, "] Backup started: 2.0 MB announced\n"));
    EXPECT_TRUE(Has(text, "] Received IMG_1.jpg (1.5 MB) into My Album/IMG_1.jpg\n"));
    EXPECT_TRUE(Has(text, "] Progress: 100%  2.0 MB of 2.0 MB"));
    EXPECT_TRUE(Has(text, "] Backup completed\n"));
    EXPECT_TRUE(Has(text, "] Backup completed: 1 file, 2.0 MB in 0:03\n"));
    EXPECT_TRUE(
        Has(text, "] Backup failed: 0 files, 0 B in 0:03; cannot write a.jpg: Disk full\n"));
    EXPECT_TRUE(Has(text, "] Sending...\n"));
    EXPECT_FALSE(Has(text, "Send Files"));
    EXPECT_TRUE(Has(text, "] line one.\nline two.\n"));
    EXPECT_TRUE(Has(text, "Install the update? (nobody to answer in the terminal: Cancel)"));
    EXPECT_TRUE(Has(text, "] Reminder: Back up your phone's data. Easily back up photos,"));
    EXPECT_TRUE(Has(text, "] Disconnected. Not connected."));
    EXPECT_FALSE(Has(text, "\x1b"));  // no escapes into a pipe
    EXPECT_FALSE(Has(text, "\r"));
}

TEST(ConsoleFrontendTest, ATerminalKeepsTheProgressOnOneLineAndOpeningShowsTheState) {
    Captured out;
    ConsoleFrontend ui(out.file(), true);
    ui.ShowQrCode("/q.bmp", "127.0.0.1:5392");
    ui.OnConnectionStateChanged(true, "");
    ui.OnBackupStarted(1000);
    ProgressReading reading;
    reading.totalBytes = 1000;
    for (int done : {100, 500}) {
        reading.doneBytes = done;
        reading.percent = done / 10;
        ui.OnProgressReading(reading);
    }
    ui.OnFileReceived("a.txt", 500, "/r/Documents/a.txt", true);
    const std::string during = out.text();
    // The event line clears the progress line, then draws it again below.
    EXPECT_TRUE(Has(during, "\r\x1b[K[")) << during;
    EXPECT_TRUE(Has(during, "Documents/a.txt\nProgress:  50%"));
    ui.OnBackupRecorded({0, 1, "", 1, 500, {}, BackupOutcome::Disconnected});
    const std::size_t before = out.text().size();
    ui.OnOpenMainWindow();
    const std::string opened = out.text().substr(before);
    EXPECT_TRUE(Has(opened, "\x1b[30;47m"));  // the code, drawn again
    EXPECT_TRUE(Has(opened, "Pairing code: 127.0.0.1:5392"));
    EXPECT_TRUE(Has(opened, "Connected to smartphone. Your computer is connected to your phone."));
    EXPECT_FALSE(Has(opened, "Progress:"));  // the backup is over
}

TEST(ConsoleOutput, LinesAreBuiltFromTheLanguagesOwnSentences) {
    const test::TextLibrary japanese({{202, "%s \u3092\u5b9f\u884c\u4e2d\u3067\u3059\u3002"},
                                      {200, "\u672a\u63a5\u7d9a\u3067\u3059\u3002"},
                                      {108, "\u30b9\u30de\u30db\u3067 %s \u3092\u958b\u3044\u3066"},
                                      {116, "%s \u306b\u63a5\u7d9a\u3057\u307e\u3057\u305f"},
                                      {109, "\u63a5\u7d9a\u4e2d\u3002"},
                                      {234, "%s\u3002%s"},
                                      {233, "\u63a5\u7d9a\uff1a"}});
    Captured out;
    {
        const test::UsingLanguage language(&japanese);
        ConsoleFrontend ui(out.file(), false);
        ui.PrintWelcome();
        ui.OnConnectionStateChanged(true, "Pixel");
    }
    const std::string text = out.text();
    // No blank after an ideographic full stop or a full-width colon, and the
    // two sentences of the connected state joined the language's way.
    EXPECT_TRUE(Has(text,
                    "Harbrook \u3092\u5b9f\u884c\u4e2d\u3067\u3059\u3002\u672a\u63a5"
                    "\u7d9a\u3067\u3059\u3002\u30b9\u30de\u30db\u3067 Harbrook "))
        << text;
    EXPECT_TRUE(Has(text,
                    "] \u63a5\u7d9a\uff1aPixel \u306b\u63a5\u7d9a\u3057\u307e\u3057"
                    "\u305f\u3002\u63a5\u7d9a\u4e2d\u3002\n"))
        << text;
}

// Anyone on the network can pair under any name: what a peer sends reaches
// the terminal with its control characters written out, never acted upon.
TEST(ConsoleFrontendTest, APeersTextReachesTheTerminalEscaped) {
    EXPECT_EQ(EscapeControls("Ünïcode 電話 a\\b"), "Ünïcode 電話 a\\b");
    EXPECT_EQ(EscapeControls("\x1b[2J\r\n\x7f"), "\\x1b[2J\\x0d\\x0a\\x7f");
    EXPECT_EQ(EscapeControls("\xc2\x9b"
                             "31m \xe2\x80\xae"
                             "gpj.exe \xff\xc3"),
              "\\x9b31m \\u202egpj.exe \\xff\\xc3");
    Captured out;
    ConsoleFrontend ui(out.file(), true);
    ui.OnPaired("\x1b]0;owned\x07", "id\n[12:00:00] Backup completed");
    ui.OnConnectionStateChanged(true, "Pixel\x1b[2J");
    ui.OnFileReceived("a\x1b[31m.jpg", 5, "/r/My Album/a\x1b[31m.jpg", true);
    ui.OnBackupRecorded({0, 1, "\x1b[2J", 1, 5, {}, BackupOutcome::Completed});
    const std::string text = out.text();
    EXPECT_TRUE(Has(text, "Paired with \\x1b]0;owned\\x07 (id\\x0a[12:00:00] Backup completed)"))
        << text;
    EXPECT_TRUE(Has(text, "Connected to Pixel\\x1b[2J."));
    EXPECT_TRUE(Has(text, "Received a\\x1b[31m.jpg (5 B) into My Album/a\\x1b[31m.jpg"));
    // The only escapes are the front end's own: clearing the progress line.
    EXPECT_FALSE(Has(text, "\x1b]")) << text;
    EXPECT_FALSE(Has(text, "\x1b[2J"));
    EXPECT_FALSE(Has(text, "\x1b[31m"));
    EXPECT_FALSE(Has(text, "\n[12:00:00] Backup completed"));

    BackupRecord record{
        0, 1, "\x1b]0;x\x07\nfake", 1, 5, {"b\x1b[2J.jpg"}, BackupOutcome::Completed};
    const std::string table = FormatHistoryTable({record});
    EXPECT_FALSE(Has(table, "\x1b")) << table;
    EXPECT_TRUE(Has(table, "\\x1b]0;x\\x07\\x0afake"));
    EXPECT_TRUE(Has(table, "incomplete: b\\x1b[2J.jpg"));
}

}  // namespace
}  // namespace harbrook
