// The application object: owns the core services, the link workers and the
// one front end they talk to, from start-up to quit.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/app_frontend.h"
#include "app/backup_watch.h"
#include "backup/storage_layout.h"
#include "link/link_context.h"
#include "qr/pairing_code.h"
#include "send/send_files.h"

namespace harbrook {

struct AppSettings {
    PortPlan ports;
    Timing timing;
    std::filesystem::path historyFile;      // empty: no history is kept
    std::filesystem::path dataFolder{};     // empty: the per-user data folder
    std::filesystem::path programFolder{};  // empty: the executable's folder
    // From start-up to the update check, when one is due.
    std::chrono::milliseconds updateDelay{120000};
    // --pairing always: phones may pair at any time, code on show or not.
    bool pairingAlways = false;
    // The key update installers must be signed with; empty: the release key.
    // Tests only: no option or setting of the program reaches it.
    std::string updateKey{};
};

class Application {
  public:
    Application(AppFrontend& ui, AppSettings settings);
    ~Application();  // stops what still runs
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Starts the five link workers in their order: pairing server,
    // connection monitor, phone detection, backup receiver, disconnect
    // listener; then the backup reminder and the update check. Once only.
    void Start();

    // Stops every worker and waits for them; the front end is not called
    // afterwards. Returns within about a second.
    void Stop();

    // "Open the main window": what a second start of the program asks for.
    // It shows the pairing code, so phones may pair for a while again.
    void OpenMainWindow();

    // The pairing code was shown (the console drew it): phones may pair for
    // a while from now.
    void PairingCodeShown();
    // What a window calls when its Connect Phone panel comes on show or goes
    // (the window hidden or minimised, another panel): phones may pair
    // while it shows, and for a while after.
    void SetConnectPanelShown(bool shown);

    // A request of a later start (platform single-instance channel).
    // `answer` goes back to a later start that waits for a send's outcome.
    void HandleRequest(const std::string& bytes, std::function<void(std::string_view)> answer = {});

    // What the "Send Files" button does once files are chosen. False when
    // nothing was started (the report, or the front end, has been told why).
    bool SendFiles(std::vector<std::filesystem::path> files, SendReport report = {});

    // The file manager's "Send to phone": the outcome as a notice; no phone
    // connected opens the window on Connect Phone. A start made for it
    // waits up to `waitForPhone` for the paired phone to come back first.
    void SendFromFileManager(std::vector<std::filesystem::path> files,
                             std::chrono::milliseconds waitForPhone = {});

    // The connected panel's "Disconnect" button: marks the phone disconnected
    // at once and tells the phone on a thread of its own.
    void Disconnect();

    // "Check backups": reads the stored files again on a thread of its own
    // and hands the summary to the front end. One check at a time.
    void CheckBackups();

    LinkContext& Link() { return m_link; }

  private:
    void StartBackupReminder();
    void NotifySendOutcome(SendOutcome outcome);
    void StartUpdateCheck();

    // The link context needs the folder preparer and the storage layout
    // needs the context's connection state: this stand-in breaks the circle
    // and is pointed at the layout once both exist.
    struct DeferredFolders final : BackupFolderPreparer {
        StorageLayout* layout = nullptr;
        bool PrepareBackupFolders(std::int64_t neededBytes) override {
            return layout && layout->PrepareBackupFolders(neededBytes);
        }
    };

    AppFrontend& m_ui;
    AppSettings m_settings;
    BackupWatch m_watch;
    PairingCode m_pairingCode{m_watch};
    DeferredFolders m_folders;
    LinkContext m_link;
    StorageLayout m_storage;

    // A thread for one piece of work (a send, a disconnect).
    struct Task {
        std::jthread thread;
        std::shared_ptr<std::atomic<bool>> ended;
    };
    // Joins the tasks that have ended, so threads do not pile up until quit.
    void ReapEndedTasks();
    // Keeps a started task until it ends or the application stops.
    void Keep(Task task);

    // Guards the thread lists and the flags. Never held while the front end
    // is called: a window may answer on the very thread that waits here.
    std::mutex m_mutex;
    std::vector<std::thread> m_workers;
    std::vector<Task> m_tasks;  // joined on stop, or by the next task once ended
    bool m_started = false;
    bool m_stopped = false;
    std::atomic_flag m_checking;  // a check of the backups runs
};

}  // namespace harbrook
