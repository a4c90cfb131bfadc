#include "ui/win32/buttons.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace harbrook::win32 {
namespace {

constexpr COLORREF kNavBackground = RGB(0xF4, 0xF7, 0xFB);
constexpr COLORREF kNavChecked = RGB(0xE1, 0xEC, 0xFB);
constexpr COLORREF kNavHover = RGB(0xEA, 0xF0, 0xF7);
constexpr COLORREF kAccent = RGB(0x2F, 0x80, 0xED);
constexpr COLORREF kNavText = RGB(0x1F, 0x2D, 0x3D);
constexpr COLORREF kCategoryFace = RGB(0xF1, 0xF8, 0xF5);
constexpr COLORREF kCategoryBorder = RGB(0xC9, 0xE4, 0xDA);
constexpr int kPadding = 8;
constexpr int kNavIcon = 32;
constexpr int kCategoryPicture = 55;

std::wstring WindowText(HWND hwnd) {
    std::vector<wchar_t> text(GetWindowTextLengthW(hwnd) + 1);
    GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()));
    return text.data();
}

}  // namespace

HoverButton::~HoverButton() {
    if (m_hwnd && IsWindow(m_hwnd)) RemoveWindowSubclass(m_hwnd, &Subclass, 1);
}

void HoverButton::Attach(HWND button, bool handCursor) {
    m_hwnd = button;
    m_handCursor = handCursor;
    SetWindowSubclass(button, &Subclass, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK HoverButton::Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<HoverButton*>(data);
    switch (message) {
        case WM_MOUSEMOVE:
            if (!self->m_hovered) {
                self->m_hovered = true;
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd, 0};
                TrackMouseEvent(&track);
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            self->m_hovered = false;
            InvalidateRect(hwnd, nullptr, FALSE);
            break;
        case WM_SETCURSOR:
            if (self->m_handCursor && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
                return TRUE;
            }
            break;
        case WM_ERASEBKGND:
            return TRUE;  // the owner draws every pixel
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void NavigationButton::SetChecked(bool checked) {
    if (checked == m_checked) return;
    m_checked = checked;
    if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

void NavigationButton::Draw(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    const bool enabled = !(item.itemState & ODS_DISABLED);
    FillSolid(dc, r, kNavBackground);
    if (m_checked || (Hovered() && enabled)) {
        FillRounded(dc, r, 10, m_checked ? kNavChecked : kNavHover,
                    m_checked ? kNavChecked : kNavHover);
    }
    if (m_checked) {
        const RECT bar{r.left, r.top + 6, r.left + 4, r.bottom - 6};
        FillSolid(dc, bar, kAccent);
    }
    // The design's pixels at the window's DPI.
    const int padding = Scaled(Hwnd(), kPadding), icon = Scaled(Hwnd(), kNavIcon);
    const int iconTop = r.top + (r.bottom - r.top - icon) / 2;
    m_image.Draw(dc, {r.left + padding, iconTop, r.left + padding + icon, iconTop + icon});

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
    HFONT bold = m_checked ? DeriveFont(Hwnd(), true, 1.0) : nullptr;
    HGDIOBJ old = SelectObject(dc, bold ? bold : font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? kNavText : GetSysColor(COLOR_GRAYTEXT));
    RECT text{r.left + 2 * padding + icon, r.top, r.right - padding, r.bottom};
    const std::wstring caption = WindowText(Hwnd());
    // On one line where it fits, else wrapped on two and centred as a block
    // ("Connecter le téléphone" is wider than the button in bold).
    RECT line{0, 0, 0, 0};
    DrawTextW(dc, caption.c_str(), -1, &line, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
    if (line.right <= text.right - text.left) {
        DrawTextW(dc, caption.c_str(), -1, &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    } else {
        RECT block{0, 0, text.right - text.left, 0};
        const int height =
            DrawTextW(dc, caption.c_str(), -1, &block, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
        text.top += std::max(0, int(text.bottom - text.top - height) / 2);
        DrawTextW(dc, caption.c_str(), -1, &text,
                  DT_LEFT | DT_WORDBREAK | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
    SelectObject(dc, old);
    if (bold) DeleteObject(bold);
}

CMyButton::CMyButton() = default;

CMyButton::~CMyButton() {
    if (m_bold) DeleteObject(m_bold);
}

void CMyButton::Draw(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    const RECT& r = item.rcItem;
    FillSolid(dc, r, RGB(255, 255, 255));
    if (!m_bHoverTransparent || Hovered()) {
        const bool pressed = item.itemState & ODS_SELECTED;
        FillRounded(dc, r, 12, pressed ? kCategoryBorder : kCategoryFace, kCategoryBorder);
    }
    const int padding = Scaled(Hwnd(), kPadding), picture = Scaled(Hwnd(), kCategoryPicture);
    const int pictureTop = r.top + (r.bottom - r.top - picture) / 2;
    m_image.Draw(dc,
                 {r.left + padding, pictureTop, r.left + padding + picture, pictureTop + picture});

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
    if (!m_bold) m_bold = DeriveFont(Hwnd(), true, 1.0);
    SetBkMode(dc, TRANSPARENT);
    RECT text{r.left + 3 * padding + picture, r.top, r.right - padding, r.bottom};
    const std::wstring title = WindowText(Hwnd());
    UINT flags = DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    HGDIOBJ old = SelectObject(dc, m_description.empty() ? font : m_bold);

    // Title and description as one block, centred beside the picture.
    int titleHeight = 0, descriptionHeight = 0;
    if (!m_description.empty()) {
        RECT measure{0, 0, 1, 1};
        titleHeight = DrawTextW(dc, title.c_str(), -1, &measure, DT_SINGLELINE | DT_CALCRECT);
        SelectObject(dc, font);
        RECT wrap{0, 0, text.right - text.left, 1};
        descriptionHeight = DrawTextW(dc, m_description.c_str(), -1, &wrap,
                                      DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
        SelectObject(dc, m_bold);
        const int gap = 3;
        const int block = titleHeight + gap + descriptionHeight;
        text.top = std::max<LONG>(r.top + 2, r.top + (r.bottom - r.top - block) / 2);
        text.bottom = text.top + titleHeight;
        flags &= ~DT_VCENTER;
    }
    SetTextColor(dc, m_clrTitle);
    DrawTextW(dc, title.c_str(), -1, &text, flags);
    SelectObject(dc, old);
    if (m_description.empty()) return;

    RECT below{text.left, text.bottom + 3, text.right, r.bottom};
    SetTextColor(dc, m_clrDescription);
    old = SelectObject(dc, font);
    DrawTextW(dc, m_description.c_str(), -1, &below, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
}

}  // namespace harbrook::win32
