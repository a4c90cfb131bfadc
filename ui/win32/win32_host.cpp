#include "ui/win32/win32_host.h"

// windows.h first: the others build on it.
#include <windows.h>
//
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/window_host.h"
#include "app/window_presenter.h"
#include "core/app_folders.h"
#include "ui/win32/graphics.h"
#include "ui/win32/main_window.h"
#include "ui/win32/reminder_popup.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_view.h"

namespace harbrook {
namespace {

using win32::CharbrookDlg;

// Set up before any window exists: common controls, COM for the file dialog.
struct UiThreadSetup {
    UiThreadSetup() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        m_com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    ~UiThreadSetup() {
        if (m_com) CoUninitialize();
    }
    bool m_com = false;
};

class Win32Host final : public FrontEndHost {
  public:
    Win32Host() : m_view(m_window), m_presenter(m_view, m_view) {
        // Started from the desktop, the program's console would be an empty
        // black window beside it; from a command prompt it stays.
        DWORD processes[2];
        if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();
        // In a language read from the right every window of ours is laid out
        // mirrored, the panels (child windows) following their parent.
        win32::UseLanguageLayout();
        m_window.Create();
        m_view.Connect(m_presenter);
    }

    AppFrontend& Ui() override { return m_presenter; }

    void Run(Application& app) override {
        if (!m_window.Hwnd()) return;
        ApplicationCommands commands(app);
        m_presenter.SetCommands(&commands);
        m_presenter.SetTrayPresent(m_window.TrayShown() || FindWindowW(L"Shell_TrayWnd", nullptr));
        std::filesystem::path programFolder;
        m_presenter.Start(GetModuleFolder(programFolder) ? std::optional(programFolder)
                                                         : std::nullopt);
        const HWND window = m_window.Hwnd();
        const QuitRequestWatch watch([window] { PostMessageW(window, WM_COMMAND, ID_QUIT, 0); });
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            // The dialog manager turns Esc and Enter into commands.
            if (IsDialogKey(m_window.Hwnd(), message)) continue;
            if (m_view.Reminder() && IsDialogKey(m_view.Reminder()->Hwnd(), message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        m_presenter.SetCommands(nullptr);
        m_window.Quit();
    }

  private:
    static bool IsDialogKey(HWND dialog, MSG& message) {
        return dialog && IsDialogMessageW(dialog, &message);
    }

    UiThreadSetup m_setup;
    win32::GdiplusSession m_gdiplus;
    CharbrookDlg m_window;
    win32::Win32View m_view;
    WindowPresenter m_presenter;
};

}  // namespace

std::unique_ptr<FrontEndHost> MakeWin32Host(const Options&) {
    return std::make_unique<Win32Host>();
}

}  // namespace harbrook
