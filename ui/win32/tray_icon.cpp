#include "ui/win32/tray_icon.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "app/window_texts.h"
#include "locale/system_error.h"
#include "platform/autostart.h"
#include "platform/folders.h"
#include "ui/win32/graphics.h"
#include "ui/win32/resource_ids.h"

namespace harbrook::win32 {
namespace {

using namespace window_text;

constexpr UINT kRetryMs = 5000;

NOTIFYICONDATAW Record(HWND owner) {
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof(record);
    record.hWnd = owner;
    record.uID = IDI_HARBROOK;
    return record;
}

// The icon's image for the small-icon size at the system's DPI, loaded once:
// LoadIconMetric where comctl32 has it (the manifest asks for version 6),
// else the image nearest to the system's small-icon metrics.
HICON SmallIcon() {
    static const HICON icon = [] {
        const HINSTANCE self = GetModuleHandleW(nullptr);
        HICON loaded = nullptr;
        if (SUCCEEDED(LoadIconMetric(self, MAKEINTRESOURCEW(IDI_HARBROOK), LIM_SMALL, &loaded)))
            return loaded;
        return static_cast<HICON>(LoadImageW(self, MAKEINTRESOURCEW(IDI_HARBROOK), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }();
    return icon;
}

}  // namespace

void TrayIcon::Start(HWND owner) {
    m_owner = owner;
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (!TryAdd()) {
        m_retrying = true;
        SetTimer(m_owner, kRetryTimer, kRetryMs, nullptr);
    }
}

bool TrayIcon::TryAdd() {
    NOTIFYICONDATAW record = Record(m_owner);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kCallbackMessage;
    // Always the program's own icon, never one of a language library: the
    // small image the system's metrics (and so the DPI) ask for, drawn at that
    // size rather than scaled.
    record.hIcon = SmallIcon();
    const std::wstring tip = LoadText(kStrTrayTip, kButtonText);
    // The tip field holds 127 characters and the terminator; a longer text is cut.
    wcsncpy(record.szTip, tip.c_str(), std::size(record.szTip) - 1);
    m_shown = Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
    return m_shown;
}

bool TrayIcon::ShowNotice(const std::string& title, const std::string& body, bool warning) {
    if (!m_shown) return false;
    NOTIFYICONDATAW record = Record(m_owner);
    record.uFlags = NIF_INFO;
    record.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
    // Both fields are cut to their size, the terminator kept.
    wcsncpy(record.szInfoTitle, Wide(title).c_str(), std::size(record.szInfoTitle) - 1);
    wcsncpy(record.szInfo, Wide(body).c_str(), std::size(record.szInfo) - 1);
    return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

void TrayIcon::Remove() {
    if (m_retrying) KillTimer(m_owner, kRetryTimer);
    m_retrying = false;
    if (!m_shown) return;
    NOTIFYICONDATAW record = Record(m_owner);
    Shell_NotifyIconW(NIM_DELETE, &record);
    m_shown = false;
}

HMENU TrayIcon::MakeMenu() const {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_TRAY));
    if (!menu) return nullptr;
    HMENU popup = GetSubMenu(menu, 0);
    ModifyMenuW(popup, ID_OPEN_MAIN_WINDOW, MF_BYCOMMAND | MF_STRING, ID_OPEN_MAIN_WINDOW,
                LoadText(kStrOpenMainWindow, kButtonText).c_str());
    ModifyMenuW(popup, ID_CHECK_BACKUPS, MF_BYCOMMAND | MF_STRING, ID_CHECK_BACKUPS,
                LoadText(kStrMenuCheckBackups, kButtonText).c_str());
    // The Run key may have been switched meanwhile (`harbrook --autostart`, by hand).
    ModifyMenuW(popup, ID_START_AT_LOGIN,
                MF_BYCOMMAND | MF_STRING | (platform::StartsAtLogin() ? MF_CHECKED : MF_UNCHECKED),
                ID_START_AT_LOGIN, LoadText(kStrStartAtLogin, kButtonText).c_str());
    ModifyMenuW(popup, ID_QUIT, MF_BYCOMMAND | MF_STRING, ID_QUIT,
                LoadText(kStrQuit, kButtonText).c_str());
    SetMenuDefaultItem(popup, 0, TRUE);
    return menu;
}

bool TrayIcon::SwitchStartAtLogin(std::string* why) {
    platform::StartAtLoginFailure failure;
    if (platform::SetStartAtLogin(!platform::StartsAtLogin(), platform::ProgramToStart(), &failure))
        return true;
    if (why) *why = DescribeStartAtLoginFailure(failure, platform::StartAtLoginPlace());
    return false;
}

void TrayIcon::ShowMenu() {
    HMENU menu = MakeMenu();
    if (!menu) return;
    HMENU popup = GetSubMenu(menu, 0);
    // Foreground first, or the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(m_owner);
    POINT at{};
    GetCursorPos(&at);
    TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, m_owner, nullptr);
    PostMessageW(m_owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

bool TrayIcon::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallbackMessage) {
        if (LOWORD(lParam) == WM_LBUTTONDOWN) {
            if (onOpen) onOpen();
        }
        if (LOWORD(lParam) == WM_RBUTTONDOWN) ShowMenu();
        return true;
    }
    if (message == WM_TIMER && wParam == kRetryTimer) {
        if (TryAdd()) {
            KillTimer(m_owner, kRetryTimer);
            m_retrying = false;
        }
        return true;
    }
    if (m_taskbarCreated && message == m_taskbarCreated) {
        // The shell restarted and forgot the icon.
        m_shown = false;
        if (!m_retrying && !TryAdd()) {
            m_retrying = true;
            SetTimer(m_owner, kRetryTimer, kRetryMs, nullptr);
        }
        return true;
    }
    return false;
}

}  // namespace harbrook::win32
