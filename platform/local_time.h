// Calendar time in the user's time zone, thread-safe.
// Windows: localtime_s. POSIX: localtime_r.
#pragma once

#include <ctime>

namespace harbrook::platform {

// Breaks the time down in the local time zone. False when it cannot.
bool ToLocalTime(std::time_t time, std::tm& out);

}  // namespace harbrook::platform
