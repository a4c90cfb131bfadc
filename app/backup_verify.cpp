#include "app/backup_verify.h"

#include "app/progress_meter.h"
#include "backup/storage_layout.h"
#include "core/peer_text.h"
#include "core/settings_store.h"
#include "locale/plural.h"
#include "locale/string_ids.h"
#include "locale/ui_strings.h"
#include "platform/utf8.h"

namespace harbrook {
namespace {

constexpr std::size_t kCapacity = 512;

std::string Text(unsigned id, const std::vector<std::string>& arguments = {}) {
    return FormatUiText(LoadUiString(id, kCapacity), arguments);
}

}  // namespace

std::filesystem::path StoredBackupFolder() {
    std::filesystem::path root;
    if (!CSettingsStore().ReadRootDirectory(root) || root.empty()) return {};
    return root / platform::PathFromUtf8(LoadUiString(kBackupFolderStringId, 100));
}

VerifySummary VerifyBackups(const VerifyRequest& request, const std::filesystem::path& historyFile,
                            const Clock& clock, const CheckProgressFn& progress) {
    VerifySummary summary;
    std::vector<std::filesystem::path> folders;
    if (request.phone) {
        const auto folder = request.backupFolder /
                            platform::PathFromUtf8(StorageLayout::PhoneFolderName(*request.phone));
        std::error_code ec;
        if (std::filesystem::is_directory(folder, ec)) folders.push_back(folder);
    } else if (!request.backupFolder.empty()) {
        folders = PhoneFolders(request.backupFolder);
    }
    summary.found = !folders.empty();
    summary.intact = summary.found;
    for (const auto& folder : folders) {
        const std::string phone = platform::PathToUtf8(folder.filename());
        const std::string shown = EscapeControls(phone);
        BackupRecord record;
        record.check = true;
        record.phone = phone;
        record.startSeconds = clock.NowSeconds();
        const CheckResult result = CheckPhoneFolder(folder, request.record, progress);
        record.endSeconds = clock.NowSeconds();
        if (result.stopped) {
            summary.stopped = true;
            summary.intact = false;
            return summary;
        }
        if (result.recorded > 0)
            summary.totals.push_back(
                FormatCountedUiText(kStrCheckRecorded, static_cast<std::uint64_t>(result.recorded),
                                    kCapacity, {shown, std::to_string(result.recorded)}));
        if (result.cutLast) summary.totals.push_back(Text(kStrCheckCutLine, {shown}));
        if (result.damagedLines > 0)
            summary.totals.push_back(
                FormatCountedUiText(kStrCheckDamagedLines, result.damagedLines, kCapacity,
                                    {shown, std::to_string(result.damagedLines)}));
        const auto list = [&](unsigned id, const std::vector<std::string>& paths) {
            for (const auto& path : paths)
                summary.details.push_back(Text(id, {EscapeControls(phone + "/" + path)}));
        };
        list(kStrCheckChanged, result.changed);
        list(kStrCheckMissing, result.missing);
        list(kStrCheckUnrecorded, result.unrecorded);
        const auto differing = static_cast<std::int64_t>(
            result.changed.size() + result.missing.size() + result.unrecorded.size());
        record.files = result.files;
        record.bytes = result.bytes;
        record.outcome = result.Intact() ? BackupOutcome::Completed : BackupOutcome::Failed;
        record.reason =
            result.Intact()
                ? FormatCountedUiText(kStrCheckIntact, static_cast<std::uint64_t>(result.files),
                                      kCapacity, {phone, std::to_string(result.files)})
                : FormatCountedUiText(
                      kStrCheckDiffers, static_cast<std::uint64_t>(result.files), kCapacity,
                      {phone, std::to_string(result.files), std::to_string(result.changed.size()),
                       std::to_string(result.missing.size()),
                       std::to_string(result.unrecorded.size())});
        summary.totals.push_back(EscapeControlsKeepingIsolates(record.reason));
        summary.files += result.files;
        summary.differing += differing;
        summary.intact = summary.intact && result.Intact();
        if (!historyFile.empty()) AppendBackupRecord(historyFile, record);
    }
    if (!summary.found)
        summary.totals.push_back(Text(
            kStrCheckNoBackups,
            {EscapeControls(platform::PathToUtf8(
                request.phone
                    ? request.backupFolder /
                          platform::PathFromUtf8(StorageLayout::PhoneFolderName(*request.phone))
                    : request.backupFolder))}));
    return summary;
}

std::string FormatCheckProgress(const CheckProgress& p, double seconds) {
    const double rate = seconds > 0 ? static_cast<double>(p.bytes) / seconds : 0;
    const std::int64_t left =
        rate > 0 ? static_cast<std::int64_t>(static_cast<double>(p.bytesTotal - p.bytes) / rate)
                 : 0;
    return FormatCountedUiText(
        kStrCheckProgressLine, static_cast<std::uint64_t>(p.filesTotal), kCapacity,
        {std::to_string(p.files), std::to_string(p.filesTotal), FormatBytes(p.bytes),
         FormatBytes(p.bytesTotal), FormatBytes(static_cast<std::int64_t>(rate)),
         FormatDuration(left)});
}

}  // namespace harbrook
