// Stands between the core and the front end: passes every call on, and
// follows each backup on the way to measure its progress and to write its
// history record when it ends; and notes the day a phone connects, from
// which the backup reminder counts.
#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>
#include <optional>

#include "app/app_frontend.h"
#include "core/clock.h"
#include "link/connection_state.h"

namespace harbrook {

class BackupWatch final : public Frontend {
  public:
    static constexpr std::chrono::milliseconds kReadingInterval{200};

    // The history file may be empty: then nothing is written.
    BackupWatch(AppFrontend& ui, std::filesystem::path historyFile,
                const Clock& clock = SystemClock());

    // The phone whose name goes into the records; set before the link starts.
    void WatchConnection(const ConnectionState* state) { m_state = state; }

    // The program is quitting: a backup that ends from now on was cut short
    // by the quit, whatever the receiver makes of its lost socket.
    void NoteQuitting();
    // After the workers have stopped: a backup they left without an end is
    // recorded as interrupted.
    void EndOpenBackup();

    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override;
    void SetBannerStatus(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    void SetSendButton(const std::string& text, bool enabled) override;
    bool ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) override;
    void OnPaired(const std::string& phoneName, const std::string& phoneId) override;
    void OnBackupStarted(std::int64_t totalBytes) override;
    void OnBackupProgress(const BackupProgress& progress) override;
    void OnFileReceived(const std::string& name, std::int64_t size,
                        const std::filesystem::path& storedAs, bool complete) override;
    void OnBackupEnded(const BackupEnd& end) override;
    void OnLinkNotice(const std::string& text) override { m_ui.OnLinkNotice(text); }
    // A send is measured like a backup; it leaves no history.
    void OnSendStarted(std::int64_t totalBytes) override;
    void OnSendProgress(const BackupProgress& progress) override;
    void OnSendEnded() override;

  private:
    // The meter takes the progress; a reading is due at most every
    // kReadingInterval (the last one given at `last`).
    static std::optional<ProgressReading> Feed(ProgressMeter& meter,
                                               std::chrono::steady_clock::time_point& last,
                                               const BackupProgress& progress);

    AppFrontend& m_ui;
    const std::filesystem::path m_historyFile;
    const Clock& m_clock;
    const ConnectionState* m_state = nullptr;

    std::mutex m_mutex;  // guards what follows
    bool m_running = false;
    bool m_quitting = false;
    BackupRecord m_record;
    ProgressMeter m_meter;
    std::chrono::steady_clock::time_point m_lastReading{};
    ProgressMeter m_sendMeter;
    std::chrono::steady_clock::time_point m_lastSendReading{};
};

}  // namespace harbrook
