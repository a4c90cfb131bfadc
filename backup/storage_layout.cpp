#include "backup/storage_layout.h"

#include <algorithm>
#include <cctype>

#include "core/file_names.h"
#include "core/settings_store.h"
#include "locale/ui_strings.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

class SystemVolumeSource final : public VolumeSource {
  public:
    std::vector<platform::StorageVolume> List() const override { return platform::ListVolumes(); }
    std::optional<std::uint64_t> FreeBytes(const std::filesystem::path& path) const override {
        return platform::TotalFreeBytes(path);
    }
};

constexpr std::string_view kForbidden = "\"\\/:*?<>|";
constexpr std::size_t kMaxNameUnits = 255;
constexpr std::size_t kFolderNameCapacity = 100;  // a 256-unit buffer with its terminator

bool MoreThan(std::optional<std::uint64_t> free, std::int64_t need) {
    return free && (need < 0 || *free > static_cast<std::uint64_t>(need));
}

bool AtLeast(std::optional<std::uint64_t> free, std::int64_t need) {
    return free && (need < 0 || *free >= static_cast<std::uint64_t>(need));
}

// UTF-8 as Windows' MultiByteToWideChar without flags reads it: invalid bytes
// become U+FFFD.
std::string LenientUtf8(std::string_view text) {
    if (platform::IsValidUtf8(text)) return std::string(text);
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = 1;
        for (std::size_t n = 4; n >= 2; --n) {
            if (i + n <= text.size() && platform::IsValidUtf8(text.substr(i, n))) {
                len = n;
                break;
            }
        }
        if (len == 1 && static_cast<unsigned char>(text[i]) >= 0x80)
            out += "\xEF\xBF\xBD";
        else
            out.append(text.substr(i, len));
        i += len;
    }
    return out;
}

}  // namespace

const VolumeSource& SystemVolumes() {
    static const SystemVolumeSource source;
    return source;
}

std::vector<platform::StorageVolume> ListStorageDrives(const VolumeSource& volumes) {
    std::vector<platform::StorageVolume> kept;
    for (auto& v : volumes.List())
        if (v.type == platform::VolumeType::Removable || v.type == platform::VolumeType::Fixed)
            kept.push_back(std::move(v));
    std::stable_sort(kept.begin(), kept.end(),
                     [](const auto& a, const auto& b) { return a.name < b.name; });
    return kept;
}

bool ChooseStorageDrive(const VolumeSource& volumes, std::filesystem::path& root) {
    struct Candidate {
        platform::StorageVolume volume;
        std::uint64_t free;
    };
    std::vector<Candidate> drives;
    for (auto& v : ListStorageDrives(volumes)) {
        const std::uint64_t free = volumes.FreeBytes(v.root).value_or(0);
        drives.push_back({std::move(v), free});
    }
    // Largest first; equal free space keeps name order.
    std::stable_sort(drives.begin(), drives.end(),
                     [](const Candidate& a, const Candidate& b) { return a.free > b.free; });
    if (drives.empty()) return false;
    const Candidate* chosen = nullptr;
    if (!drives[0].volume.isSystem || drives[0].free > kSystemDriveMinFree)
        chosen = &drives[0];
    else if (drives.size() >= 2 && drives[1].free > kOtherDriveMinFree)
        chosen = &drives[1];
    if (!chosen) return false;
    root = chosen->volume.root;
    return true;
}

bool IsPartialFileName(std::string_view name) {
    if (name.size() < kPartialPrefix.size()) return false;
    for (std::size_t i = 0; i < kPartialPrefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(name[i])) != kPartialPrefix[i]) return false;
    }
    return true;
}

std::string CleanFileName(std::string_view name) {
    std::string cleaned;
    for (char c : name)
        if (kForbidden.find(c) == std::string_view::npos) cleaned += c;
    // Names of only dots and blanks mean this folder or its parent, or vanish
    // on Windows.
    if (cleaned.find_first_not_of(". ") == std::string::npos) return {};
    // On Windows a device name opens the device instead of a file. The tree
    // may be copied there later, so no system gets such a name.
    // Nor the name of our own temporaries: those are removed as leftovers.
    if (IsWindowsDeviceName(cleaned) || IsPartialFileName(cleaned)) cleaned.insert(0, "_");
    return cleaned;
}

std::string FitFileName(std::string_view name, std::string_view suffix) {
    const std::size_t dot = name.rfind('.');
    const std::string_view stem = name.substr(0, dot);
    const std::string_view extension = dot == std::string_view::npos ? "" : name.substr(dot);
    std::string fitted = std::string(stem) + std::string(suffix) + std::string(extension);
    if (platform::FileNameLength(fitted) <= platform::kMaxFileNameLength) return fitted;
    const std::string tail = std::string(suffix) + std::string(extension);
    const std::size_t tailLength = platform::FileNameLength(tail);
    if (tailLength >= platform::kMaxFileNameLength) return {};
    // Whole characters of the stem while they fit, counted as the file system counts.
    const std::size_t room = platform::kMaxFileNameLength - tailLength;
    std::size_t end = 0;
    for (std::size_t used = 0; end < stem.size();) {
        std::size_t len = 1;
        while (end + len < stem.size() &&
               (static_cast<unsigned char>(stem[end + len]) & 0xC0) == 0x80)
            ++len;
        used += platform::FileNameLength(stem.substr(end, len));
        if (used > room) break;
        end += len;
    }
    const std::string_view cut = stem.substr(0, end);
    if (cut.empty()) return {};
    return std::string(cut) + tail;
}

std::optional<std::filesystem::path> FindFolderInAnyLanguage(const std::filesystem::path& parent,
                                                             unsigned stringId,
                                                             const std::filesystem::path& inside) {
    const auto names = UiStringInEveryLanguage(stringId, kFolderNameCapacity);
    for (const bool needInside : {true, false}) {
        if (needInside && inside.empty()) continue;
        for (const auto& name : names) {
            const auto folder = parent / Utf8ToPath(name);
            std::error_code ec;
            if (std::filesystem::is_directory(needInside ? folder / inside : folder, ec))
                return folder;
        }
    }
    return std::nullopt;
}

std::filesystem::path FolderInAnyLanguage(const std::filesystem::path& parent, unsigned stringId,
                                          const std::filesystem::path& inside) {
    if (auto found = FindFolderInAnyLanguage(parent, stringId, inside)) return *found;
    return parent / Utf8ToPath(LoadUiString(stringId, kFolderNameCapacity));
}

std::string StorageLayout::PhoneFolderName(std::string_view phoneName) {
    std::string name = CleanFileName(phoneName);
    return name.empty() ? std::string(kDefaultPhoneFolder) : name;
}

bool StorageLayout::PrepareBackupFolders(std::int64_t neededBytes) {
    std::lock_guard lock(m_mutex);
    CSettingsStore settings;
    std::filesystem::path root;
    const bool stored = settings.ReadRootDirectory(root);
    const bool roomy = stored && MoreThan(m_volumes.FreeBytes(root), neededBytes);
    // A root the user chose is never swapped for another drive: the phone
    // hears that there is no room instead.
    if (stored && !roomy && settings.IsRootDirectoryChosenByUser()) return false;
    if (!roomy) {
        ChooseStorageDrive(m_volumes, root);  // on failure the stored root stays
        if (root.empty() || !AtLeast(m_volumes.FreeBytes(root), neededBytes)) return false;
        settings.WriteRootDirectory(root);
    }
    // The top folder that already holds this phone's folder, in whatever
    // language; else any top folder there is; else a new one.
    const std::filesystem::path phoneName =
        Utf8ToPath(PhoneFolderName(m_state.GetConnectedPhoneNameW()));
    const std::filesystem::path backupFolder =
        FolderInAnyLanguage(root, kBackupFolderStringId, phoneName);
    const std::filesystem::path phoneFolder = backupFolder / phoneName;
    std::error_code ec;  // an existing folder is fine; a failure shows when a file is made
    std::filesystem::create_directory(backupFolder, ec);
    std::filesystem::create_directory(phoneFolder, ec);
    for (std::size_t i = 0; i < kCategories.size(); ++i) {
        const auto folder = FolderInAnyLanguage(phoneFolder, kCategories[i].folderStringId);
        std::filesystem::create_directory(folder, ec);
        m_kept[i] = folder / "";
    }
    m_phoneFolder = phoneFolder;
    return true;
}

std::filesystem::path StorageLayout::KeptPath(BackupCategory category) const {
    std::lock_guard lock(m_mutex);
    return m_kept[static_cast<std::size_t>(category)];
}

std::filesystem::path StorageLayout::PhoneFolder() const {
    std::lock_guard lock(m_mutex);
    return m_phoneFolder;
}

bool StorageLayout::ResolveTargetPath(std::string_view fileName, std::string_view categoryWord,
                                      std::filesystem::path& target) const {
    const auto info =
        std::find_if(kCategories.begin(), kCategories.end(),
                     [&](const CategoryInfo& c) { return c.wireWord == categoryWord; });
    if (info == kCategories.end()) return false;
    const std::filesystem::path folder = KeptPath(info->category);
    if (folder.empty()) return false;
    const std::string name = StoredFileName(fileName, categoryWord);
    if (name.empty()) return false;
    target = folder / Utf8ToPath(name);
    return true;
}

std::string StoredFileName(std::string_view fileName, std::string_view categoryWord) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return {};
    std::string name = LenientUtf8(fileName);
    if (platform::Utf16Units(name) > kMaxNameUnits) {
        // Too long: fall back to the category word and the extension.
        const std::string fallback = std::string(categoryWord) + std::string(fileName.substr(dot));
        auto converted = platform::AnsiToUtf8(fallback);
        if (!converted || platform::Utf16Units(*converted) > kMaxNameUnits) return {};
        name = std::move(*converted);
    }
    return FitFileName(CleanFileName(name));
}

}  // namespace harbrook
