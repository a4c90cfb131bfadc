#include "ui/win32/graphics.h"

#include <objidl.h>
#include <shlwapi.h>
// GDI+'s headers use min and max unqualified.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <fstream>
#include <iterator>

#include "app/window_texts.h"
#include "locale/ui_strings.h"
#include "platform/utf8.h"
#include "platform/win32_text.h"

namespace harbrook::win32 {

GdiplusSession::GdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

GdiplusSession::~GdiplusSession() {
    if (m_token) Gdiplus::GdiplusShutdown(m_token);
}

Image Image::FromBytes(const void* data, std::size_t size) {
    Image image;
    if (!data || size == 0 || size > 0x7fffffff) return image;
    IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(data), static_cast<UINT>(size));
    if (!stream) return image;
    {
        Gdiplus::Bitmap bitmap(stream);
        const int width = static_cast<int>(bitmap.GetWidth());
        const int height = static_cast<int>(bitmap.GetHeight());
        if (bitmap.GetLastStatus() == Gdiplus::Ok && width > 0 && height > 0 && width <= 8192 &&
            height <= 8192) {
            auto pixels = std::make_shared<std::vector<std::uint32_t>>(
                static_cast<std::size_t>(width) * height);
            Gdiplus::BitmapData rows{};
            rows.Width = width;
            rows.Height = height;
            rows.Stride = width * 4;
            rows.PixelFormat = PixelFormat32bppPARGB;
            rows.Scan0 = pixels->data();
            Gdiplus::Rect all(0, 0, width, height);
            if (bitmap.LockBits(&all,
                                Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                PixelFormat32bppPARGB, &rows) == Gdiplus::Ok) {
                bitmap.UnlockBits(&rows);
                image.m_width = width;
                image.m_height = height;
                image.m_pixels = std::move(pixels);
            }
        }
    }
    stream->Release();
    return image;
}

Image Image::FromFile(const std::filesystem::path& file) {
    // Read whole, so that the file is not held open while it is shown.
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
    return FromBytes(bytes.data(), bytes.size());
}

Image Image::FromResource(int id) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    if (!loaded) return {};
    return FromBytes(LockResource(loaded), SizeofResource(module, found));
}

LeftToRight::LeftToRight(HDC dc, RECT& area) : m_dc(dc), m_layout(GetLayout(dc)) {
    if (m_layout == GDI_ERROR || !(m_layout & LAYOUT_RTL)) return;
    // The first and the last pixel of the area where the mirrored context
    // puts them, as pixels of the plain one.
    POINT corners[2] = {{area.left, area.top}, {area.right - 1, area.bottom - 1}};
    LPtoDP(dc, corners, 2);
    SetLayout(dc, 0);
    DPtoLP(dc, corners, 2);
    area = {std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
            std::max(corners[0].x, corners[1].x) + 1, std::max(corners[0].y, corners[1].y) + 1};
}

LeftToRight::~LeftToRight() {
    if (m_layout != GDI_ERROR && (m_layout & LAYOUT_RTL)) SetLayout(m_dc, m_layout);
}

void Image::Draw(HDC dc, const RECT& area) const {
    if (Empty()) return;
    RECT target = area;
    const LeftToRight keep(dc, target);
    Gdiplus::Bitmap bitmap(m_width, m_height, m_width * 4, PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(const_cast<std::uint32_t*>(m_pixels->data())));
    Gdiplus::Graphics graphics(dc);
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    graphics.DrawImage(&bitmap, Gdiplus::Rect(target.left, target.top, target.right - target.left,
                                              target.bottom - target.top));
}

Image Image::OnePixelPerBlock() const {
    if (Empty()) return *this;
    // A QR code without a quiet zone begins with a finder pattern seven
    // modules wide: its dark run across the top row gives the module's side.
    const auto dark = [&](int x) { return ((*m_pixels)[std::size_t(x)] & 0xFF) < 0x80; };
    int run = 0;
    while (run < m_width && dark(run)) ++run;
    const int block = run / 7;
    if (block <= 1 || run % 7 != 0 || m_width % block != 0 || m_height % block != 0) return *this;
    Image reduced;
    reduced.m_width = m_width / block;
    reduced.m_height = m_height / block;
    auto pixels = std::make_shared<std::vector<std::uint32_t>>();
    pixels->reserve(std::size_t(reduced.m_width) * reduced.m_height);
    for (int y = 0; y < reduced.m_height; ++y)
        for (int x = 0; x < reduced.m_width; ++x)
            pixels->push_back((*m_pixels)[std::size_t(y * block + block / 2) * m_width +
                                          std::size_t(x * block + block / 2)]);
    reduced.m_pixels = std::move(pixels);
    return reduced;
}

BITMAPINFO TopDownBitmapInfo(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

int WholePixelScale(int width, int height, int spaceWidth, int spaceHeight) {
    if (width <= 0 || height <= 0) return 1;
    return std::max(1, std::min(spaceWidth / width, spaceHeight / height));
}

void Image::DrawWholePixels(HDC dc, const RECT& area) const {
    if (Empty()) return;
    RECT space = area;
    const LeftToRight keep(dc, space);
    const int spaceWidth = space.right - space.left;
    const int spaceHeight = space.bottom - space.top;
    const int scale = WholePixelScale(m_width, m_height, spaceWidth, spaceHeight);
    const int width = m_width * scale;
    const int height = m_height * scale;
    const BITMAPINFO info = TopDownBitmapInfo(m_width, m_height);
    // Nearest pixel, no smoothing: each module stays a sharp square.
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, space.left + (spaceWidth - width) / 2, space.top + (spaceHeight - height) / 2,
                  width, height, 0, 0, m_width, m_height, m_pixels->data(), &info, DIB_RGB_COLORS,
                  SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

int DpiOf(HWND window) {
    // Per monitor from Windows 10 on; the system's DPI before.
    using DpiForWindow = UINT(WINAPI*)(HWND);
    static const auto forWindow = reinterpret_cast<DpiForWindow>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (forWindow && window) {
        if (const UINT dpi = forWindow(window)) return int(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int Scaled(HWND window, int pixels) {
    return MulDiv(pixels, DpiOf(window), 96);
}

std::wstring Wide(const std::string& utf8) {
    return platform::win32::Widen(utf8);
}

std::wstring LoadText(unsigned id, std::size_t capacity) {
    return Wide(LoadUiString(id, capacity));
}

bool RightToLeftUi() {
    return platform::ReadsRightToLeft(LoadUiString(kStrConnectPhone, window_text::kButtonText));
}

UINT MessageBoxDirection() {
    return RightToLeftUi() ? MB_RTLREADING | MB_RIGHT : 0;
}

void UseLanguageLayout() {
    SetProcessDefaultLayout(RightToLeftUi() ? LAYOUT_RTL : 0);
}

HFONT DeriveFont(HWND window, bool bold, double scale) {
    LOGFONTW font{};
    HFONT base = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    if (!base) base = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    GetObjectW(base, sizeof(font), &font);
    if (bold) font.lfWeight = FW_BOLD;
    font.lfHeight = static_cast<LONG>(font.lfHeight * scale);
    font.lfQuality = CLEARTYPE_QUALITY;
    return CreateFontIndirectW(&font);
}

HBITMAP MemoryImage(HDC dc, int width, int height) {
    const BITMAPINFO info = TopDownBitmapInfo(std::max(1, width), std::max(1, height));
    void* bits = nullptr;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

void CopyPixels(HDC to, HDC from, int width, int height) {
    const DWORD toLayout = GetLayout(to), fromLayout = GetLayout(from);
    SetLayout(to, 0);
    SetLayout(from, 0);
    BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
    SetLayout(to, toLayout);
    SetLayout(from, fromLayout);
}

BufferedPaint::BufferedPaint(HWND window) : m_window(window) {
    m_screen = BeginPaint(window, &m_paint);
    GetClientRect(window, &m_client);
    m_memory = CreateCompatibleDC(m_screen);
    m_bitmap = MemoryImage(m_memory, m_client.right, m_client.bottom);
    m_oldBitmap = SelectObject(m_memory, m_bitmap);
    // Drawn as the window lies (mirrored in a right-to-left window, about
    // the image's width: set once it is selected), copied across as it is.
    SetLayout(m_memory, GetLayout(m_screen));
}

BufferedPaint::~BufferedPaint() {
    CopyPixels(m_screen, m_memory, m_client.right, m_client.bottom);
    SelectObject(m_memory, m_oldBitmap);
    DeleteObject(m_bitmap);
    DeleteDC(m_memory);
    EndPaint(m_window, &m_paint);
}

void FillSolid(HDC dc, const RECT& area, COLORREF colour) {
    // Every pixel of the area, also in a mirrored context (whose own fill
    // lies one pixel off).
    RECT rect = area;
    const LeftToRight plain(dc, rect);
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void FillRounded(HDC dc, const RECT& rect, int radius, COLORREF fill, COLORREF border) {
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, border);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, radius, radius);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

}  // namespace harbrook::win32
