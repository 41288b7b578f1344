#include "../../Timer.h"
#include "TimerRunLoop.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace quendaris {

namespace {

class LinuxTimer;

// Re-entrant so a callback may create or stop timers while a tick holds the lock.
std::recursive_mutex& TimerLock() {
    static std::recursive_mutex lock;
    return lock;
}

std::vector<LinuxTimer*>& LiveTimers() {
    static std::vector<LinuxTimer*> timers;
    return timers;
}

class LinuxTimer final : public Timer {
  public:
    LinuxTimer(Callback callback, uint32_t periodMs)
        : mCallback(std::move(callback)),
          mPeriod(std::chrono::milliseconds(std::max<uint32_t>(periodMs, 1))),
          mDue(TimerRunLoop::Clock::now() + mPeriod),
          mPeriodMs(std::max<uint32_t>(periodMs, 1)) {
        std::lock_guard<std::recursive_mutex> guard(TimerLock());
        LiveTimers().push_back(this);
    }

    ~LinuxTimer() override { Stop(); }

    void Stop() override {
        std::lock_guard<std::recursive_mutex> guard(TimerLock());
        auto& timers = LiveTimers();
        timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    }

    uint32_t PeriodMs() const override { return mPeriodMs; }

    bool IsDue(TimerRunLoop::Clock::time_point now) const { return now >= mDue; }

    void Fire(TimerRunLoop::Clock::time_point now) {
        mDue = now + mPeriod;
        // A local copy keeps the callable alive should it destroy its own timer.
        Callback callback = mCallback;
        if (callback)
            callback(*this);
    }

  private:
    Callback mCallback;
    TimerRunLoop::Clock::duration mPeriod;
    TimerRunLoop::Clock::time_point mDue;
    uint32_t mPeriodMs;
};

bool IsLive(const LinuxTimer* timer) {
    const auto& timers = LiveTimers();
    return std::find(timers.begin(), timers.end(), timer) != timers.end();
}

// Works on a snapshot: a callback may stop (or destroy) any timer, including itself.
template <typename Predicate>
void FireMatching(TimerRunLoop::Clock::time_point now, Predicate shouldFire) {
    std::lock_guard<std::recursive_mutex> guard(TimerLock());
    std::vector<LinuxTimer*> snapshot = LiveTimers();
    for (LinuxTimer* timer : snapshot) {
        if (IsLive(timer) && shouldFire(*timer))
            timer->Fire(now);
    }
}

}  // namespace

std::unique_ptr<Timer> Timer::Create(Callback callback, uint32_t periodMs) {
    return std::make_unique<LinuxTimer>(std::move(callback), periodMs);
}

void TimerRunLoop::TickDue(Clock::time_point now) {
    FireMatching(now, [now](const LinuxTimer& timer) { return timer.IsDue(now); });
}

void TimerRunLoop::TickAll() {
    FireMatching(Clock::now(), [](const LinuxTimer&) { return true; });
}

int TimerRunLoop::TimerCount() {
    std::lock_guard<std::recursive_mutex> guard(TimerLock());
    return static_cast<int>(LiveTimers().size());
}

int TimerRunLoop::ShortestPeriodMs() {
    std::lock_guard<std::recursive_mutex> guard(TimerLock());
    int shortest = 0;
    for (const LinuxTimer* timer : LiveTimers()) {
        int period = static_cast<int>(timer->PeriodMs());
        if (shortest == 0 || period < shortest)
            shortest = period;
    }
    return shortest;
}

}  // namespace quendaris
