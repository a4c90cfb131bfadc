#include "core/clock.h"

#include <chrono>

namespace harbrook {

UtcDate Clock::Today() const {
    using namespace std::chrono;
    const sys_days days = floor<std::chrono::days>(sys_seconds(seconds(NowSeconds())));
    const year_month_day ymd(days);
    return UtcDate{static_cast<int>(static_cast<unsigned>(ymd.day())),
                   static_cast<int>(static_cast<unsigned>(ymd.month())),
                   static_cast<int>(ymd.year())};
}

namespace {
class RealClock final : public Clock {
  public:
    std::int64_t NowSeconds() const override {
        using namespace std::chrono;
        return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
    }
};
}  // namespace

const Clock& SystemClock() {
    static const RealClock clock;
    return clock;
}

}  // namespace harbrook
