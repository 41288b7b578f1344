#include "Summary.h"

#include <cmath>
#include <gtest/gtest.h>

namespace quendaris::render {
namespace {

AudioBuffer Sine(double amplitude, size_t frames) {
    AudioBuffer audio(1, frames, 48000.0);
    for (size_t i = 0; i < frames; ++i) {
        audio.channels[0][i] = amplitude * std::sin(2.0 * M_PI * 1000.0 * i / 48000.0);
    }
    return audio;
}

TEST(Summary, HalfScaleSineMeasuresMinusSixPeakAndMinusNineRms) {
    const auto levels = MeasureLevels(Sine(0.5, 48000));
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_NEAR(levels[0].peakDb, -6.0206, 1e-3);
    EXPECT_NEAR(levels[0].rmsDb, -9.0309, 1e-3);
}

TEST(Summary, SilenceIsMinusInfinity) {
    const auto levels = MeasureLevels(AudioBuffer(2, 100, 48000.0));
    ASSERT_EQ(levels.size(), 2u);
    EXPECT_TRUE(std::isinf(levels[1].peakDb));
    EXPECT_EQ(FormatDb(levels[1].rmsDb), "-inf");
}

TEST(Summary, EmptyAudioMeasuresAsSilence) {
    const auto levels = MeasureLevels(AudioBuffer(1, 0, 48000.0));
    EXPECT_EQ(FormatDb(levels[0].rmsDb), "-inf");
}

TEST(Summary, RealTimeFactorIsAudioSecondsPerWallSecond) {
    EXPECT_DOUBLE_EQ(RealTimeFactor(10.0, 0.5), 20.0);
    EXPECT_TRUE(std::isinf(RealTimeFactor(10.0, 0.0)));
}

TEST(Summary, ReportListsEachChannelFramesAndSpeed) {
    RenderReport report{MeasureLevels(Sine(0.5, 480)), MeasureLevels(Sine(1.0, 480)), 480, 0.01,
                        0.001};
    const std::string text = FormatReport(report);
    EXPECT_NE(text.find("input  ch 1"), std::string::npos);
    EXPECT_NE(text.find("output ch 1"), std::string::npos);
    EXPECT_NE(text.find("-6.02"), std::string::npos);
    EXPECT_NE(text.find("480 frames"), std::string::npos);
    EXPECT_NE(text.find("10.0x real time"), std::string::npos);
}

}  // namespace
}  // namespace quendaris::render
