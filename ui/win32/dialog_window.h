// One small class per Win32 dialog: the template is created with this
// object as its parameter, and every message goes to one virtual handler.
#pragma once

#include <windows.h>

namespace harbrook::win32 {

class DialogWindow {
  public:
    DialogWindow() = default;
    virtual ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // A modeless dialog from the program's template; false when it cannot be made.
    bool Create(int templateId, HWND parent);
    HWND Hwnd() const { return m_hwnd; }
    HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }

  protected:
    // TRUE when the message was handled (SetWindowLongPtr DWLP_MSGRESULT for
    // a result), FALSE for the dialog manager's own handling.
    virtual INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  private:
    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    HWND m_hwnd = nullptr;
};

}  // namespace harbrook::win32
