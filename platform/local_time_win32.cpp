#include <time.h>

#include "platform/local_time.h"

namespace harbrook::platform {

bool ToLocalTime(std::time_t time, std::tm& out) {
    return localtime_s(&out, &time) == 0;
}

}  // namespace harbrook::platform
