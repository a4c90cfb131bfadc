#include "update/backup_reminder.h"

#include <algorithm>

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

PopupPlacement CalcPopupPosition(const ScreenRect& screen, const ScreenRect& available, int width,
                                 int height) {
    if (available.bottom < screen.bottom && available.top == screen.top) {
        // Along the bottom: the pop-up stands on the panel's top edge.
        return {screen.right - width, available.bottom - height};
    }
    if (available.top > screen.top) {
        // Along the top: it hangs below the panel's bottom edge.
        return {screen.right - width, available.top};
    }
    return {available.right - width, available.bottom - height};
}

PopupPlacement CalcTaskbarPopupPosition(const ScreenRect& desktop, const ScreenRect& taskbar,
                                        int width, int height) {
    // What the taskbar leaves of the desktop, as a work area.
    ScreenRect available = desktop;
    if (taskbar.top > desktop.top) {
        available.bottom = std::min(taskbar.top, desktop.bottom);
    } else if (taskbar.bottom >= desktop.bottom &&
               taskbar.right - taskbar.left < desktop.right - desktop.left) {
        if (taskbar.left <= desktop.left) {
            available.left = std::max(taskbar.right, desktop.left);
        } else {
            available.right = std::min(taskbar.left, desktop.right);
        }
    } else {
        available.top = std::clamp(taskbar.bottom, desktop.top, desktop.bottom);
    }
    return CalcPopupPosition(desktop, available, width, height);
}

}  // namespace harbrook
