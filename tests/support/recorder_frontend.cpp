#include "tests/support/recorder_frontend.h"

namespace harbrook::test {

void RecorderFrontend::OnConnectionStateChanged(bool connected, const std::string& phoneName) {
    std::lock_guard lock(m_mutex);
    m_states.push_back({connected, phoneName});
}
void RecorderFrontend::SetBannerStatus(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_banners.push_back(text);
}
void RecorderFrontend::ShowMessage(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_messages.push_back(text);
}
void RecorderFrontend::OnLinkNotice(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_notices.push_back(text);
}
std::vector<std::string> RecorderFrontend::notices() const {
    std::lock_guard lock(m_mutex);
    return m_notices;
}
bool RecorderFrontend::AskOkCancel(const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_questions.push_back(text);
    return answerOk.load();
}
void RecorderFrontend::SetSendButton(const std::string& text, bool enabled) {
    std::lock_guard lock(m_mutex);
    m_sendText = text;
    m_sendEnabled = enabled;
}
void RecorderFrontend::OnSendStarted(std::int64_t totalBytes) {
    std::lock_guard lock(m_mutex);
    m_sendEvents.push_back("start " + std::to_string(totalBytes));
}
void RecorderFrontend::OnSendProgress(const BackupProgress& progress) {
    std::lock_guard lock(m_mutex);
    m_sendEvents.push_back(std::to_string(progress.receivedBytes) + " bytes, " +
                           std::to_string(progress.filesDone) + " files");
}
void RecorderFrontend::OnSendEnded() {
    std::lock_guard lock(m_mutex);
    m_sendEvents.push_back("end");
}
bool RecorderFrontend::ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) {
    std::lock_guard lock(m_mutex);
    m_qrBitmap = bitmap;
    m_qr.push_back(text);
    return true;
}
void RecorderFrontend::OnFileReceived(const std::string&, std::int64_t,
                                      const std::filesystem::path& storedAs, bool) {
    std::lock_guard lock(m_mutex);
    m_received.push_back(storedAs);
}

void RecorderFrontend::OnBackupStarted(std::int64_t totalBytes) {
    std::lock_guard lock(m_mutex);
    m_backupStarts.push_back(totalBytes);
}
void RecorderFrontend::OnBackupEnded(const BackupEnd& end) {
    std::lock_guard lock(m_mutex);
    m_backupEnds.push_back(end);
}
void RecorderFrontend::OnProgressReading(const ProgressReading& reading) {
    std::lock_guard lock(m_mutex);
    m_readings.push_back(reading);
}
void RecorderFrontend::OnBackupRecorded(const BackupRecord& record) {
    std::lock_guard lock(m_mutex);
    m_records.push_back(record);
}

#define HARBROOK_RECORDER_GETTER(type, name, member) \
    type RecorderFrontend::name() const {            \
        std::lock_guard lock(m_mutex);               \
        return member;                               \
    }
HARBROOK_RECORDER_GETTER(std::vector<RecorderFrontend::StateChange>, stateChanges, m_states)
HARBROOK_RECORDER_GETTER(std::vector<std::string>, banners, m_banners)
HARBROOK_RECORDER_GETTER(std::vector<std::string>, messages, m_messages)
HARBROOK_RECORDER_GETTER(std::vector<std::string>, qrTexts, m_qr)
HARBROOK_RECORDER_GETTER(std::filesystem::path, qrBitmap, m_qrBitmap)
HARBROOK_RECORDER_GETTER(std::vector<std::string>, questions, m_questions)
HARBROOK_RECORDER_GETTER(std::vector<ProgressReading>, readings, m_readings)
HARBROOK_RECORDER_GETTER(std::vector<BackupRecord>, records, m_records)
HARBROOK_RECORDER_GETTER(std::string, sendButtonText, m_sendText)
HARBROOK_RECORDER_GETTER(bool, sendButtonEnabled, m_sendEnabled)
HARBROOK_RECORDER_GETTER(std::vector<std::string>, sendEvents, m_sendEvents)
HARBROOK_RECORDER_GETTER(std::vector<std::filesystem::path>, receivedFiles, m_received)
HARBROOK_RECORDER_GETTER(std::vector<std::int64_t>, backupStarts, m_backupStarts)
HARBROOK_RECORDER_GETTER(std::vector<BackupEnd>, backupEnds, m_backupEnds)
#undef HARBROOK_RECORDER_GETTER

bool RecorderFrontend::LastBackupCompleted() const {
    std::lock_guard lock(m_mutex);
    return !m_backupEnds.empty() && m_backupEnds.back().outcome == BackupOutcome::Completed;
}

std::string RecorderFrontend::lastBanner() const {
    std::lock_guard lock(m_mutex);
    return m_banners.empty() ? std::string() : m_banners.back();
}

}  // namespace harbrook::test
