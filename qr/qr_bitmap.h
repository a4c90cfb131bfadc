// The pairing QR code as a 24-bit top-down BMP file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace harbrook {

// A QR symbol: width x width modules, row-major, top row first; true is dark.
struct QrSymbol {
    int width = 0;
    std::vector<bool> dark;
    bool at(int x, int y) const { return dark[static_cast<std::size_t>(y * width + x)]; }
};

// Encodes the text with libqrencode: smallest version, level H, 8-bit mode,
// case-sensitive. False when it cannot be encoded.
bool EncodeQr(const std::string& text, QrSymbol& symbol);

// The BMP bytes for a symbol: scale 200 / width, no quiet zone, rows padded to 4.
std::vector<std::uint8_t> QrBitmapBytes(const QrSymbol& symbol);

// Encodes and writes the file. 0 on success, -1 when encoding failed, -2 when
// the pixel memory cannot be had, -3 when the file cannot be written.
int WriteQrBitmap(const std::string& text, const std::filesystem::path& path);

}  // namespace harbrook
