#include <cmath>

#include <gtest/gtest.h>

#include "SpectrumScale.h"

namespace quendaris {
namespace {

// The display's panel in the editor.
const SpectrumScale kPanel(15.0f, 310.0f, 785.0f, 430.0f);

TEST(SpectrumScale, FrequencyAxisIsLogarithmicBetweenTheBorders) {
    EXPECT_FLOAT_EQ(kPanel.FreqToX(10.0f), 15.0f);
    EXPECT_FLOAT_EQ(kPanel.FreqToX(20.0f), 15.0f);
    EXPECT_FLOAT_EQ(kPanel.FreqToX(20000.0f), 785.0f);
    EXPECT_FLOAT_EQ(kPanel.FreqToX(30000.0f), 785.0f);
    // Three decades over 770 pixels: one decade is a third of the width.
    EXPECT_NEAR(kPanel.FreqToX(200.0f), 15.0f + 770.0f / 3.0f, 1e-3);
    EXPECT_NEAR(kPanel.FreqToX(2000.0f), 15.0f + 2.0f * 770.0f / 3.0f, 1e-3);
}

TEST(SpectrumScale, BinFrequencies) {
    EXPECT_NEAR(SpectrumScale::BinFrequency(1, 44100.0f), 21.533f, 1e-3);
    // At 44.1 kHz bins 929 and up lie at or above 20 kHz, on the right border.
    EXPECT_LT(SpectrumScale::BinFrequency(928, 44100.0f), 20000.0f);
    EXPECT_GE(SpectrumScale::BinFrequency(929, 44100.0f), 20000.0f);
    // Below 40960 Hz the first bin lies below 20 Hz.
    EXPECT_LT(SpectrumScale::BinFrequency(1, 40000.0f), 20.0f);
    EXPECT_GE(SpectrumScale::BinFrequency(1, 40960.0f), 20.0f);
}

TEST(SpectrumScale, SpectrumLevelsSpanSixtyDecibelsBelowTheTransformLength) {
    EXPECT_FLOAT_EQ(SpectrumScale::SpectrumLevel(2048.0f, 20.0f), 0.0f);
    EXPECT_FLOAT_EQ(SpectrumScale::SpectrumLevel(1e6f, 20.0f), 0.0f);
    EXPECT_NEAR(SpectrumScale::SpectrumLevel(2.048f, 20.0f), -60.0f, 1e-3);
    EXPECT_FLOAT_EQ(SpectrumScale::SpectrumLevel(0.0f, 20.0f), -60.0f);
    EXPECT_NEAR(SpectrumScale::SpectrumLevel(204.8f, 20.0f), -20.0f, 1e-3);
    // The tilt: +4.5 dB per octave above 20 Hz.
    EXPECT_NEAR(SpectrumScale::SpectrumLevel(204.8f, 40.0f), -15.5f, 1e-3);
    EXPECT_NEAR(SpectrumScale::SpectrumLevel(0.2048f, 20480.0f), -80.0f + 45.0f, 1e-2);
    EXPECT_FLOAT_EQ(SpectrumScale::SpectrumLevel(NAN, 1000.0f), -60.0f);
}

TEST(SpectrumScale, SpectrumZeroDecibelsAtTheTopAndMinusSixtyAtTheBottom) {
    EXPECT_FLOAT_EQ(kPanel.SpectrumY(0.0f), 310.0f);
    EXPECT_FLOAT_EQ(kPanel.SpectrumY(-60.0f), 430.0f);
    EXPECT_FLOAT_EQ(kPanel.SpectrumY(-30.0f), 370.0f);
}

TEST(SpectrumScale, ResponseLevelIsSoftLimitedAboveTwentyFourDecibels) {
    EXPECT_FLOAT_EQ(SpectrumScale::ResponseLevel(1.0f), 0.0f);
    EXPECT_NEAR(SpectrumScale::ResponseLevel(std::pow(10.0f, 1.2f)), 24.0f, 1e-4);
    // A +60 dB peak lands at 24 + 18 tanh(2), about 41.4 dB.
    EXPECT_NEAR(SpectrumScale::ResponseLevel(1000.0f), 24.0f + 18.0f * std::tanh(2.0f), 1e-3);
    EXPECT_NEAR(SpectrumScale::ResponseLevel(1000.0f), 41.36f, 0.01);
    EXPECT_LT(SpectrumScale::ResponseLevel(1e30f), 42.0f + 0.001f);
    EXPECT_FLOAT_EQ(SpectrumScale::ResponseLevel(0.0f), -48.0f);
    EXPECT_NEAR(SpectrumScale::ResponseLevel(0.01f), -40.0f, 1e-4);
    EXPECT_FLOAT_EQ(SpectrumScale::ResponseLevel(NAN), -48.0f);
}

TEST(SpectrumScale, ResponseZeroDecibelsInTheMiddle) {
    EXPECT_FLOAT_EQ(kPanel.ResponseY(0.0f), 370.0f);
    EXPECT_FLOAT_EQ(kPanel.ResponseY(48.0f), 310.0f);
    EXPECT_FLOAT_EQ(kPanel.ResponseY(-48.0f), 430.0f);
}

}  // namespace
}  // namespace quendaris
