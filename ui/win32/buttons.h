// The owner-drawn buttons of the window. The parent forwards WM_DRAWITEM to
// Draw; the button itself tracks the pointer so that its face can follow it.
#pragma once

#include <windows.h>

#include <string>

#include "ui/win32/graphics.h"

namespace harbrook::win32 {

// A button that knows whether the pointer is over it.
class HoverButton {
  public:
    HoverButton() = default;
    virtual ~HoverButton();
    HoverButton(const HoverButton&) = delete;
    HoverButton& operator=(const HoverButton&) = delete;

    // Takes over the dialog's control; the hand cursor when asked.
    void Attach(HWND button, bool handCursor);
    HWND Hwnd() const { return m_hwnd; }
    bool Hovered() const { return m_hovered; }
    virtual void Draw(const DRAWITEMSTRUCT& item) = 0;

  private:
    static LRESULT CALLBACK Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    HWND m_hwnd = nullptr;
    bool m_hovered = false;
    bool m_handCursor = false;
};

// The main window's navigation buttons: picture and text, a face when
// checked or under the pointer.
class NavigationButton final : public HoverButton {
  public:
    void SetImage(Image image) { m_image = std::move(image); }
    void SetChecked(bool checked);
    bool Checked() const { return m_checked; }
    void Draw(const DRAWITEMSTRUCT& item) override;

  private:
    Image m_image;
    bool m_checked = false;
};

// The received-files panel's category button: a bold title and a wrapped
// description beside its picture; the face shows only while the pointer is
// over it.
class CMyButton final : public HoverButton {
  public:
    CMyButton();
    ~CMyButton() override;
    void SetDescription(std::wstring text) { m_description = std::move(text); }
    void SetImage(Image image) { m_image = std::move(image); }
    void Draw(const DRAWITEMSTRUCT& item) override;

    bool m_bHoverTransparent = true;
    COLORREF m_clrTitle = RGB(10, 100, 79);
    COLORREF m_clrDescription = RGB(110, 110, 110);

  private:
    std::wstring m_description;
    Image m_image;
    HFONT m_bold = nullptr;
};

}  // namespace harbrook::win32
