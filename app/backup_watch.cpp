#include "app/backup_watch.h"

#include <optional>

#include "update/date_records.h"

namespace harbrook {

BackupWatch::BackupWatch(AppFrontend& ui, std::filesystem::path historyFile, const Clock& clock)
    : m_ui(ui), m_historyFile(std::move(historyFile)), m_clock(clock) {}

void BackupWatch::NoteQuitting() {
    std::lock_guard lock(m_mutex);
    m_quitting = true;
}

void BackupWatch::EndOpenBackup() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_running) return;
        m_quitting = true;
    }
    OnBackupEnded({BackupOutcome::Disconnected});
}

void BackupWatch::OnConnectionStateChanged(bool connected, const std::string& phoneName) {
    // The reminder counts the days from the last time a phone connected.
    if (connected) ResetShowDate(m_clock);
    m_ui.OnConnectionStateChanged(connected, phoneName);
}

void BackupWatch::SetBannerStatus(const std::string& text) {
    m_ui.SetBannerStatus(text);
}

void BackupWatch::ShowMessage(const std::string& text) {
    m_ui.ShowMessage(text);
}

bool BackupWatch::AskOkCancel(const std::string& text) {
    return m_ui.AskOkCancel(text);
}

void BackupWatch::SetSendButton(const std::string& text, bool enabled) {
    m_ui.SetSendButton(text, enabled);
}

bool BackupWatch::ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) {
    return m_ui.ShowQrCode(bitmap, text);
}

void BackupWatch::OnPaired(const std::string& phoneName, const std::string& phoneId) {
    m_ui.OnPaired(phoneName, phoneId);
}

void BackupWatch::OnBackupStarted(std::int64_t totalBytes) {
    {
        std::lock_guard lock(m_mutex);
        m_running = true;
        m_record = {};
        m_record.startSeconds = m_clock.NowSeconds();
        if (m_state) m_record.phone = m_state->GetConnectedPhoneNameW();
        m_meter.Start(totalBytes, std::chrono::steady_clock::now());
        m_lastReading = {};
    }
    m_ui.OnBackupStarted(totalBytes);
}

std::optional<ProgressReading> BackupWatch::Feed(ProgressMeter& meter,
                                                 std::chrono::steady_clock::time_point& last,
                                                 const BackupProgress& progress) {
    const auto now = std::chrono::steady_clock::now();
    meter.Update(progress.receivedBytes, progress.filesDone, progress.currentFile, now);
    if (now - last < kReadingInterval) return std::nullopt;
    last = now;
    return meter.Read();
}

void BackupWatch::OnBackupProgress(const BackupProgress& progress) {
    std::optional<ProgressReading> reading;
    {
        std::lock_guard lock(m_mutex);
        m_record.bytes = progress.receivedBytes;
        reading = Feed(m_meter, m_lastReading, progress);
    }
    m_ui.OnBackupProgress(progress);
    if (reading) m_ui.OnProgressReading(*reading);
}

void BackupWatch::OnFileReceived(const std::string& name, std::int64_t size,
                                 const std::filesystem::path& storedAs, bool complete) {
    {
        std::lock_guard lock(m_mutex);
        if (complete)
            ++m_record.files;
        else
            m_record.incomplete.push_back(name);
    }
    m_ui.OnFileReceived(name, size, storedAs, complete);
}

void BackupWatch::OnBackupEnded(const BackupEnd& end) {
    std::optional<BackupRecord> record;
    ProgressReading last;
    {
        std::lock_guard lock(m_mutex);
        if (m_running) {
            m_running = false;
            m_record.endSeconds = m_clock.NowSeconds();
            // A backup that a quit cuts short failed for no fault of its own.
            m_record.outcome = end.outcome == BackupOutcome::Failed && m_quitting
                                   ? BackupOutcome::Disconnected
                                   : end.outcome;
            m_record.reason = end.outcome == BackupOutcome::Failed ? end.reason : std::string();
            m_record.alreadyStored = end.alreadyStored;
            record = m_record;
            last = m_meter.Read();
        }
    }
    if (!record) return m_ui.OnBackupEnded(end);  // a stray end: nothing to record
    m_ui.OnProgressReading(last);
    m_ui.OnBackupEnded(end);
    if (!m_historyFile.empty()) AppendBackupRecord(m_historyFile, *record);
    m_ui.OnBackupRecorded(*record);
}

void BackupWatch::OnSendStarted(std::int64_t totalBytes) {
    ProgressReading first;
    {
        std::lock_guard lock(m_mutex);
        m_sendMeter.Start(totalBytes, std::chrono::steady_clock::now());
        m_lastSendReading = {};
        first = m_sendMeter.Read();
    }
    m_ui.OnSendStarted(totalBytes);
    m_ui.OnSendProgressReading(first);
}

void BackupWatch::OnSendProgress(const BackupProgress& progress) {
    std::optional<ProgressReading> reading;
    {
        std::lock_guard lock(m_mutex);
        reading = Feed(m_sendMeter, m_lastSendReading, progress);
    }
    m_ui.OnSendProgress(progress);
    if (reading) m_ui.OnSendProgressReading(*reading);
}

void BackupWatch::OnSendEnded() {
    ProgressReading last;
    {
        std::lock_guard lock(m_mutex);
        last = m_sendMeter.Read();
    }
    m_ui.OnSendProgressReading(last);
    m_ui.OnSendEnded();
}

}  // namespace harbrook
