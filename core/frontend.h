// What the core needs from a user interface. The Qt window, the console and
// the tests each implement it; the core never touches a window itself.
//
// Calls arrive on worker threads and are one-way: an implementation shows what
// it is handed (or queues it for its UI thread) and returns at once, so a
// worker never waits for a person. Implementations must be thread-safe. The
// core makes no call here while it holds a lock of its own.
#pragma once

#include <cstdint>
#include <cstdio>
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

enum class BackupOutcome {
    Completed,     // the phone said it had sent everything
    Failed,        // a broken message or a file that could not be stored
    Disconnected,  // the phone went away, or the program is stopping
};

// How a backup ended, handed over as a value: front ends and the history
// decide on the outcome, never on the banner's (translated) text.
struct BackupEnd {
    BackupOutcome outcome;
    std::string reason{};    // why it failed, for people; empty otherwise
    std::int64_t files = 0;  // stored complete in this backup
    std::int64_t bytes = 0;  // received in this backup
    // Of `files`, those whose content was stored already: kept under their
    // name, or given the new name as a second link to the stored file.
    std::int64_t alreadyStored = 0;
};

class Frontend {
  public:
    virtual ~Frontend() = default;

    // The connection-state display hook: banner, panel swap, phone name (as
    // UTF-8 from the system code page, empty when it cannot be converted).
    // Called after the connection lock is released, one change at a time and
    // in the order of the changes, before the connected flag changes.
    virtual void OnConnectionStateChanged(bool connected, const std::string& phoneName) = 0;

    // The banner's status caption (backup progress in words).
    virtual void SetBannerStatus(const std::string& text) = 0;

    // A message with an OK button. One-way: returns at once and never blocks
    // the worker; a window queues it for its UI thread, the console prints it.
    virtual void ShowMessage(const std::string& text) = 0;

    // An OK/Cancel question; true for OK. The one call that blocks the worker
    // until answered, so the core asks it only with no lock held.
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
    virtual void OnBackupEnded(const BackupEnd& /*end*/) {}
    // A send to the phone, once the phone has taken its total: the start,
    // the bytes and files sent after each piece, and the end (any outcome).
    virtual void OnSendStarted(std::int64_t /*totalBytes*/) {}
    virtual void OnSendProgress(const BackupProgress& /*progress*/) {}
    virtual void OnSendEnded() {}

    // A link event worth a line of log (a declared address that was not
    // believed, the pairing window closing), in words. The console prints
    // it with its other events; by default it goes to stderr.
    virtual void OnLinkNotice(const std::string& text) {
        std::fprintf(stderr, "harbrook: %s\n", text.c_str());
    }
};

}  // namespace harbrook
