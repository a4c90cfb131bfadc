// The block structure of a GIF file, as the picture control needs it to play
// an animation: the logical screen's size, and for each image the bytes that
// make it (its graphic control extension, anything between that and the
// image, and the image itself), with its delay and disposal. Plain C++ over
// bytes: a picture file is input and is checked at every step. Only the
// Win32 picture control plays GIFs (Qt has its own reader), but the parser
// lives here, below the toolkits, so that it is built, tested and fuzzed on
// every system rather than only in the Windows build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace harbrook {

struct GifFrame {
    std::size_t begin = 0;  // the graphic control extension, or the image descriptor
    std::size_t end = 0;    // one past the image's last sub-block
    int left = 0, top = 0, width = 0, height = 0;
    // Hundredths of a second; all bits set when the image has no graphic
    // control extension.
    std::uint32_t delay = 0xFFFFFFFFu;
    std::uint32_t disposal = 0;  // bits 2 to 4 of the extension's flags
};

struct GifLayout {
    int width = 0, height = 0;     // of the logical screen
    std::size_t headerSize = 0;    // the 13-byte header and the global colour table
    std::vector<GifFrame> frames;  // the images found before the trailer or a broken block
};

// Nothing when the data does not start like a GIF or holds no image.
std::optional<GifLayout> WalkGif(std::span<const std::uint8_t> data);

// A GIF of one image: the header with its colour table, the frame's blocks
// and the trailer.
std::vector<std::uint8_t> SingleImageGif(std::span<const std::uint8_t> data,
                                         const GifLayout& layout, const GifFrame& frame);

// How long a frame stays, in milliseconds: its delay in hundredths of a
// second, or 100 ms for delays under 5. Computed in 32-bit unsigned
// arithmetic, so a frame without a delay stays about 50 days (until stopped).
std::uint32_t GifFrameWaitMs(std::uint32_t delay);

}  // namespace harbrook
