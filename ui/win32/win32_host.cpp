#include "ui/win32/win32_host.h"

// windows.h first: the others build on it.
#include <windows.h>
//
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "app/window_host.h"
#include "app/window_texts.h"
#include "core/app_folders.h"
#include "send/send_files.h"
#include "ui/win32/graphics.h"
#include "ui/win32/main_window.h"
#include "ui/win32/reminder_popup.h"
#include "ui/win32/resource_ids.h"
#include "ui/win32/win32_frontend.h"

namespace harbrook {
namespace {

using namespace window_text;
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
    Win32Host() : m_frontend(m_window) {
        // Started from the desktop, the program's console would be an empty
        // black window beside it; from a command prompt it stays.
        DWORD processes[2];
        if (GetConsoleProcessList(processes, 2) == 1) FreeConsole();
        m_window.Create();
        m_frontend.SetReminderHandler([this] { ShowReminder(); });
    }

    AppFrontend& Ui() override { return m_frontend; }

    void Run(Application& app) override {
        if (!m_window.Hwnd()) return;
        Wire(app);
        LoadPhonePicture();
        // Without a notification area there would be nothing to see.
        if (!m_window.TrayShown() && !FindWindowW(L"Shell_TrayWnd", nullptr)) {
            m_window.OpenMainWindow();
        }
        const HWND window = m_window.Hwnd();
        const QuitRequestWatch watch([window] { PostMessageW(window, WM_COMMAND, ID_QUIT, 0); });
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            // The dialog manager turns Esc and Enter into commands.
            if (IsDialogKey(m_window.Hwnd(), message)) continue;
            if (m_reminder && IsDialogKey(m_reminder->Hwnd(), message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        m_frontend.Close();
        m_window.Quit();
    }

  private:
    static bool IsDialogKey(HWND dialog, MSG& message) {
        return dialog && IsDialogMessageW(dialog, &message);
    }

    // Once a start at most; the pop-up lives as long as the window.
    void ShowReminder() {
        if (m_reminder) return;
        std::filesystem::path dataFolder;
        GetAppDataFolder(dataFolder);
        m_reminder = std::make_unique<win32::CNotifyBackup>(dataFolder);
        // Its button takes the tray's way to the window.
        m_reminder->onOpenMainWindow = [this] { m_window.OpenMainWindow(); };
        // Without a taskbar it is made but stays hidden.
        if (m_reminder->Create() && m_reminder->CalcPosition()) m_reminder->ShowNow();
    }

    void Wire(Application& app) {
        m_window.onDisconnect = [&app] { app.Disconnect(); };
        m_window.onSendFiles = [this, &app] {
            // A send needs the phone's address; the file dialog is not worth opening without it.
            if (app.Link().state.PhoneAddress().empty()) {
                m_window.ShowMessage(LoadUiString(send_text::kNoPhone, 200));
                return;
            }
            auto files = m_window.ChooseFilesToSend();
            if (!files.empty()) app.SendFiles(std::move(files));
        };
        m_window.onCategory = [this, &app](unsigned folder) { OpenCategory(app, folder); };
        m_window.onConnectPanelShown = [&app](bool shown) { app.SetConnectPanelShown(shown); };
    }

    void OpenCategory(Application& app, unsigned folder) {
        const FolderAction action = CategoryFolderAction(app, folder);
        if (action.message) m_window.ShowMessage(LoadUiString(*action.message, 200));
        for (const auto& path : action.open) {
            ShellExecuteW(nullptr, L"explore", path.wstring().c_str(), nullptr, nullptr,
                          SW_SHOWNORMAL);
        }
    }

    void LoadPhonePicture() {
        std::filesystem::path folder;
        if (!GetModuleFolder(folder) || !m_window.LoadPhonePicture(folder / "mobile.jpg")) {
            // The panel goes on without the picture.
            m_window.ShowMessage(kReinstallMessage);
        }
    }

    UiThreadSetup m_setup;
    win32::GdiplusSession m_gdiplus;
    CharbrookDlg m_window;
    win32::Win32Frontend m_frontend;
    std::unique_ptr<win32::CNotifyBackup> m_reminder;
};

}  // namespace

std::unique_ptr<FrontEndHost> MakeWin32Host(const Options&) {
    return std::make_unique<Win32Host>();
}

}  // namespace harbrook
