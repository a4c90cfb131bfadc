// Where a phone's backup lands: <root>/Backup of Harbrook/<phone>/<category>/.
// The top and category folders are named in the language of the first backup
// that made them, and later backups go on in them whatever the language.
// Existing folders are found under each language's name, which the program
// carries for all its libraries, rather than kept with the phone's record:
// the folders on disk are what the user sees and may copy or restore, so
// they speak for themselves; this holds for backups made before any record
// existed, for a record lost with the data folder, for a root chosen anew,
// and for Received Files with no phone connected (there is no record to ask).
// The root is chosen by free space and kept in the settings store; the five
// category folders of the phone connected at the latest preparation are kept
// for ResolveTargetPath.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "link/connection_state.h"
#include "link/keywords.h"
#include "link/link_context.h"
#include "locale/string_ids.h"
#include "platform/volumes.h"

namespace harbrook {

enum class BackupCategory { Camera, Tencent, Other, Document, Audio };

struct CategoryInfo {
    BackupCategory category;
    std::string_view wireWord;  // compared exactly, case-sensitive
    unsigned folderStringId;    // the folder's name in the string table
};

inline constexpr std::array<CategoryInfo, 5> kCategories{{
    {BackupCategory::Camera, kw::kCamera, kStrFolderCamera},
    {BackupCategory::Tencent, kw::kTencent, kStrFolderTencent},
    {BackupCategory::Other, kw::kOther, kStrFolderOther},
    {BackupCategory::Document, kw::kDocument, kStrFolderDocuments},
    {BackupCategory::Audio, kw::kAudio, kStrFolderAudio},
}};

inline constexpr unsigned kBackupFolderStringId = kStrBackupFolder;
inline constexpr std::string_view kDefaultPhoneFolder = "Smartphone";
inline constexpr std::uint64_t kSystemDriveMinFree = 32'212'254'720ULL;  // 30 GiB, strictly more
inline constexpr std::uint64_t kOtherDriveMinFree = 10'737'418'240ULL;   // 10 GiB, strictly more

// The folder under `parent` that a string of the table names, in whichever
// language an earlier backup named it: the first name (current language,
// English, the others; UiStringInEveryLanguage) under which a folder exists
// that holds `inside` (when given), else the first that exists at all.
// Nothing when none exists.
std::optional<std::filesystem::path> FindFolderInAnyLanguage(
    const std::filesystem::path& parent, unsigned stringId,
    const std::filesystem::path& inside = {});
// Same, but the current language's name when none exists (a first backup
// names its folders in the language of the day).
std::filesystem::path FolderInAnyLanguage(const std::filesystem::path& parent, unsigned stringId,
                                          const std::filesystem::path& inside = {});

// The volumes and their free space; the system's by default, fakes in tests.
class VolumeSource {
  public:
    virtual ~VolumeSource() = default;
    virtual std::vector<platform::StorageVolume> List() const = 0;
    virtual std::optional<std::uint64_t> FreeBytes(const std::filesystem::path& path) const = 0;
};
const VolumeSource& SystemVolumes();

// The volumes a backup may go to (removable and fixed), in name order.
std::vector<platform::StorageVolume> ListStorageDrives(const VolumeSource& volumes);

// Picks the roomiest volume, unless it is the system volume with 30 GiB or
// less free; then the second roomiest if it has more than 10 GiB free. Writes
// its root into `root`; false (root untouched) when none qualifies.
bool ChooseStorageDrive(const VolumeSource& volumes, std::filesystem::path& root);

class StorageLayout final : public BackupFolderPreparer {
  public:
    explicit StorageLayout(const ConnectionState& state,
                           const VolumeSource& volumes = SystemVolumes())
        : m_state(state), m_volumes(volumes) {}

    // Makes sure a root with room for neededBytes is set and stored, creates
    // the connected phone's folder tree and refreshes the kept paths. False
    // when no root has room; nothing is created or stored then.
    bool PrepareBackupFolders(std::int64_t neededBytes) override;

    // The kept category folder followed by the cleaned file name. False for an
    // unknown category, a name without a dot, a name that cannot be made safe,
    // or before the first preparation.
    bool ResolveTargetPath(std::string_view fileName, std::string_view categoryWord,
                           std::filesystem::path& target) const;

    std::filesystem::path KeptPath(BackupCategory category) const;
    // The folder of the phone connected at the latest preparation; empty before.
    std::filesystem::path PhoneFolder() const;

    // Whether backups compute the digest of each file, keep the phone's
    // manifest and store re-sent content once (on unless switched off, which
    // only a benchmark does, to set the two side by side).
    void SetFileDigests(bool on) { m_fileDigests = on; }
    bool FileDigests() const { return m_fileDigests; }

    // The phone folder name for a phone name (as GetConnectedPhoneNameW gives
    // it): "Smartphone" when empty or when it could leave the backup folder.
    static std::string PhoneFolderName(std::string_view phoneName);

  private:
    const ConnectionState& m_state;
    const VolumeSource& m_volumes;
    // Three threads prepare; the receiver resolves. One preparation at a time.
    mutable std::mutex m_mutex;
    std::array<std::filesystem::path, kCategories.size()> m_kept;
    std::filesystem::path m_phoneFolder;
    std::atomic<bool> m_fileDigests = true;
};

// The start of the hidden temporary name of a file being received where the
// system makes no unnamed files. No stored name starts with it (in any case),
// so a leftover can be told from a file and removed.
inline constexpr std::string_view kPartialPrefix = ".harbrook-part-";
bool IsPartialFileName(std::string_view name);

// The file name with the nine characters Windows forbids (" \ / : * ? < > |)
// removed, and a "_" before a device name or the temporary prefix. Empty when
// what is left is only dots and blanks.
std::string CleanFileName(std::string_view name);

// The name under which a file the phone offers is stored: valid UTF-8 (bad
// bytes become U+FFFD), cleaned and fitted to the file system's limit. Empty
// when the name has no dot or cannot be made safe.
std::string StoredFileName(std::string_view fileName, std::string_view categoryWord);

// The name with `suffix` (a unique number such as "(1)", or nothing) before
// its last dot, made to fit the file system's limit on one name: the stem is
// shortened, never inside a character; the suffix and the extension stay.
// Empty when they alone leave no room for one character of the stem.
std::string FitFileName(std::string_view name, std::string_view suffix = {});

}  // namespace harbrook
