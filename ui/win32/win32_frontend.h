// The core's Frontend for the Win32 window. Calls come on worker threads;
// each posts what to show to the UI thread and returns at once. Only the
// OK/Cancel question waits for its answer, and it is never asked under a lock.
#pragma once

#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "app/app_frontend.h"

namespace harbrook::win32 {

class CharbrookDlg;

class Win32Frontend final : public AppFrontend {
  public:
    explicit Win32Frontend(CharbrookDlg& window);

    // The UI thread is going away: pending and later questions are answered
    // with Cancel, and nothing more is shown.
    void Close();

    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override;
    void SetBannerStatus(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    void SetSendButton(const std::string& text, bool enabled) override;
    bool ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) override;
    void OnBackupStarted(std::int64_t totalBytes) override;
    void OnOpenMainWindow() override;
    void OnProgressReading(const ProgressReading& reading) override;
    void OnBackupRecorded(const BackupRecord& record) override;

  private:
    void Post(std::function<void()> work);

    CharbrookDlg& m_window;
    const std::thread::id m_uiThread;
    std::mutex m_mutex;  // guards what follows
    bool m_closed = false;
    std::vector<std::shared_ptr<std::promise<bool>>> m_questions;
};

}  // namespace harbrook::win32
