#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "Brisvale.h"

namespace quendaris {
namespace {

constexpr double kRate = 48000.0;
constexpr double kPi = 3.14159265358979323846;

std::vector<double> Sine(double frequency, int n, double amplitude = 0.25) {
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = amplitude * std::sin(2 * kPi * frequency * i / kRate);
    return v;
}

double Rms(const std::vector<double>& v, int from) {
    double sum = 0;
    for (size_t i = static_cast<size_t>(from); i < v.size(); ++i)
        sum += v[i] * v[i];
    return std::sqrt(sum / static_cast<double>(v.size() - static_cast<size_t>(from)));
}

// Drives a Brisvale the way a host adapter does: set-up once, then blocks of host buffers.
class Host {
  public:
    explicit Host(int blockSize, int channels = 2) : mChannels(channels) {
        plugin.SetSampleRate(kRate);
        plugin.SetBlockSize(blockSize);
        plugin.ResetProcessing();
    }

    // Processes the whole signal in host blocks of blockFrames, in 64-bit.
    std::vector<std::vector<double>> Run64(const std::vector<std::vector<double>>& in,
                                           int blockFrames, bool bypassed = false) {
        int n = static_cast<int>(in[0].size());
        std::vector<std::vector<double>> out(in.size(), std::vector<double>(size_t(n)));
        for (int start = 0; start < n; start += blockFrames) {
            int frames = std::min(blockFrames, n - start);
            std::vector<double*> ins, outs;
            for (size_t c = 0; c < in.size(); ++c) {
                ins.push_back(const_cast<double*>(in[c].data()) + start);
                outs.push_back(out[c].data() + start);
            }
            Connect();
            plugin.AttachBuffers(kInput, 0, mChannels, ins.data());
            plugin.AttachBuffers(kOutput, 0, mChannels, outs.data());
            bypassed ? plugin.PassThroughBuffers64(frames) : plugin.ProcessBuffers64(frames);
        }
        return out;
    }

    std::vector<std::vector<float>> Run32(const std::vector<std::vector<float>>& in,
                                          int blockFrames) {
        int n = static_cast<int>(in[0].size());
        std::vector<std::vector<float>> out(in.size(), std::vector<float>(size_t(n)));
        for (int start = 0; start < n; start += blockFrames) {
            int frames = std::min(blockFrames, n - start);
            std::vector<float*> ins, outs;
            for (size_t c = 0; c < in.size(); ++c) {
                ins.push_back(const_cast<float*>(in[c].data()) + start);
                outs.push_back(out[c].data() + start);
            }
            Connect();
            plugin.AttachBuffers(kInput, 0, mChannels, ins.data(), frames);
            plugin.AttachBuffers(kOutput, 0, mChannels, outs.data(), frames);
            plugin.ProcessBuffers32(frames);
        }
        return out;
    }

    Brisvale plugin{InstanceInfo{}};

  private:
    void Connect() {
        plugin.SetChannelConnections(kInput, 0, 2, false);
        plugin.SetChannelConnections(kOutput, 0, 2, false);
        plugin.SetChannelConnections(kInput, 0, mChannels, true);
        plugin.SetChannelConnections(kOutput, 0, mChannels, true);
    }
    int mChannels;
};

TEST(BrisvaleProcess, SilenceInGivesSilenceOut) {
    Host host(256);
    auto out = host.Run64({std::vector<double>(4096), std::vector<double>(4096)}, 256);
    EXPECT_LT(Rms(out[0], 0), 1e-9);
    EXPECT_LT(Rms(out[1], 0), 1e-9);
}

TEST(BrisvaleProcess, LowCutoffSuppressesHighTone) {
    Host open(256), closed(256);
    open.plugin.GetParam(kParamCutoff)->SetValue(20000);
    closed.plugin.GetParam(kParamCutoff)->SetValue(200);
    auto tone = Sine(8000, 24000);
    auto bright = open.Run64({tone, tone}, 256);
    auto dark = closed.Run64({tone, tone}, 256);
    double ratioDb = 20 * std::log10(Rms(dark[0], 12000) / Rms(bright[0], 12000));
    EXPECT_LT(ratioDb, -30.0);
}

TEST(BrisvaleProcess, BypassParameterPassesInputUnchanged) {
    Host host(128);
    host.plugin.GetParam(kParamBypass)->SetValue(1);
    host.plugin.GetParam(kParamDrive)->SetValue(80);
    auto tone = Sine(440, 2000);
    auto out = host.Run64({tone, tone}, 128);
    EXPECT_EQ(out[0], tone);
    EXPECT_EQ(out[1], tone);
}

TEST(BrisvaleProcess, HostBypassIsAnExactCopy) {
    Host host(128);
    host.plugin.SetBypassed(true);
    auto left = Sine(300, 1000), right = Sine(700, 1000);
    auto out = host.Run64({left, right}, 100, true);
    EXPECT_EQ(out[0], left);
    EXPECT_EQ(out[1], right);
}

TEST(BrisvaleProcess, BlocksLongerThanAnnouncedMatchShortBlocks) {
    Host reference(512), oversized(512);
    auto tone = Sine(1000, 6000, 0.5);
    auto expected = reference.Run64({tone, tone}, 500);
    auto got = oversized.Run64({tone, tone}, 3000);
    for (size_t i = 0; i < tone.size(); ++i) {
        ASSERT_EQ(got[0][i], expected[0][i]) << i;
    }
}

TEST(BrisvaleProcess, ThirtyTwoAndSixtyFourBitAgree) {
    Host h32(256), h64(256);
    auto tone = Sine(2000, 4096);
    std::vector<float> tone32(tone.begin(), tone.end());
    std::vector<double> widened(tone32.begin(), tone32.end());
    auto out32 = h32.Run32({tone32, tone32}, 256);
    auto out64 = h64.Run64({widened, widened}, 256);
    for (size_t i = 0; i < tone.size(); ++i) {
        ASSERT_NEAR(out32[1][i], out64[1][i], 1e-6) << i;
    }
}

TEST(BrisvaleProcess, MonoWritesOnlyTheConnectedOutput) {
    Host host(256, 1);
    auto tone = Sine(500, 4096);
    auto out = host.Run64({tone}, 256);
    EXPECT_GT(Rms(out[0], 2048), 0.05);
}

TEST(BrisvaleProcess, DisplayFollowsParametersAfterABlock) {
    Host host(256);
    host.plugin.GetParam(kParamCutoff)->SetValue(5000);
    host.plugin.GetParam(kParamModel)->SetValue(2);
    host.plugin.GetParam(kParamPoles)->SetValue(1);
    host.Run64({std::vector<double>(256), std::vector<double>(256)}, 256);
    EXPECT_FLOAT_EQ(host.plugin.Engine().DisplayCutoff(), 5000.0f);
    EXPECT_EQ(host.plugin.Engine().DisplayModel(), 2);
    EXPECT_TRUE(host.plugin.Engine().DisplayFourPole());
    EXPECT_EQ(host.plugin.Engine().SampleRate(), kRate);
}

TEST(BrisvaleProcess, ZeroFramesAndMissingBuffersAreHarmless) {
    Host host(64);
    host.plugin.ProcessBuffers64(0);
    host.plugin.SetChannelConnections(kInput, 0, 2, true);
    host.plugin.SetChannelConnections(kOutput, 0, 2, true);
    host.plugin.AttachBuffers(kInput, 0, 2, static_cast<double**>(nullptr));
    host.plugin.AttachBuffers(kOutput, 0, 2, static_cast<double**>(nullptr));
    host.plugin.ProcessBuffers64(1000);
    SUCCEED();
}

TEST(BrisvaleProcess, NonFiniteInputDoesNotPoisonLaterAudio) {
    Host host(128);
    auto tone = Sine(440, 4096);
    tone[10] = std::nan("");
    tone[20] = INFINITY;
    auto out = host.Run64({tone, tone}, 128);
    for (double s : out[0])
        ASSERT_TRUE(std::isfinite(s));
    EXPECT_GT(Rms(out[0], 2048), 0.01);
}

}  // namespace
}  // namespace quendaris
