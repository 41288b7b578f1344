#include "graphics/platform/windows/WindowRules.h"

#include <gtest/gtest.h>

#include <string>

namespace quendaris::winrules {
namespace {

TEST(WindowRules, TimerIntervalFromFrameRate) {
    EXPECT_EQ(TimerIntervalMs(60), 15u) << "floor(1000 / 60) = 16 is below 20";
    EXPECT_EQ(TimerIntervalMs(30), 33u);
    EXPECT_EQ(TimerIntervalMs(50), 20u);
    EXPECT_EQ(TimerIntervalMs(51), 15u);
    EXPECT_EQ(TimerIntervalMs(1), 1000u);
    EXPECT_EQ(TimerIntervalMs(0), 1000u) << "no division by zero";
    EXPECT_EQ(TimerIntervalMs(-5), 1000u);
    EXPECT_EQ(TimerIntervalMs(1000), 15u);
}

TEST(WindowRules, WheelNotchesTruncateTowardZero) {
    EXPECT_EQ(WheelNotches(120), 1.0f);
    EXPECT_EQ(WheelNotches(60), 0.0f);
    EXPECT_EQ(WheelNotches(-240), -2.0f);
    EXPECT_EQ(WheelNotches(-119), 0.0f);
    EXPECT_EQ(WheelNotches(-121), -1.0f);
    EXPECT_EQ(WheelNotches(360), 3.0f);
    EXPECT_EQ(WheelNotches(-32768), -273.0f);
}

TEST(WindowRules, PenAndTouchSignatureInTheUpper24Bits) {
    EXPECT_TRUE(IsFromPenOrTouch(0xFF515700));
    EXPECT_TRUE(IsFromPenOrTouch(0xFF5157FF)) << "low byte is free";
    EXPECT_TRUE(IsFromPenOrTouch(0xFF515780));
    EXPECT_FALSE(IsFromPenOrTouch(0));
    EXPECT_FALSE(IsFromPenOrTouch(0xFF515600));
    EXPECT_FALSE(IsFromPenOrTouch(0x7F515700));
}

std::string Accepted(const Param* param) {
    std::string out;
    for (uint32_t ch = 1; ch < 0x300; ++ch) {
        if (AcceptsTypedChar(ch, param))
            out += ch < 0x80 && ch >= 0x20 ? char(ch) : '?';
    }
    return out;
}

TEST(WindowRules, ValueBoxFilterFollowsTheParameterType) {
    Param cutoff;
    cutoff.DeclareDouble("Cutoff", 1000.0, 20.0, 20000.0, 0.01, "Hz");
    Param model;
    model.DeclareEnum("Model", 0, 4, "", 0, "", {"A", "B", "C", "D"});
    Param bypass;
    bypass.DeclareBool("Bypass", false);
    // '?' stands for backspace, the one control character that passes.
    EXPECT_EQ(Accepted(&cutoff), "?+-.0123456789");
    EXPECT_EQ(Accepted(&model), "?+-0123456789");
    EXPECT_EQ(Accepted(&bypass), "?+-0123456789");
    EXPECT_TRUE(AcceptsTypedChar('x', nullptr));
    EXPECT_TRUE(AcceptsTypedChar(0x20AC, nullptr));
    EXPECT_FALSE(AcceptsTypedChar(0x20AC, &cutoff));
    EXPECT_FALSE(AcceptsTypedChar('\r', &cutoff));
}

TEST(WindowRules, ValueBoxGeometryInDevicePixels) {
    BoxGeometry box = ValueBoxGeometry(100.0f, 200.0f, 160.0f, 218.0f, 1.0f);
    EXPECT_EQ(box.x, 100);
    EXPECT_EQ(box.y, 200);
    EXPECT_EQ(box.width, 61);
    EXPECT_EQ(box.height, 19);
    box = ValueBoxGeometry(100.5f, 200.5f, 160.25f, 218.0f, 2.0f);
    EXPECT_EQ(box.x, 201);
    EXPECT_EQ(box.y, 401);
    EXPECT_EQ(box.width, 120);
    EXPECT_EQ(box.height, 36);
    EXPECT_EQ(CentredLineOffset(19, 1.0f, 13.0f), 3);
    EXPECT_EQ(CentredLineOffset(36, 2.0f, 13.0f), 5);
    EXPECT_EQ(CentredLineOffset(10, 1.0f, 13.0f), -1) << "truncated toward zero";
}

TEST(WindowRules, TickGateTakesOnlyTheLatestTick) {
    TickGate gate;
    EXPECT_TRUE(gate.Accept(1, 1));
    EXPECT_FALSE(gate.Accept(1, 3)) << "a tick queued behind newer ones is stale";
    EXPECT_FALSE(gate.Accept(2, 3));
    EXPECT_TRUE(gate.Accept(3, 3));
}

TEST(WindowRules, TickGateDropsWhatQueuedDuringALongPaint) {
    TickGate gate;
    ASSERT_TRUE(gate.Accept(5, 5));
    gate.AfterPaint(5, 5);
    EXPECT_EQ(gate.SkipUntil(), 0u) << "nothing was posted during the paint";
    gate.AfterPaint(5, 8);
    EXPECT_EQ(gate.SkipUntil(), 9u);
    EXPECT_FALSE(gate.Accept(6, 8));
    EXPECT_FALSE(gate.Accept(8, 8)) << "even the latest of those queued meanwhile";
    EXPECT_TRUE(gate.Accept(9, 9));
    EXPECT_EQ(gate.SkipUntil(), 0u);
    EXPECT_TRUE(gate.Accept(10, 10));
}

}  // namespace
}  // namespace quendaris::winrules
