// A control that shows a picture file at the picture's own size: a still
// picture, or an animated GIF played frame by frame. It draws through a
// memory image of the picture's size: a GIF's images are decoded once at
// load, each alone, and laid onto that image one after another with their
// disposal; a timer on the UI thread moves to the next image after its delay.
// Every method runs on the UI thread.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "app/gif_blocks.h"
#include "ui/win32/graphics.h"

namespace harbrook::win32 {

class CPictureEx {
  public:
    explicit CPictureEx(COLORREF background = RGB(255, 255, 255));
    ~CPictureEx();
    CPictureEx(const CPictureEx&) = delete;
    CPictureEx& operator=(const CPictureEx&) = delete;

    // The (owner-drawn) control it shows in; loading sizes it to the picture.
    void Attach(HWND control);

    // Replaces what was loaded. False for a missing or empty file, data
    // that is no picture, or a GIF without an image.
    bool LoadFile(const std::filesystem::path& file);
    bool LoadMemory(std::span<const std::uint8_t> data);
    // Shows what was loaded. True when a still picture is on show; an
    // animation starts playing and gives false, as nothing loaded does.
    bool Draw();
    void StopAnimation();
    void Unload();

    // Copies the memory image to the control's area (for WM_DRAWITEM).
    void Paint(HDC dc, const RECT& area) const;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    std::size_t FrameCount() const { return m_frames.size(); }
    std::size_t CurrentFrame() const { return m_current; }
    bool IsPlaying() const { return m_playing; }
    // How long the image stays, in milliseconds.
    std::uint32_t FrameWaitMs(std::size_t frame) const;
    // The memory image's pixel as 0xRRGGBB.
    std::uint32_t PixelAt(int x, int y) const;

    // The animation's step, when the current image's time is up: its
    // disposal, then the next image (after the last, the first on a cleared
    // image).
    void ShowNextFrame();

  private:
    struct Frame {
        Image image;
        GifFrame place;
    };

    bool MakeMemoryImage(int width, int height);
    void Fill(int left, int top, int width, int height);
    void Lay(const Image& image, const GifFrame& place);
    void RenderCurrent();
    void Dispose();
    void ScheduleNext();
    void Invalidate() const;
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD);

    HWND m_control = nullptr;
    std::uint32_t m_background;  // premultiplied BGRA, opaque
    int m_width = 0, m_height = 0;
    std::vector<std::uint32_t> m_pixels;  // the memory image, top row first
    std::vector<std::uint32_t> m_saved;   // under an image that restores it afterwards
    Image m_still;
    GifFrame m_stillPlace;  // a one-image GIF's place; the whole picture otherwise
    std::vector<Frame> m_frames;
    std::size_t m_current = 0;
    bool m_playing = false;
};

}  // namespace harbrook::win32
