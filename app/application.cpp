#include "app/application.h"

#include "app/instance_request.h"
#include "backup/backup_receiver.h"
#include "link/link_threads.h"
#include "send/send_files.h"

namespace harbrook {

Application::Application(AppFrontend& ui, AppSettings settings)
    : m_ui(ui),
      m_watch(ui, settings.historyFile),
      m_link(m_watch, m_folders, settings.ports, settings.timing),
      m_storage(m_link.state) {
    m_folders.layout = &m_storage;
    m_link.pairingCode = &m_pairingCode;
    m_watch.WatchConnection(&m_link.state);
}

Application::~Application() {
    Stop();
}

void Application::Start() {
    std::lock_guard lock(m_mutex);
    if (m_started || m_stopped) return;
    m_started = true;
    // The order matters to the phone: it pairs first, then heartbeats, and
    // only then offers a backup or its disconnect notice.
    m_workers.emplace_back([this] { PairingServerThread(m_link); });
    m_workers.emplace_back([this] { ConnectionMonitorThread(m_link); });
    m_workers.emplace_back([this] { PhoneDetectionThread(m_link); });
    m_workers.emplace_back([this] { BackupReceiverThread(m_link, m_storage); });
    m_workers.emplace_back([this] { DisconnectListenerThread(m_link); });
    StartBackupReminder();
    StartUpdateCheck();
}

// The backup reminder pop-up and the update check come with their own
// change; start-up already calls them at the place they belong.
void Application::StartBackupReminder() {}
void Application::StartUpdateCheck() {}

void Application::Stop() {
    std::vector<std::thread> workers;
    std::vector<std::jthread> sends;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return;
        m_stopped = true;
        workers.swap(m_workers);
        sends.swap(m_sends);
    }
    m_watch.NoteQuitting();
    m_link.stop.RequestStop();
    for (auto& worker : workers) worker.join();
    for (auto& send : sends) send.join();
    m_watch.EndOpenBackup();
    // No worker runs any more; keep a late caller away from the front end.
    m_link.state.DetachDisplayHook();
}

void Application::OpenMainWindow() {
    m_ui.OnOpenMainWindow();
}

void Application::HandleRequest(const std::string& bytes) {
    const auto request = DecodeRequest(bytes);
    if (!request) return;  // from a newer or foreign program: ignore
    if (request->kind == InstanceRequest::Kind::Show) {
        OpenMainWindow();
    } else {
        SendFiles(request->files);
    }
}

bool Application::SendFiles(std::vector<std::filesystem::path> files) {
    std::lock_guard lock(m_mutex);
    if (m_stopped) return false;
    std::jthread send = OnSendFiles(m_link, std::move(files));
    if (!send.joinable()) return false;
    m_sends.push_back(std::move(send));
    return true;
}

void Application::Disconnect() {
    std::lock_guard lock(m_mutex);
    if (m_stopped) return;
    m_sends.emplace_back([this] { DisconnectThread(m_link); });
}

}  // namespace harbrook
