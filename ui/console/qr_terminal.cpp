#include "ui/console/qr_terminal.h"

#include <qrencode.h>

namespace harbrook {

std::vector<std::vector<bool>> QrModules(std::string_view text) {
    const std::string zeroTerminated(text);
    QRcode* code = QRcode_encodeString(zeroTerminated.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1);
    if (!code) return {};
    const int side = code->width + 2 * kQrQuietZone;
    std::vector<std::vector<bool>> modules(side, std::vector<bool>(side, false));
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            modules[y + kQrQuietZone][x + kQrQuietZone] = code->data[y * code->width + x] & 1;
        }
    }
    QRcode_free(code);
    return modules;
}

std::string RenderQrForTerminal(std::string_view text, bool colour) {
    const auto modules = QrModules(text);
    if (modules.empty()) return {};
    const std::size_t side = modules.size();
    // In colour the foreground (the drawn half) is black on a white
    // background; without colour the drawn half is light.
    const bool drawDark = colour;
    std::string out;
    for (std::size_t y = 0; y < side; y += 2) {
        if (colour) out += "\x1b[30;47m";
        for (std::size_t x = 0; x < side; ++x) {
            const bool top = modules[y][x] == drawDark;
            const bool bottom = y + 1 < side ? modules[y + 1][x] == drawDark : false;
            out += top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ";
        }
        if (colour) out += "\x1b[0m";
        out += '\n';
    }
    return out;
}

}  // namespace harbrook
