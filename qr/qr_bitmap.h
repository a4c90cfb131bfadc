// The pairing QR code as a 24-bit, top-down Windows bitmap: the bare symbol
// (no quiet zone), each module a square of 200 / width pixels.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace harbrook {

// Results of WriteQrBitmap.
inline constexpr int kQrOk = 0;
inline constexpr int kQrEncodeFailed = -1;
inline constexpr int kQrNoMemory = -2;
inline constexpr int kQrCannotOpen = -3;

// Side of the image in pixels the symbol is scaled to fit.
inline constexpr int kQrImageSide = 200;

// The geometry of a bitmap for a symbol of `modules` modules a side.
struct QrBitmapGeometry {
    int scale = 0;   // pixels per module
    int side = 0;    // image width and height in pixels
    int stride = 0;  // bytes per pixel row, a multiple of 4
    std::uint32_t pixelBytes = 0;
    std::uint32_t fileSize = 0;
};
QrBitmapGeometry QrGeometryFor(int modules);

// The whole bitmap file for the text: level H, 8-bit mode, case-sensitive,
// smallest version. Empty when the text cannot be encoded.
std::vector<std::uint8_t> EncodeQrBitmap(std::string_view text);

// Encodes the text and writes the bitmap file. kQrOk, or kQrEncodeFailed,
// kQrNoMemory, kQrCannotOpen.
int WriteQrBitmap(const std::string& text, const std::filesystem::path& path);

}  // namespace harbrook
