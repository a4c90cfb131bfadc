// The main window's logic, written once for every window toolkit. It is the
// front end the application talks to: calls come on worker threads and hop
// to the UI thread, where the window and banner models change and the view
// renders the result. The user's clicks come back here (on the UI thread)
// and become the application's commands. Which panel shows, what the banner
// and the close box do, when the window may be seen, the reminder, the
// end-of-backup notice: all decided here, none in a toolkit.
#pragma once

#include <filesystem>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/app_frontend.h"
#include "app/window_model.h"
#include "app/window_view.h"

namespace harbrook {

class WindowPresenter final : public AppFrontend {
  public:
    // Made on the UI thread; the view is not called before Start.
    WindowPresenter(WindowView& view, UiThread& ui);

    // What the clicks start; set on the UI thread before Start, cleared
    // (null) before the application goes.
    void SetCommands(WindowCommands* commands) { m_commands = commands; }
    // Whether a notification area holds our icon; it decides what the
    // close box does. May change at any time (the tray can come later).
    void SetTrayPresent(bool present) { m_trayPresent = present; }

    // On the UI thread as its loop starts: the first render, the phone
    // picture from the program's folder (none found: nullopt), and the
    // window opened at once when there is no notification area.
    void Start(const std::optional<std::filesystem::path>& programFolder);
    void Close() override;

    // The user's wishes, on the UI thread.
    void OnConnectPhoneClicked();
    void OnReceivedFilesClicked();
    void OnSendFilesClicked();
    void OnFilesDropped(std::vector<std::filesystem::path> files);
    void OnDisconnectClicked();
    void OnCategoryClicked(unsigned folderStringId);
    // The tray menu's "Check backups".
    void OnCheckBackupsClicked();
    // The close box or Esc: the program goes on behind its icon.
    void OnCloseRequested();
    // The tray's click and menu, the reminder's button, a second start.
    void OpenMainWindow();

    const WindowViewState& State() const { return m_state; }

    // The application's calls, from any thread.
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
    void OnSendProgressReading(const ProgressReading& reading) override;
    void OnSendEnded() override;
    void NotifySendOutcome(const std::string& text, bool failed) override;
    void AskToConnectPhone(const std::string& text) override;
    void OnBackupsChecked(const VerifySummary& summary) override;

  private:
    // Runs the work on the UI thread, later and in order; dropped once closed.
    void Post(std::function<void()> work);
    // Removes a question still waiting; false when Close() answered it.
    using Question = std::shared_ptr<std::promise<bool>>;
    bool TakePending(const Question& question);

    // The state from the models, then the view draws it. UI thread only.
    void Render();
    bool SendPossible();
    // False, with its message, while a send runs (the button says "Sending").
    bool NoSendRunning();

    WindowView& m_view;
    UiThread& m_ui;
    WindowCommands* m_commands = nullptr;
    bool m_trayPresent = true;
    bool m_started = false;
    bool m_reminderShown = false;
    bool m_connectOnShow = false;  // as last reported to the commands

    // UI thread only.
    WindowModel m_model;
    BannerModel m_banner;
    WindowViewState m_state;

    std::mutex m_mutex;  // guards what follows
    bool m_closed = false;
    std::vector<Question> m_questions;
};

}  // namespace harbrook
