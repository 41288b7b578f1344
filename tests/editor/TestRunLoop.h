#pragma once

#include <chrono>
#include <vector>

#include "pluginterfaces/gui/iplugview.h"

namespace quendaris::test {

// A host run loop driven by select(): timers by their interval and fd handlers when their fd is
// readable, on the calling thread. Options imitate hosts seen in the field.
class TestRunLoop : public Steinberg::Linux::IRunLoop {
  public:
    struct Options {
        // Some hosts never call fd handlers (non-socket fds, a wrong select count).
        bool fdCallbacks = true;
        // Calls each handler once more after it was unregistered, as some hosts do.
        bool callAfterUnregister = false;
    };

    TestRunLoop() = default;
    explicit TestRunLoop(Options options) : mOptions(options) {}
    ~TestRunLoop();

    // Runs due timers and readable handlers until the time has passed.
    void Pump(std::chrono::milliseconds duration);
    // Runs until done() answers true or the time has passed; answers done().
    template <typename Predicate>
    bool PumpUntil(Predicate done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < end)
            Pump(std::chrono::milliseconds(5));
        return done();
    }

    int TimerCount() const { return CountLive(true); }
    int HandlerCount() const { return CountLive(false); }
    int TimerCalls() const { return mTimerCalls; }
    int FdCalls() const { return mFdCalls; }
    bool HasTimer(Steinberg::Linux::TimerInterval ms) const;

    Steinberg::tresult PLUGIN_API registerEventHandler(
        Steinberg::Linux::IEventHandler* handler, Steinberg::Linux::FileDescriptor fd) override;
    Steinberg::tresult PLUGIN_API
    unregisterEventHandler(Steinberg::Linux::IEventHandler* handler) override;
    Steinberg::tresult PLUGIN_API registerTimer(Steinberg::Linux::ITimerHandler* handler,
                                                Steinberg::Linux::TimerInterval ms) override;
    Steinberg::tresult PLUGIN_API
    unregisterTimer(Steinberg::Linux::ITimerHandler* handler) override;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }

  private:
    using Clock = std::chrono::steady_clock;
    struct Entry {
        Steinberg::FUnknown* object;
        Steinberg::Linux::ITimerHandler* timer;
        Steinberg::Linux::IEventHandler* events;
        int fd;
        std::chrono::milliseconds interval;
        Clock::time_point due;
        bool live;
        bool lastCallDone;
    };
    int CountLive(bool timers) const;
    void Call(Entry& entry);
    void Unregister(Steinberg::FUnknown* object);
    void Purge();

    Options mOptions;
    std::vector<Entry> mEntries;
    int mTimerCalls = 0;
    int mFdCalls = 0;
};

}  // namespace quendaris::test
