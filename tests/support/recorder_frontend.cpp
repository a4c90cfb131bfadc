#include "tests/support/recorder_frontend.h"

namespace harbrook::test {

void RecorderFrontend::SetSendButton(const std::string& text, bool enabled) {
    std::lock_guard lock(m_mutex);
    m_sendText = text;
    m_sendEnabled = enabled;
}

bool RecorderFrontend::ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_qrBitmap = bitmap;
    m_qr.push_back(text);
    return true;
}

std::string RecorderFrontend::lastBanner() const {
    std::lock_guard lock(m_mutex);
    return m_banners.empty() ? std::string() : m_banners.back();
}

bool RecorderFrontend::LastBackupCompleted() const {
    std::lock_guard lock(m_mutex);
    return !m_backupEnds.empty() && m_backupEnds.back().outcome == BackupOutcome::Completed;
}

}  // namespace harbrook::test
