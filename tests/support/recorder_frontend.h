// A front end for tests: records every call, answers questions as told.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "app/app_frontend.h"

namespace harbrook::test {

class RecorderFrontend : public AppFrontend {
  public:
    struct StateChange {
        bool connected;
        std::string name;
    };

    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override;
    void SetBannerStatus(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    void SetSendButton(const std::string& text, bool enabled) override;
    bool ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) override;
    void OnFileReceived(const std::string& name, std::int64_t size,
                        const std::filesystem::path& storedAs, bool complete) override;
    void OnBackupStarted(std::int64_t totalBytes) override;
    void OnBackupEnded(const BackupEnd& end) override;
    void OnLinkNotice(const std::string& text) override;
    void OnOpenMainWindow() override { ++opened; }
    void ShowBackupReminder() override { ++reminders; }
    void OnProgressReading(const ProgressReading& reading) override;
    void OnBackupRecorded(const BackupRecord& record) override;
    void OnSendStarted(std::int64_t totalBytes) override;
    void OnSendProgress(const BackupProgress& progress) override;
    void OnSendEnded() override;

    std::vector<StateChange> stateChanges() const;
    std::vector<std::string> banners() const;
    std::vector<std::string> messages() const;
    std::vector<std::string> notices() const;
    std::vector<std::string> qrTexts() const;
    std::filesystem::path qrBitmap() const;
    std::vector<std::string> questions() const;
    std::vector<ProgressReading> readings() const;
    std::vector<BackupRecord> records() const;
    std::string lastBanner() const;
    std::string sendButtonText() const;
    bool sendButtonEnabled() const;
    std::vector<std::filesystem::path> receivedFiles() const;
    std::vector<std::int64_t> backupStarts() const;
    std::vector<BackupEnd> backupEnds() const;
    bool LastBackupCompleted() const;
    // A send's events: "start N", "N bytes, F files" after each piece, "end".
    std::vector<std::string> sendEvents() const;

    std::atomic<bool> answerOk{true};
    std::atomic<int> opened{0}, reminders{0};

  private:
    mutable std::mutex m_mutex;
    std::vector<StateChange> m_states;
    std::vector<std::string> m_banners, m_messages, m_questions, m_qr, m_notices, m_sendEvents;
    std::vector<std::filesystem::path> m_received;
    std::vector<std::int64_t> m_backupStarts;
    std::vector<BackupEnd> m_backupEnds;
    std::vector<ProgressReading> m_readings;
    std::vector<BackupRecord> m_records;
    std::filesystem::path m_qrBitmap;
    std::string m_sendText = "Send Files";
    bool m_sendEnabled = true;
};

}  // namespace harbrook::test
