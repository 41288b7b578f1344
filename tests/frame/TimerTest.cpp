#include <chrono>
#include <memory>

#include <gtest/gtest.h>

#include "FilterParams.h"
#include "PluginApiBase.h"
#include "Timer.h"
#include "platform/linux/TimerRunLoop.h"

namespace quendaris {
namespace {

using Clock = TimerRunLoop::Clock;

TEST(TimerTest, RegistersUntilStoppedOrDestroyed) {
    int before = TimerRunLoop::TimerCount();
    auto a = Timer::Create([](Timer&) {}, 20);
    auto b = Timer::Create([](Timer&) {}, 15);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(TimerRunLoop::TimerCount(), before + 2);
    EXPECT_EQ(TimerRunLoop::ShortestPeriodMs(), 15);
    b->Stop();
    b->Stop();
    EXPECT_EQ(TimerRunLoop::TimerCount(), before + 1);
    a.reset();
    EXPECT_EQ(TimerRunLoop::TimerCount(), before);
}

TEST(TimerTest, FiresOnlyWhenItsPeriodHasPassed) {
    int ticks = 0;
    auto timer = Timer::Create([&](Timer&) { ++ticks; }, 20);
    Clock::time_point start = Clock::now();
    TimerRunLoop::TickDue(start);
    EXPECT_EQ(ticks, 0);
    TimerRunLoop::TickDue(start + std::chrono::milliseconds(25));
    EXPECT_EQ(ticks, 1);
    TimerRunLoop::TickDue(start + std::chrono::milliseconds(30));
    EXPECT_EQ(ticks, 1);
    TimerRunLoop::TickDue(start + std::chrono::milliseconds(60));
    EXPECT_EQ(ticks, 2);
}

TEST(TimerTest, StoppedTimerNeverFires) {
    int ticks = 0;
    auto timer = Timer::Create([&](Timer&) { ++ticks; }, 20);
    timer->Stop();
    TimerRunLoop::TickAll();
    EXPECT_EQ(ticks, 0);
}

TEST(TimerTest, CallbackMayStopOrDestroyTimers) {
    std::unique_ptr<Timer> other;
    int otherTicks = 0;
    std::unique_ptr<Timer> self;
    int selfTicks = 0;
    self = Timer::Create(
        [&](Timer&) {
            ++selfTicks;
            other.reset();
            self.reset();
        },
        10);
    other = Timer::Create([&](Timer&) { ++otherTicks; }, 10);
    TimerRunLoop::TickAll();
    TimerRunLoop::TickAll();
    EXPECT_EQ(selfTicks, 1);
    EXPECT_EQ(otherTicks, 0);
}

TEST(TimerTest, CallbackMayCreateATimer) {
    std::unique_ptr<Timer> created;
    auto timer = Timer::Create(
        [&](Timer&) {
            if (!created)
                created = Timer::Create([](Timer&) {}, 5);
        },
        10);
    TimerRunLoop::TickAll();
    EXPECT_TRUE(created);
}

class IdleCounter : public PluginApiBase {
  public:
    IdleCounter() : PluginApiBase(testing::FilterConfig(), kApiVst3) {}
    void OnIdle() override { ++idles; }
    int idles = 0;
};

TEST(TimerTest, PluginObjectTicksEveryTwentyMilliseconds) {
    int before = TimerRunLoop::TimerCount();
    {
        IdleCounter plugin;
        EXPECT_EQ(TimerRunLoop::TimerCount(), before + 1);
        EXPECT_EQ(TimerRunLoop::ShortestPeriodMs(), 20);
        TimerRunLoop::TickDue(Clock::now() + std::chrono::milliseconds(21));
        EXPECT_EQ(plugin.idles, 1);
    }
    EXPECT_EQ(TimerRunLoop::TimerCount(), before);
}

}  // namespace
}  // namespace quendaris
