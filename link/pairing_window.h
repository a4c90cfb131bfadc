// When the pairing port takes requests. Pairing has no secret but the code
// on the screen, so it is open only while someone can be looking at it: while
// the Connect Phone panel is on show, for a while after the code was last
// shown (a start, a second start, the code drawn in the terminal), and always
// while no phone has ever paired. "Always" keeps it open for whoever needs that.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

#include "core/clock.h"

namespace harbrook {

class PairingWindow {
  public:
    PairingWindow(const Clock& clock, std::chrono::milliseconds length);

    // The code was shown: open from now for the window's length.
    void CodeShown();
    // The Connect Phone panel came on show, or went: while it shows, the
    // window is open; once it goes, the code counts as shown last just then.
    void SetPanelShown(bool shown);
    void SetAlwaysOpen(bool always) { m_always.store(always); }
    bool AlwaysOpen() const { return m_always.load(); }

    // Open by the rules above, a phone ever paired or not (the caller
    // knows that).
    bool IsOpen() const;

  private:
    const Clock& m_clock;
    const std::int64_t m_seconds;
    std::atomic<std::int64_t> m_openUntil{0};  // the clock's seconds; 0: never shown
    std::atomic<bool> m_panelShown{false};
    std::atomic<bool> m_always{false};
};

}  // namespace harbrook
