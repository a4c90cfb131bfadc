#include "qr/pairing_code.h"

#include "core/app_folders.h"
#include "link/endpoints.h"
#include "qr/qr_bitmap.h"

namespace harbrook {

std::filesystem::path PairingCode::BitmapPath() const {
    std::filesystem::path folder;
    GetAppDataFolder(folder);  // empty on failure: the file lands in the current folder
    return folder / "qrcode.bmp";
}

bool PairingCode::UpdatePairingCode(const std::string& portText) {
    const std::string text = GetLocalIPv4() + ":" + portText;
    std::lock_guard lock(m_mutex);
    if (text == m_lastText) return true;
    const std::filesystem::path path = BitmapPath();
    if (WriteQrBitmap(text, path) != 0) return false;
    if (!m_frontend.ShowQrCode(path, text)) return false;
    m_lastText = text;
    return true;
}

std::string PairingCode::LastText() const {
    std::lock_guard lock(m_mutex);
    return m_lastText;
}

}  // namespace harbrook
