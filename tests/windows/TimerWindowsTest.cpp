// The user-interface timer on Windows: it ticks on the thread that started it while that thread
// dispatches its messages, each tick reaches its own timer's callable, and stopping is final.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "Timer.h"

namespace quendaris {
namespace {

// Dispatches this thread's messages until done() holds or a generous deadline passes.
template <typename Done>
bool PumpUntil(Done done, DWORD deadlineMs = 5000) {
    const ULONGLONG end = GetTickCount64() + deadlineMs;
    while (!done()) {
        if (GetTickCount64() > end)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

void PumpFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    PumpUntil([end] { return GetTickCount64() > end; }, ms + 1000);
}

TEST(WindowsTimer, TicksRepeatedlyWhileTheThreadDispatchesMessages) {
    int ticks = 0;
    auto timer = Timer::Create([&](Timer&) { ++ticks; }, 10);
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->PeriodMs(), 10u);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));
}

TEST(WindowsTimer, NoTickAfterStop) {
    int ticks = 0;
    auto timer = Timer::Create([&](Timer&) { ++ticks; }, 10);
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
    timer->Stop();
    timer->Stop();  // a second stop is harmless
    const int stoppedAt = ticks;
    PumpFor(100);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(WindowsTimer, NoTickAfterDestruction) {
    int ticks = 0;
    {
        auto timer = Timer::Create([&](Timer&) { ++ticks; }, 10);
        ASSERT_NE(timer, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
    }
    const int destroyedAt = ticks;
    PumpFor(100);
    EXPECT_EQ(ticks, destroyedAt);
}

TEST(WindowsTimer, EachTickReachesItsOwnTimer) {
    int ticksA = 0, ticksB = 0;
    Timer* seenByA = nullptr;
    Timer* seenByB = nullptr;
    auto a = Timer::Create(
        [&](Timer& t) {
            ++ticksA;
            seenByA = &t;
        },
        10);
    auto b = Timer::Create(
        [&](Timer& t) {
            ++ticksB;
            seenByB = &t;
        },
        15);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return ticksA >= 2 && ticksB >= 2; }));
    EXPECT_EQ(seenByA, a.get());
    EXPECT_EQ(seenByB, b.get());
}

TEST(WindowsTimer, ACallbackMayStopItsOwnTimer) {
    int ticks = 0;
    auto timer = Timer::Create(
        [&](Timer& self) {
            ++ticks;
            self.Stop();
        },
        10);
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ticks >= 1; }));
    PumpFor(100);
    EXPECT_EQ(ticks, 1);
}

TEST(WindowsTimer, ACallbackMayDestroyItsOwnTimer) {
    int ticks = 0;
    std::unique_ptr<Timer> timer;
    timer = Timer::Create(
        [&](Timer&) {
            ++ticks;
            timer.reset();
        },
        10);
    ASSERT_NE(timer, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return timer == nullptr; }));
    PumpFor(100);
    EXPECT_EQ(ticks, 1);
}

TEST(WindowsTimer, ACallbackMayStartAnotherTimer) {
    int innerTicks = 0;
    std::unique_ptr<Timer> inner;
    auto outer = Timer::Create(
        [&](Timer& self) {
            self.Stop();
            inner = Timer::Create([&](Timer&) { ++innerTicks; }, 10);
        },
        10);
    ASSERT_NE(outer, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return innerTicks >= 2; }));
}

}  // namespace
}  // namespace quendaris
