// The clock the program reads, injectable so tests can fix "now".
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

namespace harbrook {

struct UtcDate {
    int day = 1;    // 1..31
    int month = 1;  // 1..12
    int year = 1970;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Seconds since 1 January 1970, UTC.
    virtual std::int64_t NowSeconds() const = 0;
    UtcDate Today() const;
};

// The system clock.
const Clock& SystemClock();

// A clock that returns what a test sets; workers may read it while the test
// moves it on.
class FixedClock final : public Clock {
  public:
    explicit FixedClock(std::int64_t seconds) : m_seconds(seconds) {}
    std::int64_t NowSeconds() const override { return m_seconds.load(); }
    void Set(std::int64_t seconds) { m_seconds.store(seconds); }

  private:
    std::atomic<std::int64_t> m_seconds;
};

}  // namespace harbrook
