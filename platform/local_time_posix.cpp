#include "platform/local_time.h"

namespace harbrook::platform {

bool ToLocalTime(std::time_t time, std::tm& out) {
    return localtime_r(&time, &out) != nullptr;
}

}  // namespace harbrook::platform
