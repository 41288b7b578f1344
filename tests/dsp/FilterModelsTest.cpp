#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "FilterModels.h"
#include "TanhTable.h"
#include "TestSignals.h"

namespace quendaris {
namespace {

using test::kPi;
constexpr double kRate = 192000.0;  // the models run at four times 48 kHz

double Coefficient(double cutoff) {
    return std::tan(kPi * cutoff / kRate);
}

// Bilinear-transformed frequency of f relative to the cutoff: the analog prototype's s = jΩ.
double Omega(double f, double cutoff) {
    return std::tan(kPi * f / kRate) / Coefficient(cutoff);
}

// The state-variable models integrate with g / (1 + g), which puts their corner a little lower.
double SvfCoefficient(double cutoff) {
    const double g = Coefficient(cutoff);
    return g / (1.0 + g);
}
double SvfOmega(double f, double cutoff) {
    return std::tan(kPi * f / kRate) / SvfCoefficient(cutoff);
}
double SvfCorner(double cutoff) {
    return std::atan(SvfCoefficient(cutoff)) * kRate / kPi;
}

// Steady-state amplitude of a model's response to a small sine.
double MeasureGain(int model, double f, double cutoff, double r, int poles, double amplitude = 1e-3,
                   int frames = 60000) {
    FilterModels models;
    FilterContext c;
    c.g = Coefficient(cutoff);
    c.r = r;
    c.poles = poles;
    c.fourPole = poles == 4;
    std::vector<double> out(frames);
    const std::vector<double> in = test::Sine(frames, f, kRate, amplitude);
    for (int i = 0; i < frames; ++i) {
        out[i] = models.ProcessFilterSample(model, in[i], c);
    }
    // Whole cycles of f over the last 19200 samples.
    return test::ToneAmplitude(out, frames - 19200, frames, f, kRate) / amplitude;
}

double OnePole(double omega) {
    return 1.0 / std::sqrt(1.0 + omega * omega);
}

std::complex<double> SvfLowPass(double omega, double damping) {
    const std::complex<double> s(0.0, omega);
    return 1.0 / (s * s + damping * s + 1.0);
}

class LadderAtZeroResonance : public ::testing::TestWithParam<int> {};

TEST_P(LadderAtZeroResonance, IsCascadeOfOnePoles) {
    const double cutoff = 1000.0;
    for (double f : {250.0, 1000.0, 4000.0}) {
        const double stage = OnePole(Omega(f, cutoff));
        EXPECT_NEAR(MeasureGain(GetParam(), f, cutoff, 0.0, 2), stage * stage, 0.01 * stage * stage)
            << f;
        // The 4-pole output is the loop estimate, good to 1e-6 absolute: keep the signal well
        // above that.
        EXPECT_NEAR(MeasureGain(GetParam(), f, cutoff, 0.0, 4, 0.05), std::pow(stage, 4),
                    0.02 * std::pow(stage, 4))
            << f;
    }
}

INSTANTIATE_TEST_SUITE_P(MAndP, LadderAtZeroResonance, ::testing::Values(kMFilter, kPFilter));

TEST(SFilter, ZeroResonanceIsQ07LowPassPlusBandPassShare) {
    const double cutoff = 1000.0;
    for (double f : {250.0, 1000.0, 4000.0}) {
        const double w = SvfOmega(f, cutoff);
        const std::complex<double> lp = SvfLowPass(w, 1.0 / 0.7);
        const std::complex<double> out = lp * (1.0 + 0.15 * std::complex<double>(0.0, w));
        EXPECT_NEAR(MeasureGain(kSFilter, f, cutoff, 0.0, 2), std::abs(out), 0.01 * std::abs(out));
        EXPECT_NEAR(MeasureGain(kSFilter, f, cutoff, 0.0, 4), std::abs(lp * out),
                    0.01 * std::abs(lp * out));
    }
}

TEST(SFilter, FullResonancePeaksAtQ) {
    // At the corner lp = -jQ and bp = Q, so the output is Q·|0.15 - j|.
    const double bandPassShare = std::sqrt(1.0 + 0.15 * 0.15);
    const double corner = SvfCorner(1000.0);
    const double twoPole = MeasureGain(kSFilter, corner, 1000.0, 1.0, 2, 1e-4, 150000);
    EXPECT_NEAR(twoPole, 49.7 * bandPassShare, 0.02 * 49.7);
    const double fourPole = MeasureGain(kSFilter, corner, 1000.0, 1.0, 4, 1e-5, 150000);
    EXPECT_NEAR(fourPole, 15.7 * 15.7 * bandPassShare, 0.02 * 15.7 * 15.7);
}

TEST(WFilter, ZeroResonanceIsCriticallyDamped) {
    const double cutoff = 1000.0;
    for (double f : {250.0, 1000.0, 4000.0}) {
        const double lp = std::abs(SvfLowPass(SvfOmega(f, cutoff), 2.0));
        // Loud enough that the solver's absolute tolerance stays far below the 4-pole output.
        EXPECT_NEAR(MeasureGain(kWFilter, f, cutoff, 0.0, 2, 0.02), lp, 0.01 * lp) << f;
        EXPECT_NEAR(MeasureGain(kWFilter, f, cutoff, 0.0, 4, 0.02), 0.7 * lp * lp, 0.01 * lp * lp)
            << f;
    }
}

TEST(WFilter, DampingNeverFallsBelowTwoPercent) {
    // Damping 0.02 means a gain of 50 at the corner.
    EXPECT_NEAR(MeasureGain(kWFilter, SvfCorner(1000.0), 1000.0, 1.0, 2, 1e-4, 150000), 50.0, 1.0);
    FilterModels a, b;
    FilterContext c;
    c.g = Coefficient(2000.0);
    c.r = 0.99;
    FilterContext raised = c;
    raised.r = 1.2;
    const std::vector<double> in = test::Saw(2000, 300.0, kRate, 0.5);
    for (double x : in) {
        ASSERT_EQ(a.ProcessFilterSample(kWFilter, x, c),
                  b.ProcessFilterSample(kWFilter, x, raised));
    }
}

TEST(FilterModels, TinyCoefficientPassesInputAndFreezesState) {
    for (int model = 0; model < kNumFilterModels; ++model) {
        FilterModels models;
        FilterContext c;
        c.g = 1e-11;
        c.r = 0.5;
        for (int poles : {2, 4}) {
            c.poles = poles;
            c.fourPole = poles == 4;
            EXPECT_EQ(models.ProcessFilterSample(model, 0.37, c), 0.37) << model;
        }
        EXPECT_EQ(models.Ladder(kMFilter, 0).rng, 1337u);
        EXPECT_EQ(models.Svf(kSFilter, 0).rng, 7777u);
        EXPECT_EQ(models.Ladder(kPFilter, 0).rng, 2468u);
        EXPECT_EQ(models.Svf(kWFilter, 0).rng, 9999u);
        EXPECT_EQ(models.Ladder(model == kPFilter ? kPFilter : kMFilter, 0).s1, 0.0);
    }
}

TEST(FilterModels, UnknownModelPassesInput) {
    FilterModels models;
    FilterContext c;
    c.g = 0.1;
    EXPECT_EQ(models.ProcessFilterSample(7, 0.25, c), 0.25);
    EXPECT_EQ(models.ProcessFilterSample(-1, -0.5, c), -0.5);
}

TEST(LadderModels, TwoPoleTapsSecondStageFourPoleTheLoopOutput) {
    for (int model : {kMFilter, kPFilter}) {
        FilterModels models;
        FilterContext c;
        c.g = 0.05;
        c.r = 0.6;
        for (int i = 0; i < 100; ++i) {
            c.poles = i % 2 == 0 ? 2 : 4;
            const double y = models.ProcessFilterSample(model, 0.8 * std::sin(0.1 * i), c);
            const LadderChannelState& st = models.Ladder(model, 0);
            EXPECT_EQ(y, c.poles == 2 ? st.y2 : st.y4);
        }
    }
}

TEST(LadderModels, SeedsPerModelAndDriftAdvancesFourTimesPerSample) {
    FilterModels models;
    FilterContext c;
    c.g = 0.05;
    models.ProcessFilterSample(kMFilter, 0.1, c);
    uint32_t rng = 1337;
    for (int draw = 0; draw < 4; ++draw) {
        rng = static_cast<uint32_t>((1664525ull * rng + 1013904223ull) & 0xffffffffull);
    }
    EXPECT_EQ(models.Ladder(kMFilter, 0).rng, rng);
    EXPECT_EQ(models.Ladder(kMFilter, 1).rng, 1337u);  // the other channel is untouched
    EXPECT_EQ(models.Ladder(kPFilter, 0).rng, 2468u);
}

TEST(DriftWalk, SmallBoundedSteps) {
    uint32_t rng = 9999;
    double drift = 0.0;
    DriftWalk(rng, drift);
    const uint32_t expected =
        static_cast<uint32_t>((1664525ull * 9999 + 1013904223ull) % (1ull << 32));
    EXPECT_EQ(rng, expected);
    EXPECT_DOUBLE_EQ(drift, (2.0 * (expected / 4294967296.0) - 1.0) * 1e-6);
    for (int i = 0; i < 1000000; ++i) {
        DriftWalk(rng, drift);
        ASSERT_LT(std::fabs(drift), 0.01);
    }
}

TEST(ModelDrive, IdentityAtZeroDrive) {
    for (int model = 0; model < kNumFilterModels; ++model) {
        for (double x : {-3.0, -0.5, 0.0, 1e-9, 0.25, 2.0}) {
            EXPECT_EQ(ApplyModelDrive(model, x, 0.0), x) << model;
        }
    }
    EXPECT_EQ(ApplyModelDrive(9, 0.3, 1.0), 0.3);
}

TEST(ModelDrive, CurvesAtFullDrive) {
    EXPECT_NEAR(ApplyModelDrive(kMFilter, 0.1, 1.0), std::tanh(0.9), 1e-9);
    EXPECT_DOUBLE_EQ(ApplyModelDrive(kSFilter, -2.0, 1.0), -2.0 / 4.0);
    EXPECT_NEAR(ApplyModelDrive(kPFilter, 0.1, 1.0), std::tanh(0.6) + 0.01, 1e-9);
    EXPECT_EQ(ApplyModelDrive(kWFilter, 0.5, 1.0), 0.6);
    EXPECT_EQ(ApplyModelDrive(kWFilter, -5.0, 1.0), -0.6);
    EXPECT_DOUBLE_EQ(ApplyModelDrive(kWFilter, 0.05, 1.0), 0.45);
}

TEST(NonFiniteGuard, ClearsOnlyTheFailingModelAndChannel) {
    for (int model = 0; model < kNumFilterModels; ++model) {
        FilterModels models;
        FilterContext c;
        c.g = 0.05;
        c.r = 0.5;
        c.poles = 4;
        c.fourPole = true;
        for (int ch = 0; ch < 2; ++ch) {
            c.channel = ch;
            for (int m = 0; m < kNumFilterModels; ++m) {
                models.ProcessFilterSample(m, 0.3, c);
            }
        }
        const FilterModels before = models;
        const bool ladder = model == kMFilter || model == kPFilter;
        if (ladder) {
            models.Ladder(model, 0).s4 = std::numeric_limits<double>::infinity();
        } else {
            models.Svf(model, 0).lpState[0] = std::numeric_limits<double>::infinity();
        }
        c.channel = 0;
        EXPECT_EQ(models.ProcessFilterSample(model, 0.3, c), 0.0) << model;
        if (ladder) {
            const LadderChannelState& st = models.Ladder(model, 0);
            EXPECT_EQ(st.s4, 0.0);
            EXPECT_EQ(st.y4, 0.0);
            EXPECT_EQ(st.drift1, 0.0);
            EXPECT_NE(st.rng, 0u);
        } else {
            const SvfChannelState& st = models.Svf(model, 0);
            EXPECT_EQ(st.lpState[0], 0.0);
            EXPECT_EQ(st.hpGuess[0], 0.0);
            EXPECT_NE(st.rng, 0u);
        }
        // The other channel and the other models keep their state.
        for (int m = 0; m < kNumFilterModels; ++m) {
            const bool l = m == kMFilter || m == kPFilter;
            for (int ch = 0; ch < 2; ++ch) {
                if (m == model && ch == 0) {
                    continue;
                }
                if (l) {
                    EXPECT_EQ(models.Ladder(m, ch).y4, before.Ladder(m, ch).y4);
                } else {
                    EXPECT_EQ(models.Svf(m, ch).lpState[0], before.Svf(m, ch).lpState[0]);
                }
            }
        }
        // The next sample starts from the cleared state and is finite again.
        EXPECT_TRUE(std::isfinite(models.ProcessFilterSample(model, 0.3, c)));
    }
}

// Both channels in lock-step must reproduce each channel processed on its own, bit for bit.
TEST(PairedChannels, MatchSingleChannelSteps) {
    const std::vector<double> left = test::WhiteNoise(3000, 1.5, 4);
    const std::vector<double> right = test::Saw(3000, 440.0, kRate, 0.9);
    for (int model = 0; model < kNumFilterModels; ++model) {
        for (int poles : {2, 4}) {
            FilterModels paired, single;
            for (int i = 0; i < 3000; ++i) {
                const double g0 = 0.03 + 0.02 * std::sin(0.001 * i);
                const double r0 = 0.9 + 0.3 * std::cos(0.002 * i);
                const DoublePair y =
                    paired.ProcessFilterPair(model, {left[i], right[i]}, {g0, 1.001 * g0},
                                             {r0, 0.5 * r0}, poles, poles == 4);
                const double y0 =
                    single.ProcessFilterSample(model, left[i], {0, g0, r0, poles, poles == 4});
                const double y1 = single.ProcessFilterSample(
                    model, right[i], {1, 1.001 * g0, 0.5 * r0, poles, poles == 4});
                ASSERT_EQ(y.Lane0(), y0) << model << " " << poles << " " << i;
                ASSERT_EQ(y.Lane1(), y1) << model << " " << poles << " " << i;
            }
        }
    }
}

TEST(PairedChannels, TinyCoefficientOnOneChannelOnly) {
    FilterModels paired, single;
    const DoublePair y =
        paired.ProcessFilterPair(kMFilter, {0.3, 0.3}, {1e-11, 0.05}, {0.5, 0.5}, 4, true);
    EXPECT_EQ(y.Lane0(), 0.3);
    EXPECT_EQ(y.Lane1(), single.ProcessFilterSample(kMFilter, 0.3, {1, 0.05, 0.5, 4, true}));
    EXPECT_EQ(paired.Ladder(kMFilter, 0).rng, 1337u);
}

TEST(PairedChannels, NonFiniteResultClearsOnlyItsChannel) {
    FilterModels paired, single;
    paired.Svf(kSFilter, 0).lpState[0] = std::numeric_limits<double>::infinity();
    const DoublePair y =
        paired.ProcessFilterPair(kSFilter, {0.2, 0.2}, {0.05, 0.05}, {0.4, 0.4}, 2, false);
    EXPECT_EQ(y.Lane0(), 0.0);
    EXPECT_EQ(paired.Svf(kSFilter, 0).lpState[0], 0.0);
    EXPECT_EQ(y.Lane1(), single.ProcessFilterSample(kSFilter, 0.2, {1, 0.05, 0.4, 2, false}));
}

// Bitwise equality, so that NaN compares equal to the same NaN.
bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameStates(const FilterModels& a, const FilterModels& b) {
    for (int ch = 0; ch < FilterModels::kChannels; ++ch) {
        for (int m : {kMFilter, kPFilter}) {
            const LadderChannelState& x = a.Ladder(m, ch);
            const LadderChannelState& y = b.Ladder(m, ch);
            for (double LadderChannelState::*f :
                 {&LadderChannelState::s1, &LadderChannelState::s2, &LadderChannelState::s3,
                  &LadderChannelState::s4, &LadderChannelState::y1, &LadderChannelState::y2,
                  &LadderChannelState::y3, &LadderChannelState::y4, &LadderChannelState::y4Prev,
                  &LadderChannelState::drift1, &LadderChannelState::drift2,
                  &LadderChannelState::drift3, &LadderChannelState::drift4,
                  &LadderChannelState::feedbackPrev}) {
                if (!SameBits(x.*f, y.*f)) {
                    return false;
                }
            }
            if (x.rng != y.rng) {
                return false;
            }
        }
        for (int m : {kSFilter, kWFilter}) {
            const SvfChannelState& x = a.Svf(m, ch);
            const SvfChannelState& y = b.Svf(m, ch);
            for (int i = 0; i < 2; ++i) {
                if (!SameBits(x.lpState[i], y.lpState[i]) ||
                    !SameBits(x.bpState[i], y.bpState[i]) ||
                    !SameBits(x.hpGuess[i], y.hpGuess[i])) {
                    return false;
                }
            }
            if (!SameBits(x.drift1, y.drift1) || !SameBits(x.drift2, y.drift2) || x.rng != y.rng) {
                return false;
            }
        }
    }
    return true;
}

// Per-sample inputs with everything the block loops treat specially: loud stretches beyond the
// rational range, resonance past 1, coefficients that dip below the pass-through limit on one
// channel or both, and the odd NaN sample.
struct BlockInputs {
    std::vector<DoublePair> x, g, r;
};

BlockInputs MakeBlockInputs(int n) {
    const std::vector<double> noise = test::WhiteNoise(n, 2.5, 11);
    const std::vector<double> saw = test::Saw(n, 300.0, kRate, 0.8);
    BlockInputs in;
    for (int i = 0; i < n; ++i) {
        const double loud = (i / 200) % 3 == 1 ? 4.0 : 1.0;
        double x0 = loud * noise[i];
        if (i == 777) {
            x0 = std::numeric_limits<double>::quiet_NaN();
        }
        in.x.push_back({x0, loud * saw[i]});
        const double g = 0.02 + 0.3 * (1.0 + std::sin(0.003 * i));
        const bool tiny0 = i % 97 < 3;
        const bool tiny1 = i % 131 < 2;
        in.g.push_back({tiny0 ? 1e-11 : g, tiny1 ? 1e-12 : 1.001 * g});
        in.r.push_back({0.6 + 0.6 * std::cos(0.002 * i), 1.2 * (i % 500) / 500.0});
    }
    return in;
}

// Whole runs of samples in one call must give exactly what one call per sample gives, outputs
// and states alike, whatever the block boundaries.
TEST(BlockProcessing, MatchesOneStepPerSample) {
    const int n = 2400;
    const BlockInputs in = MakeBlockInputs(n);
    const int blockSizes[] = {1, 2, 3, 64, 511, 7, 1000};
    for (int model = 0; model < kNumFilterModels; ++model) {
        for (int poles : {2, 4}) {
            const bool fourPole = poles == 4;
            FilterModels blocks, steps, singleBlocks, singleSteps;
            std::vector<DoublePair> y(n);
            std::vector<double> ySingle(n);
            for (int start = 0, b = 0; start < n; ++b) {
                const int len = std::min(blockSizes[b % 7], n - start);
                blocks.ProcessBlock(model, &in.x[start], &in.g[start], &in.r[start], &y[start], len,
                                    poles, fourPole);
                std::vector<double> x0, g0, r0;
                for (int i = start; i < start + len; ++i) {
                    x0.push_back(in.x[i].Lane0());
                    g0.push_back(in.g[i].Lane0());
                    r0.push_back(in.r[i].Lane0());
                }
                singleBlocks.ProcessBlock(model, x0.data(), g0.data(), r0.data(), &ySingle[start],
                                          len, poles, fourPole);
                start += len;
            }
            for (int i = 0; i < n; ++i) {
                const DoublePair expected =
                    steps.ProcessFilterPair(model, in.x[i], in.g[i], in.r[i], poles, fourPole);
                ASSERT_TRUE(SameBits(y[i].Lane0(), expected.Lane0())) << model << poles << " " << i;
                ASSERT_TRUE(SameBits(y[i].Lane1(), expected.Lane1())) << model << poles << " " << i;
                const double expectedSingle = singleSteps.ProcessFilterSample(
                    model, in.x[i].Lane0(), {0, in.g[i].Lane0(), in.r[i].Lane0(), poles, fourPole});
                ASSERT_TRUE(SameBits(ySingle[i], expectedSingle)) << model << poles << " " << i;
            }
            EXPECT_TRUE(SameStates(blocks, steps)) << model << poles;
            EXPECT_TRUE(SameStates(singleBlocks, singleSteps)) << model << poles;
        }
    }
}

// A state that has gone infinite is cleared at the first sample of a run, and the rest of the run
// continues from the cleared state exactly as single steps would.
TEST(BlockProcessing, NonFiniteStateClearedInsideARun) {
    const int n = 300;
    const BlockInputs in = MakeBlockInputs(n);
    for (int model = 0; model < kNumFilterModels; ++model) {
        for (int poles : {2, 4}) {
            FilterModels blocks, steps;
            for (FilterModels* m : {&blocks, &steps}) {
                if (model == kMFilter || model == kPFilter) {
                    m->Ladder(model, 1).s2 = std::numeric_limits<double>::infinity();
                } else {
                    m->Svf(model, 1).lpState[1] = std::numeric_limits<double>::infinity();
                }
            }
            std::vector<DoublePair> y(n);
            blocks.ProcessBlock(model, &in.x[50], &in.g[50], &in.r[50], y.data(), 200, poles,
                                poles == 4);
            for (int i = 0; i < 200; ++i) {
                const DoublePair expected = steps.ProcessFilterPair(
                    model, in.x[50 + i], in.g[50 + i], in.r[50 + i], poles, poles == 4);
                ASSERT_TRUE(SameBits(y[i].Lane0(), expected.Lane0())) << model << poles << " " << i;
                ASSERT_TRUE(SameBits(y[i].Lane1(), expected.Lane1())) << model << poles << " " << i;
            }
            EXPECT_TRUE(std::isfinite(y[199].Lane1()));
            EXPECT_TRUE(SameStates(blocks, steps)) << model << poles;
        }
    }
}

TEST(FilterModels, ResetChannelKeepsDriftGenerator) {
    FilterModels models;
    FilterContext c;
    c.g = 0.05;
    for (int m = 0; m < kNumFilterModels; ++m) {
        models.ProcessFilterSample(m, 0.4, c);
    }
    const uint32_t rng = models.Ladder(kMFilter, 0).rng;
    models.ResetChannel(0);
    EXPECT_EQ(models.Ladder(kMFilter, 0).rng, rng);
    EXPECT_EQ(models.Ladder(kMFilter, 0).s1, 0.0);
    EXPECT_EQ(models.Svf(kWFilter, 0).bpState[0], 0.0);
}

}  // namespace
}  // namespace quendaris
