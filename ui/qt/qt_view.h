// The Qt window as the window presenter sees it: the view that draws the
// presenter's state on the main window, the tray and the reminder pop-up,
// and the one hop from a worker thread to the GUI thread.
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "app/window_presenter.h"
#include "app/window_view.h"

namespace harbrook::qt {

class MainWindow;
class ReminderPopup;
class TrayIcon;

class QtView final : public WindowView, public UiThread {
  public:
    QtView(MainWindow& window, TrayIcon& tray);
    ~QtView();

    // The window's and the tray's clicks go to the presenter.
    void Connect(WindowPresenter& presenter);
    ReminderPopup* Reminder() const { return m_reminder.get(); }

    void Render(const WindowViewState& state) override;
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    std::vector<std::filesystem::path> PickFilesToSend() override;
    void OpenFolder(const std::filesystem::path& folder) override;
    void Notify(const std::string& title, const std::string& body, bool warning) override;
    void ShowQrCode(const std::string& bitmapBytes, const std::string& text) override;
    bool LoadPhonePicture(const std::filesystem::path& file) override;
    void ShowReminder() override;

    bool IsCurrent() const override;
    bool Post(std::function<void()> work) override;

  private:
    // Runs on the GUI thread what workers queued. The work itself goes
    // through a queue of ours under a mutex of ours, and only a bare wake-up
    // event through Qt's, so that the hand-over is one that thread checkers
    // can follow (Qt's own locks are futexes they do not see).
    class Runner final : public QObject {
      public:
        bool event(QEvent* event) override;
        std::mutex mutex;
        std::deque<std::function<void()>> queue;
    };

    MainWindow& m_window;
    TrayIcon& m_tray;
    WindowPresenter* m_presenter = nullptr;
    std::unique_ptr<ReminderPopup> m_reminder;
    Runner m_runner;
};

}  // namespace harbrook::qt
