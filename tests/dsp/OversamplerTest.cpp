#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "Oversampler.h"
#include "TestSignals.h"

namespace quendaris {
namespace {

constexpr int kFactor = Oversampler::kFactor;

std::vector<double> RoundTrip(Oversampler& up, Oversampler& down, const std::vector<double>& in,
                              int block) {
    const int frames = static_cast<int>(in.size());
    std::vector<double> out(frames);
    std::vector<double> wide(kFactor * block);
    for (int offset = 0; offset < frames; offset += block) {
        const int n = std::min(block, frames - offset);
        up.Upsample(in.data() + offset, wide.data(), 0, n);
        down.Downsample(wide.data(), out.data() + offset, 0, n);
    }
    return out;
}

TEST(Oversampler, KernelIsSymmetricWithUnitDcGainAndZeroEnds) {
    const Oversampler os;
    const auto& k = os.Kernel();
    double sum = 0.0;
    for (int i = 0; i < Oversampler::kTaps; ++i) {
        EXPECT_NEAR(k[i], k[Oversampler::kTaps - 1 - i], 1e-17);
        sum += k[i];
    }
    EXPECT_NEAR(sum, 1.0, 1e-15);
    EXPECT_EQ(k[0], 0.0);
    EXPECT_EQ(k[32], 0.0);
    EXPECT_GT(k[16], k[15]);
}

TEST(Oversampler, RoundTripDelaysAnImpulseByEightHostSamples) {
    Oversampler up, down;
    std::vector<double> impulse(64, 0.0);
    impulse[10] = 1.0;
    const std::vector<double> out = RoundTrip(up, down, impulse, 64);
    int peak = 0;
    for (int i = 1; i < 64; ++i) {
        if (std::fabs(out[i]) > std::fabs(out[peak])) {
            peak = i;
        }
    }
    EXPECT_EQ(peak, 18);
    // Linear phase: symmetric around the peak.
    for (int d = 1; d < 8; ++d) {
        EXPECT_NEAR(out[peak - d], out[peak + d], 1e-15);
    }
}

TEST(Oversampler, PassbandSineKeepsItsLevel) {
    Oversampler up, down;
    const std::vector<double> in = test::Sine(9600, 1000.0, 48000.0, 0.5);
    const std::vector<double> out = RoundTrip(up, down, in, 480);
    const double level = test::ToneAmplitude(out, 4800, 9600, 1000.0, 48000.0);
    EXPECT_NEAR(level, 0.5, 0.5 * 0.001);
    for (int i = 4800; i < 4900; ++i) {
        EXPECT_NEAR(out[i], in[i - 8], 1e-3);
    }
}

TEST(Oversampler, InterpolatorSuppressesImages) {
    // A 6 kHz tone at 48 kHz leaves an image at 42 kHz in the zero-stuffed 192 kHz stream.
    Oversampler up;
    const int frames = 4800;
    const std::vector<double> in = test::Sine(frames, 6000.0, 48000.0, 1.0);
    std::vector<double> wide(kFactor * frames);
    up.Upsample(in.data(), wide.data(), 0, frames);
    const double wanted = test::ToneAmplitude(wide, 4000, kFactor * frames, 6000.0, 192000.0);
    const double image = test::ToneAmplitude(wide, 4000, kFactor * frames, 42000.0, 192000.0);
    EXPECT_NEAR(wanted, 1.0, 0.01);
    EXPECT_LT(image, 1e-3);  // below -60 dB
}

TEST(Oversampler, SplittingBlocksChangesNothing) {
    const std::vector<double> in = test::WhiteNoise(1000, 0.8, 7);
    Oversampler up1, down1, up2, down2;
    const std::vector<double> whole = RoundTrip(up1, down1, in, 1000);
    const std::vector<double> pieces = RoundTrip(up2, down2, in, 37);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(whole[i], pieces[i]) << i;
    }
}

TEST(Oversampler, ChannelsAreIndependentAndHistoryClears) {
    Oversampler up;
    const std::vector<double> in = test::WhiteNoise(16, 1.0, 3);
    std::vector<double> wide(kFactor * 16);
    up.Upsample(in.data(), wide.data(), 1, 16);
    EXPECT_FALSE(up.HistoryIsClear());
    for (int i = 0; i < Oversampler::kHistory; ++i) {
        EXPECT_EQ(up.History(0)[i], 0.0);
    }
    up.ClearHistory();
    EXPECT_TRUE(up.HistoryIsClear());
}

}  // namespace
}  // namespace quendaris
