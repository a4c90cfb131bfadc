// The headless front end: the pairing code drawn in the terminal and one
// line per event. Everything a window would show in a message box is
// printed, so nothing is lost without a display. On a terminal the progress
// of a backup is one line that updates in place; into a file or a pipe it is
// a line every few seconds.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>

#include "app/app_frontend.h"

namespace harbrook {

class ConsoleFrontend final : public AppFrontend {
  public:
    static constexpr std::chrono::seconds kPeriodicProgress{2};

    // `terminal`: stdout is a terminal (colours, the in-place progress line).
    ConsoleFrontend(std::FILE* out, bool terminal);

    // Printed once at start: the not-connected state.
    void PrintWelcome();
    // Runs each time the pairing code is drawn (phones may pair for a while then).
    void SetCodeShownHandler(std::function<void()> shown);

    void OnConnectionStateChanged(bool connected, const std::string& phoneName) override;
    void SetBannerStatus(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    bool AskOkCancel(const std::string& text) override;
    void SetSendButton(const std::string& text, bool enabled) override;
    bool ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) override;
    void OnPaired(const std::string& phoneName, const std::string& phoneId) override;
    void OnBackupStarted(std::int64_t totalBytes) override;
    void OnFileReceived(const std::string& name, std::int64_t size,
                        const std::filesystem::path& storedAs, bool complete) override;
    void OnOpenMainWindow() override;
    void ShowBackupReminder() override;
    void OnProgressReading(const ProgressReading& reading) override;
    void OnBackupRecorded(const BackupRecord& record) override;
    void OnLinkNotice(const std::string& text) override;
    // A send's progress, printed as a backup's is.
    void OnSendStarted(std::int64_t totalBytes) override;
    void OnSendProgressReading(const ProgressReading& reading) override;
    void OnSendEnded() override;

  private:
    void PrintProgress(const ProgressReading& reading);
    void ClearProgressLine();
    // Both expect m_mutex held.
    void Line(const std::string& text);
    void PrintPairingCode();
    std::string StateText() const;

    std::FILE* const m_out;
    const bool m_terminal;
    std::mutex m_mutex;  // one writer at a time; guards what follows
    std::string m_qrText;
    std::function<void()> m_codeShown;
    bool m_connected = false;
    std::string m_phoneName;
    bool m_backupRunning = false;
    bool m_sendRunning = false;
    std::string m_progressLine;  // on show at the bottom of a terminal, or empty
    std::string m_lastPrinted;   // the last progress line printed into a file or pipe
    std::chrono::steady_clock::time_point m_lastPeriodic{};
};

}  // namespace harbrook
