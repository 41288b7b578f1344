#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "Crossfade.h"
#include "FilterEngine.h"
#include "TestSignals.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <xmmintrin.h>
#endif

namespace quendaris {
namespace {

using test::Render;
using test::Stereo;

constexpr double kFs = 48000.0;

Stereo Noise(int frames, double amplitude = 0.5) {
    return {test::WhiteNoise(frames, amplitude, 11), test::WhiteNoise(frames, amplitude, 29)};
}

BlockParameters Params(int model, double cutoff = 1200.0, double resonance = 50.0) {
    BlockParameters p;
    p.model = model;
    p.cutoff = cutoff;
    p.resonance = resonance;
    return p;
}

bool SameLadder(const LadderChannelState& a, const LadderChannelState& b) {
    return a.s1 == b.s1 && a.s2 == b.s2 && a.s3 == b.s3 && a.s4 == b.s4 && a.y1 == b.y1 &&
           a.y2 == b.y2 && a.y3 == b.y3 && a.y4 == b.y4 && a.y4Prev == b.y4Prev &&
           a.drift1 == b.drift1 && a.drift2 == b.drift2 && a.drift3 == b.drift3 &&
           a.drift4 == b.drift4 && a.feedbackPrev == b.feedbackPrev && a.rng == b.rng;
}

bool SameSvf(const SvfChannelState& a, const SvfChannelState& b) {
    for (int i = 0; i < 2; ++i) {
        if (a.lpState[i] != b.lpState[i] || a.bpState[i] != b.bpState[i] ||
            a.hpGuess[i] != b.hpGuess[i]) {
            return false;
        }
    }
    return a.drift1 == b.drift1 && a.drift2 == b.drift2 && a.rng == b.rng;
}

bool SameModelState(const FilterModels& a, const FilterModels& b, int model, int ch) {
    if (model == kMFilter || model == kPFilter) {
        return SameLadder(a.Ladder(model, ch), b.Ladder(model, ch));
    }
    return SameSvf(a.Svf(model, ch), b.Svf(model, ch));
}

bool SameModels(const FilterModels& a, const FilterModels& b) {
    for (int m = 0; m < kNumFilterModels; ++m) {
        for (int ch = 0; ch < 2; ++ch) {
            if (!SameModelState(a, b, m, ch)) {
                return false;
            }
        }
    }
    return true;
}

bool SameHistory(const Oversampler& a, const Oversampler& b) {
    for (int ch = 0; ch < 2; ++ch) {
        for (int i = 0; i < Oversampler::kHistory; ++i) {
            if (a.History(ch)[i] != b.History(ch)[i]) {
                return false;
            }
        }
    }
    return true;
}

void ExpectSameSignal(const std::vector<double>& a, const std::vector<double>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i], b[i]) << "frame " << i;
    }
}

// The engine's internal state that processing may advance.
struct Snapshot {
    FilterModels models;
    Oversampler upsampler;
    Oversampler downsampler;
    double smoothedCutoff;
    double wobblePhase;
    int analyserFrameCount;
};

Snapshot Capture(const FilterEngine& e) {
    return {e.Models(),         e.Upsampler(),   e.Downsampler(),
            e.SmoothedCutoff(), e.WobblePhase(), e.Analyser().FrameCount()};
}

int PeakIndex(const std::vector<double>& x) {
    int peak = 0;
    for (int i = 1; i < static_cast<int>(x.size()); ++i) {
        if (std::fabs(x[i]) > std::fabs(x[peak])) {
            peak = i;
        }
    }
    return peak;
}

// --- Bypass --------------------------------------------------------------------------------

TEST(Bypass, OutputsEqualInputsAndNothingAdvances) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 256);
    Render(engine, Params(kPFilter), Noise(3000), 256);
    const Snapshot before = Capture(engine);

    BlockParameters p = Params(kPFilter, 5000.0, 80.0);
    p.bypass = 1.0;
    const Stereo in = Noise(512, 0.9);
    const Stereo out = Render(engine, p, in, 512);
    ExpectSameSignal(out.left, in.left);
    ExpectSameSignal(out.right, in.right);
    EXPECT_TRUE(SameModels(engine.Models(), before.models));
    EXPECT_TRUE(SameHistory(engine.Upsampler(), before.upsampler));
    EXPECT_TRUE(SameHistory(engine.Downsampler(), before.downsampler));
    EXPECT_EQ(engine.SmoothedCutoff(), before.smoothedCutoff);
    EXPECT_EQ(engine.WobblePhase(), before.wobblePhase);
    EXPECT_EQ(engine.Analyser().FrameCount(), before.analyserFrameCount);
    // The display still follows the parameters.
    EXPECT_EQ(engine.DisplayCutoff(), 5000.0f);
    EXPECT_EQ(engine.DisplayResonance(), 80.0f);
}

TEST(Bypass, ModelChangeStartsFadeThatWaitsForBypassOff) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 256);
    BlockParameters p = Params(kWFilter);
    p.bypass = 1.0;
    Render(engine, p, Noise(256), 256);
    EXPECT_EQ(engine.CurrentModel(), kWFilter);
    EXPECT_EQ(engine.PreviousModel(), kMFilter);
    EXPECT_EQ(engine.CrossfadeProgress(), 0.0);
    EXPECT_EQ(engine.DisplayModel(), kWFilter);
    p.bypass = 0.0;
    Render(engine, p, Noise(100), 100);
    EXPECT_GT(engine.CrossfadeProgress(), 0.0);
    EXPECT_LT(engine.CrossfadeProgress(), 1.0);
}

// --- Mix, gains and latency ----------------------------------------------------------------

TEST(Mix, DryOnlyIsInputDelayedFourSamplesInSinglePrecisionTimesGain) {
    BlockParameters p = Params(kMFilter);
    p.mix = 0.0;
    p.output = -6.0;
    const Stereo in = Noise(1000);
    const Stereo out = Render(p, in, 128);
    const double gain = std::pow(10.0f, -6.0f / 20.0f);
    for (int k = 0; k < 1000; ++k) {
        const double expected = k < 4 ? 0.0 : static_cast<float>(in.left[k - 4]) * gain;
        ASSERT_EQ(out.left[k], expected) << k;
    }
}

TEST(Mix, InputGainDrivesOnlyTheWetPath) {
    BlockParameters p = Params(kPFilter);
    p.mix = 0.0;
    const Stereo in = Noise(600);
    const Stereo plain = Render(p, in, 128);
    p.input = 12.0;
    const Stereo driven = Render(p, in, 128);
    ExpectSameSignal(driven.left, plain.left);
    p.mix = 100.0;
    const Stereo wetDriven = Render(p, in, 128);
    p.input = 0.0;
    const Stereo wetPlain = Render(p, in, 128);
    EXPECT_GT(test::Rms(wetDriven.left, 100, 600), 1.5 * test::Rms(wetPlain.left, 100, 600));
}

TEST(Mix, WetOnlyScalesWithOutputGain) {
    BlockParameters p = Params(kSFilter);
    const Stereo in = Noise(1500);
    const Stereo unity = Render(p, in, 256);
    p.output = 6.0;
    const Stereo louder = Render(p, in, 256);
    const double gain = std::pow(10.0f, 6.0f / 20.0f);
    for (int k = 0; k < 1500; ++k) {
        ASSERT_EQ(louder.right[k], unity.right[k] * gain);
    }
}

TEST(Latency, ImpulseReachesWetPathAfterEightAndDryPathAfterFourSamples) {
    // The impulse comes once the cutoff has glided up to 20 kHz.
    Stereo impulse{std::vector<double>(200, 0.0), std::vector<double>(200, 0.0)};
    impulse.left[100] = impulse.right[100] = 0.5;
    BlockParameters p = Params(kMFilter, 20000.0, 0.0);
    // Resampling delays by exactly 8 samples; the 20 kHz low-pass adds under one more.
    const Stereo wet = Render(p, impulse, 200);
    double moment = 0.0, mass = 0.0;
    for (int k = 100; k < 200; ++k) {
        moment += k * wet.left[k];
        mass += wet.left[k];
    }
    EXPECT_GT(moment / mass, 108.0);
    EXPECT_LT(moment / mass, 109.0);
    EXPECT_LT(test::Peak(wet.left, 0, 100), 1e-12);
    p.mix = 0.0;
    const Stereo dry = Render(p, impulse, 200);
    EXPECT_EQ(PeakIndex(dry.left), 104);
    EXPECT_EQ(dry.left[104], 0.5);
    EXPECT_EQ(test::Peak(dry.left, 105, 200), 0.0);
}

// --- Cutoff, resonance and channel offset --------------------------------------------------

TEST(Cutoff, GlidesFromThousandHertzAfterReset) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 64);
    Render(engine, Params(kMFilter, 2000.0), Noise(1), 1);
    EXPECT_DOUBLE_EQ(engine.SmoothedCutoff(), 1150.0);
    Render(engine, Params(kMFilter, 2000.0), Noise(9), 9);
    EXPECT_NEAR(engine.SmoothedCutoff(), 2000.0 - 1000.0 * std::pow(0.85, 10), 1e-9);
    engine.Reset(kFs, 2, 64);
    EXPECT_EQ(engine.SmoothedCutoff(), 1000.0);
}

TEST(Cutoff, WobbleRateFollowsResonance) {
    FilterEngine calm, resonant;
    calm.Reset(kFs, 2, 100);
    resonant.Reset(kFs, 2, 100);
    Render(calm, Params(kMFilter, 1000.0, 0.0), Noise(100), 100);
    Render(resonant, Params(kMFilter, 1000.0, 100.0), Noise(100), 100);
    EXPECT_NEAR(calm.WobblePhase(), 100 * 0.01, 1e-12);
    EXPECT_NEAR(resonant.WobblePhase(), 100 * 0.015, 1e-12);
}

TEST(Channels, RightChannelIsSlightlyBrighter) {
    const std::vector<double> noise = test::WhiteNoise(9600, 0.3, 5);
    const Stereo out = Render(Params(kMFilter, 2000.0, 0.0), {noise, noise}, 480);
    const double left = test::Rms(out.left, 480, 9600);
    const double right = test::Rms(out.right, 480, 9600);
    EXPECT_GT(right, left);
    EXPECT_LT(right - left, 0.01 * left);
}

TEST(Response, ZeroResonanceMatchesOnePoleCascadeAndDisplayCurve) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 480);
    for (double f : {250.0, 1000.0, 2000.0}) {
        const std::vector<double> sine = test::Sine(19200, f, kFs, 0.05);
        const Stereo out = Render(Params(kMFilter, 1000.0, 0.0), {sine, sine}, 480);
        const double measured = test::ToneAmplitude(out.left, 9600, 19200, f, kFs) / 0.05;
        // Channel 0 runs 0.1 % below the cutoff; the filter runs at four times the rate.
        const double g = 0.999 * std::tan(test::kPi * 1000.0 / (4 * kFs));
        const double omega = std::tan(test::kPi * f / (4 * kFs)) / g;
        const double stage = 1.0 / std::sqrt(1.0 + omega * omega);
        EXPECT_NEAR(measured, stage * stage, 0.01 * stage * stage) << f;
        Render(engine, Params(kMFilter, 1000.0, 0.0), {sine, sine}, 480);
        EXPECT_NEAR(engine.ResponseMagnitude(static_cast<float>(f)), measured, 0.03 * measured)
            << f;
    }
}

// --- Model crossfade -----------------------------------------------------------------------

TEST(Crossfade, EqualPowerWeights) {
    EXPECT_EQ(EqualPowerWeights(0.0).incoming, 0.0);
    EXPECT_EQ(EqualPowerWeights(0.0).outgoing, 1.0);
    EXPECT_NEAR(EqualPowerWeights(1.0).incoming, 1.0, 1e-15);
    EXPECT_NEAR(EqualPowerWeights(1.0).outgoing, 0.0, 1e-15);
    EXPECT_NEAR(EqualPowerWeights(0.5).incoming, std::sqrt(0.5), 1e-15);
    for (double t = 0.0; t <= 1.0; t += 0.01) {
        const CrossfadeWeights w = EqualPowerWeights(t);
        EXPECT_NEAR(w.incoming * w.incoming + w.outgoing * w.outgoing, 1.0, 1e-15);
    }
}

TEST(Crossfade, LastsTenMilliseconds) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 512);
    Render(engine, Params(kWFilter), Noise(479), 479);
    EXPECT_LT(engine.CrossfadeProgress(), 1.0);
    EXPECT_GT(engine.CrossfadeProgress(), 0.99);
    Render(engine, Params(kWFilter), Noise(2), 2);
    EXPECT_EQ(engine.CrossfadeProgress(), 1.0);
}

TEST(Crossfade, BothModelsRunDuringFadeThenOldStateFreezes) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 512);
    Render(engine, Params(kMFilter), Noise(200), 200);
    const FilterModels beforeFade = engine.Models();
    Render(engine, Params(kWFilter), Noise(200), 200);
    EXPECT_FALSE(SameModelState(engine.Models(), beforeFade, kMFilter, 0));
    EXPECT_FALSE(SameModelState(engine.Models(), beforeFade, kWFilter, 1));
    Render(engine, Params(kWFilter), Noise(400), 400);
    const FilterModels afterFade = engine.Models();
    Render(engine, Params(kWFilter), Noise(400), 400);
    EXPECT_TRUE(SameModelState(engine.Models(), afterFade, kMFilter, 0));
    EXPECT_TRUE(SameModelState(engine.Models(), afterFade, kSFilter, 1));
}

TEST(Crossfade, ChangeDuringFadeWaitsForTheFirstBlockAfterIt) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 512);
    Render(engine, Params(kWFilter), Noise(240), 240);
    Render(engine, Params(kPFilter), Noise(240), 240);
    EXPECT_EQ(engine.CurrentModel(), kWFilter);
    Render(engine, Params(kPFilter), Noise(100), 100);  // the fade ends inside this block
    EXPECT_EQ(engine.CurrentModel(), kWFilter);
    EXPECT_EQ(engine.CrossfadeProgress(), 1.0);
    engine.ProcessBlock(Params(kPFilter), nullptr, nullptr, 2, 0);
    EXPECT_EQ(engine.PreviousModel(), kWFilter);
    EXPECT_EQ(engine.CurrentModel(), kPFilter);
}

TEST(Crossfade, OutputStaysContinuous) {
    // A steady tone through a model switch: no sample jumps further than the tone itself allows.
    const std::vector<double> sine = test::Sine(4800, 200.0, kFs, 0.5);
    FilterEngine engine;
    engine.Reset(kFs, 2, 480);
    const Stereo a = Render(engine, Params(kMFilter, 3000.0, 20.0), {sine, sine}, 480);
    const Stereo b = Render(engine, Params(kSFilter, 3000.0, 20.0), {sine, sine}, 480);
    const double maxStep = 2.0 * test::kPi * 200.0 / kFs * 0.5 * 1.5;
    for (int k = 1; k < 4800; ++k) {
        ASSERT_LT(std::fabs(b.left[k] - b.left[k - 1]), maxStep) << k;
    }
    EXPECT_LT(std::fabs(b.left[0] - a.left.back()), maxStep);
}

// --- Robustness ----------------------------------------------------------------------------

TEST(Robustness, NonFiniteInputSamplesCountAsSilence) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (int model = 0; model < kNumFilterModels; ++model) {
        BlockParameters p = Params(model, 3000.0, 90.0);
        p.mix = 70.0;
        p.drive = 60.0;
        Stereo clean = Noise(2000);
        Stereo dirty = clean;
        for (int k : {5, 300, 301, 1500}) {
            clean.left[k] = clean.right[k] = 0.0;
            dirty.left[k] = nan;
            dirty.right[k] = k % 2 ? inf : -inf;
        }
        const Stereo a = Render(p, clean, 256);
        const Stereo b = Render(p, dirty, 256);
        ExpectSameSignal(a.left, b.left);
        ExpectSameSignal(a.right, b.right);
        p.bypass = 1.0;
        const Stereo bypassed = Render(p, dirty, 256);
        EXPECT_EQ(bypassed.left[300], 0.0);
        EXPECT_EQ(bypassed.left[299], dirty.left[299]);
    }
}

TEST(Robustness, SamplesBeyondSinglePrecisionCountAsSilence) {
    // Finite 64-bit samples the single-precision dry delay cannot hold must not turn the mix
    // into NaN or poison the smoothed spectrum.
    for (double mix : {100.0, 50.0, 0.0}) {
        BlockParameters p = Params(kMFilter, 3000.0, 50.0);
        p.mix = mix;
        Stereo clean = Noise(4096 * 3);
        Stereo dirty = clean;
        for (int k : {10, 2000, 2001}) {
            clean.left[k] = clean.right[k] = 0.0;
            dirty.left[k] = 1e300;
            dirty.right[k] = -4e38;
        }
        FilterEngine a;
        FilterEngine b;
        a.Reset(kFs, 2, 512);
        b.Reset(kFs, 2, 512);
        const Stereo outA = Render(a, p, clean, 512);
        const Stereo outB = Render(b, p, dirty, 512);
        ExpectSameSignal(outA.left, outB.left);
        ExpectSameSignal(outA.right, outB.right);
        for (int bin = 0; bin < 2048; ++bin) {
            ASSERT_TRUE(std::isfinite(b.SmoothedSpectrum()[bin]))
                << "mix " << mix << " bin " << bin;
        }
    }
}

TEST(Robustness, NullBuffersAndChannelCountsAreSafe) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 64);
    const BlockParameters p = Params(kSFilter);
    std::vector<double> buffer(64, 0.25);
    double* outs[2] = {buffer.data(), nullptr};
    const double* ins[2] = {nullptr, buffer.data()};
    engine.ProcessBlock(p, nullptr, nullptr, 2, 64);
    engine.ProcessBlock(p, ins, outs, 0, 64);
    engine.ProcessBlock(p, ins, outs, -3, 64);
    engine.ProcessBlock(p, ins, outs, 2, -5);
    engine.ProcessBlock(p, nullptr, outs, 2, 64);
    engine.ProcessBlock(p, ins, outs, 2, 64);
    for (double v : buffer) {
        EXPECT_TRUE(std::isfinite(v));
    }
}

TEST(Robustness, MissingInputIsSilenceMissingOutputStillProcessed) {
    const Stereo in = Noise(700);
    const Stereo silentLeft{std::vector<double>(700, 0.0), in.right};
    const BlockParameters p = Params(kPFilter, 900.0, 70.0);
    const Stereo reference = Render(p, silentLeft, 700);

    FilterEngine engine;
    engine.Reset(kFs, 2, 700);
    std::vector<double> right(700);
    const double* ins[2] = {nullptr, in.right.data()};
    double* outs[2] = {nullptr, right.data()};
    engine.ProcessBlock(p, ins, outs, 2, 700);
    ExpectSameSignal(right, reference.right);
}

TEST(Robustness, NonFiniteParametersFallBackToDefaults) {
    BlockParameters p;
    p.cutoff = std::numeric_limits<double>::quiet_NaN();
    p.model = std::numeric_limits<double>::infinity();
    p.input = std::numeric_limits<double>::quiet_NaN();
    const Stereo out = Render(p, Noise(500), 100);
    for (double v : out.left) {
        ASSERT_TRUE(std::isfinite(v));
    }
    EXPECT_GT(test::Rms(out.left, 100, 500), 0.01);
}

TEST(Robustness, ZeroFrameBlockOnlyKeepsBooks) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 64);
    const Snapshot before = Capture(engine);
    BlockParameters p = Params(kSFilter, 4321.0, 12.0);
    p.poles = 1.0;
    engine.ProcessBlock(p, nullptr, nullptr, 2, 0);
    EXPECT_EQ(engine.CurrentModel(), kSFilter);
    EXPECT_EQ(engine.CrossfadeProgress(), 0.0);
    EXPECT_EQ(engine.DisplayCutoff(), 4321.0f);
    EXPECT_EQ(engine.DisplayResonance(), 12.0f);
    EXPECT_EQ(engine.DisplayModel(), kSFilter);
    EXPECT_TRUE(engine.DisplayFourPole());
    EXPECT_EQ(engine.SmoothedCutoff(), before.smoothedCutoff);
    EXPECT_TRUE(SameModels(engine.Models(), before.models));
}

TEST(Robustness, LongBlocksAreChunkedWithIdenticalOutput) {
    const Stereo in = Noise(10000, 0.7);
    BlockParameters p = Params(kPFilter, 700.0, 95.0);
    p.drive = 40.0;
    p.mix = 80.0;
    p.poles = 1.0;
    FilterEngine big, small, host;
    big.Reset(kFs, 2, 10000);
    small.Reset(kFs, 2, 64);
    host.Reset(kFs, 2, 100);
    const Stereo a = Render(big, p, in, 10000);
    const Stereo b = Render(small, p, in, 10000);
    const Stereo c = Render(host, p, in, 100);
    ExpectSameSignal(a.left, b.left);
    ExpectSameSignal(a.right, b.right);
    ExpectSameSignal(a.left, c.left);
    ExpectSameSignal(a.right, c.right);
}

TEST(Robustness, InvalidSampleRateFallsBack) {
    FilterEngine engine;
    engine.Reset(0.0, 2, 64);
    EXPECT_EQ(engine.SampleRate(), 44100.0);
    engine.Reset(std::numeric_limits<double>::quiet_NaN(), 2, 64);
    EXPECT_EQ(engine.SampleRate(), 44100.0);
    engine.Reset(96000.0, 2, 64);
    EXPECT_EQ(engine.SampleRate(), 96000.0);
}

// --- Denormals -----------------------------------------------------------------------------

bool HasSubnormal(const FilterModels& m) {
    auto sub = [](double v) { return std::fpclassify(v) == FP_SUBNORMAL; };
    for (int ch = 0; ch < 2; ++ch) {
        for (int model : {kMFilter, kPFilter}) {
            const LadderChannelState& s = m.Ladder(model, ch);
            for (double v :
                 {s.s1, s.s2, s.s3, s.s4, s.y1, s.y2, s.y3, s.y4, s.y4Prev, s.feedbackPrev}) {
                if (sub(v)) {
                    return true;
                }
            }
        }
        for (int model : {kSFilter, kWFilter}) {
            const SvfChannelState& s = m.Svf(model, ch);
            for (int i = 0; i < 2; ++i) {
                if (sub(s.lpState[i]) || sub(s.bpState[i]) || sub(s.hpGuess[i])) {
                    return true;
                }
            }
        }
    }
    return false;
}

TEST(Denormals, SilenceAfterLoudInputNeverLeavesSubnormalState) {
    for (int model = 0; model < kNumFilterModels; ++model) {
        FilterEngine engine;
        engine.Reset(kFs, 2, 480);
        BlockParameters p = Params(model, 8000.0, 0.0);
        Render(engine, p, Noise(4800, 1.0), 480);
        const Stereo silence{std::vector<double>(480, 0.0), std::vector<double>(480, 0.0)};
        bool subnormal = false;
        for (int block = 0; block < 300 && !subnormal; ++block) {
            const Stereo out = Render(engine, p, silence, 480);
            subnormal = HasSubnormal(engine.Models());
            for (double v : out.left) {
                subnormal = subnormal || std::fpclassify(v) == FP_SUBNORMAL;
            }
        }
        EXPECT_FALSE(subnormal) << model;
    }
}

#if defined(__SSE2__) || defined(_M_X64)
TEST(Denormals, CallersFloatingPointModeIsRestored) {
    const unsigned before = _mm_getcsr();
    Render(Params(kMFilter), Noise(100), 100);
    EXPECT_EQ(_mm_getcsr(), before);
}
#endif

// --- Channel layouts -----------------------------------------------------------------------

TEST(Layouts, MonoLeavesSecondChannelStateAlone) {
    FilterEngine engine;
    engine.Reset(kFs, 1, 256);
    const FilterModels before = engine.Models();
    const std::vector<double> in = test::WhiteNoise(256, 0.5, 3);
    std::vector<double> out(256);
    const double* ins[1] = {in.data()};
    double* outs[1] = {out.data()};
    engine.ProcessBlock(Params(kMFilter), ins, outs, 1, 256);
    EXPECT_FALSE(SameModelState(engine.Models(), before, kMFilter, 0));
    EXPECT_TRUE(SameModelState(engine.Models(), before, kMFilter, 1));
    EXPECT_GT(test::Rms(out, 16, 256), 0.01);
}

TEST(Layouts, MonoOutputEqualsLeftChannelOfStereo) {
    const Stereo in = Noise(3000, 0.9);
    BlockParameters p = Params(kWFilter, 1500.0, 85.0);
    p.drive = 50.0;
    p.mix = 90.0;
    const Stereo stereo = Render(p, in, 256);
    FilterEngine mono;
    mono.Reset(kFs, 1, 256);
    std::vector<double> out(3000);
    for (int offset = 0; offset < 3000; offset += 256) {
        const double* ins[1] = {in.left.data() + offset};
        double* outs[1] = {out.data() + offset};
        mono.ProcessBlock(p, ins, outs, 1, std::min(256, 3000 - offset));
    }
    ExpectSameSignal(out, stereo.left);
}

TEST(Layouts, ThirdChannelCarriesItsInputWithDelayedDryMix) {
    FilterEngine engine;
    engine.Reset(kFs, 3, 128);
    const std::vector<double> in = test::WhiteNoise(128, 0.5, 9);
    std::vector<double> o0(128), o1(128), o2(128);
    const double* ins[3] = {in.data(), in.data(), in.data()};
    double* outs[3] = {o0.data(), o1.data(), o2.data()};
    BlockParameters p = Params(kMFilter);
    p.mix = 0.0;
    engine.ProcessBlock(p, ins, outs, 3, 128);
    for (int k = 4; k < 128; ++k) {
        ASSERT_EQ(o2[k], static_cast<float>(in[k - 4]));
    }
    p.mix = 100.0;
    engine.ProcessBlock(p, ins, outs, 3, 128);
    ExpectSameSignal(o2, in);
}

TEST(Analyser, FedWhileProcessingFrozenWhileBypassed) {
    FilterEngine engine;
    engine.Reset(kFs, 2, 512);
    Render(engine, Params(kMFilter, 5000.0), Noise(2049), 512);
    EXPECT_EQ(engine.Analyser().FrameCount(), 1);
    EXPECT_GT(engine.SmoothedSpectrum()[100], 0.0f);
    const float bin = engine.SmoothedSpectrum()[100];
    BlockParameters p = Params(kMFilter, 5000.0);
    p.bypass = 1.0;
    Render(engine, p, Noise(5000), 512);
    EXPECT_EQ(engine.SmoothedSpectrum()[100], bin);
    EXPECT_EQ(engine.Analyser().FrameCount(), 1);
}

}  // namespace
}  // namespace quendaris
