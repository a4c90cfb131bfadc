// The three child panels of the main window, each from its dialog template:
// the connect panel (how to pair, the phone picture and the QR code), the
// connected panel (the phone's name and "Disconnect") and the received-files
// panel (four category buttons). They render; the main window decides.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "ui/win32/buttons.h"
#include "ui/win32/dialog_window.h"
#include "ui/win32/graphics.h"
#include "ui/win32/picture_control.h"

namespace harbrook::win32 {

// White panels with dark text; Enter and Esc inside them do nothing.
class PanelDialog : public DialogWindow {
  public:
    ~PanelDialog() override;

  protected:
    // The common part; a panel handles the rest.
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual INT_PTR HandlePanelMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    // The control takes a bold font, larger by the scale.
    void MakeHeadline(int id, double scale);

  private:
    HBRUSH m_white = CreateSolidBrush(RGB(255, 255, 255));
    HFONT m_headline = nullptr;
};

class PhoneConnectDlg final : public PanelDialog {
  public:
    // The phone picture at its own size (an animated GIF plays); false when
    // it cannot be read.
    bool LoadPhonePicture(const std::filesystem::path& file);
    void ShowQrCode(Image qr);

  protected:
    INT_PTR HandlePanelMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    CPictureEx m_phone;
    Image m_qr;
};

class PhoneConnectedDlg final : public PanelDialog {
  public:
    std::function<void()> onDisconnect;
    void SetHeadline(const std::string& text);

  protected:
    INT_PTR HandlePanelMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class ReceivedFilesDlg final : public PanelDialog {
  public:
    // The folder's string ID of the category clicked.
    std::function<void(unsigned folder)> onCategory;

  protected:
    INT_PTR HandlePanelMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    std::array<CMyButton, 4> m_buttons;
};

}  // namespace harbrook::win32
