// The core's Frontend for the Qt window: the shared posting frame with Qt's
// hop to the GUI thread, the QR picture read as a QImage, and the tray's
// notice at the end of a backup.
#pragma once

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
    bool OnUiThread() const override;
    void PostToUiThread(std::function<void()> work) override;

    MainWindow& m_window;
    TrayIcon& m_tray;
};

}  // namespace harbrook::qt
