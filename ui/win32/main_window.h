// The main window (template 102): the banner across the top, the navigation
// buttons down the left and one of the three panels at the bottom right. It
// draws the state the window presenter (app/window_presenter.h) hands it and
// reports the user's clicks through its callbacks; only "Quit" ends it.
// Every method runs on the UI thread; workers reach it through Post.
#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/window_view.h"
#include "ui/win32/banner.h"
#include "ui/win32/buttons.h"
#include "ui/win32/dialog_window.h"
#include "ui/win32/panels.h"
#include "ui/win32/tray_icon.h"

namespace harbrook::win32 {

class CharbrookDlg final : public DialogWindow {
  public:
    CharbrookDlg();
    ~CharbrookDlg() override;

    // Makes the window and its panels, hidden, and adds the tray icon.
    bool Create();

    // Hands work to the UI thread; it runs later, in order. False when the
    // window is gone (the work is dropped).
    bool Post(std::function<void()> work);

    // Draws the state; the window shows, hides or comes to the front only
    // when the state says so anew.
    void Render(const WindowViewState& state);
    void ShowQrCode(Image qr);
    bool LoadPhonePicture(const std::filesystem::path& file);
    void ShowMessage(const std::string& text);
    bool AskOkCancel(const std::string& text);
    // The file-open dialog of "Send Files", in the folder files were last
    // chosen from (the user's Documents the first time); empty when cancelled,
    // or when the choice does not fit `bufferChars` (which the user is told).
    std::vector<std::filesystem::path> ChooseFilesToSend(std::size_t bufferChars = kFileNameBuffer);
    // The dialog's name buffer, in UTF-16 characters: a few hundred names.
    static constexpr std::size_t kFileNameBuffer = 26000;
    // Removes the tray icon and destroys the window; the message loop ends.
    void Quit();
    bool TrayShown() const { return m_tray.Shown(); }
    TrayIcon& Tray() { return m_tray; }

    std::function<void()> onConnectPhone;
    std::function<void()> onReceivedFiles;
    std::function<void()> onSendFiles;
    std::function<void()> onDisconnect;
    std::function<void(unsigned folder)> onCategory;
    std::function<void()> onClose;         // the close box or Esc
    std::function<void()> onOpen;          // the tray's click or its menu's first item
    std::function<void()> onCheckBackups;  // the tray menu's "Check backups"

  protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnInitDialog();
    void CalcPanelLayout();
    bool ShowPanel(PanelId panel);
    void ApplyVisibility();
    HWND MessageOwner() const;
    static void Call(const std::function<void()>& callback) {
        if (callback) callback();
    }

    WindowViewState m_state;             // as last rendered
    PanelId m_shown = PanelId::Connect;  // the panel on show
    CTopChildDlg m_banner;
    PhoneConnectDlg m_connect;
    PhoneConnectedDlg m_connected;
    ReceivedFilesDlg m_received;
    std::array<NavigationButton, 3> m_nav;
    TrayIcon m_tray;
    RECT m_panelRect{};
    HICON m_icon = nullptr;
    HICON m_smallIcon = nullptr;
    HBRUSH m_navBrush = nullptr;
    // Where workers post to: set once the window exists, cleared when it goes.
    std::atomic<HWND> m_postTarget{nullptr};
    std::wstring m_lastSendFolder;
};

}  // namespace harbrook::win32
