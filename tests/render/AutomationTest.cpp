#include "Automation.h"

#include <gtest/gtest.h>

namespace quendaris::render {
namespace {

TEST(Automation, RampRunsLinearlyFromFirstToLastFrame) {
    const AutomationLane lane{0, "Cutoff", 200.0, 8000.0, 1001};
    EXPECT_DOUBLE_EQ(lane.ValueAt(0), 200.0);
    EXPECT_DOUBLE_EQ(lane.ValueAt(500), 4100.0);
    EXPECT_DOUBLE_EQ(lane.ValueAt(1000), 8000.0);
}

TEST(Automation, RampHoldsItsEndValueInTheTail) {
    const AutomationLane lane{6, "Output", 0.0, -24.0, 100};
    EXPECT_DOUBLE_EQ(lane.ValueAt(99), -24.0);
    EXPECT_DOUBLE_EQ(lane.ValueAt(100), -24.0);
    EXPECT_DOUBLE_EQ(lane.ValueAt(5000), -24.0);
}

TEST(Automation, RampOverNothingIsItsEndValue) {
    EXPECT_DOUBLE_EQ((AutomationLane{0, "Cutoff", 1.0, 2.0, 0}).ValueAt(0), 2.0);
    EXPECT_DOUBLE_EQ((AutomationLane{0, "Cutoff", 1.0, 2.0, 1}).ValueAt(0), 2.0);
}

TEST(Automation, EveryBlockEndsOnAPointAndTheFirstAlsoStartsOnOne) {
    const auto first = RampPointsForBlock(0, 64);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].offset, 0);
    EXPECT_EQ(first[1].offset, 63);
    EXPECT_EQ(first[1].frame, 63u);

    const auto later = RampPointsForBlock(640, 17);
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0].offset, 16);
    EXPECT_EQ(later[0].frame, 656u);
}

TEST(Automation, SingleFrameAndEmptyBlocks) {
    const auto single = RampPointsForBlock(0, 1);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(single[0].offset, 0);
    EXPECT_TRUE(RampPointsForBlock(10, 0).empty());
}

}  // namespace
}  // namespace quendaris::render
