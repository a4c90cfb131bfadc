// The backup reminder (template 149): a small window of its own at the
// right-hand end of the taskbar, shown at most once a start and even while
// the main window is still hidden. Its button opens the main window and
// closes it; each click on its check box switches the reminder off or on
// again for later starts. Enter (away from the button), Esc and the close
// box close it. Every method runs on the UI thread.
#pragma once

#include <filesystem>
#include <functional>

#include "ui/win32/dialog_window.h"
#include "update/backup_reminder.h"

namespace harbrook::win32 {

class CNotifyBackup final : public DialogWindow {
  public:
    // The "Do not show again." choice is written to the data folder's settings.
    explicit CNotifyBackup(const std::filesystem::path& dataFolder);

    // Makes the pop-up, hidden, as a top-level window of its own.
    bool Create();
    // Its place against the taskbar window ("Shell_TrayWnd"); false when
    // there is none.
    bool CalcPosition();
    // At the place CalcPosition found, in front of the other windows.
    void ShowNow();
    // What CalcPosition found: x, y, width, height.
    RECT Placement() const { return {m_x, m_y, m_width, m_height}; }

    std::function<void()> onOpenMainWindow;

  protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnInitDialog();
    void Close();

    BackupReminder m_reminder;
    int m_x = 0, m_y = 0, m_width = 0, m_height = 0;
};

}  // namespace harbrook::win32
