// The phone's side of a backup: announce the total, offer every file, answer
// each "fetch" with the next 300000 bytes, resend on "fileError", end with
// "backingEnd". Options make it misbehave for tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace harbrook::phone {

struct BackupFile {
    std::filesystem::path path;
    std::string name;      // as offered (normally the file name)
    std::string category;  // camera, tencent, other, document, audio
};

// The phone's own rules: Tencent app folders, camera folders (DCIM/Camera),
// other pictures and videos, audio, and everything else as documents.
std::string CategoryFor(const std::filesystem::path& path);

// Every regular file under the given folders (or the files themselves), in
// name order, with its category.
std::vector<BackupFile> CollectFiles(const std::vector<std::filesystem::path>& roots);

struct BackupOptions {
    std::string routingId = "phone-backup";
    std::chrono::milliseconds timeout{15000};
    std::string stateWord = "file";
    // Misbehaviour.
    int shortTries = 0;            // send the first n tries of each file one byte short
    std::int64_t sizeDelta = 0;    // announce every size off by this much
    int vanishAfterChunks = -1;    // go silent after this many chunks of the first file
    std::string forceCategory;     // offer every file with this category word
    std::string forceTotal;        // announce this text as the total
    bool emptyChunkAsEnd = false;  // end a file with an empty chunk instead of the marker
    int maxTries = 5;              // give up on a file after this many "fileError"
};

struct FileOutcome {
    std::string name;
    std::vector<std::string> verdicts;  // what the PC answered, try by try
};

struct BackupResult {
    std::string answer;  // to the total: "sufficient", "insufficient", or "" (no answer)
    std::vector<FileOutcome> files;
    bool ended = false;  // "backingEnd" was sent
    std::string error;   // why it stopped early, if it did
};

// Backs the files up to the PC's backup endpoint ("a.b.c.d:port").
BackupResult RunBackup(const std::string& endpoint, const std::vector<BackupFile>& files,
                       const BackupOptions& options = {});

}  // namespace harbrook::phone
