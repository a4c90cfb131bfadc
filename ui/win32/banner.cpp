#include "ui/win32/banner.h"

#include "app/window_texts.h"
#include "ui/win32/resource_ids.h"

namespace harbrook::win32 {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kFaintWhite = RGB(0xDD, 0xE8, 0xF8);
constexpr COLORREF kBarTrack = RGB(0x5C, 0x8F, 0xD6);
constexpr COLORREF kBarFill = RGB(0x3D, 0xDC, 0x84);
constexpr SIZE kArt{1024, 220};
constexpr SIZE kStatusPicture{120, 55};
constexpr int kLogo = 36;

}  // namespace

CTopChildDlg::CTopChildDlg()
    : m_background(Image::FromResource(IDP_BANNER_BACKGROUND)),
      m_notConnected(Image::FromResource(IDP_NOT_CONNECTED)),
      m_connected(Image::FromResource(IDP_CONNECTED)),
      m_logo(Image::FromResource(IDP_LOGO)) {}

CTopChildDlg::~CTopChildDlg() {
    if (m_productFont) DeleteObject(m_productFont);
    if (m_textFont) DeleteObject(m_textFont);
}

void CTopChildDlg::Render(const BannerView& view) {
    m_view = view;
    if (!Hwnd()) return;
    SetWindowTextW(Item(IDC_BANNER_STATUS), Wide(view.text).c_str());
    InvalidateRect(Hwnd(), nullptr, FALSE);
    InvalidateRect(Item(IDC_BANNER_STATUS), nullptr, FALSE);
}

// The background keeps its proportions and covers the whole banner; a
// control paints the part under it by giving its offset.
void CTopChildDlg::PaintBackground(HDC dc, const RECT& client, POINT offset) const {
    RECT banner;
    GetClientRect(Hwnd(), &banner);
    const double scale = std::max(double(banner.right) / kArt.cx, double(banner.bottom) / kArt.cy);
    const RECT target{-offset.x, -offset.y, -offset.x + LONG(kArt.cx * scale + 0.5),
                      -offset.y + LONG(kArt.cy * scale + 0.5)};
    FillSolid(dc, client, RGB(0x1E, 0x5F, 0xC8));
    m_background.Draw(dc, target);
}

INT_PTR CTopChildDlg::HandleMessage(UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            m_productFont = DeriveFont(Hwnd(), true, 1.5);
            m_textFont = DeriveFont(Hwnd(), true, 1.15);
            Render(m_view);
            return TRUE;
        case WM_ERASEBKGND:
            SetWindowLongPtrW(Hwnd(), DWLP_MSGRESULT, 1);
            return TRUE;
        case WM_PAINT: {
            BufferedPaint paint(Hwnd());
            HDC dc = paint.Dc();
            PaintBackground(dc, paint.Client(), {0, 0});
            const int middle = paint.Client().bottom / 2;
            const int left = paint.Client().bottom / 5;
            const int logo = Scaled(Hwnd(), kLogo);
            m_logo.Draw(dc, {left, middle - logo / 2, left + logo, middle + logo / 2});
            RECT product{left + logo + Scaled(Hwnd(), 8), 0, paint.Client().right,
                         paint.Client().bottom};
            HGDIOBJ old = SelectObject(dc, m_productFont);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, kWhite);
            DrawTextW(dc, LoadText(kStrProductName, window_text::kNameText).c_str(), -1, &product,
                      DT_LEFT | DT_VCENTER | DT_SINGLELINE);
            SelectObject(dc, old);
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (item.CtlID != IDC_BANNER_STATUS) return FALSE;
            DrawStatus(item);
            return TRUE;
        }
        case WM_COMMAND:
            return TRUE;  // the status display does nothing when clicked; Enter and Esc neither
        default:
            return FALSE;
    }
}

void CTopChildDlg::DrawStatus(const DRAWITEMSTRUCT& item) {
    // Draw into a memory image so that a repaint never flickers.
    const RECT& r = item.rcItem;
    // Left to right even in a mirrored window: the status reads as one piece,
    // and its background lines up with the banner's by screen position.
    HDC dc = CreateCompatibleDC(item.hDC);
    HBITMAP bitmap = MemoryImage(dc, r.right, r.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT control{}, banner{};
    GetWindowRect(item.hwndItem, &control);
    GetWindowRect(Hwnd(), &banner);
    POINT inBanner{control.left - banner.left, control.top - banner.top};
    PaintBackground(dc, r, inBanner);

    const Image& picture =
        m_view.picture == BannerPicture::Connected ? m_connected : m_notConnected;
    const SIZE size{Scaled(Hwnd(), kStatusPicture.cx), Scaled(Hwnd(), kStatusPicture.cy)};
    const int pictureTop = (r.bottom - size.cy) / 2;
    picture.Draw(dc, {0, pictureTop, size.cx, pictureTop + size.cy});

    SetBkMode(dc, TRANSPARENT);
    const int left = size.cx + Scaled(Hwnd(), 12);
    const bool progress = !m_view.progressLine.empty() || m_view.percent >= 0;
    HGDIOBJ oldFont = SelectObject(dc, m_textFont);
    RECT measure{0, 0, r.right - left, 1};
    const std::wstring text = Wide(m_view.text);
    const int textHeight = DrawTextW(dc, text.c_str(), -1, &measure, DT_WORDBREAK | DT_CALCRECT);
    HFONT plain = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
    SelectObject(dc, plain);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, m_textFont);
    const int lineHeight = progress ? int(metrics.tmHeight) : 0;
    const int block = textHeight + (progress ? lineHeight + 10 : 0);
    int top = std::max(0, (int(r.bottom) - block) / 2);
    RECT textRect{left, top, r.right - 4, top + textHeight};
    SetTextColor(dc, kWhite);
    DrawTextW(dc, text.c_str(), -1, &textRect, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, plain);
    if (progress) {
        top += textHeight + 2;
        RECT line{left, top, r.right - 4, top + lineHeight};
        SetTextColor(dc, kFaintWhite);
        DrawTextW(dc, Wide(m_view.progressLine).c_str(), -1, &line,
                  DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
        if (m_view.percent >= 0) {
            const int barTop = top + lineHeight + 3;
            const int barRight = r.right - 16;
            FillSolid(dc, {left, barTop, barRight, barTop + 4}, kBarTrack);
            FillSolid(dc,
                      {left, barTop, left + (barRight - left) * m_view.percent / 100, barTop + 4},
                      kBarFill);
        }
    }
    SelectObject(dc, oldFont);
    CopyPixels(item.hDC, dc, r.right, r.bottom);
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace harbrook::win32
