#include "update/date_records.h"

#include <climits>
#include <cstdlib>

#include "core/app_folders.h"
#include "platform/profile.h"
#include "platform/utf8.h"

namespace harbrook {

long long LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : value;
}

std::string FormatDateText(const Clock& clock) {
    const UtcDate today = clock.Today();
    return std::to_string(today.day) + "." + std::to_string(today.month);
}

DayCount DaysSinceStoredDate(std::string_view stored, const UtcDate& today) {
    if (platform::Utf16Units(stored) > 50) return DayCount::Unreadable();
    const std::size_t dot = stored.find('.');
    const std::string_view dayText = stored.substr(0, dot);
    const std::string_view monthText =
        dot == std::string_view::npos ? std::string_view() : stored.substr(dot + 1);
    const long long sm = monthText.empty() ? today.month : LeadingInteger(monthText);
    const long long sd = LeadingInteger(dayText);
    if (sd > 31) return DayCount::Unreadable();
    const long long td = today.day;
    const long long tm = today.month;
    if (tm == sm) return DayCount::Days(td > sd ? td - sd : sd - td);
    if (tm - sm == 1) return DayCount::Days((td - 1) + (31 - sd));
    if (tm == 1 && sm == 12) return DayCount::Days(td - sd + 30);
    return DayCount::LongAgo();
}

void ResetShowDate(const Clock& clock) {
    std::filesystem::path folder;
    if (!GetAppDataFolder(folder)) return;
    platform::WriteProfileString(folder / kProgramConfigFile, kConfigSection, kShowDateKey,
                                 FormatDateText(clock));
}

}  // namespace harbrook
