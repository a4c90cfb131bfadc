#include "ui/win32/picture_control.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace harbrook::win32 {
namespace {

// Larger pictures are refused: the memory image would not be worth its size.
constexpr int kMaxSide = 8192;

std::uint32_t Opaque(COLORREF colour) {
    return 0xFF000000u | (std::uint32_t(GetRValue(colour)) << 16) |
           (std::uint32_t(GetGValue(colour)) << 8) | GetBValue(colour);
}

// A premultiplied pixel over another.
std::uint32_t Over(std::uint32_t top, std::uint32_t under) {
    const std::uint32_t alpha = top >> 24;
    if (alpha == 255) return top;
    if (alpha == 0) return under;
    std::uint32_t result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t t = (top >> shift) & 0xFF;
        const std::uint32_t u = (under >> shift) & 0xFF;
        result |= std::min<std::uint32_t>(255, t + (u * (255 - alpha) + 127) / 255) << shift;
    }
    return result;
}

}  // namespace

CPictureEx::CPictureEx(COLORREF background) : m_background(Opaque(background)) {}

CPictureEx::~CPictureEx() {
    StopAnimation();
}

void CPictureEx::Attach(HWND control) {
    m_control = control;
}

bool CPictureEx::LoadFile(const std::filesystem::path& file) {
    Unload();
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    return LoadMemory(bytes);
}

bool CPictureEx::LoadMemory(std::span<const std::uint8_t> data) {
    Unload();
    if (data.empty()) return false;
    int width = 0, height = 0;
    const auto layout = WalkGif(data);
    if (data.size() >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F') {
        if (!layout) return false;
        width = layout->width;
        height = layout->height;
    }
    if (layout && layout->frames.size() > 1) {
        // Each image decoded alone, as a GIF of its own; one that does not
        // decode is left out.
        for (const GifFrame& place : layout->frames) {
            const std::vector<std::uint8_t> one = SingleImageGif(data, *layout, place);
            Image image = Image::FromBytes(one.data(), one.size());
            if (!image.Empty()) m_frames.push_back({std::move(image), place});
        }
        if (m_frames.empty()) return false;
    } else {
        m_still = Image::FromBytes(data.data(), data.size());
        if (m_still.Empty()) return false;
        if (layout) {
            m_stillPlace = layout->frames.front();
        } else {
            width = m_still.Width();
            height = m_still.Height();
            m_stillPlace = GifFrame{0, 0, 0, 0, width, height};
        }
    }
    if (!MakeMemoryImage(width, height)) {
        Unload();
        return false;
    }
    return true;
}

bool CPictureEx::MakeMemoryImage(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    m_width = width;
    m_height = height;
    m_pixels.assign(static_cast<std::size_t>(width) * height, m_background);
    if (m_control) {
        // The control takes the picture's size where it stands, at the
        // window's DPI.
        SetWindowPos(m_control, nullptr, 0, 0, Scaled(m_control, width), Scaled(m_control, height),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        Invalidate();
    }
    return true;
}

bool CPictureEx::Draw() {
    if (m_pixels.empty()) return false;
    if (m_frames.size() > 1) {
        StopAnimation();
        m_current = 0;
        Fill(0, 0, m_width, m_height);
        m_playing = true;
        RenderCurrent();
        ScheduleNext();
        return false;
    }
    if (m_still.Empty()) return false;
    Lay(m_still, m_stillPlace);
    Invalidate();
    return true;
}

void CPictureEx::StopAnimation() {
    if (m_control) KillTimer(m_control, reinterpret_cast<UINT_PTR>(this));
    m_playing = false;
}

void CPictureEx::Unload() {
    StopAnimation();
    m_still = Image();
    m_stillPlace = GifFrame();
    m_frames.clear();
    m_pixels.clear();
    m_saved.clear();
    m_current = 0;
    m_width = m_height = 0;
}

std::uint32_t CPictureEx::FrameWaitMs(std::size_t frame) const {
    return frame < m_frames.size() ? GifFrameWaitMs(m_frames[frame].place.delay) : 0;
}

std::uint32_t CPictureEx::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return m_pixels[static_cast<std::size_t>(y) * m_width + x] & 0xFFFFFF;
}

void CPictureEx::Fill(int left, int top, int width, int height) {
    const int right = std::min(m_width, left + width);
    const int bottom = std::min(m_height, top + height);
    for (int y = std::max(0, top); y < bottom; ++y) {
        for (int x = std::max(0, left); x < right; ++x) {
            m_pixels[static_cast<std::size_t>(y) * m_width + x] = m_background;
        }
    }
}

void CPictureEx::Lay(const Image& image, const GifFrame& place) {
    // A decoder gives an image alone either at its own size or on the whole
    // logical screen; only the image's own rectangle is laid down.
    const bool onScreen = image.Width() == m_width && image.Height() == m_height;
    const int fromX = onScreen ? place.left : 0;
    const int fromY = onScreen ? place.top : 0;
    const int width = std::min(place.width, image.Width() - fromX);
    const int height = std::min(place.height, image.Height() - fromY);
    const std::uint32_t* source = image.Pixels();
    for (int y = 0; y < height; ++y) {
        const int toY = place.top + y;
        if (toY < 0 || toY >= m_height) continue;
        for (int x = 0; x < width; ++x) {
            const int toX = place.left + x;
            if (toX < 0 || toX >= m_width) continue;
            std::uint32_t& pixel = m_pixels[static_cast<std::size_t>(toY) * m_width + toX];
            pixel = Over(source[static_cast<std::size_t>(fromY + y) * image.Width() + fromX + x],
                         pixel);
        }
    }
}

void CPictureEx::RenderCurrent() {
    const Frame& frame = m_frames[m_current];
    if (frame.place.disposal == 3) m_saved = m_pixels;  // restored after it
    Lay(frame.image, frame.place);
    Invalidate();
}

void CPictureEx::Dispose() {
    const GifFrame& place = m_frames[m_current].place;
    if (place.disposal == 2) {
        Fill(place.left, place.top, place.width, place.height);
    } else if (place.disposal == 3 && m_saved.size() == m_pixels.size()) {
        m_pixels.swap(m_saved);
        m_saved.clear();
    }
}

void CPictureEx::ShowNextFrame() {
    if (m_frames.size() < 2) return;
    Dispose();
    m_current = (m_current + 1) % m_frames.size();
    // Round again on a cleared image.
    if (m_current == 0) Fill(0, 0, m_width, m_height);
    RenderCurrent();
    if (m_playing) ScheduleNext();
}

void CPictureEx::ScheduleNext() {
    const std::uint32_t wait = FrameWaitMs(m_current);
    // An image without a delay of its own stays until the animation stops.
    if (!m_control || wait > USER_TIMER_MAXIMUM) return;
    SetTimer(m_control, reinterpret_cast<UINT_PTR>(this), wait, &CPictureEx::OnTimer);
}

void CALLBACK CPictureEx::OnTimer(HWND control, UINT, UINT_PTR id, DWORD) {
    // The timer's ID is the picture itself; a timer runs once per image.
    KillTimer(control, id);
    reinterpret_cast<CPictureEx*>(id)->ShowNextFrame();
}

void CPictureEx::Invalidate() const {
    if (m_control) InvalidateRect(m_control, nullptr, FALSE);
}

void CPictureEx::Paint(HDC dc, const RECT& area) const {
    if (m_pixels.empty()) return;
    const BITMAPINFO info = TopDownBitmapInfo(m_width, m_height);
    RECT at{area.left, area.top, area.left + Scaled(m_control, m_width),
            area.top + Scaled(m_control, m_height)};
    const LeftToRight keep(dc, at);
    // Smoothly where the DPI enlarges it.
    const int oldMode = SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, at.left, at.top, at.right - at.left, at.bottom - at.top, 0, 0, m_width,
                  m_height, m_pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

}  // namespace harbrook::win32
