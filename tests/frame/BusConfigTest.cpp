#include <gtest/gtest.h>

#include "BusConfig.h"

namespace quendaris {
namespace {

TEST(ChannelIOParse, MonoAndStereoPairs) {
    std::vector<BusConfig> configs;
    ChannelIOSummary summary = ParseChannelIOStr("1-1 2-2", configs);
    EXPECT_EQ(summary.nConfigs, 2);
    EXPECT_EQ(summary.maxInputChannels, 2);
    EXPECT_EQ(summary.maxOutputChannels, 2);
    EXPECT_EQ(summary.maxInputBuses, 1);
    EXPECT_EQ(summary.maxOutputBuses, 1);
    ASSERT_EQ(configs.size(), 2u);
    EXPECT_EQ(configs[0].NChannels(kInput, 0), 1);
    EXPECT_EQ(configs[0].NChannels(kOutput, 0), 1);
    EXPECT_EQ(configs[1].NChannels(kInput, 0), 2);
    EXPECT_EQ(configs[1].NChannels(kOutput, 0), 2);
    EXPECT_EQ(configs[1].inputs[0].direction, kInput);
    EXPECT_EQ(configs[1].outputs[0].direction, kOutput);
}

TEST(ChannelIOParse, SideChainWildcardAndZero) {
    std::vector<BusConfig> configs;
    ChannelIOSummary summary = ParseChannelIOStr("2.1-2 *-* 0-2", configs);
    EXPECT_EQ(summary.nConfigs, 3);
    EXPECT_EQ(configs[0].NBuses(kInput), 2);
    EXPECT_EQ(configs[0].TotalChannels(kInput), 3);
    EXPECT_EQ(configs[1].NChannels(kInput, 0), kWildcardChannels);
    EXPECT_TRUE(configs[1].HasWildcard(kOutput));
    EXPECT_EQ(configs[2].NBuses(kInput), 0);
    EXPECT_EQ(summary.maxInputChannels, 3);
    EXPECT_EQ(summary.maxInputBuses, 2);
}

TEST(ChannelIOParse, OddTextIsHarmless) {
    std::vector<BusConfig> configs;
    ChannelIOSummary summary = ParseChannelIOStr("  x-y 2  ", configs);
    EXPECT_EQ(summary.nConfigs, 2);
    EXPECT_EQ(configs[0].NBuses(kInput), 0);
    EXPECT_EQ(configs[1].NChannels(kInput, 0), 2);
    EXPECT_EQ(configs[1].NBuses(kOutput), 0);
    configs.clear();
    EXPECT_EQ(ParseChannelIOStr("", configs).nConfigs, 0);
}

TEST(ChannelIOParse, MissingBusHasNoChannels) {
    std::vector<BusConfig> configs;
    ParseChannelIOStr("1-1", configs);
    EXPECT_EQ(configs[0].NChannels(kInput, 1), 0);
    EXPECT_EQ(configs[0].NChannels(kInput, -1), 0);
}

}  // namespace
}  // namespace quendaris
