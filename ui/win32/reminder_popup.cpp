#include "ui/win32/reminder_popup.h"

#include "app/popup_placement.h"
#include "app/window_texts.h"
#include "ui/win32/graphics.h"
#include "ui/win32/resource_ids.h"

namespace harbrook::win32 {
namespace {

using namespace window_text;

ScreenRect ToScreenRect(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

CNotifyBackup::CNotifyBackup(const std::filesystem::path& dataFolder) : m_reminder(dataFolder) {}

bool CNotifyBackup::Create() {
    // No parent: a window of the desktop, not of the (maybe hidden) main window.
    return DialogWindow::Create(IDD_REMINDER, nullptr);
}

bool CNotifyBackup::CalcPosition() {
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    if (!taskbar || !Hwnd()) return false;
    RECT bar{}, desktop{}, own{};
    GetWindowRect(taskbar, &bar);
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(Hwnd(), &own);
    m_width = own.right - own.left;
    m_height = own.bottom - own.top;
    const PopupPlacement at =
        CalcTaskbarPopupPosition(ToScreenRect(desktop), ToScreenRect(bar), m_width, m_height);
    m_x = at.x;
    m_y = at.y;
    return true;
}

void CNotifyBackup::ShowNow() {
    // Shown where it belongs at once: never for a moment where it was made.
    SetWindowPos(Hwnd(), HWND_TOP, m_x, m_y, m_width, m_height, SWP_SHOWWINDOW);
    UpdateWindow(Hwnd());
    SetForegroundWindow(Hwnd());
}

void CNotifyBackup::OnInitDialog() {
    const auto set = [this](int id, unsigned text) {
        SetWindowTextW(Item(id), LoadText(text, kLongText).c_str());
    };
    set(IDC_REMINDER_LINE1, kStrReminderHeadline);
    set(IDC_REMINDER_LINE2, kStrReminderDetail);
    set(IDC_REMINDER_BACKUP, kStrBackupNow);
    set(IDC_REMINDER_NO_SHOW, kStrNoShowAgain);
    SetWindowTextW(Hwnd(), LoadText(kStrProductName, kNameText).c_str());
}

void CNotifyBackup::Close() {
    // Hidden, not destroyed: it lives as long as the main window.
    ShowWindow(Hwnd(), SW_HIDE);
}

INT_PTR CNotifyBackup::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            OnInitDialog();
            return TRUE;
        case WM_CLOSE:
            Close();
            return TRUE;
        case WM_COMMAND:
            if (HIWORD(wParam) != BN_CLICKED) return FALSE;
            switch (LOWORD(wParam)) {
                case IDC_REMINDER_BACKUP:
                    if (onOpenMainWindow) onOpenMainWindow();
                    Close();
                    return TRUE;
                case IDC_REMINDER_NO_SHOW:
                    // Every click writes the choice; closing writes nothing.
                    m_reminder.OnNoShowClicked(IsDlgButtonChecked(Hwnd(), IDC_REMINDER_NO_SHOW) ==
                                               BST_CHECKED);
                    return TRUE;
                case IDOK:
                case IDCANCEL:
                    Close();
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

}  // namespace harbrook::win32
