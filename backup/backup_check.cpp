#include "backup/backup_check.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

#include "backup/manifest.h"
#include "backup/storage_layout.h"
#include "core/sha256.h"
#include "platform/file_io.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

struct Recorded {
    std::int64_t size = 0;
    Sha256Digest digest{};
    bool seen = false;
};

}  // namespace

CheckResult CheckPhoneFolder(const std::filesystem::path& phoneFolder, bool record,
                             const CheckProgressFn& progress) {
    CheckResult result;
    CheckProgress at;
    const std::filesystem::path manifest = phoneFolder / kManifestFileName;
    std::map<std::string, Recorded> recorded;
    const ManifestReading reading =
        ReadManifest(manifest, [&](ManifestEntry&& entry, std::uint64_t) {
            recorded[entry.path] = {entry.size, entry.digest};  // the latest line counts
        });
    result.damagedLines = reading.damaged;
    result.cutLast = reading.cutLast;
    for (const auto& [path, file] : recorded) at.bytesTotal += file.size;
    at.filesTotal = static_cast<std::int64_t>(recorded.size());

    ManifestAppender appender;
    const std::string stamp = BackupStamp(std::chrono::duration_cast<std::chrono::seconds>(
                                              std::chrono::system_clock::now().time_since_epoch())
                                              .count());
    const auto advanced = [&](std::int64_t bytes) {
        at.bytes += bytes;
        result.stopped = progress && !progress(at);
        return !result.stopped;
    };
    std::error_code ec;
    auto it = std::filesystem::recursive_directory_iterator(phoneFolder, ec);
    if (ec) result.readable = false;
    for (; !ec && !result.stopped && it != std::filesystem::recursive_directory_iterator();
         it.increment(ec)) {
        const std::filesystem::path& path = it->path();
        if (!it->is_regular_file(ec) || it->is_symlink(ec)) continue;
        if (path == manifest || IsPartialFileName(platform::PathToUtf8(path.filename()))) continue;
        const std::string name = ManifestPath(phoneFolder, path);
        const auto found = recorded.find(name);
        if (found == recorded.end()) {
            if (!record) {
                result.unrecorded.push_back(name);
                continue;
            }
            const auto now = DigestFile(path);
            if (!appender.IsOpen() && !appender.Open(manifest)) {
                result.unrecorded.push_back(name);
                continue;
            }
            if (now && appender.Append({name, now->size, now->digest, stamp}))
                ++result.recorded;
            else
                result.unrecorded.push_back(name);
            continue;
        }
        Recorded& file = found->second;
        file.seen = true;
        const std::int64_t before = at.bytes;
        const auto now = DigestFile(path, advanced);
        // What was not read of it still counts as done.
        at.bytes = before + file.size;
        ++at.files;
        ++result.files;
        result.bytes += now ? now->size : 0;
        if (result.stopped) break;
        if (progress && !progress(at)) result.stopped = true;
        if (!now || now->size != file.size || now->digest != file.digest)
            result.changed.push_back(name);
    }
    if (ec) result.readable = false;
    if (result.stopped) return result;
    for (const auto& [path, file] : recorded)
        if (!file.seen) result.missing.push_back(path);
    std::sort(result.changed.begin(), result.changed.end());
    std::sort(result.unrecorded.begin(), result.unrecorded.end());
    return result;
}

std::vector<std::filesystem::path> PhoneFolders(const std::filesystem::path& backupFolder) {
    std::vector<std::filesystem::path> folders;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(backupFolder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        if (it->is_directory(ec)) folders.push_back(it->path());
    std::sort(folders.begin(), folders.end());
    return folders;
}

}  // namespace harbrook
