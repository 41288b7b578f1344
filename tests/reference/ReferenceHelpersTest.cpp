#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "FilterModels.h"
#include "Oversampler.h"
#include "OutputAnalyser.h"
#include "TanhTable.h"
#include "LiteralEngine.h"

namespace quendaris {
namespace {

using reference::LiteralEngine;

// Arguments that cover the table's inner points, its last interval, the rational form's edge
// and the saturated range, both signs.
std::vector<double> Arguments() {
    std::vector<double> xs = {0.0,     -0.0,    1e-300,   1e-12,     1.4999,  1.5,
                              1.50001, 15.9999, 16.0,     16.000001, 20.0,    1e6,
                              1e300,   4e-6,    1.0 / 3., 15.0,      14.9999, 15.00001};
    uint32_t seed = 17;
    for (int i = 0; i < 20000; ++i) {
        seed = 1664525u * seed + 1013904223u;
        xs.push_back(18.0 * (seed / 4294967296.0));
    }
    for (double v = 1e-9; v < 17.0; v *= 1.013) {
        xs.push_back(v);
    }
    const size_t positive = xs.size();
    for (size_t i = 0; i < positive; ++i) {
        xs.push_back(-xs[i]);
    }
    return xs;
}

TEST(Helpers, TableLookupsAgreeBitForBit) {
    for (double x : Arguments()) {
        ASSERT_EQ(TableTanh(x), LiteralEngine::TableTanh(x)) << "tanh at " << x;
        ASSERT_EQ(TableLogCosh(x), LiteralEngine::TableLogCosh(x)) << "log cosh at " << x;
        ASSERT_EQ(PadeTanh(x), LiteralEngine::PadeTanh(x)) << "rational tanh at " << x;
    }
}

TEST(Helpers, AntiderivativeTanhAgreesBitForBit) {
    const std::vector<double> xs = Arguments();
    for (size_t i = 0; i + 1 < xs.size(); i += 3) {
        for (double vPrev : {xs[i + 1], xs[i] + 5e-6, xs[i] - 2e-5, xs[i]}) {
            double e = 0.0;
            double de = 0.0;
            LiteralEngine::AdaaTanh(xs[i], vPrev, e, de);
            const AdaaResult<double> r = AdaaTanh(xs[i], vPrev);
            ASSERT_EQ(r.value, e) << xs[i] << " after " << vPrev;
            ASSERT_EQ(r.slope, de) << xs[i] << " after " << vPrev;
        }
    }
}

TEST(Helpers, DriveCurvesAgreeBitForBit) {
    const std::vector<double> xs = Arguments();
    for (int model = -1; model <= 4; ++model) {
        for (float percent : {0.0f, 0.1f, 30.0f, 55.5f, 99.9f, 100.0f}) {
            const double d = percent * 0.01f;
            for (size_t i = 0; i < xs.size(); i += 7) {
                ASSERT_EQ(ApplyModelDrive(model, xs[i], d),
                          LiteralEngine::ApplyModelDrive(model, xs[i], d))
                    << "model " << model << " drive " << d << " x " << xs[i];
            }
        }
    }
}

TEST(Helpers, DriftWalkAgreesBitForBit) {
    for (uint32_t seed : {1337u, 7777u, 2468u, 9999u, 0u, 0xffffffffu}) {
        uint32_t rngEngine = seed;
        uint32_t rngLiteral = seed;
        double driftEngine = 0.0;
        double driftLiteral = 0.0;
        for (int i = 0; i < 100000; ++i) {
            DriftWalk(rngEngine, driftEngine);
            LiteralEngine::DriftWalk(rngLiteral, driftLiteral);
            ASSERT_EQ(rngEngine, rngLiteral);
            ASSERT_EQ(driftEngine, driftLiteral) << "seed " << seed << " draw " << i;
        }
    }
}

TEST(Helpers, OversamplerKernelAgreesBitForBit) {
    const Oversampler oversampler;
    const LiteralEngine literal;
    for (int i = 0; i < Oversampler::kTaps; ++i) {
        EXPECT_EQ(oversampler.Kernel()[i], literal.Kernel()[i]) << "tap " << i;
    }
}

// ---- single filter steps with arbitrary contexts ----

struct StepInputs {
    double x;
    double g;
    double r;
};

std::vector<StepInputs> StepSequence(int n, uint32_t seed) {
    std::vector<StepInputs> out;
    auto next = [&seed]() {
        seed = 1664525u * seed + 1013904223u;
        return seed / 4294967296.0;
    };
    for (int i = 0; i < n; ++i) {
        const double x = 3.0 * (2.0 * next() - 1.0);
        // Mostly audio-rate coefficients, now and then the bypass range and the clamp limit.
        const double pick = next();
        const double g = pick < 0.02 ? 1e-11 : (pick < 0.04 ? 10.0 : 0.002 + 1.5 * next());
        const double r = 1.2 * next();
        out.push_back({x, g, r});
    }
    return out;
}

// The Newton slope multiplies twelve factors; grouping them differently is an equally valid
// reading and moves the last bit now and then, so steps and states are compared to a bound.
constexpr double kStepTolerance = 1e-12;

TEST(FilterSteps, EveryModelAgreesWithStates) {
    for (int model = -1; model <= 4; ++model) {
        for (int poles : {2, 4}) {
            FilterModels engine;
            LiteralEngine literal;
            int step = 0;
            for (const StepInputs& in : StepSequence(20000, 7 + model * 3 + poles)) {
                for (int channel = 0; channel < 2; ++channel) {
                    FilterContext c;
                    c.channel = channel;
                    c.g = in.g * (channel == 0 ? 0.999 : 1.001);
                    c.r = in.r;
                    c.poles = poles;
                    c.fourPole = poles == 4;
                    LiteralEngine::Context lc{c.channel, c.g, c.r, c.poles, c.fourPole};
                    const double x = channel == 0 ? in.x : -0.5 * in.x;
                    ASSERT_NEAR(engine.ProcessFilterSample(model, x, c),
                                literal.ProcessFilterSample(model, x, lc), kStepTolerance)
                        << "model " << model << " poles " << poles << " step " << step;
                }
                ++step;
            }
            if (model == kMFilter || model == kPFilter) {
                for (int channel = 0; channel < 2; ++channel) {
                    const LadderChannelState& e = engine.Ladder(model, channel);
                    const LiteralEngine::Ladder& l = literal.LadderState(model, channel);
                    EXPECT_NEAR(e.s1, l.s1, kStepTolerance);
                    EXPECT_NEAR(e.s4, l.s4, kStepTolerance);
                    EXPECT_NEAR(e.y1, l.y1, kStepTolerance);
                    EXPECT_NEAR(e.y2, l.y2, kStepTolerance);
                    EXPECT_NEAR(e.y3, l.y3, kStepTolerance);
                    EXPECT_NEAR(e.y4, l.y4, kStepTolerance);
                    EXPECT_NEAR(e.y4Prev, l.y4Prev, kStepTolerance);
                    EXPECT_NEAR(e.drift4, l.drift4, kStepTolerance);
                    EXPECT_NEAR(e.feedbackPrev, l.feedbackPrev, kStepTolerance);
                    EXPECT_EQ(e.rng, l.rng);
                }
            }
            if (model == kSFilter || model == kWFilter) {
                for (int channel = 0; channel < 2; ++channel) {
                    const SvfChannelState& e = engine.Svf(model, channel);
                    const LiteralEngine::Svf& l = literal.SvfState(model, channel);
                    for (int i = 0; i < 2; ++i) {
                        EXPECT_NEAR(e.lpState[i], l.lpState[i], kStepTolerance);
                        EXPECT_NEAR(e.bpState[i], l.bpState[i], kStepTolerance);
                        EXPECT_NEAR(e.hpGuess[i], l.hpGuess[i], kStepTolerance);
                    }
                    EXPECT_NEAR(e.drift2, l.drift2, kStepTolerance);
                    EXPECT_EQ(e.rng, l.rng);
                }
            }
        }
    }
}

// A state pushed to infinity yields 0 and a cleared state in both, on that channel only.
TEST(FilterSteps, NonFiniteGuardAgrees) {
    const double inf = std::numeric_limits<double>::infinity();
    for (int model = 0; model < 4; ++model) {
        FilterModels engine;
        LiteralEngine literal;
        FilterContext c;
        c.g = 0.3;
        c.r = 0.5;
        c.channel = 1;
        LiteralEngine::Context lc{1, 0.3, 0.5, 2, false};
        for (int i = 0; i < 10; ++i) {
            engine.ProcessFilterSample(model, 0.4, c);
            literal.ProcessFilterSample(model, 0.4, lc);
        }
        if (model == kMFilter || model == kPFilter) {
            engine.Ladder(model, 1).s2 = inf;
            literal.LadderState(model, 1).s2 = inf;
        } else {
            engine.Svf(model, 1).lpState[0] = -inf;
            literal.SvfState(model, 1).lpState[0] = -inf;
        }
        const double e = engine.ProcessFilterSample(model, 0.4, c);
        const double l = literal.ProcessFilterSample(model, 0.4, lc);
        EXPECT_EQ(l, 0.0) << "model " << model;
        EXPECT_EQ(e, l) << "model " << model;
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(engine.ProcessFilterSample(model, 0.4, c),
                      literal.ProcessFilterSample(model, 0.4, lc))
                << "model " << model << " step " << i << " after the guard";
        }
    }
}

// ---- analyser on its own ----

TEST(Analyser, SpectrumAgreesBitForBit) {
    OutputAnalyser engine;
    engine.Reset();
    LiteralEngine literal;
    literal.Reset(48000.0, 1);
    uint32_t seed = 3;
    for (int i = 0; i < 2048 * 7 + 5; ++i) {
        seed = 1664525u * seed + 1013904223u;
        const float v =
            static_cast<float>(0.8 * std::sin(2.0 * 3.141592653589793 * 64.0 * i / 2048.0) +
                               0.1 * (seed / 4294967296.0));
        engine.FeedAnalyzerSample(v);
        literal.FeedAnalyzerSample(v);
    }
    for (int k = 0; k < LiteralEngine::kFftSize; ++k) {
        ASSERT_EQ(engine.SmoothedSpectrum()[k], literal.SmoothedSpectrum()[k]) << "bin " << k;
    }
}

// ---- numbers the design states outright, held by the plain rendering itself ----

TEST(Anchors, TableEdgesHaveTheStatedValues) {
    EXPECT_EQ(LiteralEngine::TableTanh(16.0), 1.0);
    EXPECT_EQ(LiteralEngine::TableTanh(-20.0), -1.0);
    EXPECT_EQ(LiteralEngine::TableTanh(0.0), 0.0);
    EXPECT_EQ(LiteralEngine::TableLogCosh(20.0), 20.0 - 0.6931471805599453);
    EXPECT_EQ(LiteralEngine::TableLogCosh(-3.7), LiteralEngine::TableLogCosh(3.7));
    EXPECT_NEAR(LiteralEngine::TableTanh(0.8), std::tanh(0.8), 1e-12);
    const double x = 1.4999;
    EXPECT_NEAR(LiteralEngine::PadeTanh(x), x * (x * x + 27.0) / (9.0 * x * x + 27.0), 1e-15);
    EXPECT_EQ(LiteralEngine::PadeTanh(1.5), LiteralEngine::TableTanh(1.5));
}

TEST(Anchors, BinCentreSineSettlesAtHalfTheWindowSum) {
    LiteralEngine literal;
    literal.Reset(48000.0, 1);
    const double amplitude = 0.3;
    for (int i = 0; i < 2048 * 80 + 1; ++i) {
        literal.FeedAnalyzerSample(
            static_cast<float>(amplitude * std::sin(2.0 * 3.141592653589793 * 100.0 * i / 2048.0)));
    }
    EXPECT_NEAR(literal.SmoothedSpectrum()[100], 511.75 * amplitude, 1e-3 * 511.75 * amplitude);
}

TEST(Anchors, ResponseCornersAtZeroResonance) {
    LiteralEngine literal;
    literal.Reset(48000.0, 1);
    const double silence[1] = {0.0};
    const double* in[1] = {silence};
    double out[1];
    double* outs[1] = {out};
    BlockParameters p;
    p.cutoff = 1000.0;
    p.resonance = 0.0;
    p.model = 0;
    literal.ProcessBlock(p, in, outs, 1, 1);
    EXPECT_NEAR(literal.ResponseMagnitude(1000.0f), 0.5, 1e-6);  // two one-poles at Ω = 1
    EXPECT_EQ(literal.ResponseMagnitude(5.0f), literal.ResponseMagnitude(20.0f));
    p.model = 3;
    literal.ProcessBlock(p, in, outs, 1, 1);
    // Critically damped: |H| = 1.15 / (1 + Ω'²) with Ω' = 1 / 1.06 at the cutoff.
    EXPECT_NEAR(literal.ResponseMagnitude(1000.0f), 1.15 / (1.0 + 1.0 / (1.06 * 1.06)), 1e-6);
}

// With the filter passed through (coefficient far below its floor) only the two FIR stages
// remain: an impulse comes out centred 8 host samples later, the dry share 4 samples later.
TEST(Anchors, ImpulseDelaysOfWetAndDryPaths) {
    for (double mix : {100.0, 0.0}) {
        LiteralEngine literal;
        literal.Reset(48000.0, 1);
        std::vector<double> in(256, 0.0);
        std::vector<double> out(256, 0.0);
        const double* ins[1] = {in.data()};
        double* outs[1] = {out.data()};
        BlockParameters p;
        p.cutoff = 0.0;
        p.mix = mix;
        // Let the smoothed cutoff glide from 1000 Hz down to where the coefficient floor holds.
        literal.ProcessBlock(p, ins, outs, 1, 256);
        in.assign(64, 0.0);
        out.assign(64, 0.0);
        in[10] = 1.0;
        ins[0] = in.data();
        outs[0] = out.data();
        literal.ProcessBlock(p, ins, outs, 1, 64);
        const int peak = static_cast<int>(std::max_element(out.begin(), out.end()) - out.begin());
        EXPECT_EQ(peak, mix > 50.0 ? 18 : 14) << "mix " << mix;
        if (mix > 50.0) {
            for (int k = 1; k <= 7; ++k) {
                EXPECT_NEAR(out[18 - k], out[18 + k], 1e-15) << "symmetric around the centre";
            }
        } else {
            EXPECT_EQ(out[14], 1.0);
        }
    }
}

TEST(Anchors, FadeLastsTenMilliseconds) {
    LiteralEngine literal;
    literal.Reset(48000.0, 1);
    const double silence[1] = {0.0};
    const double* in[1] = {silence};
    double out[1];
    double* outs[1] = {out};
    BlockParameters p;
    p.model = 2;
    int frames = 0;
    do {
        literal.ProcessBlock(p, in, outs, 1, 1);
        ++frames;
    } while (literal.CrossfadeProgress() < 1.0);
    EXPECT_NEAR(frames, 480, 1);
}

}  // namespace
}  // namespace quendaris
