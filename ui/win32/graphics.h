// Pictures and text for the Win32 window: still pictures decoded once by
// GDI+ (PNG, JPEG, BMP, a GIF's first image) into 32-bit pixels, drawn
// smoothly or by whole pixels; texts loaded from the string table as UTF-16;
// fonts derived from a dialog's own; painting through a memory image.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace harbrook::win32 {

// Starts GDI+ for the life of the object; pictures are usable meanwhile.
class GdiplusSession {
  public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

  private:
    ULONG_PTR m_token = 0;
};

// A decoded picture: premultiplied 32-bit BGRA rows, top row first.
class Image {
  public:
    // Empty when the data is not a picture GDI+ reads.
    static Image FromBytes(const void* data, std::size_t size);
    static Image FromFile(const std::filesystem::path& file);
    static Image FromResource(int id);  // an RCDATA resource of the program

    bool Empty() const { return m_width <= 0 || m_height <= 0; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Width × height pixels; null when empty.
    const std::uint32_t* Pixels() const { return m_pixels ? m_pixels->data() : nullptr; }

    // A picture drawn as squares of `block` pixels (a QR code's modules)
    // with one pixel a square: whole-pixel drawing then scales it by any
    // whole factor. The picture itself when it is not made so.
    Image OnePixelPerBlock() const;

    // Both draws keep the picture's orientation on a mirrored (right-to-left)
    // device context.
    // Scaled smoothly to the rectangle, blended over what is there.
    void Draw(HDC dc, const RECT& target) const;
    // At a whole multiple of its size, every pixel a square block: a QR code
    // stays sharp and scannable. The picture is centred in the rectangle.
    void DrawWholePixels(HDC dc, const RECT& space) const;

  private:
    int m_width = 0;
    int m_height = 0;
    std::shared_ptr<const std::vector<std::uint32_t>> m_pixels;
};

// While it lives, the device context is laid out left to right, and `area`
// (given in the context's own layout) is changed to name the same pixels in
// the new one: a picture drawn there keeps its orientation in a mirrored
// (right-to-left) window. Nothing changes in a left-to-right one.
class LeftToRight {
  public:
    LeftToRight(HDC dc, RECT& area);
    ~LeftToRight();
    LeftToRight(const LeftToRight&) = delete;
    LeftToRight& operator=(const LeftToRight&) = delete;

  private:
    HDC m_dc;
    DWORD m_layout;
};

// A 32-bit memory image for the context; the caller deletes it. (Drawing
// on it mirrored is drawing on a device-independent image: wine mirrors a
// device-dependent one wrongly.)
HBITMAP MemoryImage(HDC dc, int width, int height);

// Copies the top-left width × height pixels as they lie, whichever way
// either context is laid out: a memory image drawn in a window's layout
// reaches the window unchanged.
void CopyPixels(HDC to, HDC from, int width, int height);

// How 32-bit pixels of this size, top row first, are handed to GDI.
BITMAPINFO TopDownBitmapInfo(int width, int height);

// The largest whole scale at which a picture fits the space (at least 1).
int WholePixelScale(int width, int height, int spaceWidth, int spaceHeight);

// The window's dots per inch (96 at 100 %; per monitor where the system
// says so), and a length of the 96-DPI design at that density.
int DpiOf(HWND window);
int Scaled(HWND window, int pixels);

// The text of a string-table ID as UTF-16.
std::wstring LoadText(unsigned id, std::size_t capacity);
std::wstring Wide(const std::string& utf8);

// True when the user's language reads from the right: the windows are laid
// out mirrored (the process's default layout) and message boxes read from
// the right (MessageBoxDirection's flags, 0 otherwise).
bool RightToLeftUi();
UINT MessageBoxDirection();
// Sets the process's default layout for the language: windows made later lie
// right to left in such a language, their child windows with them.
void UseLanguageLayout();

// A font like the window's, bold and/or scaled; the caller deletes it.
HFONT DeriveFont(HWND window, bool bold, double scale);

// Paints through a memory image of the client area, then copies it at once
// (no flicker), in the window's layout. Use in WM_PAINT.
class BufferedPaint {
  public:
    explicit BufferedPaint(HWND window);
    ~BufferedPaint();
    BufferedPaint(const BufferedPaint&) = delete;
    BufferedPaint& operator=(const BufferedPaint&) = delete;
    HDC Dc() const { return m_memory; }
    const RECT& Client() const { return m_client; }

  private:
    HWND m_window;
    PAINTSTRUCT m_paint{};
    HDC m_screen = nullptr;
    HDC m_memory = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    RECT m_client{};
};

void FillSolid(HDC dc, const RECT& rect, COLORREF colour);
void FillRounded(HDC dc, const RECT& rect, int radius, COLORREF fill, COLORREF border);

}  // namespace harbrook::win32
