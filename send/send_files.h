// Sending the user's chosen files to the connected phone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "link/link_context.h"

namespace harbrook {

inline constexpr std::uint64_t kMaxSendFileSize = 2'147'483'648ULL;  // 2 GiB, inclusive
inline constexpr std::size_t kSendPieceSize = 300000;

// Texts of the send, by string-table ID.
namespace send_text {
inline constexpr unsigned kSendFiles = 107;       // the button at rest
inline constexpr unsigned kSending = 143;         // the button while a send runs
inline constexpr unsigned kBadFiles = 144;        // a file cannot be measured, opened or named
inline constexpr unsigned kNoPhone = 145;         // no phone connected
inline constexpr unsigned kConnectionLost = 146;  // connect, reply or connection failure
inline constexpr unsigned kNoSpace = 147;         // the phone answered "insufficient"
inline constexpr unsigned kDone = 148;            // every file sent
inline constexpr unsigned kBackupRunning = 149;   // the transfer flag is taken
inline constexpr unsigned kNoPermission = 150;    // an unexpected answer, or "fileError"
}  // namespace send_text

// The sum of the files' sizes; 0 when any cannot be opened or measured or is
// larger than 2 GiB.
std::uint64_t TotalSelectedSize(const std::vector<std::filesystem::path>& files);

// The send button's handler minus the file dialog, which belongs to the front
// end: refuses with message 145 when no phone address is known; otherwise
// sets the button to "Sending", disabled, and starts SendFilesThread with the
// chosen files. The caller keeps the returned thread (joining it on quit); it
// is not joinable when nothing was started. `ended`, when given, is called on
// the send thread as its last act, so the caller can reap it.
std::jthread OnSendFiles(LinkContext& link, std::vector<std::filesystem::path> files,
                         std::function<void()> ended = {});

// The transfer itself; every outcome is reported through the front end and
// the button restored. Returns early, quietly, when the link is stopped.
void SendFilesThread(LinkContext& link, const std::vector<std::filesystem::path>& files);

}  // namespace harbrook
