#include "update/backup_reminder.h"

#include "platform/profile.h"
#include "update/date_records.h"

namespace harbrook {
namespace {

constexpr std::size_t kValueCapacity = 100;

}  // namespace

BackupReminder::BackupReminder(const std::filesystem::path& dataFolder)
    : m_settingsPath(dataFolder / kProgramConfigFile) {}

bool BackupReminder::IsTimeToShow(const Clock& clock) const {
    const auto read = [this](std::string_view key) {
        return platform::ReadProfileString(m_settingsPath, kConfigSection, key, "none",
                                           kValueCapacity);
    };
    if (read(kNoShowKey) == "yes") return false;
    const std::string stored = read(kShowDateKey);
    const DayCount count = DaysSinceStoredDate(stored, clock.Today());
    if (count.kind == DayCount::Kind::Unreadable) return true;
    // "none" (never shown) reads as a day of this month: it is caught first.
    if (stored != "none" && count.kind == DayCount::Kind::Days &&
        count.days <= kReminderAfterDays) {
        return false;
    }
    platform::WriteProfileString(m_settingsPath, kConfigSection, kShowDateKey,
                                 FormatDateText(clock));
    return true;
}

void BackupReminder::OnNoShowClicked(bool ticked) const {
    platform::WriteProfileString(m_settingsPath, kConfigSection, kNoShowKey, ticked ? "yes" : "no");
}

}  // namespace harbrook
