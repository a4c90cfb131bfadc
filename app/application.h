// The application object: owns the core services, the link workers and the
// one front end they talk to, from start-up to quit.
#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/app_frontend.h"
#include "app/backup_watch.h"
#include "backup/storage_layout.h"
#include "link/link_context.h"
#include "qr/pairing_code.h"

namespace harbrook {

struct AppSettings {
    PortPlan ports;
    Timing timing;
    std::filesystem::path historyFile;      // empty: no history is kept
    std::filesystem::path dataFolder{};     // empty: the per-user data folder
    std::filesystem::path programFolder{};  // empty: the executable's folder
    // From start-up to the update check, when one is due.
    std::chrono::milliseconds updateDelay{120000};
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
    void OpenMainWindow();

    // A request of a later start (platform single-instance channel).
    void HandleRequest(const std::string& bytes);

    // What the "Send Files" button does once files are chosen. False when
    // nothing was started (the front end has been told why).
    bool SendFiles(std::vector<std::filesystem::path> files);

    LinkContext& Link() { return m_link; }

  private:
    void StartBackupReminder();
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

    std::mutex m_mutex;  // guards the thread list and the flags
    std::vector<std::thread> m_workers;
    std::vector<std::jthread> m_sends;  // joined on stop; a send ends on its own
    bool m_started = false;
    bool m_stopped = false;
};

}  // namespace harbrook
