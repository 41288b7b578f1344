#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace quendaris {

// Periodic callback on the user-interface thread. Each platform supplies Create: a thread
// timer on Windows; on Linux a process-wide list that the host's run loop drives
// (see platform/linux/TimerRunLoop.h), since a plug-in must not run UI threads of its own.
class Timer {
  public:
    using Callback = std::function<void(Timer&)>;

    // Null when the platform could not start the timer.
    static std::unique_ptr<Timer> Create(Callback callback, uint32_t periodMs);

    virtual ~Timer() = default;
    // Idempotent; after it returns the callback is not called again.
    virtual void Stop() = 0;
    virtual uint32_t PeriodMs() const = 0;
};

}  // namespace quendaris
