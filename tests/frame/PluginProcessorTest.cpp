#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FilterParams.h"
#include "PluginProcessor.h"

namespace quendaris {
namespace {

// Doubles each input sample and records the block lengths it was handed.
class GainProcessor : public PluginProcessor {
  public:
    explicit GainProcessor(const PluginConfig& config) : PluginProcessor(config) {}
    void ProcessAudioBlock(double** inputs, double** outputs, int nFrames) override {
        blocks.push_back(nFrames);
        for (int c = 0; c < NChannels(kOutput); ++c) {
            for (int s = 0; s < nFrames; ++s)
                outputs[c][s] = 2.0 * inputs[c][s];
        }
    }
    std::vector<int> blocks;
};

PluginConfig ConfigWith(const std::string& io, int latency = 0) {
    PluginConfig config = testing::FilterConfig();
    config.channelIOStr = io;
    config.latency = latency;
    return config;
}

// Connects the first nIn inputs and nOut outputs the way a host adapter does each block.
void Connect(PluginProcessor& p, int nIn, int nOut) {
    p.SetChannelConnections(kInput, 0, p.NChannels(kInput), false);
    p.SetChannelConnections(kOutput, 0, p.NChannels(kOutput), false);
    p.SetChannelConnections(kInput, 0, nIn, true);
    p.SetChannelConnections(kOutput, 0, nOut, true);
}

std::vector<double> Ramp(int n, double start) {
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        v[size_t(i)] = start + 0.001 * i;
    return v;
}

// --- Configurations -------------------------------------------------------------------------

TEST(ProcessorConfig, MonoAndStereoGiveTwoChannelsEachWay) {
    PluginProcessor p(ConfigWith("1-1 2-2"));
    EXPECT_EQ(p.NIOConfigs(), 2);
    EXPECT_EQ(p.NChannels(kInput), 2);
    EXPECT_EQ(p.NChannels(kOutput), 2);
    EXPECT_EQ(p.MaxNBuses(kInput), 1);
    EXPECT_EQ(p.MaxNBuses(kOutput), 1);
    EXPECT_EQ(p.GetSampleRate(), 48000.0);
    EXPECT_EQ(p.GetBlockSize(), 0);
    EXPECT_FALSE(p.GetBypassed());
    EXPECT_EQ(p.NChannelsConnected(kInput), 0);
}

TEST(ProcessorConfig, TiesForMostBusesPickTheLaterConfiguration) {
    PluginProcessor p(ConfigWith("1-1 2-2"));
    int index = -1;
    EXPECT_EQ(p.MaxNBuses(kInput, &index), 1);
    EXPECT_EQ(index, 1);
    PluginProcessor side(ConfigWith("2.1-2 2-2"));
    EXPECT_EQ(side.MaxNBuses(kInput, &index), 2);
    EXPECT_EQ(index, 0);
}

TEST(ProcessorConfig, MaxChannelsPerBus) {
    PluginProcessor p(ConfigWith("1-1 2-2"));
    EXPECT_EQ(p.MaxNChannelsForBus(kInput, 0), 2);
    EXPECT_EQ(p.MaxNChannelsForBus(kOutput, 1), 0);
    PluginProcessor wild(ConfigWith("*-2 2-2"));
    EXPECT_EQ(wild.MaxNChannelsForBus(kInput, 0), -1);
    EXPECT_EQ(wild.MaxNChannelsForBus(kOutput, 0), 2);
}

TEST(ProcessorConfig, MatchingNeedsSameBusesAndCounts) {
    PluginProcessor p(ConfigWith("1-1 2-2"));
    EXPECT_EQ(p.GetIOConfigWithChanCounts({1}, {1}), 0);
    EXPECT_EQ(p.GetIOConfigWithChanCounts({2}, {2}), 1);
    EXPECT_EQ(p.GetIOConfigWithChanCounts({1}, {2}), -1);
    EXPECT_EQ(p.GetIOConfigWithChanCounts({2}, {1}), -1);
    EXPECT_EQ(p.GetIOConfigWithChanCounts({6}, {6}), -1);
    EXPECT_EQ(p.GetIOConfigWithChanCounts({2, 2}, {2}), -1);
    EXPECT_EQ(p.GetIOConfigWithChanCounts({}, {}), -1);
}

TEST(ProcessorConfig, BusNames) {
    PluginProcessor p(ConfigWith("1-1 2-2"));
    std::string name;
    p.GetBusName(kInput, 0, 1, name);
    EXPECT_EQ(name, "Input");
    p.GetBusName(kOutput, 0, 1, name);
    EXPECT_EQ(name, "Output");
    p.GetBusName(kInput, 0, 2, name);
    EXPECT_EQ(name, "Main");
    p.GetBusName(kInput, 1, 2, name);
    EXPECT_EQ(name, "Aux");
    p.GetBusName(kInput, 2, 3, name);
    EXPECT_EQ(name, "Input 2");
    p.GetBusName(kOutput, 1, 2, name);
    EXPECT_EQ(name, "Output 1");
}

TEST(ProcessorConfig, BadSampleRatesAreIgnored) {
    PluginProcessor p(ConfigWith("2-2"));
    p.SetSampleRate(44100.0);
    p.SetSampleRate(0.0);
    p.SetSampleRate(-1.0);
    p.SetSampleRate(std::nan(""));
    EXPECT_EQ(p.GetSampleRate(), 44100.0);
}

TEST(ProcessorConfig, TransportDefaults) {
    TransportInfo t;
    EXPECT_EQ(t.tempo, 120.0);
    EXPECT_EQ(t.samplePos, -1.0);
    EXPECT_EQ(t.ppqPos, -1.0);
    EXPECT_EQ(t.lastBar, -1.0);
    EXPECT_EQ(t.cycleStart, -1.0);
    EXPECT_EQ(t.cycleEnd, -1.0);
    EXPECT_EQ(t.numerator, 4);
    EXPECT_EQ(t.denominator, 4);
    EXPECT_FALSE(t.transportIsRunning);
    EXPECT_FALSE(t.transportLoopEnabled);
}

// --- 64-bit and 32-bit routing --------------------------------------------------------------

TEST(ProcessorRouting, SixtyFourBitBuffersAreUsedDirectly) {
    GainProcessor p(ConfigWith("1-1 2-2"));
    p.SetBlockSize(64);
    Connect(p, 2, 2);
    auto l = Ramp(64, 0.1), r = Ramp(64, -0.2);
    std::vector<double> outL(64), outR(64);
    double* ins[] = {l.data(), r.data()};
    double* outs[] = {outL.data(), outR.data()};
    p.AttachBuffers(kInput, 0, 2, ins);
    p.AttachBuffers(kOutput, 0, 2, outs);
    p.ProcessBuffers64(64);
    EXPECT_EQ(outL[10], 2 * l[10]);
    EXPECT_EQ(outR[63], 2 * r[63]);
}

TEST(ProcessorRouting, ThirtyTwoBitMatchesSixtyFourBitUpToRounding) {
    GainProcessor p32(ConfigWith("1-1 2-2")), p64(ConfigWith("1-1 2-2"));
    const int n = 100;
    auto l = Ramp(n, 0.1), r = Ramp(n, -0.3);
    std::vector<float> l32(l.begin(), l.end()), r32(r.begin(), r.end());
    std::vector<float> outL32(n), outR32(n);
    std::vector<double> outL64(n), outR64(n);
    for (GainProcessor* p : {&p32, &p64}) {
        p->SetBlockSize(n);
        Connect(*p, 2, 2);
    }
    float* in32[] = {l32.data(), r32.data()};
    float* out32[] = {outL32.data(), outR32.data()};
    p32.AttachBuffers(kInput, 0, 2, in32, n);
    p32.AttachBuffers(kOutput, 0, 2, out32, n);
    p32.ProcessBuffers32(n);
    double* in64[] = {l.data(), r.data()};
    double* out64[] = {outL64.data(), outR64.data()};
    p64.AttachBuffers(kInput, 0, 2, in64);
    p64.AttachBuffers(kOutput, 0, 2, out64);
    p64.ProcessBuffers64(n);
    for (int s = 0; s < n; ++s) {
        EXPECT_NEAR(outL32[size_t(s)], outL64[size_t(s)], 1e-6);
        EXPECT_NEAR(outR32[size_t(s)], outR64[size_t(s)], 1e-6);
    }
}

TEST(ProcessorRouting, UnconnectedThirtyTwoBitOutputIsNeverWritten) {
    GainProcessor p(ConfigWith("1-1 2-2"));
    const int n = 16;
    p.SetBlockSize(n);
    Connect(p, 1, 1);
    std::vector<float> in(n, 0.25f), out0(n, 9.f), out1(n, 9.f);
    float* ins[] = {in.data()};
    float* outs[] = {out0.data(), out1.data()};
    p.AttachBuffers(kInput, 0, 1, ins, n);
    p.AttachBuffers(kOutput, 0, 2, outs, n);
    p.ProcessBuffers32(n);
    EXPECT_EQ(out0[5], 0.5f);
    EXPECT_EQ(out1[5], 9.f);
}

TEST(ProcessorRouting, UnconnectedInputReadsSilenceEvenAfterAudio) {
    GainProcessor p(ConfigWith("1-1 2-2"));
    const int n = 8;
    p.SetBlockSize(n);
    std::vector<float> l(n, 0.5f), r(n, 0.75f), outL(n), outR(n);
    float* ins[] = {l.data(), r.data()};
    float* outs[] = {outL.data(), outR.data()};
    Connect(p, 2, 2);
    p.AttachBuffers(kInput, 0, 2, ins, n);
    p.AttachBuffers(kOutput, 0, 2, outs, n);
    p.ProcessBuffers32(n);
    EXPECT_EQ(outR[0], 1.5f);
    // Next block: mono; the right input must not replay the previous block.
    Connect(p, 1, 2);
    p.AttachBuffers(kInput, 0, 1, ins, n);
    p.AttachBuffers(kOutput, 0, 2, outs, n);
    p.ProcessBuffers32(n);
    EXPECT_EQ(outL[0], 1.0f);
    EXPECT_EQ(outR[0], 0.0f);
}

TEST(ProcessorRouting, NullHostBuffersFallBackToScratch) {
    GainProcessor p(ConfigWith("1-1 2-2"));
    const int n = 8;
    p.SetBlockSize(n);
    Connect(p, 2, 2);
    p.AttachBuffers(kInput, 0, 2, static_cast<double**>(nullptr));
    std::vector<double> outL(n, 3.0);
    double* outs[] = {outL.data(), nullptr};
    p.AttachBuffers(kOutput, 0, 2, outs);
    p.ProcessBuffers64(n);
    EXPECT_EQ(outL[0], 0.0);
    p.AttachBuffers(kInput, 0, 2, static_cast<float**>(nullptr), n);
    p.ProcessBuffers32(n);
}

TEST(ProcessorRouting, BlockWithoutInputBuffersReadsSilence) {
    GainProcessor p(ConfigWith("1-1 2-2"));
    const int n = 8;
    p.SetBlockSize(n);
    Connect(p, 2, 2);
    std::vector<float> l(n, 0.5f), r(n, 0.75f), outL(n), outR(n);
    float* ins[] = {l.data(), r.data()};
    float* outs[] = {outL.data(), outR.data()};
    p.AttachBuffers(kInput, 0, 2, ins, n);
    p.AttachBuffers(kOutput, 0, 2, outs, n);
    p.ProcessBuffers32(n);
    EXPECT_EQ(outL[0], 1.0f);
    // The channels stay connected, but this block brings no input audio at all.
    p.AttachBuffers(kInput, 0, 2, static_cast<float**>(nullptr), n);
    p.ProcessBuffers32(n);
    EXPECT_EQ(outL, std::vector<float>(n, 0.0f));
    EXPECT_EQ(outR, std::vector<float>(n, 0.0f));
}

// A host flush: the block processing still runs (with 0 frames) for its bookkeeping, and no
// host buffer is read or written.
TEST(ProcessorRouting, ZeroOrNegativeFramesReachTheBlockWithZeroFramesOnly) {
    GainProcessor p(ConfigWith("2-2"));
    p.SetBlockSize(32);
    Connect(p, 2, 2);
    std::vector<double> in(32, 1.0), out(32, 5.0);
    std::vector<float> out32(32, 6.0f);
    double* ins[] = {in.data(), in.data()};
    double* outs[] = {out.data(), out.data()};
    float* outs32[] = {out32.data(), out32.data()};
    p.AttachBuffers(kInput, 0, 2, ins);
    p.AttachBuffers(kOutput, 0, 2, outs);
    p.ProcessBuffers64(0);
    p.AttachBuffers(kOutput, 0, 2, outs32, 32);
    p.ProcessBuffers32(-5);
    EXPECT_EQ(p.blocks, (std::vector<int>{0, 0}));
    p.PassThroughBuffers64(0);
    p.PassThroughBuffers32(-1);
    EXPECT_EQ(p.blocks.size(), 2u);
    EXPECT_EQ(in, std::vector<double>(32, 1.0));
    EXPECT_EQ(out, std::vector<double>(32, 5.0));
    EXPECT_EQ(out32, std::vector<float>(32, 6.0f));
}

TEST(ProcessorRouting, FlushNeedsNeitherBuffersNorABlockSize) {
    GainProcessor gain(ConfigWith("2-2"));
    gain.ProcessBuffers64(0);
    EXPECT_EQ(gain.blocks, std::vector<int>{0});
    // The default block processing copies nothing when there is nothing to copy.
    PluginProcessor plain(ConfigWith("1-2"));
    plain.ProcessBuffers32(0);
    plain.SetBlockSize(16);
    plain.ProcessBuffers64(0);
}

TEST(ProcessorRouting, NoBlockSizeYetGivesSilence) {
    GainProcessor p(ConfigWith("2-2"));
    Connect(p, 2, 2);
    std::vector<double> in(32, 1.0), out(32, 5.0);
    double* ins[] = {in.data(), in.data()};
    double* outs[] = {out.data(), out.data()};
    p.AttachBuffers(kInput, 0, 2, ins);
    p.AttachBuffers(kOutput, 0, 2, outs);
    p.ProcessBuffers64(32);
    EXPECT_TRUE(p.blocks.empty());
    EXPECT_EQ(out[31], 0.0);
}

// --- Blocks longer than announced -----------------------------------------------------------

TEST(ProcessorOversize, LongBlockIsProcessedInPiecesOfTheBlockSize) {
    GainProcessor p(ConfigWith("1-1 2-2"));
    p.SetBlockSize(64);
    Connect(p, 2, 2);
    const int n = 200;
    auto l = Ramp(n, 0.0), r = Ramp(n, 0.5);
    std::vector<float> l32(l.begin(), l.end()), r32(r.begin(), r.end());
    std::vector<float> outL(n), outR(n);
    float* ins[] = {l32.data(), r32.data()};
    float* outs[] = {outL.data(), outR.data()};
    p.AttachBuffers(kInput, 0, 2, ins, n);
    p.AttachBuffers(kOutput, 0, 2, outs, n);
    p.ProcessBuffers32(n);
    EXPECT_EQ(p.blocks, (std::vector<int>{64, 64, 64, 8}));
    for (int s = 0; s < n; ++s)
        EXPECT_FLOAT_EQ(outL[size_t(s)], 2.f * l32[size_t(s)]) << s;
    EXPECT_FLOAT_EQ(outR[199], 2.f * r32[199]);
}

TEST(ProcessorOversize, SixtyFourBitLongBlockAlsoSplits) {
    GainProcessor p(ConfigWith("1-1 2-2"));
    p.SetBlockSize(50);
    Connect(p, 1, 2);
    const int n = 120;
    auto l = Ramp(n, 0.1);
    std::vector<double> outL(n), outR(n, 7.0);
    double* ins[] = {l.data()};
    double* outs[] = {outL.data(), outR.data()};
    p.AttachBuffers(kInput, 0, 1, ins);
    p.AttachBuffers(kOutput, 0, 2, outs);
    p.ProcessBuffers64(n);
    EXPECT_EQ(p.blocks, (std::vector<int>{50, 50, 20}));
    EXPECT_EQ(outL[119], 2 * l[119]);
    EXPECT_EQ(outR[119], 0.0);
}

// --- Pass-through (bypass) ------------------------------------------------------------------

TEST(ProcessorBypass, MonoCopiesInputAndSilencesSecondOutput) {
    PluginProcessor p(ConfigWith("1-1 2-2"));
    p.SetBlockSize(16);
    Connect(p, 1, 1);
    std::vector<double> in = Ramp(16, 0.3), out0(16, 9.0);
    double* ins[] = {in.data()};
    double* outs[] = {out0.data()};
    p.AttachBuffers(kInput, 0, 1, ins);
    p.AttachBuffers(kOutput, 0, 1, outs);
    p.PassThroughBuffers64(16);
    EXPECT_EQ(out0, in);
    // With both host outputs connected the second one receives silence.
    Connect(p, 1, 2);
    std::vector<double> out1(16, 9.0);
    double* both[] = {out0.data(), out1.data()};
    p.AttachBuffers(kInput, 0, 1, ins);
    p.AttachBuffers(kOutput, 0, 2, both);
    p.PassThroughBuffers64(16);
    EXPECT_EQ(out0, in);
    EXPECT_EQ(out1, std::vector<double>(16, 0.0));
}

TEST(ProcessorBypass, ThirtyTwoBitPassThroughIsExact) {
    PluginProcessor p(ConfigWith("1-1 2-2"));
    p.SetBlockSize(32);
    Connect(p, 2, 2);
    std::vector<float> l(40, 0.1f), r(40, -0.7f), outL(40), outR(40);
    float* ins[] = {l.data(), r.data()};
    float* outs[] = {outL.data(), outR.data()};
    p.AttachBuffers(kInput, 0, 2, ins, 40);
    p.AttachBuffers(kOutput, 0, 2, outs, 40);
    p.PassThroughBuffers32(40);
    EXPECT_EQ(outL, l);
    EXPECT_EQ(outR, r);
}

TEST(ProcessorBypass, InPlaceBuffersSurvive) {
    PluginProcessor p(ConfigWith("2-2"));
    p.SetBlockSize(8);
    Connect(p, 2, 2);
    std::vector<double> l = Ramp(8, 0.2), r = Ramp(8, 0.4);
    auto expectedL = l;
    double* bufs[] = {l.data(), r.data()};
    p.AttachBuffers(kInput, 0, 2, bufs);
    p.AttachBuffers(kOutput, 0, 2, bufs);
    p.PassThroughBuffers64(8);
    EXPECT_EQ(l, expectedL);
}

TEST(ProcessorBypass, LatencyDelaysThePassThrough) {
    PluginProcessor p(ConfigWith("1-1", 3));
    EXPECT_EQ(p.GetLatency(), 3);
    p.SetBlockSize(4);
    Connect(p, 1, 1);
    std::vector<double> in = {1, 2, 3, 4, 5, 6}, out(6, -1.0);
    double* ins[] = {in.data()};
    double* outs[] = {out.data()};
    p.AttachBuffers(kInput, 0, 1, ins);
    p.AttachBuffers(kOutput, 0, 1, outs);
    p.PassThroughBuffers64(6);
    EXPECT_EQ(out, (std::vector<double>{0, 0, 0, 1, 2, 3}));
    p.SetLatency(0);
    p.PassThroughBuffers64(6);
    EXPECT_EQ(out, in);
}

TEST(ProcessorBypass, LatencySetLaterDelaysBothChannelsAcrossBlocks) {
    PluginProcessor p(ConfigWith("1-1 2-2"));
    p.SetBlockSize(3);
    p.SetLatency(2);
    Connect(p, 2, 2);
    std::vector<float> l = {1, 2, 3, 4, 5, 6, 7}, r = {10, 20, 30, 40, 50, 60, 70};
    std::vector<float> outL(7), outR(7);
    float* ins[] = {l.data(), r.data()};
    float* outs[] = {outL.data(), outR.data()};
    p.AttachBuffers(kInput, 0, 2, ins, 7);
    p.AttachBuffers(kOutput, 0, 2, outs, 7);
    p.PassThroughBuffers32(7);
    EXPECT_EQ(outL, (std::vector<float>{0, 0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(outR, (std::vector<float>{0, 0, 10, 20, 30, 40, 50}));
    // The last two samples come out first in the next block.
    p.PassThroughBuffers32(7);
    EXPECT_EQ(outL, (std::vector<float>{6, 7, 1, 2, 3, 4, 5}));
    EXPECT_EQ(outR, (std::vector<float>{60, 70, 10, 20, 30, 40, 50}));
}

TEST(ProcessorBypass, FlagIsStoredAsIs) {
    PluginProcessor p(ConfigWith("1-1 2-2"));
    p.SetBypassed(true);
    EXPECT_TRUE(p.GetBypassed());
    p.SetBypassed(false);
    EXPECT_FALSE(p.GetBypassed());
}

// --- Default block processing ---------------------------------------------------------------

TEST(ProcessorDefault, CopiesMatchingChannelsAndSilencesTheRest) {
    PluginProcessor p(ConfigWith("1-2"));
    p.SetBlockSize(8);
    Connect(p, 1, 2);
    std::vector<double> in = Ramp(8, 0.5), out0(8), out1(8, 4.0);
    double* ins[] = {in.data()};
    double* outs[] = {out0.data(), out1.data()};
    p.AttachBuffers(kInput, 0, 1, ins);
    p.AttachBuffers(kOutput, 0, 2, outs);
    p.ProcessBuffers64(8);
    EXPECT_EQ(out0, in);
    EXPECT_EQ(out1, std::vector<double>(8, 0.0));
}

TEST(ProcessorDefault, ConnectionRangesAreClipped) {
    PluginProcessor p(ConfigWith("2-2"));
    p.SetChannelConnections(kInput, -3, 100, true);
    EXPECT_EQ(p.NChannelsConnected(kInput), 2);
    EXPECT_FALSE(p.IsChannelConnected(kInput, 5));
    p.SetChannelConnections(kInput, 1, 1, false);
    EXPECT_TRUE(p.IsChannelConnected(kInput, 0));
    EXPECT_FALSE(p.IsChannelConnected(kInput, 1));
}

}  // namespace
}  // namespace quendaris
