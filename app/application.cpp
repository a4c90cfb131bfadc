#include "app/application.h"

#include <algorithm>
#include <iterator>

#include "app/backup_verify.h"
#include "app/instance_request.h"
#include "app/update_check.h"
#include "backup/backup_receiver.h"
#include "core/app_folders.h"
#include "link/link_threads.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "send/send_files.h"
#include "update/backup_reminder.h"
#include "update/update_checker.h"

namespace harbrook {
namespace {

constexpr std::size_t kUpdateQuestionCapacity = 200;
constexpr std::size_t kUpdateUnsignedCapacity = 300;

}  // namespace

Application::Application(AppFrontend& ui, AppSettings settings)
    : m_ui(ui),
      m_settings(std::move(settings)),
      m_watch(ui, m_settings.historyFile),
      m_link(m_watch, m_folders, m_settings.ports, m_settings.timing),
      m_storage(m_link.state) {
    m_folders.layout = &m_storage;
    if (m_settings.dataFolder.empty()) GetAppDataFolder(m_settings.dataFolder);
    if (m_settings.programFolder.empty()) GetModuleFolder(m_settings.programFolder);
    m_link.pairingCode = &m_pairingCode;
    m_link.pairingWindow.SetAlwaysOpen(m_settings.pairingAlways);
    m_watch.WatchConnection(&m_link.state);
}

Application::~Application() {
    Stop();
}

void Application::Start() {
    {
        std::lock_guard lock(m_mutex);
        if (m_started || m_stopped) return;
        m_started = true;
        // A start shows the code (the console draws it, the window has it
        // in its Connect Phone panel): the pairing window opens.
        m_link.pairingWindow.CodeShown();
        // The order matters to the phone: it pairs first, then heartbeats,
        // and only then offers a backup or its disconnect notice.
        m_workers.emplace_back([this] { PairingServerThread(m_link); });
        m_workers.emplace_back([this] { ConnectionMonitorThread(m_link); });
        m_workers.emplace_back([this] { PhoneDetectionThread(m_link); });
        m_workers.emplace_back([this] { BackupReceiverThread(m_link, m_storage); });
        m_workers.emplace_back([this] { DisconnectListenerThread(m_link); });
    }
    // Both may ask the user something: no lock of ours is held.
    StartBackupReminder();
    StartUpdateCheck();
}

// Decided once per start; the front end shows the pop-up (or its line).
void Application::StartBackupReminder() {
    if (m_settings.dataFolder.empty()) return;
    if (BackupReminder(m_settings.dataFolder).IsTimeToShow(m_link.clock)) {
        m_ui.ShowBackupReminder();
    }
}

void Application::StartUpdateCheck() {
    if (m_settings.dataFolder.empty() ||
        IsUpdateCheckDue(m_settings.programFolder, m_settings.dataFolder, m_link.clock) != 1) {
        return;
    }
    UpdateCheckJob job{m_settings.programFolder,
                       m_settings.dataFolder,
                       m_settings.updateDelay,
                       LoadUiString(kStrUpdateQuestion, kUpdateQuestionCapacity),
                       LoadUiString(kStrUpdateUnsigned, kUpdateUnsignedCapacity),
                       m_settings.updateKey};
    std::lock_guard lock(m_mutex);
    if (m_stopped) return;
    m_workers.emplace_back(
        [this, job = std::move(job)] { UpdateCheckThread(job, m_ui, m_link.stop); });
}

void Application::Stop() {
    std::vector<std::thread> workers;
    std::vector<Task> tasks;
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return;
        m_stopped = true;
        workers.swap(m_workers);
        tasks.swap(m_tasks);
    }
    m_watch.NoteQuitting();
    m_link.stop.RequestStop();
    for (auto& worker : workers) worker.join();
    for (auto& task : tasks) task.thread.join();
    m_watch.EndOpenBackup();
    // No worker runs any more; keep a late caller away from the front end.
    m_link.state.DetachDisplayHook();
}

void Application::OpenMainWindow() {
    m_link.pairingWindow.CodeShown();
    m_ui.OnOpenMainWindow();
}

void Application::PairingCodeShown() {
    m_link.pairingWindow.CodeShown();
}

void Application::SetConnectPanelShown(bool shown) {
    m_link.pairingWindow.SetPanelShown(shown);
}

void Application::HandleRequest(const std::string& bytes,
                                std::function<void(std::string_view)> answer) {
    const auto request = DecodeRequest(bytes);
    if (!request) return;  // from a newer or foreign program: ignore
    switch (request->kind) {
        case InstanceRequest::Kind::Show:
            return OpenMainWindow();
        case InstanceRequest::Kind::Send:
            switch (request->answer) {
                case InstanceRequest::Answer::Box:
                    SendFiles(request->files);
                    return;
                case InstanceRequest::Answer::Wait:
                    SendFiles(request->files, [answer](SendOutcome outcome) {
                        if (answer) answer(SendOutcomeWord(outcome));
                    });
                    return;
                case InstanceRequest::Answer::Notify:
                    return SendFromFileManager(request->files);
            }
            return;
        case InstanceRequest::Kind::Disconnect:
            return Disconnect();
    }
}

void Application::ReapEndedTasks() {
    std::vector<Task> ended;
    {
        std::lock_guard lock(m_mutex);
        auto first = std::stable_partition(m_tasks.begin(), m_tasks.end(),
                                           [](const Task& task) { return !*task.ended; });
        std::move(first, m_tasks.end(), std::back_inserter(ended));
        m_tasks.erase(first, m_tasks.end());
    }
    // Each joins, outside the lock, a thread whose work is done.
}

void Application::Keep(Task task) {
    std::lock_guard lock(m_mutex);
    // A stop that came meanwhile has asked the link to stop: the task ends at
    // once and is joined as `task` goes, after the lock is released.
    if (!m_stopped) m_tasks.push_back(std::move(task));
}

bool Application::SendFiles(std::vector<std::filesystem::path> files, SendReport report) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return false;
    }
    ReapEndedTasks();
    // The send may tell the user something at once (no phone, say): no lock
    // of ours is held while it does.
    auto ended = std::make_shared<std::atomic<bool>>(false);
    std::jthread thread =
        OnSendFiles(m_link, std::move(files), std::move(report), [ended] { *ended = true; });
    if (!thread.joinable()) return false;
    Keep({std::move(thread), std::move(ended)});
    return true;
}

void Application::NotifySendOutcome(SendOutcome outcome) {
    constexpr std::size_t kCapacity = 1024;
    if (outcome == SendOutcome::Stopped) return;
    if (outcome == SendOutcome::NoPhone)
        return m_ui.AskToConnectPhone(LoadUiString(kStrConnectThenSend, kCapacity));
    m_ui.NotifySendOutcome(LoadUiString(SendOutcomeMessage(outcome), kCapacity),
                           outcome != SendOutcome::Sent);
}

void Application::SendFromFileManager(std::vector<std::filesystem::path> files,
                                      std::chrono::milliseconds waitForPhone) {
    const SendReport report = [this](SendOutcome outcome) { NotifySendOutcome(outcome); };
    if (waitForPhone <= std::chrono::milliseconds(0) || m_link.state.IsConnected()) {
        SendFiles(std::move(files), report);
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return;
    }
    auto ended = std::make_shared<std::atomic<bool>>(false);
    Keep({std::jthread([this, ended, waitForPhone, report, files = std::move(files)]() mutable {
              // The phone finds a freshly started PC on its own after a while.
              constexpr std::chrono::milliseconds kLook{100};
              for (auto waited = std::chrono::milliseconds(0);
                   waited < waitForPhone && !m_link.state.IsConnected(); waited += kLook) {
                  if (!m_link.stop.SleepFor(kLook)) break;
              }
              if (!m_link.stop.StopRequested()) SendFiles(std::move(files), report);
              *ended = true;
          }),
          ended});
}

void Application::CheckBackups() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return;
    }
    if (m_checking.test_and_set()) return m_ui.ShowMessage(LoadUiString(kStrCheckRunning, 300));
    ReapEndedTasks();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    Keep({std::jthread([this, ended] {
              VerifyRequest request;
              request.backupFolder = StoredBackupFolder();
              // A quit ends the check at the next piece read.
              const auto summary = VerifyBackups(
                  request, m_settings.historyFile, m_link.clock,
                  [this](const CheckProgress&) { return !m_link.stop.StopRequested(); });
              if (!summary.stopped) m_ui.OnBackupsChecked(summary);
              m_checking.clear();
              *ended = true;
          }),
          ended});
}

void Application::Disconnect() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopped) return;
    }
    ReapEndedTasks();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    Keep({std::jthread([this, ended] {
              DisconnectThread(m_link);
              *ended = true;
          }),
          ended});
}

}  // namespace harbrook
