// The window rules every window front end renders, checked on the presenter
// against a recording view without a display: panels, the banner, the close
// box, when the window may be seen, sending, the category folders, the
// reminder, the end-of-backup notice and the hop to the UI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>

#include "app/backup_verify.h"
#include "app/received_files.h"
#include "app/window_model.h"
#include "app/window_presenter.h"
#include "app/window_texts.h"
#include "locale/string_ids.h"
#include "tests/support/sandbox.h"

namespace harbrook {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The toolkit's part, recorded: every call must come on the UI thread (the
// test's own), and the UI thread's queue is run by the test.
class RecordingView final : public WindowView, public UiThread, public WindowCommands {
  public:
    // WindowView
    void Render(const WindowViewState& s) override {
        Note("render");
        state = s;
    }
    void ShowMessage(const std::string& text) override { Note("message " + text); }
    bool AskOkCancel(const std::string& text) override {
        Note("ask " + text);
        return answer;
    }
    std::vector<fs::path> PickFilesToSend() override {
        Note("pick");
        return picked;
    }
    void OpenFolder(const fs::path& folder) override { Note("open " + folder.generic_string()); }
    void Notify(const std::string& title, const std::string& body, bool warning) override {
        Note("notify " + title + " / " + body + (warning ? " (warning)" : ""));
    }
    void ShowQrCode(const std::string& bytes, const std::string& text) override {
        Note("qr " + text + " " + bytes);
    }
    bool LoadPhonePicture(const fs::path& file) override {
        Note("picture " + file.filename().string());
        return pictureLoads;
    }
    void ShowReminder() override { Note("reminder"); }
    // UiThread
    bool IsCurrent() const override { return std::this_thread::get_id() == ui; }
    bool Post(std::function<void()> work) override {
        std::lock_guard lock(mutex);
        if (!hopWorks) return false;
        queue.push_back(std::move(work));
        return true;
    }
    // WindowCommands
    bool PhoneKnown() override { return phoneKnown; }
    void SendFiles(std::vector<fs::path> files) override {
        Note("send " + std::to_string(files.size()));
    }
    void Disconnect() override { Note("disconnect"); }
    FolderAction CategoryFolder(unsigned id) override {
        Note("category " + std::to_string(id));
        return folderAction;
    }
    void ConnectPanelShown(bool shown) override { connectPanel.push_back(shown); }
    void CheckBackups() override { Note("check backups"); }

    // Runs what is queued, in order, as the event loop would.
    void RunQueue() {
        std::vector<std::function<void()>> work;
        {
            std::lock_guard lock(mutex);
            work.swap(queue);
        }
        for (auto& w : work) w();
    }
    std::size_t Queued() {
        std::lock_guard lock(mutex);
        return queue.size();
    }
    // What was called apart from renders, and forgets it.
    std::vector<std::string> Calls() {
        std::vector<std::string> out;
        for (auto& call : calls)
            if (call != "render") out.push_back(call);
        calls.clear();
        return out;
    }

    const std::thread::id ui = std::this_thread::get_id();
    WindowViewState state;
    bool answer = true, pictureLoads = true, phoneKnown = true, hopWorks = true;
    std::vector<fs::path> picked;
    FolderAction folderAction;
    std::vector<bool> connectPanel;  // as reported for pairing

  private:
    void Note(std::string call) {
        EXPECT_EQ(std::this_thread::get_id(), ui) << call;
        calls.push_back(std::move(call));
    }
    std::vector<std::string> calls;
    std::mutex mutex;
    std::vector<std::function<void()>> queue;
};

// A presenter started on a machine with a tray and the phone picture.
class Presenter : public ::testing::Test {
  protected:
    void SetUp() override {
        presenter.SetCommands(&view);
        presenter.Start(fs::path("/program"));
        EXPECT_EQ(view.Calls(), std::vector<std::string>{"picture mobile.jpg"});
    }
    // A worker's call, then the UI thread's loop.
    void FromWorker(const std::function<void()>& call) {
        std::thread(call).join();
        view.RunQueue();
    }
    const WindowViewState& State() const { return view.state; }

    RecordingView view;
    WindowPresenter presenter{view, view};
};

TEST_F(Presenter, PanelsFollowButtonsConnectionAndReopening) {
    EXPECT_EQ(State().panel, PanelId::Connect);
    EXPECT_EQ(State().checked, NavButton::ConnectPhone);
    EXPECT_EQ(State().banner.picture, BannerPicture::NotConnected);

    // A phone connects while the connect panel shows: the connected panel.
    FromWorker([&] { presenter.OnConnectionStateChanged(true, "Pixel"); });
    EXPECT_EQ(State().panel, PanelId::Connected);
    EXPECT_EQ(State().checked, NavButton::ConnectPhone);
    EXPECT_EQ(State().connectedHeadline, "Connected to Pixel");
    EXPECT_EQ(State().banner.picture, BannerPicture::Connected);
    EXPECT_EQ(State().banner.text, "Your computer is connected to your phone.");

    presenter.OnReceivedFilesClicked();
    EXPECT_EQ(State().checked, NavButton::ReceivedFiles);
    // Disconnect and connect again while Received Files shows: it stays,
    // and the connected panel's headline follows all the same.
    FromWorker([&] { presenter.OnConnectionStateChanged(false, ""); });
    EXPECT_EQ(State().panel, PanelId::ReceivedFiles);
    EXPECT_EQ(State().banner.text, "Open Harbrook on your mobile to connect PC.");
    FromWorker([&] { presenter.OnConnectionStateChanged(true, ""); });
    EXPECT_EQ(State().panel, PanelId::ReceivedFiles);
    EXPECT_EQ(State().connectedHeadline, "Connected to smartphone");
    // Reopening keeps the panel; Connect Phone now shows the connected panel.
    presenter.OpenMainWindow();
    EXPECT_EQ(State().panel, PanelId::ReceivedFiles);
    presenter.OnConnectPhoneClicked();
    EXPECT_EQ(State().panel, PanelId::Connected);
    // A disconnect while the connected panel shows brings the connect panel.
    FromWorker([&] { presenter.OnConnectionStateChanged(false, ""); });
    EXPECT_EQ(State().panel, PanelId::Connect);
    presenter.OnConnectPhoneClicked();
    EXPECT_EQ(State().panel, PanelId::Connect);
    EXPECT_TRUE(view.Calls().empty());
}

TEST_F(Presenter, HiddenUntilFirstOpenedAndTheCloseBoxKeepsTheProgramReachable) {
    EXPECT_FALSE(State().allowShow);
    EXPECT_EQ(State().visibility, WindowVisibility::Hidden);
    // A phone that connects before the window ever opens is what it shows.
    FromWorker([&] { presenter.OnConnectionStateChanged(true, "Early"); });
    FromWorker([&] { presenter.OnOpenMainWindow(); });  // a second start of the program
    EXPECT_TRUE(State().allowShow);
    EXPECT_EQ(State().visibility, WindowVisibility::Shown);
    EXPECT_EQ(State().panel, PanelId::Connected);
    const auto raised = State().raise;
    presenter.OpenMainWindow();  // again: to the front once more
    EXPECT_EQ(State().raise, raised + 1);

    presenter.OnCloseRequested();
    EXPECT_EQ(State().visibility, WindowVisibility::Hidden);
    EXPECT_TRUE(State().allowShow);
    // Without a notification area a hidden window could not come back.
    presenter.OpenMainWindow();
    presenter.SetTrayPresent(false);
    presenter.OnCloseRequested();
    EXPECT_EQ(State().visibility, WindowVisibility::Minimised);
}

// Pairing is open while the code is on show: the window up with the Connect
// Phone panel in front. Each change is reported once.
TEST_F(Presenter, TheConnectPanelOnShowIsReportedForPairing) {
    EXPECT_TRUE(view.connectPanel.empty());  // hidden at start
    presenter.OpenMainWindow();
    presenter.OnReceivedFilesClicked();
    presenter.OnConnectPhoneClicked();
    presenter.OnConnectPhoneClicked();
    presenter.OnCloseRequested();
    EXPECT_EQ(view.connectPanel, (std::vector<bool>{true, false, true, false}));
    // A phone that pairs replaces the code with the connected panel.
    presenter.OpenMainWindow();
    FromWorker([&] { presenter.OnConnectionStateChanged(true, "Pixel"); });
    EXPECT_EQ(view.connectPanel, (std::vector<bool>{true, false, true, false, true, false}));
}

TEST(PresenterStart, WithoutATrayTheWindowOpensAndAMissingPictureIsReported) {
    RecordingView view;
    WindowPresenter presenter(view, view);
    presenter.SetTrayPresent(false);
    view.pictureLoads = false;
    presenter.Start(fs::path("/program"));
    EXPECT_EQ(view.state.visibility, WindowVisibility::Shown);
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{
                                "picture mobile.jpg",
                                std::string("message ") + window_text::ReinstallMessage()}));
    // Not even a program folder: the same message, and no picture to load.
    RecordingView bare;
    WindowPresenter second(bare, bare);
    second.Start(std::nullopt);
    EXPECT_EQ(bare.state.visibility, WindowVisibility::Hidden);
    EXPECT_EQ(bare.Calls(),
              std::vector<std::string>{std::string("message ") + window_text::ReinstallMessage()});
}

TEST_F(Presenter, SendNeedsAKnownPhoneBeforeAnyFileIsChosen) {
    const std::string noPhone = "message " + LoadUiString(kStrNoPhone, 200);
    view.phoneKnown = false;
    presenter.OnSendFilesClicked();
    presenter.OnFilesDropped({"a.jpg"});
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{noPhone, noPhone}));

    view.phoneKnown = true;
    presenter.OnSendFilesClicked();  // the dialog is cancelled
    view.picked = {"a.jpg", "b.jpg"};
    presenter.OnSendFilesClicked();
    presenter.OnFilesDropped({"c.jpg"});
    presenter.OnFilesDropped({});
    presenter.OnDisconnectClicked();
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"pick", "pick", "send 2", "send 1", "disconnect"}));

    // The button's caption and state follow the send, and while it reads
    // "Sending" a click or a drop is refused with its own message, before
    // any file dialog.
    FromWorker([&] { presenter.SetSendButton("Sending", false); });
    EXPECT_EQ(State().sendText, "Sending");
    EXPECT_FALSE(State().sendEnabled);
    const std::string running = "message " + LoadUiString(kStrSendRunning, 200);
    presenter.OnSendFilesClicked();
    presenter.OnFilesDropped({"d.jpg"});
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{running, running}));
    FromWorker([&] { presenter.SetSendButton("Send Files", true); });
    presenter.OnFilesDropped({"d.jpg"});
    EXPECT_EQ(view.Calls(), std::vector<std::string>{"send 1"});
}

TEST_F(Presenter, ASendShowsItsProgressAndTheFileManagersSendItsOutcome) {
    ProgressReading reading;
    reading.totalBytes = 3'000'000;
    reading.doneBytes = 1'500'000;
    reading.percent = 50;
    FromWorker([&] { presenter.OnSendProgressReading(reading); });
    EXPECT_EQ(State().banner.progressLine, "50% of 3.0 MB");
    EXPECT_EQ(State().banner.percent, 50);
    FromWorker([&] { presenter.OnSendEnded(); });
    EXPECT_TRUE(State().banner.progressLine.empty());

    // From the file manager: a notice, or with no phone the window on
    // Connect Phone with the message.
    presenter.OnReceivedFilesClicked();
    FromWorker([&] {
        presenter.NotifySendOutcome("sent", false);
        presenter.AskToConnectPhone("connect first");
    });
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"notify Send Files / sent", "message connect first"}));
    EXPECT_EQ(State().visibility, WindowVisibility::Shown);
    EXPECT_EQ(State().panel, PanelId::Connect);
}

TEST_F(Presenter, CategoryButtonsShowTheirMessageThenOpenTheFolders) {
    view.folderAction = {kStrFolderModified, {"/backup/Pixel"}};
    presenter.OnCategoryClicked(kStrFolderDocuments);
    view.folderAction = {std::nullopt, {"/d/Backup of Harbrook", "/e/Backup of Harbrook"}};
    presenter.OnCategoryClicked(kStrFolderCamera);
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{
                  "category " + std::to_string(kStrFolderDocuments),
                  "message " + LoadUiString(kStrFolderModified, 200), "open /backup/Pixel",
                  "category " + std::to_string(kStrFolderCamera), "open /d/Backup of Harbrook",
                  "open /e/Backup of Harbrook"}));
}

TEST_F(Presenter, BackupProgressEndsWithANoticeAndTheReminderShowsOnce) {
    FromWorker([&] {
        presenter.ShowBackupReminder();
        presenter.ShowBackupReminder();
        presenter.SetBannerStatus("Backing up files");
        presenter.OnBackupStarted(2'000'000);
    });
    EXPECT_EQ(State().banner.text, "Backing up files");
    EXPECT_EQ(State().banner.progressLine, "0% of 2.0 MB");
    BackupRecord record;
    record.outcome = BackupOutcome::Completed;
    record.files = 12;
    record.bytes = 4'500'000;
    record.endSeconds = 42;
    FromWorker([&] {
        presenter.SetBannerStatus("Backup completed");
        presenter.OnBackupRecorded(record);
        record.outcome = BackupOutcome::Failed;
        record.alreadyStored = 10;
        presenter.OnBackupRecorded(record);
    });
    EXPECT_EQ(State().banner.text, "Backup completed");
    EXPECT_TRUE(State().banner.progressLine.empty());
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{
                                "reminder", "notify Backup completed / 12 files, 4.5 MB, in 0:42.",
                                "notify Backup failed / 12 files, 4.5 MB, in 0:42.\n10 already "
                                "backed up (warning)"}));
}

TEST_F(Presenter, CheckBackupsRunsInTheApplicationAndEndsWithANotice) {
    presenter.OnCheckBackupsClicked();
    VerifySummary summary;
    summary.found = true;
    summary.totals = {"Pixel: all 3 files intact",
                      "Tab: 2 files checked, 1 changed, 0 missing, "
                      "0 unrecorded"};
    FromWorker([&] { presenter.OnBackupsChecked(summary); });
    summary.intact = true;
    summary.totals.resize(1);
    FromWorker([&] { presenter.OnBackupsChecked(summary); });
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{
                  "check backups",
                  "notify Backups checked: some files differ / Pixel: all 3 files intact\nTab: 2 "
                  "files checked, 1 changed, 0 missing, 0 unrecorded (warning)",
                  "notify Backups checked: all intact / Pixel: all 3 files intact"}));
}

TEST_F(Presenter, WorkerCallsWaitForTheUiThreadAndKeepTheirOrder) {
    test::Sandbox sandbox;
    const auto bitmap = sandbox.root() / "qrcode.bmp";
    std::ofstream(bitmap) << "BM";
    std::thread([&] {
        presenter.ShowMessage("hello");
        EXPECT_TRUE(presenter.ShowQrCode(bitmap, "code"));
        EXPECT_FALSE(presenter.ShowQrCode(sandbox.root() / "missing.bmp", "x"));
        presenter.ShowMessage("again");
    }).join();
    EXPECT_TRUE(view.Calls().empty());
    view.RunQueue();
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"message hello", "qr code BM", "message again"}));
}

TEST_F(Presenter, AQuestionWaitsForTheUiThreadAndClosingOrAFailedHopAnswersCancel) {
    view.answer = false;
    EXPECT_FALSE(presenter.AskOkCancel("now?")) << "asked on the UI thread itself: at once";
    EXPECT_EQ(view.Queued(), 0u);

    view.answer = true;
    std::atomic<bool> answered = false;
    std::optional<bool> answer;
    std::thread worker([&] {
        answer = presenter.AskOkCancel("Install?");
        answered = true;
    });
    ASSERT_TRUE(test::WaitFor([&] { return view.Queued() == 1; }, 10s));
    EXPECT_FALSE(answered) << "answered before the UI thread asked";
    view.RunQueue();
    worker.join();
    EXPECT_EQ(answer, true);

    // The hop cannot queue (the window is gone): Cancel at once.
    view.hopWorks = false;
    std::thread([&] { answer = presenter.AskOkCancel("Lost?"); }).join();
    EXPECT_EQ(answer, false);
    view.hopWorks = true;

    // The loop ends with a question still queued: the worker is let go with
    // Cancel, and the stale question never shows a box.
    worker = std::thread([&] { answer = presenter.AskOkCancel("Again?"); });
    ASSERT_TRUE(test::WaitFor([&] { return view.Queued() == 1; }, 10s));
    presenter.ShowMessage("before the end");
    presenter.Close();
    worker.join();
    EXPECT_EQ(answer, false);
    view.RunQueue();
    // Afterwards, workers hand over nothing and get Cancel at once.
    std::thread([&] {
        presenter.ShowMessage("too late");
        answer = presenter.AskOkCancel("late?");
    }).join();
    EXPECT_EQ(answer, false);
    EXPECT_EQ(view.Queued(), 0u);
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"ask now?", "ask Install?", "message before the end"}));
}

// The connection texts and the progress line's format are checked through
// the presenter above and BannerProgressLine below; here what ends a backup.
TEST(BannerModel, TheEndKeepsTheStatusAndADisconnectReplacesIt) {
    BannerModel banner;
    banner.OnConnectionStateChanged(true);
    ProgressReading reading;
    reading.totalBytes = 1000;
    reading.percent = 42;
    banner.OnStatus("Backing up files");
    banner.OnProgress(reading);
    EXPECT_EQ(banner.View().percent, 42);
    banner.OnStatus("Backup completed");
    banner.OnBackupEnded();
    EXPECT_EQ(banner.View().text, "Backup completed");
    EXPECT_TRUE(banner.View().progressLine.empty());
    EXPECT_EQ(banner.View().percent, -1);
    banner.OnStatus("Backing up files");
    banner.OnProgress(reading);
    banner.OnConnectionStateChanged(false);
    EXPECT_EQ(banner.View().text, "Open Harbrook on your mobile to connect PC.");
    EXPECT_TRUE(banner.View().progressLine.empty());
}

TEST(BannerModel, ProgressLineCountsFilesAndLeavesOutWhatIsNotKnownYet) {
    ProgressReading reading;
    reading.totalBytes = 1000;
    EXPECT_EQ(BannerProgressLine(reading), "0% of 1.0 kB");
    reading.filesDone = 1;
    reading.percent = 50;
    reading.bytesPerSecond = 100;
    reading.secondsLeft = 5;
    EXPECT_EQ(BannerProgressLine(reading),
              "50% of 1.0 kB (1 file) \u00b7 100 B/s \u00b7 0:05 left");
}

TEST(WindowTexts, PlaceholdersAndBackupSummary) {
    EXPECT_EQ(FillPlaceholders("{a}/{b}/{a}{c}", {{"a", "{a}x"}, {"b", ""}}), "{a}x//{a}x{c}");
    EXPECT_EQ(SummariseBackup(BackupOutcome::Disconnected, 0, 0, 0).title, "Backup interrupted");
    // A file kept short counts, and a failure says why.
    EXPECT_EQ(SummariseBackup(BackupOutcome::Failed, 2, 1000, 5, 1, "the disk is full").body,
              "2 files, 1.0 kB, in 0:05.\n1 incomplete\nthe disk is full");
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

// A root chosen with --backup-root is no volume's root: its backups still
// open once the phone has gone, beside those found on the volumes.
TEST_F(ReceivedFiles, TheStoredRootKeepsItsBackupsAfterThePhoneHasGone) {
    Volume("d");
    const auto chosen = sandbox.root() / "chosen" / "folder";
    std::filesystem::create_directories(Backup(chosen) / "Pixel" / "My Album");
    auto action = OpenCategoryFolder(Sources({}, chosen), kStrFolderCamera);
    EXPECT_FALSE(action.message);
    EXPECT_EQ(action.open, std::vector{Backup(chosen) / "Pixel" / "My Album"});

    const auto e = Volume("e");
    std::filesystem::create_directories(Backup(e) / "Old phone");
    action = OpenCategoryFolder(Sources({}, chosen), kStrFolderCamera);
    EXPECT_FALSE(action.message);
    EXPECT_EQ(action.open, (std::vector{Backup(chosen), Backup(e)}));
}

// Backups made in German open from an English run, with or without the phone.
TEST_F(ReceivedFiles, FoldersAnotherLanguageMadeStillOpen) {
    const auto d = Volume("d");
    const auto german = d / "Harbrook-Sicherung" / "Pixel";
    std::filesystem::create_directories(german / "Mein Album");
    for (const auto& sources : {Sources("Pixel", d), Sources()}) {
        auto action = OpenCategoryFolder(sources, kStrFolderCamera);
        EXPECT_FALSE(action.message);
        EXPECT_EQ(action.open, std::vector{german / "Mein Album"});
        action = OpenCategoryFolder(sources, kStrFolderDocuments);
        EXPECT_EQ(action.message, kStrFolderModified);
        EXPECT_EQ(action.open, std::vector{german});
    }
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
