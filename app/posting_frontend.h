// The core's Frontend for a window, whatever its toolkit. Calls come on
// worker threads; each hands what to show to the UI thread and returns at
// once. Only the OK/Cancel question waits for its answer, and it is never
// asked under a lock. A toolkit adds its one hop to the UI thread and the
// window that the work is handed to.
#pragma once

#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_frontend.h"

namespace harbrook {

// What a window does with the core's calls, on its UI thread only.
class FrontendWindow {
  public:
    virtual void OnConnectionStateChanged(bool connected, const std::string& phoneName) = 0;
    virtual void SetBannerStatus(const std::string& text) = 0;
    virtual void OnProgressReading(const ProgressReading& reading) = 0;
    virtual void OnBackupEnded() = 0;
    virtual void SetSendButton(const std::string& text, bool enabled) = 0;
    // Restores the window, raises it and shows the panel that was on show.
    virtual void OpenMainWindow() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
    // Asks and waits for the answer (true for OK).
    virtual bool AskOkCancel(const std::string& text) = 0;

  protected:
    ~FrontendWindow() = default;
};

class PostingFrontend : public AppFrontend {
  public:
    explicit PostingFrontend(FrontendWindow& window);

    // The UI thread is going away: pending and later questions are answered
    // with Cancel, and nothing more is handed over. Called on the UI thread
    // once its loop has ended.
    void Close();
    // What shows the backup reminder's pop-up; run on the UI thread. Set
    // before start-up, then only read.
    void SetReminderHandler(std::function<void()> show) { m_showReminder = std::move(show); }

    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override;
    void SetBannerStatus(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    void SetSendButton(const std::string& text, bool enabled) override;
    void OnBackupStarted(std::int64_t totalBytes) override;
    void OnOpenMainWindow() override;
    void ShowBackupReminder() override;
    void OnProgressReading(const ProgressReading& reading) override;
    void OnBackupRecorded(const BackupRecord& record) override;

  protected:
    // Runs the work on the UI thread, later and in order; dropped once closed.
    void Post(std::function<void()> work);
    FrontendWindow& Window() const { return m_window; }

  private:
    // The toolkit's part. Whether the caller runs on the UI thread.
    virtual bool OnUiThread() const = 0;
    // Queues the work for the UI thread; never runs it before returning.
    virtual void PostToUiThread(std::function<void()> work) = 0;

    using Question = std::shared_ptr<std::promise<bool>>;
    // Removes a question still waiting; false when Close() answered it.
    bool TakePending(const Question& question);

    FrontendWindow& m_window;
    std::function<void()> m_showReminder;
    std::mutex m_mutex;  // guards what follows
    bool m_closed = false;
    std::vector<Question> m_questions;
};

}  // namespace harbrook
