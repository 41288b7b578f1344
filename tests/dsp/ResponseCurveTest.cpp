#include <gtest/gtest.h>

#include <cmath>

#include "ResponseCurve.h"
#include "TestSignals.h"

namespace quendaris {
namespace {

constexpr double kFs = 48000.0;
constexpr float kCutoff = 1000.0f;

ResponseSettings Settings(int model, float resonance, bool fourPole) {
    ResponseSettings s;
    s.cutoff = kCutoff;
    s.resonance = resonance;
    s.model = model;
    s.fourPole = fourPole;
    s.sampleRate = kFs;
    return s;
}

// Frequency whose pre-warped position relative to the cutoff is omega.
float FrequencyAt(double omega) {
    const double t = omega * std::tan(test::kPi * kCutoff / kFs);
    return static_cast<float>(std::atan(t) * kFs / test::kPi);
}

TEST(ResponseMagnitude, BelowTwentyHertzReadsTwentyHertz) {
    for (int model = 0; model < 4; ++model) {
        const ResponseSettings s = Settings(model, 70.0f, model % 2 == 0);
        EXPECT_EQ(ResponseMagnitude(s, 5.0f), ResponseMagnitude(s, 20.0f));
        EXPECT_EQ(ResponseMagnitude(s, -100.0f), ResponseMagnitude(s, 20.0f));
    }
}

TEST(ResponseMagnitude, NeverBelowFloor) {
    ResponseSettings s = Settings(1, 0.0f, true);
    s.cutoff = 20.0f;
    EXPECT_EQ(ResponseMagnitude(s, 23000.0f), 1e-5f);
}

TEST(ResponseMagnitude, ZeroResonanceLaddersAreCascadedOnePoles) {
    EXPECT_NEAR(ResponseMagnitude(Settings(0, 0.0f, false), FrequencyAt(1.0)), 0.5, 1e-5);
    EXPECT_NEAR(ResponseMagnitude(Settings(0, 0.0f, true), FrequencyAt(1.0)), 0.25, 1e-5);
    EXPECT_NEAR(ResponseMagnitude(Settings(2, 0.0f, false), FrequencyAt(1.0 / 0.92)), 0.5, 1e-5);
    EXPECT_NEAR(ResponseMagnitude(Settings(2, 0.0f, true), FrequencyAt(1.0 / 0.92)), 0.25, 1e-5);
    EXPECT_NEAR(ResponseMagnitude(Settings(0, 0.0f, false), 20.0f), 1.0, 1e-3);
}

TEST(ResponseMagnitude, ZeroResonanceStateVariableCurves) {
    // Two-pole with Q = 0.7 peaks at Q at its corner; W is critically damped and scaled by 1.15.
    EXPECT_NEAR(ResponseMagnitude(Settings(1, 0.0f, false), FrequencyAt(1.0)), 0.7, 1e-5);
    EXPECT_NEAR(ResponseMagnitude(Settings(1, 0.0f, true), FrequencyAt(1.0)), 0.49, 1e-5);
    EXPECT_NEAR(ResponseMagnitude(Settings(3, 0.0f, false), FrequencyAt(1.06)), 0.5 * 1.15, 1e-5);
    EXPECT_NEAR(ResponseMagnitude(Settings(3, 0.0f, false), 20.0f), 1.15, 1e-3);
}

TEST(ResponseMagnitude, ResonanceRaisesThePeak) {
    for (int model = 0; model < 4; ++model) {
        const float f = FrequencyAt(1.0);
        EXPECT_GT(ResponseMagnitude(Settings(model, 90.0f, false), f),
                  2.0f * ResponseMagnitude(Settings(model, 0.0f, false), f))
            << model;
    }
}

TEST(ResponseMagnitude, UnknownModelIsFlat) {
    EXPECT_EQ(ResponseMagnitude(Settings(5, 50.0f, false), 3000.0f), 1.0f);
}

}  // namespace
}  // namespace quendaris
