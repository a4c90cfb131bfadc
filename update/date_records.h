// Day-and-month date records ("%d.%d", UTC, day first) and the day count that
// the backup reminder and the update schedule decide by.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/clock.h"

namespace harbrook {

struct DayCount {
    enum class Kind { Unreadable, LongAgo, Days };
    Kind kind = Kind::Unreadable;
    long long days = 0;  // meaningful for Kind::Days only

    static DayCount Unreadable() { return {Kind::Unreadable, 0}; }
    static DayCount LongAgo() { return {Kind::LongAgo, 0}; }
    static DayCount Days(long long d) { return {Kind::Days, d}; }
    bool operator==(const DayCount&) const = default;
};

// The C library's decimal reading of a text: leading blanks, an optional
// sign, digits up to the first other character; no digits read as 0. Kept
// within the 32-bit range instead of overflowing.
long long LeadingInteger(std::string_view text);

// Today's date text, e.g. "4.12" for 4 December.
std::string FormatDateText(const Clock& clock = SystemClock());

// Days since the stored date text, every month counted as 31 days and the year
// ignored; LongAgo when the months are two or more apart; Unreadable for a text
// over 50 characters or a day above 31.
DayCount DaysSinceStoredDate(std::string_view stored, const UtcDate& today);

// "program_config.ini" in the data folder: the file of the reminder's date.
inline constexpr std::string_view kProgramConfigFile = "program_config.ini";
inline constexpr std::string_view kConfigSection = "harbrook";
inline constexpr std::string_view kShowDateKey = "dateShow";

// Records today as the reminder's date ("dateShow"). Skipped when the data
// folder cannot be had; a failing write is ignored.
void ResetShowDate(const Clock& clock = SystemClock());

}  // namespace harbrook
