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

    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override {
        Add(m_states, StateChange{connected, phoneName});
    }
    void SetBannerStatus(const std::string& text) override { Add(m_banners, text); }
    void ShowMessage(const std::string& text) override { Add(m_messages, text); }
    bool AskOkCancel(const std::string& text) override {
        Add(m_questions, text);
        return answerOk.load();
    }
    void SetSendButton(const std::string& text, bool enabled) override;
    bool ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) override;
    void OnFileReceived(const std::string&, std::int64_t, const std::filesystem::path& storedAs,
                        bool) override {
        Add(m_received, storedAs);
    }
    void OnBackupStarted(std::int64_t totalBytes) override { Add(m_backupStarts, totalBytes); }
    void OnBackupEnded(const BackupEnd& end) override { Add(m_backupEnds, end); }
    void OnLinkNotice(const std::string& text) override { Add(m_notices, text); }
    void OnOpenMainWindow() override { ++opened; }
    void ShowBackupReminder() override { ++reminders; }
    void OnProgressReading(const ProgressReading& reading) override { Add(m_readings, reading); }
    void OnBackupRecorded(const BackupRecord& record) override { Add(m_records, record); }
    void OnSendStarted(std::int64_t totalBytes) override {
        Add(m_sendEvents, "start " + std::to_string(totalBytes));
    }
    void OnSendProgress(const BackupProgress& progress) override {
        Add(m_sendEvents, std::to_string(progress.receivedBytes) + " bytes, " +
                              std::to_string(progress.filesDone) + " files");
    }
    void OnSendEnded() override { Add(m_sendEvents, std::string("end")); }

    std::vector<StateChange> stateChanges() const { return Get(m_states); }
    std::vector<std::string> banners() const { return Get(m_banners); }
    std::vector<std::string> messages() const { return Get(m_messages); }
    std::vector<std::string> notices() const { return Get(m_notices); }
    std::vector<std::string> qrTexts() const { return Get(m_qr); }
    std::filesystem::path qrBitmap() const { return Get(m_qrBitmap); }
    std::vector<std::string> questions() const { return Get(m_questions); }
    std::vector<ProgressReading> readings() const { return Get(m_readings); }
    std::vector<BackupRecord> records() const { return Get(m_records); }
    std::string lastBanner() const;
    std::string sendButtonText() const { return Get(m_sendText); }
    bool sendButtonEnabled() const { return Get(m_sendEnabled); }
    std::vector<std::filesystem::path> receivedFiles() const { return Get(m_received); }
    std::vector<std::int64_t> backupStarts() const { return Get(m_backupStarts); }
    std::vector<BackupEnd> backupEnds() const { return Get(m_backupEnds); }
    bool LastBackupCompleted() const;
    // A send's events: "start N", "N bytes, F files" after each piece, "end".
    std::vector<std::string> sendEvents() const { return Get(m_sendEvents); }

    std::atomic<bool> answerOk{true};
    std::atomic<int> opened{0}, reminders{0};

  private:
    // Every call may come from any worker: the records change under the lock.
    template <class T>
    void Add(std::vector<T>& to, T value) {
        std::lock_guard lock(m_mutex);
        to.push_back(std::move(value));
    }
    template <class T>
    T Get(const T& member) const {
        std::lock_guard lock(m_mutex);
        return member;
    }

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
