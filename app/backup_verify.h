// Checking the stored backups against their manifests, for --verify on the
// command line and for "Check backups" in the tray menu: which phone folders,
// the lines that say what differs, the history records.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/backup_history.h"
#include "backup/backup_check.h"
#include "core/clock.h"

namespace harbrook {

struct VerifyRequest {
    std::filesystem::path backupFolder;  // <root>/Backup of Harbrook
    std::optional<std::string> phone;    // one phone's folder, else every one
    bool record = false;                 // first record files that have no line
};

struct VerifySummary {
    bool found = false;   // there was a phone folder to check
    bool intact = false;  // every file of every folder as recorded
    std::int64_t files = 0, differing = 0;
    bool stopped = false;              // the program is stopping: not all was read
    std::vector<std::string> details;  // what differs, file by file
    std::vector<std::string> totals;   // per phone: notes on its manifest, its summary
};

// The backup folder under the stored backup root; empty when none is stored.
std::filesystem::path StoredBackupFolder();

// Checks each phone folder, appends a check record per folder to the
// history (when `historyFile` is set), and says what it found in the user's
// language. `progress` gets every phone's progress as it goes.
VerifySummary VerifyBackups(const VerifyRequest& request, const std::filesystem::path& historyFile,
                            const Clock& clock, const CheckProgressFn& progress = {});

// One progress line: files, bytes, rate and time left.
std::string FormatCheckProgress(const CheckProgress& progress, double seconds);

}  // namespace harbrook
