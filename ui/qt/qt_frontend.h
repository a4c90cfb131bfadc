// The core's Frontend for the Qt window: the shared posting frame with Qt's
// hop to the GUI thread, the QR picture read as a QImage, and the tray's
// notice at the end of a backup.
#pragma once

#include <QObject>
#include <deque>
#include <mutex>

#include "app/posting_frontend.h"

namespace harbrook::qt {

class MainWindow;
class TrayIcon;

class QtFrontend final : public PostingFrontend {
  public:
    QtFrontend(MainWindow& window, TrayIcon& tray);

    bool ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) override;
    void OnBackupRecorded(const BackupRecord& record) override;

  private:
    // Runs on the UI thread what workers queued. The work itself goes
    // through a queue of ours under a mutex of ours, and only a bare wake-up
    // event through Qt's, so that the hand-over is one that thread checkers
    // can follow (Qt's own locks are futexes they do not see).
    class Runner final : public QObject {
      public:
        bool event(QEvent* event) override;
        std::mutex mutex;
        std::deque<std::function<void()>> queue;
    };

    bool OnUiThread() const override;
    void PostToUiThread(std::function<void()> work) override;

    MainWindow& m_window;
    TrayIcon& m_tray;
    Runner m_runner;
};

}  // namespace harbrook::qt
