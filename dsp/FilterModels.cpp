#include "FilterModels.h"

#include <algorithm>
#include <cmath>

#include "TanhTable.h"

namespace quendaris {
namespace {

// Below this the coefficient stands for a cutoff far under the audible range: pass through.
constexpr double kMinCoefficient = 1e-10;
constexpr double kTolerance = 1e-6;
constexpr int kMaxNewtonRounds = 3;
constexpr double kDriftDepth = 0.2;

// "M-Filter": softly compressing stages and a plain tanh feedback path.
struct MLadder {
    static constexpr double kFeedbackScale = 0.8;
    static double Shape(double q) { return q / (1.0 + 0.12 * std::fabs(q)); }
    static double ShapeSlope(double q) {
        const double d = 1.0 + 0.12 * std::fabs(q);
        return 1.0 / (d * d);
    }
    static double Feedback(double k, double e) { return k * e; }
};

// "P-Filter": linear stages, a slightly asymmetric feedback path.
struct PLadder {
    static constexpr double kFeedbackScale = 0.85;
    static double Shape(double q) { return q; }
    static double ShapeSlope(double) { return 1.0; }
    static double Feedback(double k, double e) { return k * (e + 0.05 * e * e); }
};

// Implicit four-stage ladder with global feedback, solved for the loop output by Newton's method.
template <class Model>
double LadderStep(LadderChannelState& st, double x, const FilterContext& c) {
    if (c.g < kMinCoefficient) {
        return x;
    }
    DriftWalk(st.rng, st.drift1);
    DriftWalk(st.rng, st.drift2);
    DriftWalk(st.rng, st.drift3);
    DriftWalk(st.rng, st.drift4);
    const double G = c.g / (1.0 + c.g);
    const double g1 = G * (1.0 + kDriftDepth * st.drift1);
    const double g2 = G * (1.0 + kDriftDepth * st.drift2);
    const double g3 = G * (1.0 + kDriftDepth * st.drift3);
    const double g4 = G * (1.0 + kDriftDepth * st.drift4);

    double l = st.y4 + 0.7 * (st.y4 - st.y4Prev);
    st.y4Prev = st.y4;

    const double r = std::min(c.r, 1.0);
    const double k = 4.0 * r * (1.0 - 0.15 * G);
    const double xin = x * (1.0 + 0.3 * r);
    const double leak = 1.0 - (2.0 * r + 1.0) * 1.5e-7;
    const double a = Model::kFeedbackScale;

    double v = 0.0;
    double q1 = 0.0, q2 = 0.0, q3 = 0.0, q4 = 0.0;
    for (int round = 0; round < kMaxNewtonRounds; ++round) {
        v = a * l;
        const AdaaResult e = AdaaTanh(v, st.feedbackPrev);
        const double fb = Model::Feedback(k, e.value);
        q1 = PadeTanh(xin - fb - st.s1);
        st.y1 = st.s1 + g1 * Model::Shape(q1);
        q2 = PadeTanh(st.y1 - st.s2);
        st.y2 = st.s2 + g2 * Model::Shape(q2);
        q3 = PadeTanh(st.y2 - st.s3);
        st.y3 = st.s3 + g3 * Model::Shape(q3);
        q4 = PadeTanh(st.y3 - st.s4);
        st.y4 = st.s4 + g4 * Model::Shape(q4);
        if (std::fabs(st.y4 - l) < kTolerance) {
            break;
        }
        const double stages = g1 * (1.0 - q1 * q1) * Model::ShapeSlope(q1) * g2 * (1.0 - q2 * q2) *
                              Model::ShapeSlope(q2) * g3 * (1.0 - q3 * q3) * Model::ShapeSlope(q3) *
                              g4 * (1.0 - q4 * q4) * Model::ShapeSlope(q4);
        const double slope = -k * a * e.slope * stages;
        l = l - (st.y4 - l) / (slope - 1.0);
    }
    st.y4 = l;
    st.feedbackPrev = v;
    st.s1 = (st.s1 + 2.0 * g1 * Model::Shape(q1)) * leak;
    st.s2 = (st.s2 + 2.0 * g2 * Model::Shape(q2)) * leak;
    st.s3 = (st.s3 + 2.0 * g3 * Model::Shape(q3)) * leak;
    st.s4 = (st.s4 + 2.0 * g4 * Model::Shape(q4)) * leak;
    return c.poles <= 2 ? st.y2 : st.y4;
}

struct Saturation {
    double value;
    double slope;
};

// "S-Filter" integrators: symmetric soft saturation.
struct SSaturation {
    static Saturation At(double v) {
        const double n = PadeTanh(v);
        return {n, 1.0 - n * n};
    }
};

// "W-Filter" integrators: asymmetric, the even term adds low-order harmonics.
struct WSaturation {
    static Saturation At(double v) {
        const double t3 = TableTanh(3.0 * v);
        const double t2 = TableTanh(v * v);
        return {0.333333 * t3 + 0.1 * t2, (1.0 - t3 * t3) + 0.2 * v * (1.0 - t2 * t2)};
    }
};

struct SvfOutputs {
    double lp;
    double bp;
};

// One state-variable stage with saturating integrators, solved for the high-pass node.
template <class N>
SvfOutputs SvfStage(SvfChannelState& st, int i, double u, double gp, double k) {
    double h = st.hpGuess[i];
    Saturation nh{0.0, 0.0};
    Saturation nbp{0.0, 0.0};
    double bp = 0.0;
    double lp = 0.0;
    for (int round = 0; round < kMaxNewtonRounds; ++round) {
        nh = N::At(h);
        bp = st.bpState[i] + gp * nh.value;
        nbp = N::At(bp);
        lp = st.lpState[i] + gp * nbp.value;
        const double e = h - (u - k * bp - lp);
        if (std::fabs(e) < kTolerance) {
            break;
        }
        h = h - e / (1.0 + k * gp * nh.slope + gp * nbp.slope * gp * nh.slope);
    }
    st.bpState[i] = (st.bpState[i] + 2.0 * gp * nh.value) * 0.999999;
    st.lpState[i] = (st.lpState[i] + 2.0 * gp * nbp.value) * 0.999999;
    st.hpGuess[i] = h;
    return {lp, bp};
}

double SFilterStep(SvfChannelState& st, double x, const FilterContext& c) {
    if (c.g < kMinCoefficient) {
        return x;
    }
    const double q = c.fourPole ? 0.7 + 15.0 * c.r : 0.7 + 49.0 * c.r;
    const double k = 1.0 / std::max(q, 0.1);
    DriftWalk(st.rng, st.drift1);
    DriftWalk(st.rng, st.drift2);
    const double G = c.g / (1.0 + c.g);
    SvfOutputs out = SvfStage<SSaturation>(st, 0, x, G * (1.0 + kDriftDepth * st.drift1), k);
    if (c.fourPole) {
        out = SvfStage<SSaturation>(st, 1, out.lp, G * (1.0 + kDriftDepth * st.drift2), k);
    }
    return out.lp + 0.15 * out.bp;
}

double WFilterStep(SvfChannelState& st, double x, const FilterContext& c) {
    if (c.g < kMinCoefficient) {
        return x;
    }
    const double k = 2.0 * (1.0 - std::min(c.r, 0.99));
    DriftWalk(st.rng, st.drift1);
    DriftWalk(st.rng, st.drift2);
    const double G = c.g / (1.0 + c.g);
    const SvfOutputs first =
        SvfStage<WSaturation>(st, 0, x, G * (1.0 + kDriftDepth * st.drift1), k);
    if (c.poles <= 2) {
        return first.lp;
    }
    const SvfOutputs second =
        SvfStage<WSaturation>(st, 1, first.lp, G * (1.0 + kDriftDepth * st.drift2), k);
    return 0.7 * second.lp;
}

template <class State>
void ClearKeepingGenerator(State& st) {
    const uint32_t rng = st.rng;
    st = State{};
    st.rng = rng;
}

}  // namespace

void DriftWalk(uint32_t& rng, double& drift) {
    rng = 1664525u * rng + 1013904223u;
    const double n = 2.0 * (rng * 2.3283064365386963e-10) - 1.0;
    drift = n * 1e-6 - drift * 1e-5 + drift;
}

double ApplyModelDrive(int model, double x, double d) {
    switch (model) {
        case kMFilter:
            return d * TableTanh((8.0 * d + 1.0) * x) + (1.0 - d) * x;
        case kSFilter:
            return x / (std::fabs(x) * d * 1.5 + 1.0);
        case kPFilter:
            return d * (TableTanh((5.0 * d + 1.0) * x) + 0.1 * d * x) + (1.0 - d) * x;
        case kWFilter:
            return d * std::clamp((8.0 * d + 1.0) * x, -0.6, 0.6) + (1.0 - d) * x;
        default:
            return x;
    }
}

FilterModels::FilterModels() {
    for (int ch = 0; ch < kChannels; ++ch) {
        Ladder(kMFilter, ch).rng = 1337;
        Svf(kSFilter, ch).rng = 7777;
        Ladder(kPFilter, ch).rng = 2468;
        Svf(kWFilter, ch).rng = 9999;
    }
}

double FilterModels::ProcessFilterSample(int model, double x, const FilterContext& context) {
    const int ch = context.channel;
    if (ch < 0 || ch >= kChannels) {
        return x;
    }
    double y = 0.0;
    switch (model) {
        case kMFilter:
            y = LadderStep<MLadder>(Ladder(model, ch), x, context);
            break;
        case kSFilter:
            y = SFilterStep(Svf(model, ch), x, context);
            break;
        case kPFilter:
            y = LadderStep<PLadder>(Ladder(model, ch), x, context);
            break;
        case kWFilter:
            y = WFilterStep(Svf(model, ch), x, context);
            break;
        default:
            return x;
    }
    if (!std::isfinite(y)) {
        ResetModelChannel(model, ch);
        return 0.0;
    }
    return y;
}

void FilterModels::ResetChannel(int channel) {
    if (channel < 0 || channel >= kChannels) {
        return;
    }
    for (int model = 0; model < kNumFilterModels; ++model) {
        ResetModelChannel(model, channel);
    }
}

void FilterModels::ResetModelChannel(int model, int channel) {
    if (model == kMFilter || model == kPFilter) {
        ClearKeepingGenerator(Ladder(model, channel));
    } else {
        ClearKeepingGenerator(Svf(model, channel));
    }
}

}  // namespace quendaris
