#include "qr/pairing_code.h"

#include "core/app_folders.h"
#include "link/endpoints.h"
#include "qr/qr_bitmap.h"

namespace harbrook {

bool PairingCode::UpdatePairingCode(const std::string& portText) {
    const std::string text = GetLocalIPv4() + ":" + portText;
    std::filesystem::path bitmap;
    {
        std::lock_guard lock(m_mutex);
        if (text == m_lastText) return true;
        // Without a data folder the bitmap lands in the current folder.
        std::filesystem::path folder;
        GetAppDataFolder(folder);
        bitmap = folder / kQrBitmapName;
        if (WriteQrBitmap(text, bitmap) != kQrOk) return false;
        ++m_writes;
    }
    // The front end is called with no lock of ours held.
    if (!m_frontend.ShowQrCode(bitmap, text)) return false;
    std::lock_guard lock(m_mutex);
    m_lastText = text;
    return true;
}

std::string PairingCode::LastText() const {
    std::lock_guard lock(m_mutex);
    return m_lastText;
}

int PairingCode::WriteCount() const {
    std::lock_guard lock(m_mutex);
    return m_writes;
}

}  // namespace harbrook
