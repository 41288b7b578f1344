#include "DemoSignal.h"

#include <cmath>
#include <gtest/gtest.h>

namespace quendaris::render {
namespace {

double Peak(const AudioBuffer& audio) {
    double peak = 0.0;
    for (const auto& channel : audio.channels) {
        for (double s : channel) {
            peak = std::max(peak, std::fabs(s));
        }
    }
    return peak;
}

// Share of the signal's energy in its sample-to-sample differences: a rough brightness measure
// (a 1 kHz sine at 48 kHz gives about 0.017, white noise about 2).
double Brightness(const std::vector<double>& x) {
    double energy = 0.0;
    double edges = 0.0;
    for (size_t i = 1; i < x.size(); ++i) {
        energy += x[i] * x[i];
        edges += (x[i] - x[i - 1]) * (x[i] - x[i - 1]);
    }
    return edges / energy;
}

TEST(DemoSignal, EightStereoSecondsPeakingAtMinusSixDb) {
    const auto demo = GenerateDemoSignal(48000.0);
    EXPECT_EQ(demo.ChannelCount(), 2);
    EXPECT_EQ(demo.FrameCount(), 384000u);
    EXPECT_NEAR(Peak(demo), 0.5, 1e-12);
}

TEST(DemoSignal, SameDurationAtOtherRates) {
    EXPECT_EQ(GenerateDemoSignal(44100.0).FrameCount(), 352800u);
    EXPECT_EQ(GenerateDemoSignal(96000.0).FrameCount(), 768000u);
}

TEST(DemoSignal, IsTheSameOnEveryRun) {
    EXPECT_EQ(GenerateDemoSignal(48000.0).channels, GenerateDemoSignal(48000.0).channels);
}

TEST(DemoSignal, IsBrightEnoughForALowPassToBeHeard) {
    const auto demo = GenerateDemoSignal(48000.0);
    EXPECT_GT(Brightness(demo.channels[0]), 0.05);
}

TEST(DemoSignal, SidesDifferSoTheChordIsWide) {
    const auto demo = GenerateDemoSignal(48000.0);
    EXPECT_NE(demo.channels[0], demo.channels[1]);
}

TEST(DemoSignal, AddsASweepOnlyWhereTheUserChoseNothing) {
    const auto everything = [](const std::string&) { return true; };
    RenderOptions plain;
    AddDemoAutomation(plain, everything);
    ASSERT_EQ(plain.ramps.size(), 1u);
    EXPECT_EQ(plain.ramps[0].name, "Cutoff");
    ASSERT_EQ(plain.settings.size(), 1u);
    EXPECT_EQ(plain.settings[0].name, "Resonance");

    RenderOptions chosen;
    chosen.settings.push_back({"cutoff", "500"});
    chosen.ramps.push_back({"RESONANCE", "0", "100"});
    AddDemoAutomation(chosen, everything);
    EXPECT_EQ(chosen.settings.size(), 1u);
    EXPECT_EQ(chosen.ramps.size(), 1u);
}

TEST(DemoSignal, LeavesOutParametersThePluginLacks) {
    RenderOptions options;
    AddDemoAutomation(options, [](const std::string& name) { return name == "Resonance"; });
    EXPECT_TRUE(options.ramps.empty());
    EXPECT_EQ(options.settings.size(), 1u);
}

}  // namespace
}  // namespace quendaris::render
