// The notification-area icon: added at start and again every five seconds
// until the shell takes it, added again when the shell restarts
// ("TaskbarCreated"), removed on quit. Its clicks come back to the owner
// window as the callback message; the menu's choices as WM_COMMAND.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace harbrook::win32 {

class TrayIcon {
  public:
    static constexpr UINT kCallbackMessage = WM_USER + 1;
    static constexpr UINT_PTR kRetryTimer = 1;

    // The owner gets the callback messages and the menu's commands.
    void Start(HWND owner);
    void Remove();
    bool Shown() const { return m_shown; }
    // A balloon notice from the icon; false when no icon shows it.
    bool ShowNotice(const std::string& title, const std::string& body, bool warning);

    // The owner's messages that concern the icon: the callback, the retry
    // timer and "TaskbarCreated". True when it was one of them.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // The icon's menu with its texts, "Start at login" ticked while the
    // program starts at login; the caller destroys it (its first submenu is
    // the one shown).
    HMENU MakeMenu() const;
    // "Start at login" chosen: switches it; false, with the reason, when
    // that cannot be done.
    static bool SwitchStartAtLogin(std::string* why);

    std::function<void()> onOpen;  // a left click

  private:
    bool TryAdd();
    void ShowMenu();

    HWND m_owner = nullptr;
    UINT m_taskbarCreated = 0;
    bool m_shown = false;
    bool m_retrying = false;
};

}  // namespace harbrook::win32
