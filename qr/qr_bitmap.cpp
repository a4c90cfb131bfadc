#include "qr/qr_bitmap.h"

#include <qrencode.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <new>

namespace harbrook {
namespace {

constexpr std::uint32_t kHeaderBytes = 14 + 40;

struct QrFree {
    void operator()(QRcode* code) const { QRcode_free(code); }
};
using QrSymbol = std::unique_ptr<QRcode, QrFree>;

QrSymbol Encode(const std::string& text) {
    // Version 0: the smallest symbol that holds the text. Case-sensitive, so
    // the text is not upper-cased.
    return QrSymbol(QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1));
}

void Put16(std::uint8_t* at, std::uint16_t v) {
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Headers and pixels of the symbol; false when the memory cannot be had.
bool Render(const QRcode& code, std::vector<std::uint8_t>& file) {
    const QrBitmapGeometry g = QrGeometryFor(code.width);
    try {
        file.assign(g.fileSize, 0xFF);  // white, padding bytes included
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::uint8_t* h = file.data();
    h[0] = 'B';
    h[1] = 'M';
    Put32(h + 2, g.fileSize);
    Put32(h + 6, 0);
    Put32(h + 10, kHeaderBytes);
    Put32(h + 14, 40);
    Put32(h + 18, static_cast<std::uint32_t>(g.side));
    // A negative height stores the rows top row first.
    Put32(h + 22, static_cast<std::uint32_t>(-g.side));
    Put16(h + 26, 1);
    Put16(h + 28, 24);
    for (int offset = 30; offset < 54; offset += 4) Put32(h + offset, 0);
    Put32(h + 34, g.pixelBytes);

    std::uint8_t* pixels = h + kHeaderBytes;
    for (int y = 0; y < code.width; ++y) {
        for (int x = 0; x < code.width; ++x) {
            if ((code.data[y * code.width + x] & 1) == 0) continue;
            for (int py = y * g.scale; py < (y + 1) * g.scale; ++py) {
                std::uint8_t* row = pixels + static_cast<std::size_t>(py) * g.stride;
                std::fill(row + 3 * x * g.scale, row + 3 * (x + 1) * g.scale, 0);
            }
        }
    }
    return true;
}

}  // namespace

QrBitmapGeometry QrGeometryFor(int modules) {
    QrBitmapGeometry g;
    if (modules <= 0 || modules > kQrImageSide) return g;
    g.scale = kQrImageSide / modules;
    g.side = g.scale * modules;
    g.stride = (3 * g.side + 3) / 4 * 4;
    g.pixelBytes = static_cast<std::uint32_t>(g.stride) * static_cast<std::uint32_t>(g.side);
    g.fileSize = kHeaderBytes + g.pixelBytes;
    return g;
}

std::vector<std::uint8_t> EncodeQrBitmap(std::string_view text) {
    std::vector<std::uint8_t> file;
    const QrSymbol code = Encode(std::string(text));
    if (!code || !Render(*code, file)) file.clear();
    return file;
}

int WriteQrBitmap(const std::string& text, const std::filesystem::path& path) {
    const QrSymbol code = Encode(text);
    if (!code || QrGeometryFor(code->width).scale == 0) return kQrEncodeFailed;
    std::vector<std::uint8_t> file;
    if (!Render(*code, file)) return kQrNoMemory;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return kQrCannotOpen;
    const bool written = static_cast<bool>(out.write(reinterpret_cast<const char*>(file.data()),
                                                     static_cast<std::streamsize>(file.size())));
    out.close();
    const bool closed = !out.fail();
    // A short write leaves a broken picture; report it as a file failure.
    return written && closed ? kQrOk : kQrCannotOpen;
}

}  // namespace harbrook
