// Sending the user's chosen files to the connected phone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "link/link_context.h"
#include "locale/string_ids.h"

namespace harbrook {

inline constexpr std::uint64_t kMaxSendFileSize = 2'147'483'648ULL;  // 2 GiB, inclusive
inline constexpr std::size_t kSendPieceSize = 300000;

// Texts of the send, by string-table ID.
namespace send_text {
inline constexpr unsigned kSendFiles = kStrSendFiles;  // the button at rest
inline constexpr unsigned kSending = kStrSending;      // the button while a send runs
inline constexpr unsigned kBadFiles = kStrBadFiles;    // a file cannot be measured, opened or named
inline constexpr unsigned kNoPhone = kStrNoPhone;      // no phone connected
inline constexpr unsigned kConnectionLost =
    kStrConnectionLost;                            // connect, reply or connection failure
inline constexpr unsigned kNoSpace = kStrNoSpace;  // the phone answered "insufficient"
inline constexpr unsigned kDone = kStrSendDone;    // every file sent
inline constexpr unsigned kBackupRunning = kStrBackupRunning;  // the transfer flag is taken
inline constexpr unsigned kNoPermission = kStrNoPermission;  // an unexpected answer, or "fileError"
inline constexpr unsigned kSendRunning = kStrSendRunning;    // another send has not ended yet
}  // namespace send_text

// How a send ended, as a value: the window shows its message, a later start
// that handed the files over prints it.
enum class SendOutcome {
    Sent,            // every file is on the phone
    NoPhone,         // no phone connected
    BackupRunning,   // the transfer flag is taken by a backup
    SendRunning,     // another send has not ended yet
    BadFiles,        // a file missing, unreadable, too large or unnamable
    NoAnswer,        // the phone did not answer the total
    ConnectionLost,  // the transfer broke off
    NoSpace,         // the phone answered "insufficient"
    NoPermission,    // an unexpected answer, or "fileError"
    Stopped,         // the program is quitting: nothing to tell
};

// The message of the outcome as the window shows it; 0 for none.
unsigned SendOutcomeMessage(SendOutcome outcome);

// Who hears how a send ended; without one, the front end shows the message.
using SendReport = std::function<void(SendOutcome)>;

// The sum of the files' sizes; 0 when any cannot be opened or measured or is
// larger than 2 GiB.
std::uint64_t TotalSelectedSize(const std::vector<std::filesystem::path>& files);

// The send button's handler minus the file dialog, which belongs to the front
// end: refuses when no phone address is known or another send has not ended
// (one send at a time, whatever starts it); otherwise sets the button to
// "Sending", disabled, and starts SendFilesThread with the chosen files. The
// caller keeps the returned thread (joining it on quit); it is not joinable
// when nothing was started. `ended`, when given, is called on the send
// thread as its last act, so the caller can reap it.
std::jthread OnSendFiles(LinkContext& link, std::vector<std::filesystem::path> files,
                         SendReport report = {}, std::function<void()> ended = {});

// The transfer itself. At its end the flags are released and the button
// restored, and only then is the outcome reported. Quiet when the link is
// stopped. Progress goes to the front end as the pieces go.
SendOutcome SendFilesThread(LinkContext& link, const std::vector<std::filesystem::path>& files,
                            const SendReport& report = {});

}  // namespace harbrook
