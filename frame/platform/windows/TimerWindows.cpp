#include "../../Timer.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace quendaris {
namespace {

class WindowsTimer;

// One process-wide critical section guards the timer list. It is re-entrant, so a callback
// may start or stop timers while its tick holds it.
class TimerSection {
  public:
    TimerSection() { InitializeCriticalSection(&section_); }
    ~TimerSection() { DeleteCriticalSection(&section_); }
    TimerSection(const TimerSection&) = delete;
    TimerSection& operator=(const TimerSection&) = delete;

    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
};

TimerSection& Section() {
    static TimerSection section;
    return section;
}

class TimerListLock {
  public:
    TimerListLock() { Section().Enter(); }
    ~TimerListLock() { Section().Leave(); }
    TimerListLock(const TimerListLock&) = delete;
    TimerListLock& operator=(const TimerListLock&) = delete;
};

std::vector<WindowsTimer*>& LiveTimers() {
    static std::vector<WindowsTimer*> timers;
    return timers;
}

// A thread timer: no window, the system names it by the event id SetTimer returns, and it
// fires on the thread that started it while that thread dispatches its messages.
class WindowsTimer final : public Timer {
  public:
    WindowsTimer(Callback callback, uint32_t periodMs)
        : mCallback(std::move(callback)), mPeriodMs(periodMs) {}

    ~WindowsTimer() override { Stop(); }

    bool Start() {
        mEventId = SetTimer(nullptr, 0, mPeriodMs, &OnTick);
        if (mEventId == 0)
            return false;
        TimerListLock lock;
        LiveTimers().push_back(this);
        return true;
    }

    void Stop() override {
        TimerListLock lock;
        if (mEventId == 0)
            return;
        KillTimer(nullptr, mEventId);
        mEventId = 0;
        auto& timers = LiveTimers();
        timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    }

    uint32_t PeriodMs() const override { return mPeriodMs; }

  private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR eventId, DWORD) {
        TimerListLock lock;
        for (WindowsTimer* timer : LiveTimers()) {
            if (timer->mEventId == eventId) {
                // A local copy keeps the callable alive should it destroy its own timer.
                Callback callback = timer->mCallback;
                if (callback)
                    callback(*timer);
                return;
            }
        }
    }

    Callback mCallback;
    uint32_t mPeriodMs;
    UINT_PTR mEventId = 0;
};

}  // namespace

std::unique_ptr<Timer> Timer::Create(Callback callback, uint32_t periodMs) {
    auto timer = std::make_unique<WindowsTimer>(std::move(callback), periodMs);
    if (!timer->Start())
        return nullptr;
    return timer;
}

}  // namespace quendaris
