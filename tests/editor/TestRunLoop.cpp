#include "TestRunLoop.h"

#include <algorithm>
#include <sys/select.h>

using namespace Steinberg;
using namespace Steinberg::Linux;

namespace quendaris::test {

TestRunLoop::~TestRunLoop() {
    for (Entry& entry : mEntries)
        entry.object->release();
}

tresult PLUGIN_API TestRunLoop::registerEventHandler(IEventHandler* handler, FileDescriptor fd) {
    if (!handler || fd < 0)
        return kInvalidArgument;
    handler->addRef();
    mEntries.push_back({handler, nullptr, handler, fd, {}, {}, true, false});
    return kResultOk;
}

tresult PLUGIN_API TestRunLoop::registerTimer(ITimerHandler* handler, TimerInterval ms) {
    if (!handler || ms == 0)
        return kInvalidArgument;
    handler->addRef();
    const std::chrono::milliseconds interval(ms);
    mEntries.push_back(
        {handler, handler, nullptr, -1, interval, Clock::now() + interval, true, false});
    return kResultOk;
}

tresult PLUGIN_API TestRunLoop::unregisterEventHandler(IEventHandler* handler) {
    Unregister(handler);
    return kResultOk;
}

tresult PLUGIN_API TestRunLoop::unregisterTimer(ITimerHandler* handler) {
    Unregister(handler);
    return kResultOk;
}

void TestRunLoop::Unregister(FUnknown* object) {
    for (Entry& entry : mEntries) {
        if (entry.object == object && entry.live) {
            entry.live = false;
            entry.lastCallDone = !mOptions.callAfterUnregister;
        }
    }
}

int TestRunLoop::CountLive(bool timers) const {
    return static_cast<int>(std::count_if(
        mEntries.begin(), mEntries.end(),
        [timers](const Entry& e) { return e.live && (e.timer != nullptr) == timers; }));
}

bool TestRunLoop::HasTimer(TimerInterval ms) const {
    return std::any_of(mEntries.begin(), mEntries.end(), [ms](const Entry& e) {
        return e.live && e.timer && static_cast<TimerInterval>(e.interval.count()) == ms;
    });
}

void TestRunLoop::Call(Entry& entry) {
    // Copies: a callback may register handlers and grow the list under us.
    ITimerHandler* timer = entry.timer;
    IEventHandler* events = entry.events;
    const int fd = entry.fd;
    FUnknown* object = entry.object;
    object->addRef();
    if (timer) {
        ++mTimerCalls;
        timer->onTimer();
    } else {
        ++mFdCalls;
        events->onFDIsSet(fd);
    }
    object->release();
}

void TestRunLoop::Purge() {
    // Partition, not remove_if: the entries past the end must still be the dropped ones.
    auto end = std::stable_partition(mEntries.begin(), mEntries.end(),
                                     [](const Entry& e) { return e.live || !e.lastCallDone; });
    for (auto it = end; it != mEntries.end(); ++it)
        it->object->release();
    mEntries.erase(end, mEntries.end());
}

void TestRunLoop::Pump(std::chrono::milliseconds duration) {
    const auto end = Clock::now() + duration;
    do {
        // Handlers unregistered earlier get their one extra call first.
        for (size_t i = 0; i < mEntries.size(); ++i) {
            if (!mEntries[i].live && !mEntries[i].lastCallDone) {
                mEntries[i].lastCallDone = true;
                Call(mEntries[i]);
            }
        }
        Purge();

        auto wake = end;
        fd_set readable;
        FD_ZERO(&readable);
        int maxFd = -1;
        for (const Entry& entry : mEntries) {
            if (!entry.live)
                continue;
            if (entry.timer)
                wake = std::min(wake, entry.due);
            else if (mOptions.fdCallbacks) {
                FD_SET(entry.fd, &readable);
                maxFd = std::max(maxFd, entry.fd);
            }
        }
        const auto wait = std::max(Clock::duration::zero(), wake - Clock::now());
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(wait).count();
        timeval timeout{static_cast<time_t>(micros / 1000000),
                        static_cast<suseconds_t>(micros % 1000000)};
        const int ready =
            select(maxFd + 1, maxFd >= 0 ? &readable : nullptr, nullptr, nullptr, &timeout);

        const size_t count = mEntries.size();
        for (size_t i = 0; i < count; ++i) {
            Entry& entry = mEntries[i];
            if (!entry.live)
                continue;
            if (entry.timer) {
                const auto now = Clock::now();
                if (now >= entry.due) {
                    entry.due = now + entry.interval;
                    Call(mEntries[i]);
                }
            } else if (ready > 0 && FD_ISSET(entry.fd, &readable)) {
                Call(mEntries[i]);
            }
        }
        Purge();
    } while (Clock::now() < end);
}

tresult PLUGIN_API TestRunLoop::queryInterface(const TUID iid, void** obj) {
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IRunLoop)
    QUERY_INTERFACE(iid, obj, IRunLoop::iid, IRunLoop)
    *obj = nullptr;
    return kNoInterface;
}

}  // namespace quendaris::test
