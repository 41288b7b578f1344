#pragma once

#include <chrono>

namespace quendaris {

// Drives every live Timer of the process from the host's run loop (or a test).
// Call on the user-interface thread; callbacks run under the process-wide timer lock.
class TimerRunLoop {
  public:
    using Clock = std::chrono::steady_clock;

    // Fires each timer whose period has elapsed by now, at most once per call.
    static void TickDue(Clock::time_point now = Clock::now());
    // Fires every timer once, whatever its period.
    static void TickAll();
    static int TimerCount();
    // Shortest period among live timers, so the host loop can be asked for a fitting rate;
    // 0 when there are none.
    static int ShortestPeriodMs();
};

}  // namespace quendaris
