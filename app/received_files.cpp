#include "app/received_files.h"

#include <algorithm>

#include "app/window_texts.h"
#include "core/settings_store.h"

namespace harbrook {
namespace {

constexpr std::size_t kFolderNameCapacity = 100;

// The first phone folder of a backup folder. The system lists entries in
// no fixed order; name order is what the Windows file system gives.
std::optional<std::filesystem::path> FirstPhoneFolder(const std::filesystem::path& backupFolder) {
    std::error_code ec;
    std::vector<std::filesystem::path> entries;
    for (std::filesystem::directory_iterator it(backupFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeError;
        if (it->is_directory(typeError)) entries.push_back(it->path());
    }
    if (ec || entries.empty()) return std::nullopt;
    return *std::min_element(entries.begin(), entries.end());
}

}  // namespace

bool FindPhoneFolders(const ReceivedFilesSources& sources,
                      std::vector<std::filesystem::path>& folders) {
    folders.clear();
    if (!sources.phoneName.empty() && sources.storedRoot) {
        // Where the next backup of this phone would go: its folder under the
        // top folder of whatever language holds it.
        const auto phoneName = Utf8ToPath(StorageLayout::PhoneFolderName(sources.phoneName));
        folders.push_back(
            FolderInAnyLanguage(*sources.storedRoot, kBackupFolderStringId, phoneName) / phoneName);
        return true;
    }
    const VolumeSource& volumes = sources.volumes ? *sources.volumes : SystemVolumes();
    // The stored root first: one chosen with --backup-root lies anywhere, not
    // only at a volume's backup root, and keeps its backups after the phone
    // has gone.
    std::vector<std::filesystem::path> roots;
    if (sources.storedRoot) roots.push_back(*sources.storedRoot);
    for (const auto& volume : ListStorageDrives(volumes)) roots.push_back(volume.root);
    std::vector<std::filesystem::path> hits;
    for (const auto& root : roots) {
        // Top folders of every language (a change of language leaves the
        // earlier ones where they were).
        for (const auto& name :
             UiStringInEveryLanguage(kBackupFolderStringId, kFolderNameCapacity)) {
            std::error_code ec;
            const auto candidate = root / Utf8ToPath(name);
            if (std::filesystem::exists(candidate, ec) &&
                std::find(hits.begin(), hits.end(), candidate) == hits.end()) {
                hits.push_back(candidate);
            }
        }
    }
    if (hits.empty()) return false;
    if (hits.size() > 1) {
        folders = hits;
        return true;
    }
    const auto phoneFolder = FirstPhoneFolder(hits.front());
    if (!phoneFolder) return false;
    folders.push_back(*phoneFolder);
    return true;
}

FolderAction OpenCategoryFolder(const ReceivedFilesSources& sources, unsigned folderStringId) {
    FolderAction action;
    std::vector<std::filesystem::path> folders;
    if (!FindPhoneFolders(sources, folders)) {
        action.message = kStrNoFilesReceived;
        return action;
    }
    if (folders.size() > 1) {
        action.open = folders;
        return action;
    }
    if (const auto category = FindFolderInAnyLanguage(folders.front(), folderStringId)) {
        action.open.push_back(*category);
    } else {
        action.message = kStrFolderModified;
        action.open.push_back(folders.front());
    }
    return action;
}

}  // namespace harbrook
