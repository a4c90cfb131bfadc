// The main window (template 102): the banner across the top, the navigation
// buttons down the left and one of the three panels at the bottom right. It
// lives behind the tray icon: hidden from the start until it is first
// opened, hidden again by its close box or Esc; only "Quit" ends it. Every
// method runs on the UI thread; workers reach it through Post.
#pragma once

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/posting_frontend.h"
#include "app/progress_meter.h"
#include "app/window_model.h"
#include "ui/win32/banner.h"
#include "ui/win32/buttons.h"
#include "ui/win32/dialog_window.h"
#include "ui/win32/panels.h"
#include "ui/win32/tray_icon.h"

namespace harbrook::win32 {

class CharbrookDlg final : public DialogWindow, public FrontendWindow {
  public:
    CharbrookDlg();
    ~CharbrookDlg() override;

    // Makes the window and its panels, hidden, and adds the tray icon.
    bool Create();

    // Hands work to the UI thread; it runs later, in order. False when the
    // window is gone (the work is dropped).
    bool Post(std::function<void()> work);

    void OpenMainWindow() override;
    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override;
    void SetBannerStatus(const std::string& text) override;
    void OnProgressReading(const ProgressReading& reading) override;
    void OnBackupEnded() override;
    void SetSendButton(const std::string& text, bool enabled) override;
    void ShowQrCode(Image qr);
    bool LoadPhonePicture(const std::filesystem::path& file);
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    // The file-open dialog of "Send Files", in the folder files were last
    // chosen from (the user's Documents the first time); empty when cancelled.
    std::vector<std::filesystem::path> ChooseFilesToSend();
    // Removes the tray icon and destroys the window; the message loop ends.
    void Quit();
    bool TrayShown() const { return m_tray.Shown(); }

    std::function<void()> onSendFiles;
    std::function<void()> onDisconnect;
    std::function<void(unsigned folder)> onCategory;
    // The Connect Phone panel came on show (the window up, not minimised,
    // that panel in front) or went; phones may pair while it shows.
    std::function<void(bool shown)> onConnectPanelShown;

  protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnInitDialog();
    void CalcPanelLayout();
    void Render();
    void ReportConnectPanel();
    void Hide();
    HWND MessageOwner() const;

    WindowModel m_model;
    BannerModel m_bannerModel;
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
    bool m_bAllowShow = false;
    std::wstring m_lastSendFolder;
    bool m_connectOnShow = false;  // as last reported
    // Where workers post to: set once the window exists, cleared when it goes.
    std::atomic<HWND> m_postTarget{nullptr};
};

}  // namespace harbrook::win32
