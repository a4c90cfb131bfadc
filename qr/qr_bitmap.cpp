#include "qr/qr_bitmap.h"

#include <qrencode.h>

#include <cstdio>
#include <memory>
#include <new>

namespace harbrook {
namespace {

void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

bool EncodeQr(const std::string& text, QrSymbol& symbol) {
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1), &QRcode_free);
    if (!code || code->width <= 0) return false;
    symbol.width = code->width;
    symbol.dark.assign(
        static_cast<std::size_t>(code->width) * static_cast<std::size_t>(code->width), false);
    for (std::size_t i = 0; i < symbol.dark.size(); ++i) symbol.dark[i] = (code->data[i] & 1) != 0;
    return true;
}

std::vector<std::uint8_t> QrBitmapBytes(const QrSymbol& symbol) {
    const int scale = 200 / symbol.width;
    const int side = scale * symbol.width;
    const std::size_t stride = (static_cast<std::size_t>(side) * 3 + 3) / 4 * 4;
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(side);
    std::vector<std::uint8_t> out(54 + pixelBytes, 0xFF);
    std::fill(out.begin(), out.begin() + 54, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLe(out, 2, static_cast<std::uint32_t>(54 + pixelBytes), 4);
    PutLe(out, 10, 54, 4);
    PutLe(out, 14, 40, 4);
    PutLe(out, 18, static_cast<std::uint32_t>(side), 4);
    PutLe(out, 22, static_cast<std::uint32_t>(-side), 4);  // negative height: top row first
    PutLe(out, 26, 1, 2);
    PutLe(out, 28, 24, 2);
    PutLe(out, 34, static_cast<std::uint32_t>(pixelBytes), 4);
    for (int y = 0; y < symbol.width; ++y) {
        for (int x = 0; x < symbol.width; ++x) {
            if (!symbol.at(x, y)) continue;
            for (int py = y * scale; py < (y + 1) * scale; ++py) {
                std::uint8_t* row = out.data() + 54 + stride * static_cast<std::size_t>(py);
                std::fill(row + x * scale * 3, row + (x + 1) * scale * 3, 0);
            }
        }
    }
    return out;
}

int WriteQrBitmap(const std::string& text, const std::filesystem::path& path) {
    QrSymbol symbol;
    if (!EncodeQr(text, symbol)) return -1;
    std::vector<std::uint8_t> bytes;
    try {
        bytes = QrBitmapBytes(symbol);
    } catch (const std::bad_alloc&) {
        return -2;
    }
    std::FILE* f = std::fopen(path.string().c_str(), "wb");
    if (!f) return -3;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (std::fclose(f) == 0 && ok) ? 0 : -3;
}

}  // namespace harbrook
