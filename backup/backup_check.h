// Checking a phone's backup folder against its manifest: every recorded file
// is read again and its digest compared; files that are gone, differ, or were
// never recorded are named. With `record`, files without a line get one, so
// that a tree made before the manifest existed can be checked from then on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace harbrook {

struct CheckProgress {
    std::int64_t files = 0, filesTotal = 0;  // recorded files read so far, of
    std::int64_t bytes = 0, bytesTotal = 0;
};

struct CheckResult {
    // Manifest paths (relative to the phone folder), sorted.
    std::vector<std::string> changed, missing, unrecorded;
    std::int64_t files = 0, bytes = 0;  // read and compared
    std::int64_t recorded = 0;          // lines added (with `record`)
    std::size_t damagedLines = 0;       // whole lines of the manifest that are no entry
    bool cutLast = false;               // its last line was cut short
    bool readable = true;               // false when the folder could not be listed
    bool stopped = false;               // `progress` asked to stop: the rest is unread
    bool Intact() const {
        return readable && changed.empty() && missing.empty() && unrecorded.empty();
    }
};

// `progress` is called as the bytes are read; false from it stops the check.
using CheckProgressFn = std::function<bool(const CheckProgress&)>;
CheckResult CheckPhoneFolder(const std::filesystem::path& phoneFolder, bool record,
                             const CheckProgressFn& progress = {});

// The phone folders of a backup folder, in name order.
std::vector<std::filesystem::path> PhoneFolders(const std::filesystem::path& backupFolder);

}  // namespace harbrook
