// The backup reminder's decision and settings: whether the pop-up shows at
// this start and its "Do not show again." choice. Where it stands on the
// screen is window logic (app/popup_placement.h); the windows that show it
// live in the front ends.
#pragma once

#include <filesystem>
#include <string_view>

#include "core/clock.h"

namespace harbrook {

inline constexpr std::string_view kNoShowKey = "noshow";
// The reminder comes back after more than this many days without a showing
// or a connection.
inline constexpr int kReminderAfterDays = 20;

class BackupReminder {
  public:
    // The settings live in "program_config.ini" of the data folder.
    explicit BackupReminder(const std::filesystem::path& dataFolder);

    // Whether the reminder shows now. Off for good while "noshow" is exactly
    // "yes". An unreadable date shows it and writes nothing; otherwise a
    // showing records today as its date.
    bool IsTimeToShow(const Clock& clock = SystemClock()) const;

    // The check box was clicked: "yes" when it is now ticked, else "no".
    void OnNoShowClicked(bool ticked) const;

  private:
    std::filesystem::path m_settingsPath;
};

}  // namespace harbrook
