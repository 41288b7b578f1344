#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "FilterEngine.h"
#include "LiteralEngine.h"

namespace quendaris {
namespace {

using reference::LiteralEngine;
using Signal = std::vector<std::vector<double>>;  // [channel][frame]
using Schedule = std::function<BlockParameters(int block)>;

constexpr double kPi = 3.141592653589793;
constexpr double kFs = 48000.0;
// Same arithmetic in the same order gives the same bits; a little room is left for a
// reassociated sum. Chaotic settings magnify last-bit differences and get the looser bound.
constexpr double kTight = 1e-12;
constexpr double kTolerance = 1e-9;
constexpr int kMaxBlock = 512;

const char* const kModelNames[4] = {"M", "S", "P", "W"};

// ---- test signals ----

std::vector<double> Noise(int frames, double amplitude, uint32_t seed) {
    std::vector<double> out(frames);
    for (double& v : out) {
        seed = 1664525u * seed + 1013904223u;
        v = amplitude * (2.0 * (seed / 4294967296.0) - 1.0);
    }
    return out;
}

std::vector<double> Saw(int frames, double frequency, double amplitude) {
    std::vector<double> out(frames);
    double phase = 0.0;
    for (double& v : out) {
        v = amplitude * (2.0 * phase - 1.0);
        phase += frequency / kFs;
        phase -= std::floor(phase);
    }
    return out;
}

std::vector<double> Impulses(int frames, int spacing, double amplitude) {
    std::vector<double> out(frames, 0.0);
    for (int i = 3; i < frames; i += spacing) {
        out[i] = amplitude;
        amplitude = -0.7 * amplitude;
    }
    return out;
}

// Logarithmic sine sweep from 20 Hz to 20 kHz over the whole signal.
std::vector<double> Sweep(int frames, double amplitude) {
    std::vector<double> out(frames);
    const double ratio = std::log(1000.0);
    double phase = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double f = 20.0 * std::exp(ratio * i / frames);
        out[i] = amplitude * std::sin(phase);
        phase += 2.0 * kPi * f / kFs;
    }
    return out;
}

// Loud noise, then exact silence: the tail shows how the states decay.
std::vector<double> LoudThenSilent(int frames, int loudFrames) {
    std::vector<double> out = Noise(frames, 4.0, 99);
    std::fill(out.begin() + loudFrames, out.end(), 0.0);
    return out;
}

Signal Stereo(std::vector<double> left, std::vector<double> right) {
    return {std::move(left), std::move(right)};
}

Signal Mono(std::vector<double> only) {
    return {std::move(only)};
}

// ---- side-by-side runner ----

struct Difference {
    double maxAbs = 0.0;
    double peak = 0.0;  // largest output magnitude, for scale
    int frame = -1;
    int channel = -1;
    double engineValue = 0.0;
    double literalValue = 0.0;
};

std::string Describe(const Difference& d) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "max |engine - literal| = %.3g (peak %.3g) at channel %d frame %d: engine "
                  "%.17g, literal %.17g",
                  d.maxAbs, d.peak, d.channel, d.frame, d.engineValue, d.literalValue);
    return text;
}

class SideBySide {
  public:
    SideBySide(int channels, double sampleRate = kFs) { ResetBoth(sampleRate, channels); }

    void ResetBoth(double sampleRate, int channels) {
        engine.Reset(sampleRate, channels, kMaxBlock);
        literal.Reset(sampleRate, channels);
    }

    // Runs the signal through both in blocks whose sizes cycle through blockSizes, with as many
    // channels as the signal has.
    Difference Run(const Signal& in, const Schedule& schedule, const std::vector<int>& blockSizes) {
        const int frames = static_cast<int>(in[0].size());
        const int channels = static_cast<int>(in.size());
        engineOut.assign(channels, std::vector<double>(frames, 0.0));
        literalOut.assign(channels, std::vector<double>(frames, 0.0));
        int offset = 0;
        // Zero-length blocks are allowed in the pattern, but the pattern must make progress.
        const int maxBlocks = frames + static_cast<int>(blockSizes.size()) + 1;
        for (int block = 0; (offset < frames || block == 0) && block < maxBlocks; ++block) {
            const int n = std::min(blockSizes[block % blockSizes.size()], frames - offset);
            const BlockParameters params = schedule(block);
            std::vector<const double*> inputs;
            std::vector<double*> eo;
            std::vector<double*> lo;
            for (int ch = 0; ch < channels; ++ch) {
                inputs.push_back(in[ch].data() + offset);
                eo.push_back(engineOut[ch].data() + offset);
                lo.push_back(literalOut[ch].data() + offset);
            }
            engine.ProcessBlock(params, inputs.data(), eo.data(), channels, n);
            literal.ProcessBlock(params, inputs.data(), lo.data(), channels, n);
            offset += n;
            if (frames == 0) {
                break;
            }
        }
        return Compare();
    }

    Difference Compare() const {
        Difference d;
        for (size_t ch = 0; ch < engineOut.size(); ++ch) {
            for (size_t k = 0; k < engineOut[ch].size(); ++k) {
                const double e = engineOut[ch][k];
                const double l = literalOut[ch][k];
                d.peak = std::max(d.peak, std::fabs(l));
                const double diff = std::isnan(e) != std::isnan(l) ? INFINITY : std::fabs(e - l);
                if (diff > d.maxAbs || (std::isnan(diff) && d.frame < 0)) {
                    d.maxAbs = diff;
                    d.frame = static_cast<int>(k);
                    d.channel = static_cast<int>(ch);
                    d.engineValue = e;
                    d.literalValue = l;
                }
            }
        }
        return d;
    }

    FilterEngine engine;
    LiteralEngine literal;
    Signal engineOut;
    Signal literalOut;
};

Schedule Constant(const BlockParameters& p) {
    return [p](int) { return p; };
}

BlockParameters Settings(int model, bool fourPole, double resonance, double drive,
                         double cutoff = 1500.0) {
    BlockParameters p;
    p.model = model;
    p.poles = fourPole ? 1.0 : 0.0;
    p.resonance = resonance;
    p.drive = drive;
    p.cutoff = cutoff;
    return p;
}

// ---- every model and slope over a grid of resonance and drive ----

struct GridCase {
    int model;
    bool fourPole;
    double resonance;
    double drive;
};

std::string GridName(const testing::TestParamInfo<GridCase>& info) {
    const GridCase& c = info.param;
    return std::string(kModelNames[c.model]) + (c.fourPole ? "4" : "2") + "_Res" +
           std::to_string(static_cast<int>(c.resonance)) + "_Drive" +
           std::to_string(static_cast<int>(c.drive));
}

std::vector<GridCase> AllGridCases() {
    std::vector<GridCase> cases;
    for (int model = 0; model < 4; ++model) {
        for (bool fourPole : {false, true}) {
            for (double resonance : {0.0, 50.0, 100.0}) {
                for (double drive : {0.0, 30.0, 100.0}) {
                    cases.push_back({model, fourPole, resonance, drive});
                }
            }
        }
    }
    return cases;
}

// Full resonance makes the loops ring for a long time, so rounding differences grow there.
double BoundFor(const GridCase& c) {
    return c.resonance >= 100.0 ? kTolerance : kTight;
}

class ModelGrid : public testing::TestWithParam<GridCase> {};

TEST_P(ModelGrid, SawMatches) {
    const GridCase& c = GetParam();
    SideBySide run(2);
    const Difference d =
        run.Run(Stereo(Saw(3000, 110.0, 0.6), Saw(3000, 163.0, 0.4)),
                Constant(Settings(c.model, c.fourPole, c.resonance, c.drive)), {256, 97, 511});
    EXPECT_LE(d.maxAbs, BoundFor(c)) << Describe(d);
}

TEST_P(ModelGrid, NoiseMatches) {
    const GridCase& c = GetParam();
    SideBySide run(2);
    const Difference d =
        run.Run(Stereo(Noise(3000, 0.8, 5), Noise(3000, 0.3, 6)),
                Constant(Settings(c.model, c.fourPole, c.resonance, c.drive)), {333, 64, 1});
    EXPECT_LE(d.maxAbs, BoundFor(c)) << Describe(d);
}

TEST_P(ModelGrid, ImpulsesMatch) {
    const GridCase& c = GetParam();
    SideBySide run(2);
    const Difference d =
        run.Run(Stereo(Impulses(3000, 700, 2.0), Impulses(3000, 450, -1.0)),
                Constant(Settings(c.model, c.fourPole, c.resonance, c.drive)), {128});
    EXPECT_LE(d.maxAbs, BoundFor(c)) << Describe(d);
}

TEST_P(ModelGrid, SweepMatches) {
    const GridCase& c = GetParam();
    SideBySide run(2);
    const Difference d =
        run.Run(Stereo(Sweep(6000, 0.7), Sweep(6000, 0.2)),
                Constant(Settings(c.model, c.fourPole, c.resonance, c.drive)), {200, 13});
    EXPECT_LE(d.maxAbs, BoundFor(c)) << Describe(d);
}

TEST_P(ModelGrid, MonoMatches) {
    const GridCase& c = GetParam();
    SideBySide run(1);
    const Difference d =
        run.Run(Mono(Noise(2500, 1.5, 21)),
                Constant(Settings(c.model, c.fourPole, c.resonance, c.drive)), {479, 33});
    EXPECT_LE(d.maxAbs, BoundFor(c)) << Describe(d);
}

INSTANTIATE_TEST_SUITE_P(EveryModelAndSlope, ModelGrid, testing::ValuesIn(AllGridCases()),
                         GridName);

// ---- gains and mix ----

struct GainCase {
    double input;
    double output;
    double mix;
};

class GainsAndMix : public testing::TestWithParam<GainCase> {};

TEST_P(GainsAndMix, NoiseMatchesForEveryModel) {
    const GainCase& c = GetParam();
    for (int model = 0; model < 4; ++model) {
        BlockParameters p = Settings(model, model % 2 == 1, 40.0, 30.0);
        p.input = c.input;
        p.output = c.output;
        p.mix = c.mix;
        SideBySide run(2);
        const Difference d =
            run.Run(Stereo(Noise(2000, 0.5, 3), Saw(2000, 220.0, 0.5)), Constant(p), {300, 7});
        EXPECT_LE(d.maxAbs, kTight) << kModelNames[model] << ": " << Describe(d);
    }
}

std::string GainName(const testing::TestParamInfo<GainCase>& info) {
    auto text = [](double v) {
        std::string s = std::to_string(static_cast<int>(std::lround(v * 10.0)));
        std::replace(s.begin(), s.end(), '-', 'm');
        return s;
    };
    return "In" + text(info.param.input) + "_Out" + text(info.param.output) + "_Mix" +
           text(info.param.mix);
}

INSTANTIATE_TEST_SUITE_P(Grid, GainsAndMix,
                         testing::Values(GainCase{0.0, 0.0, 0.0}, GainCase{0.0, 0.0, 50.0},
                                         GainCase{0.0, 0.0, 100.0}, GainCase{-12.0, 6.1, 50.0},
                                         GainCase{9.3, -6.1, 100.0}, GainCase{24.0, -24.0, 0.0},
                                         GainCase{-24.0, 24.0, 33.3}, GainCase{0.1, 0.7, 99.9},
                                         GainCase{-0.3, -17.9, 12.7}),
                         GainName);

// Gains, mix and drive change at block boundaries while the signal runs.
TEST(Automation, BlockwiseParameterChangesMatch) {
    SideBySide run(2);
    const Schedule schedule = [](int block) {
        BlockParameters p = Settings(block / 7 % 4, block % 3 == 0, (block * 17) % 101,
                                     (block * 29) % 101, 20.0 + (block * 977) % 19980);
        p.input = -24.0 + (block * 13) % 49;
        p.output = 24.0 - (block * 11) % 49;
        p.mix = (block * 37) % 101;
        return p;
    };
    const Difference d =
        run.Run(Stereo(Sweep(20000, 0.6), Noise(20000, 0.4, 8)), schedule, {97, 256, 1, 333});
    EXPECT_LE(d.maxAbs, kTolerance) << Describe(d);
}

TEST(Automation, CutoffGlideMatches) {
    SideBySide run(2);
    const Schedule schedule = [](int block) {
        return Settings(block / 10 % 4, false, 30.0, 10.0, block % 2 == 0 ? 20.0 : 20000.0);
    };
    const Difference d =
        run.Run(Stereo(Saw(8000, 55.0, 0.5), Saw(8000, 82.5, 0.5)), schedule, {64, 150});
    EXPECT_LE(d.maxAbs, kTight) << Describe(d);
    EXPECT_EQ(run.engine.SmoothedCutoff(), run.literal.SmoothedCutoff());
    EXPECT_EQ(run.engine.WobblePhase(), run.literal.WobblePhase());
}

// ---- block sizes ----

class BlockSizes : public testing::TestWithParam<std::vector<int>> {};

TEST_P(BlockSizes, OutputMatchesWhateverTheBlocking) {
    for (int model = 0; model < 4; ++model) {
        SideBySide run(2);
        const Difference d = run.Run(Stereo(Noise(3100, 0.9, 12), Saw(3100, 97.0, 0.8)),
                                     Constant(Settings(model, true, 70.0, 50.0)), GetParam());
        EXPECT_LE(d.maxAbs, kTight) << kModelNames[model] << ": " << Describe(d);
    }
}

INSTANTIATE_TEST_SUITE_P(Odd, BlockSizes,
                         testing::Values(std::vector<int>{1}, std::vector<int>{7, 0, 5},
                                         std::vector<int>{333}, std::vector<int>{513},
                                         std::vector<int>{3100}, std::vector<int>{0, 1023, 2}));

// Host blocks far longer than the size given at reset, and longer than any internal chunk.
TEST(LongBlocks, OutputMatchesForBlocksBeyondEveryBufferSize) {
    for (int model = 0; model < 4; ++model) {
        SideBySide run(2);
        const Difference d =
            run.Run(Stereo(Noise(20000, 0.7, 13), Sweep(20000, 0.7)),
                    Constant(Settings(model, model % 2 == 0, 60.0, 40.0)), {9000, 11000});
        EXPECT_LE(d.maxAbs, kTight) << kModelNames[model] << ": " << Describe(d);
    }
}

// Before the first reset the dry signal is not delayed and the sample rate is 44.1 kHz.
TEST(NoReset, ProcessingBeforeAnyResetMatches) {
    for (int channels : {1, 2}) {
        FilterEngine engine;
        LiteralEngine literal;
        const Signal in = channels == 1 ? Mono(Noise(700, 0.5, 14))
                                        : Stereo(Noise(700, 0.5, 14), Saw(700, 300.0, 0.5));
        Signal eo(channels, std::vector<double>(700));
        Signal lo(channels, std::vector<double>(700));
        BlockParameters p = Settings(1, true, 50.0, 30.0);
        p.mix = 40.0;
        for (int offset = 0; offset < 700; offset += 100) {
            std::vector<const double*> ins;
            std::vector<double*> eos;
            std::vector<double*> los;
            for (int ch = 0; ch < channels; ++ch) {
                ins.push_back(in[ch].data() + offset);
                eos.push_back(eo[ch].data() + offset);
                los.push_back(lo[ch].data() + offset);
            }
            engine.ProcessBlock(p, ins.data(), eos.data(), channels, 100);
            literal.ProcessBlock(p, ins.data(), los.data(), channels, 100);
        }
        for (int ch = 0; ch < channels; ++ch) {
            for (int k = 0; k < 700; ++k) {
                ASSERT_NEAR(eo[ch][k], lo[ch][k], kTight)
                    << channels << " channels, channel " << ch << " frame " << k;
            }
        }
    }
}

// ---- model changes and crossfades ----

TEST(Crossfade, EveryPairOfModelsMatches) {
    for (int from = 0; from < 4; ++from) {
        for (int to = 0; to < 4; ++to) {
            if (from == to) {
                continue;
            }
            SideBySide run(2);
            const Schedule schedule = [from, to](int block) {
                return Settings(block < 3 ? from : to, (from + to) % 2 == 0, 60.0, 40.0);
            };
            const Difference d =
                run.Run(Stereo(Noise(3000, 0.7, 31), Saw(3000, 140.0, 0.5)), schedule, {128, 45});
            EXPECT_LE(d.maxAbs, kTight)
                << kModelNames[from] << " to " << kModelNames[to] << ": " << Describe(d);
        }
    }
}

// Changes arrive faster than a fade lasts; the pending one is taken only after the fade.
TEST(Crossfade, ChangesDuringAFadeMatch) {
    for (double fs : {44100.0, 48000.0, 96000.0, 22050.0}) {
        SideBySide run(2, fs);
        const Schedule schedule = [](int block) {
            return Settings(block % 4, block % 5 == 0, 50.0, 20.0);
        };
        const Difference d = run.Run(Stereo(Noise(6000, 0.5, 41), Noise(6000, 0.5, 42)), schedule,
                                     {50, 0, 111, 1, 3});
        EXPECT_LE(d.maxAbs, kTight) << "fs " << fs << ": " << Describe(d);
        EXPECT_EQ(run.engine.CurrentModel(), run.literal.CurrentModel());
        EXPECT_EQ(run.engine.PreviousModel(), run.literal.PreviousModel());
        EXPECT_EQ(run.engine.CrossfadeProgress(), run.literal.CrossfadeProgress());
    }
}

// The progress after a fade's last increment decides whether one more sample is faded.
TEST(Crossfade, ProgressMatchesSampleBySample) {
    for (double fs : {44100.0, 48000.0, 88200.0, 96000.0, 192000.0, 8000.0}) {
        SideBySide run(1, fs);
        const Signal in = Mono(Noise(1, 0.5, 2));
        int block = 0;
        const Schedule schedule = [&block](int) {
            return Settings(block == 0 ? 0 : 3, false, 50.0, 0.0);
        };
        for (block = 0; block < 3000; ++block) {
            run.Run(in, schedule, {1});
            ASSERT_EQ(run.engine.CrossfadeProgress(), run.literal.CrossfadeProgress())
                << "fs " << fs << " frame " << block;
            ASSERT_EQ(run.engineOut[0][0], run.literalOut[0][0])
                << "fs " << fs << " frame " << block;
        }
    }
}

TEST(Crossfade, BypassWhileFadingMatches) {
    SideBySide run(2);
    const Schedule schedule = [](int block) {
        BlockParameters p = Settings(block < 2 ? 1 : 2, true, 80.0, 60.0);
        p.bypass = (block >= 3 && block < 6) ? 1.0 : 0.0;
        p.mix = 75.0;
        return p;
    };
    const Difference d =
        run.Run(Stereo(Saw(4000, 300.0, 0.8), Noise(4000, 0.8, 51)), schedule, {100, 37});
    EXPECT_LE(d.maxAbs, kTight) << Describe(d);
}

// A change made while bypassed starts the fade at once; it advances only in processed blocks.
TEST(Crossfade, ModelChangeWhileBypassedMatches) {
    SideBySide run(2);
    const Schedule schedule = [](int block) {
        BlockParameters p = Settings(block < 4 ? 2 : 1, false, 70.0, 25.0);
        p.bypass = (block >= 2 && block < 7) ? 1.0 : 0.0;
        return p;
    };
    const Difference d =
        run.Run(Stereo(Noise(4000, 0.6, 52), Saw(4000, 210.0, 0.6)), schedule, {120, 19});
    EXPECT_LE(d.maxAbs, kTight) << Describe(d);
    EXPECT_EQ(run.engine.CrossfadeProgress(), run.literal.CrossfadeProgress());
}

// A reset neither ends nor restarts a fade that is under way.
TEST(Crossfade, ResetDuringAFadeMatches) {
    SideBySide run(2);
    const Signal in = Stereo(Noise(300, 0.6, 53), Noise(300, 0.6, 54));
    Difference d = run.Run(in, Constant(Settings(3, true, 50.0, 50.0)), {100});
    EXPECT_LE(d.maxAbs, kTight) << Describe(d);
    ASSERT_LT(run.literal.CrossfadeProgress(), 1.0);
    run.ResetBoth(44100.0, 2);
    EXPECT_EQ(run.engine.CrossfadeProgress(), run.literal.CrossfadeProgress());
    d = run.Run(in, Constant(Settings(1, true, 50.0, 50.0)), {100});
    EXPECT_LE(d.maxAbs, kTight) << Describe(d);
    EXPECT_EQ(run.engine.CurrentModel(), run.literal.CurrentModel());
    EXPECT_EQ(run.engine.CrossfadeProgress(), run.literal.CrossfadeProgress());
}

// The integer part of the Model value selects the model.
TEST(Crossfade, FractionalModelValuesMatch) {
    SideBySide run(2);
    const Schedule fractional = [](int block) {
        BlockParameters p = Settings(0, false, 40.0, 20.0);
        p.model = 0.3 + (block % 4) * 0.99;
        return p;
    };
    const Difference d =
        run.Run(Stereo(Noise(5000, 0.5, 61), Noise(5000, 0.5, 62)), fractional, {200});
    EXPECT_LE(d.maxAbs, kTight) << Describe(d);
}

// ---- states after loud input and resets ----

TEST(Tails, SilenceAfterLoudInputMatchesForEveryModel) {
    for (int model = 0; model < 4; ++model) {
        for (bool fourPole : {false, true}) {
            SideBySide run(2);
            BlockParameters p = Settings(model, fourPole, 90.0, 100.0, 300.0);
            p.input = 18.0;
            const Difference d =
                run.Run(Stereo(LoudThenSilent(60000, 2000), LoudThenSilent(60000, 500)),
                        Constant(p), {512});
            EXPECT_LE(d.maxAbs, kTolerance)
                << kModelNames[model] << (fourPole ? "4" : "2") << ": " << Describe(d);
        }
    }
}

TEST(Tails, ResetMidStreamMatches) {
    SideBySide run(2);
    const Signal in = Stereo(Noise(3000, 0.6, 71), Saw(3000, 75.0, 0.6));
    for (int round = 0; round < 3; ++round) {
        const Difference d = run.Run(in, Constant(Settings(round, round == 1, 55.0, 35.0)), {250});
        EXPECT_LE(d.maxAbs, kTight) << "round " << round << ": " << Describe(d);
        run.ResetBoth(round == 1 ? 44100.0 : 48000.0, 2);
        for (int k = 0; k < LiteralEngine::kFftSize; ++k) {
            ASSERT_EQ(run.engine.SmoothedSpectrum()[k], 0.0f) << "bin " << k << " after reset";
            ASSERT_EQ(run.literal.SmoothedSpectrum()[k], 0.0f) << "bin " << k << " after reset";
        }
        EXPECT_EQ(run.engine.SampleRate(), round == 1 ? 44100.0 : 48000.0);
    }
}

// Seconds of audio: the drift generators, the unwrapped wobble phase and the leaky integrators
// all run long enough to show any slow divergence.
TEST(Tails, LongRunMatchesForEveryModel) {
    for (int model = 0; model < 4; ++model) {
        SideBySide run(2);
        BlockParameters p = Settings(model, model >= 2, 85.0, 60.0, 900.0);
        p.mix = 80.0;
        const Difference d = run.Run(Stereo(Saw(96000, 65.0, 0.7), Noise(96000, 0.5, 55 + model)),
                                     Constant(p), {512, 301});
        EXPECT_LE(d.maxAbs, kTolerance) << kModelNames[model] << ": " << Describe(d);
    }
}

// A reset for mono leaves channel 1's model states as they were; a later stereo block picks
// them up again.
TEST(Tails, ChannelCountChangesAcrossResetsMatch) {
    SideBySide run(2);
    const BlockParameters p = Settings(3, true, 65.0, 45.0);
    const Signal stereo = Stereo(Noise(1500, 0.6, 72), Saw(1500, 90.0, 0.6));
    Difference d = run.Run(stereo, Constant(p), {256});
    EXPECT_LE(d.maxAbs, kTight) << "stereo: " << Describe(d);
    run.ResetBoth(kFs, 1);
    d = run.Run(Mono(stereo[1]), Constant(p), {256});
    EXPECT_LE(d.maxAbs, kTight) << "mono: " << Describe(d);
    d = run.Run(stereo, Constant(p), {256});
    EXPECT_LE(d.maxAbs, kTight) << "stereo again: " << Describe(d);
}

TEST(Tails, CutoffFarBelowRangeBypassesTheFilterInBoth) {
    SideBySide run(2);
    const Difference d = run.Run(Stereo(Noise(2000, 0.6, 81), Noise(2000, 0.6, 82)),
                                 [](int block) {
                                     return Settings(block % 4, block % 2 == 1, 50.0, 50.0,
                                                     block < 2 ? 1000.0 : 0.0);
                                 },
                                 {100});
    EXPECT_LE(d.maxAbs, kTight) << Describe(d);
}

// ---- spectrum, display values and response curve ----

TEST(Display, SpectrumMatches) {
    for (int channels : {1, 2}) {
        SideBySide run(channels);
        Signal in = channels == 1 ? Mono(Saw(20000, 187.5, 0.7))
                                  : Stereo(Saw(20000, 187.5, 0.7), Noise(20000, 0.3, 91));
        const Difference d = run.Run(in, Constant(Settings(2, true, 70.0, 40.0, 3000.0)), {301});
        ASSERT_LE(d.maxAbs, kTight) << Describe(d);
        const float* e = run.engine.SmoothedSpectrum();
        const float* l = run.literal.SmoothedSpectrum();
        float peak = 0.0f;
        for (int k = 0; k < LiteralEngine::kFftSize; ++k) {
            peak = std::max(peak, l[k]);
        }
        ASSERT_GT(peak, 10.0f);
        for (int k = 0; k < LiteralEngine::kFftSize; ++k) {
            ASSERT_NEAR(e[k], l[k], 1e-6f * peak) << channels << " channels, bin " << k;
        }
    }
}

TEST(Display, PublishedValuesMatch) {
    SideBySide run(2);
    const Signal in = Stereo(Noise(64, 0.1, 5), Noise(64, 0.1, 6));
    for (int block = 0; block < 8; ++block) {
        BlockParameters p =
            Settings(block % 4, block % 3 == 0, 12.3 * block, 0.0, 20.0 + 1234.567 * block);
        p.bypass = block % 2;
        run.Run(block == 5 ? Signal{{}, {}} : in, Constant(p), {64});
        EXPECT_EQ(run.engine.DisplayCutoff(), run.literal.DisplayCutoff());
        EXPECT_EQ(run.engine.DisplayResonance(), run.literal.DisplayResonance());
        EXPECT_EQ(run.engine.DisplayModel(), run.literal.DisplayModel());
        EXPECT_EQ(run.engine.DisplayFourPole(), run.literal.DisplayFourPole());
    }
}

TEST(Display, ResponseCurvesMatch) {
    for (double fs : {44100.0, 48000.0, 96000.0}) {
        SideBySide run(1, fs);
        const Signal in = Mono(std::vector<double>(1, 0.0));
        for (int model = 0; model < 4; ++model) {
            for (bool fourPole : {false, true}) {
                for (double resonance : {0.0, 33.3, 50.0, 99.6, 100.0}) {
                    for (double cutoff : {20.0, 440.0, 1840.0, 12000.0, 20000.0}) {
                        run.Run(in, Constant(Settings(model, fourPole, resonance, 0.0, cutoff)),
                                {1});
                        for (float f = 1.0f; f < 24000.0f; f *= 1.07f) {
                            const float e = run.engine.ResponseMagnitude(f);
                            const float l = run.literal.ResponseMagnitude(f);
                            ASSERT_NEAR(e, l, 2e-7f * std::max(1.0f, l))
                                << kModelNames[model] << (fourPole ? "4" : "2") << " res "
                                << resonance << " cutoff " << cutoff << " fs " << fs << " f " << f;
                        }
                    }
                }
            }
        }
    }
}

}  // namespace
}  // namespace quendaris
