// The banner across the top of the main window: our background picture, the
// product, the connection picture and the status text in white, and while a
// backup runs its progress line and bar. It renders a BannerView; what the
// view says is decided by the shared window logic.
#pragma once

#include "app/window_model.h"
#include "ui/win32/dialog_window.h"
#include "ui/win32/graphics.h"

namespace harbrook::win32 {

class CTopChildDlg final : public DialogWindow {
  public:
    CTopChildDlg();
    ~CTopChildDlg() override;
    void Render(const BannerView& view);

  protected:
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void PaintBackground(HDC dc, const RECT& client, POINT offset) const;
    void DrawStatus(const DRAWITEMSTRUCT& item);

    BannerView m_view;
    Image m_background, m_notConnected, m_connected, m_logo;
    HFONT m_productFont = nullptr, m_textFont = nullptr;
};

}  // namespace harbrook::win32
