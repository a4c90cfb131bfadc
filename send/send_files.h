// Sending the user's chosen files to the connected phone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "link/link_context.h"

namespace harbrook {

inline constexpr std::uint64_t kMaxSendFileSize = 2'147'483'648ULL;  // 2 GiB, inclusive

// The sum of the files' sizes; 0 when any cannot be opened or measured or is
// larger than 2 GiB.
std::uint64_t TotalSelectedSize(const std::vector<std::filesystem::path>& files);

// The send button's handler minus the file dialog: refuses with message 145
// when no phone address is known; otherwise sets the button to "Sending",
// disabled, and starts SendFilesThread on its own thread (detached from the
// caller, joined by the application on quit through the returned handle).
// False when nothing was started.
bool OnSendFiles(LinkContext& link, std::vector<std::filesystem::path> files);

// The transfer itself; every outcome is reported through the front end and
// the button restored.
void SendFilesThread(LinkContext& link, const std::vector<std::filesystem::path>& files);

}  // namespace harbrook
