// The core's Frontend for the Qt window. Calls come on worker threads; each
// hands what to show to the UI thread and returns at once. Only the
// OK/Cancel question waits for its answer, and it is never asked under a lock.
#pragma once

#include <QObject>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

#include "app/app_frontend.h"

namespace harbrook::qt {

class MainWindow;
class TrayIcon;

class QtFrontend final : public AppFrontend {
  public:
    QtFrontend(MainWindow& window, TrayIcon& tray);

    // The UI thread is going away: pending and later questions are answered
    // with Cancel, and nothing more is shown.
    void Close();
    // What shows the backup reminder's pop-up; run on the UI thread.
    void SetReminderHandler(std::function<void()> show) { m_showReminder = std::move(show); }

    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override;
    void SetBannerStatus(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    void SetSendButton(const std::string& text, bool enabled) override;
    bool ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) override;
    void OnBackupStarted(std::int64_t totalBytes) override;
    void OnOpenMainWindow() override;
    void ShowBackupReminder() override;
    void OnProgressReading(const ProgressReading& reading) override;
    void OnBackupRecorded(const BackupRecord& record) override;

  private:
    // Runs the work on the UI thread, later; returns at once.
    void Post(std::function<void()> work);

    MainWindow& m_window;
    TrayIcon& m_tray;
    std::function<void()> m_showReminder;  // set before start-up, then only read
    std::mutex m_mutex;                    // guards what follows
    bool m_closed = false;
    std::vector<std::shared_ptr<std::promise<bool>>> m_questions;
};

}  // namespace harbrook::qt
