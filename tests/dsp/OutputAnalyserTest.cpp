#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "OutputAnalyser.h"
#include "TestSignals.h"

namespace quendaris {
namespace {

constexpr int kSize = OutputAnalyser::kSize;

void FeedBinCentreSine(OutputAnalyser& a, int bin, float amplitude, int samples) {
    for (int i = 0; i < samples; ++i) {
        a.FeedAnalyzerSample(amplitude *
                             static_cast<float>(std::sin(2.0 * test::kPi * bin * i / kSize)));
    }
}

TEST(OutputAnalyser, BinCentreSineSettlesAtHalfTheWindowSum) {
    OutputAnalyser a;
    a.Reset();
    FeedBinCentreSine(a, 100, 0.5f, kSize * 80 + 1);
    EXPECT_NEAR(a.SmoothedSpectrum()[100], 511.75 * 0.5, 0.01);
    EXPECT_LT(a.SmoothedSpectrum()[300], 1e-3);
}

TEST(OutputAnalyser, FirstFramesApproachTheMagnitudeByFifteenPercent) {
    OutputAnalyser a;
    a.Reset();
    FeedBinCentreSine(a, 64, 1.0f, kSize);
    EXPECT_EQ(a.SmoothedSpectrum()[64], 0.0f);  // complete, not yet transformed
    EXPECT_EQ(a.FrameCount(), kSize);
    FeedBinCentreSine(a, 64, 1.0f, 1);
    EXPECT_EQ(a.FrameCount(), 1);
    EXPECT_NEAR(a.SmoothedSpectrum()[64], 0.15 * 511.75, 0.01);
    FeedBinCentreSine(a, 64, 1.0f, kSize - 1);
    a.FeedAnalyzerSample(0.0f);
    EXPECT_NEAR(a.SmoothedSpectrum()[64], 0.2775 * 511.75, 0.02);
}

TEST(OutputAnalyser, ResetClearsSpectrumAndFrame) {
    OutputAnalyser a;
    a.Reset();
    FeedBinCentreSine(a, 10, 1.0f, kSize + 10);
    ASSERT_GT(a.SmoothedSpectrum()[10], 1.0f);
    a.Reset();
    EXPECT_EQ(a.FrameCount(), 0);
    for (int k = 0; k < kSize; ++k) {
        ASSERT_EQ(a.SmoothedSpectrum()[k], 0.0f);
    }
}

TEST(OutputAnalyser, TransformOfImpulseIsFlat) {
    OutputAnalyser a;
    std::vector<float> x(kSize, 0.0f);
    x[0] = 1.0f;
    a.TransformToMagnitudes(x.data());
    for (int k = 0; k < kSize; ++k) {
        ASSERT_FLOAT_EQ(x[k], 1.0f) << k;
    }
}

TEST(OutputAnalyser, TransformOfCosineHasTwoMirroredBins) {
    OutputAnalyser a;
    std::vector<float> x(kSize);
    for (int i = 0; i < kSize; ++i) {
        x[i] = static_cast<float>(std::cos(2.0 * test::kPi * 5 * i / kSize));
    }
    a.TransformToMagnitudes(x.data());
    EXPECT_NEAR(x[5], kSize / 2.0, 1e-3);
    EXPECT_NEAR(x[kSize - 5], kSize / 2.0, 1e-3);
    EXPECT_LT(x[6], 1e-3);
    EXPECT_LT(x[0], 1e-3);
}

}  // namespace
}  // namespace quendaris
