// What the core needs from a user interface. The Qt window, the console and
// the tests each implement it; the core never touches a window itself.
//
// Calls arrive on worker threads. Implementations must be thread-safe and must
// not call back into the core while handling OnConnectionStateChanged (it runs
// under the connection lock).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace harbrook {

// Progress of a running backup, for front ends that show more than the banner.
struct BackupProgress {
    std::int64_t totalBytes = 0;     // as announced by the phone
    std::int64_t receivedBytes = 0;  // written so far in this backup
    std::int64_t filesDone = 0;
    std::string currentFile;  // name as the phone sent it
};

class Frontend {
  public:
    virtual ~Frontend() = default;

    // The connection-state display hook: banner, panel swap, phone name.
    // Called with the connection lock held, before the connected flag changes.
    virtual void OnConnectionStateChanged(bool connected, const std::string& phoneName) = 0;

    // The banner's status caption (backup progress in words).
    virtual void SetBannerStatus(const std::string& text) = 0;

    // A message with an OK button. Blocks the calling worker until dismissed.
    virtual void ShowMessage(const std::string& text) = 0;

    // An OK/Cancel question; true for OK. Blocks the calling worker.
    virtual bool AskOkCancel(const std::string& text) = 0;

    // The "Send Files" button: its caption and whether it can be pressed.
    virtual void SetSendButton(const std::string& text, bool enabled) = 0;

    // The pairing QR code was (re)written: the bitmap file and the text it holds.
    // False when the picture cannot be shown.
    virtual bool ShowQrCode(const std::filesystem::path& bitmap, const std::string& text) = 0;

    // Optional events for richer front ends; the defaults ignore them.
    virtual void OnPaired(const std::string& /*phoneName*/, const std::string& /*phoneId*/) {}
    virtual void OnBackupStarted(std::int64_t /*totalBytes*/) {}
    virtual void OnBackupProgress(const BackupProgress& /*progress*/) {}
    virtual void OnFileReceived(const std::string& /*name*/, std::int64_t /*size*/,
                                const std::filesystem::path& /*storedAs*/, bool /*complete*/) {}
    virtual void OnBackupEnded(bool /*completed*/) {}
};

}  // namespace harbrook
