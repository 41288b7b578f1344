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

// One draw of the drift generator: uniform in [-1, 1).
double NextDriftNoise(uint32_t& rng) {
    rng = 1664525u * rng + 1013904223u;
    return 2.0 * (rng * 2.3283064365386963e-10) - 1.0;
}

// A slow random walk that leaks back towards 0.
template <class V>
V DriftStep(V drift, V noise) {
    return noise * 1e-6 - drift * 1e-5 + drift;
}

// Access to the state of one channel (V = double) or of both channels in lock-step
// (V = DoublePair).
template <class State, class V>
class Lanes;

template <class State>
class Lanes<State, double> {
  public:
    explicit Lanes(State& state) : s_(state) {}
    double Load(double State::*field) const { return s_.*field; }
    double LoadAt(double (State::*field)[2], int i) const { return (s_.*field)[i]; }
    void Store(double State::*field, double v) const { s_.*field = v; }
    void StoreAt(double (State::*field)[2], int i, double v) const { (s_.*field)[i] = v; }
    double DrawNoise() const { return NextDriftNoise(s_.rng); }

  private:
    State& s_;
};

template <class State>
class Lanes<State, DoublePair> {
  public:
    Lanes(State& left, State& right) : a_(left), b_(right) {}
    DoublePair Load(double State::*field) const { return {a_.*field, b_.*field}; }
    DoublePair LoadAt(double (State::*field)[2], int i) const {
        return {(a_.*field)[i], (b_.*field)[i]};
    }
    void Store(double State::*field, DoublePair v) const {
        a_.*field = v.Lane0();
        b_.*field = v.Lane1();
    }
    void StoreAt(double (State::*field)[2], int i, DoublePair v) const {
        (a_.*field)[i] = v.Lane0();
        (b_.*field)[i] = v.Lane1();
    }
    DoublePair DrawNoise() const { return {NextDriftNoise(a_.rng), NextDriftNoise(b_.rng)}; }

  private:
    State& a_;
    State& b_;
};

template <class V>
using MaskOf = decltype(V() < V());

// "M-Filter": softly compressing stages and a plain tanh feedback path.
struct MLadder {
    static constexpr double kFeedbackScale = 0.8;
    template <class V>
    static V Shape(V q) {
        return q / (1.0 + 0.12 * Abs(q));
    }
    template <class V>
    static V ShapeSlope(V q) {
        const V d = 1.0 + 0.12 * Abs(q);
        return 1.0 / (d * d);
    }
    template <class V>
    static V Feedback(V k, V e) {
        return k * e;
    }
};

// "P-Filter": linear stages, a slightly asymmetric feedback path.
struct PLadder {
    static constexpr double kFeedbackScale = 0.85;
    template <class V>
    static V Shape(V q) {
        return q;
    }
    template <class V>
    static V ShapeSlope(V) {
        return V(1.0);
    }
    template <class V>
    static V Feedback(V k, V e) {
        return k * (e + 0.05 * e * e);
    }
};

// Implicit four-stage ladder with global feedback, solved for the loop output by Newton's method.
// Expects g >= kMinCoefficient in every lane. A lane that has converged is evaluated again with
// unchanged inputs while the other lane iterates, which reproduces its values exactly.
template <class Model, class V>
V LadderStep(const Lanes<LadderChannelState, V>& lanes, V x, V g, V rIn, int poles) {
    using S = LadderChannelState;
    const V drift1 = DriftStep(lanes.Load(&S::drift1), lanes.DrawNoise());
    const V drift2 = DriftStep(lanes.Load(&S::drift2), lanes.DrawNoise());
    const V drift3 = DriftStep(lanes.Load(&S::drift3), lanes.DrawNoise());
    const V drift4 = DriftStep(lanes.Load(&S::drift4), lanes.DrawNoise());
    lanes.Store(&S::drift1, drift1);
    lanes.Store(&S::drift2, drift2);
    lanes.Store(&S::drift3, drift3);
    lanes.Store(&S::drift4, drift4);
    const V G = g / (1.0 + g);
    const V g1 = G * (1.0 + kDriftDepth * drift1);
    const V g2 = G * (1.0 + kDriftDepth * drift2);
    const V g3 = G * (1.0 + kDriftDepth * drift3);
    const V g4 = G * (1.0 + kDriftDepth * drift4);

    const V y4Last = lanes.Load(&S::y4);
    V l = y4Last + 0.7 * (y4Last - lanes.Load(&S::y4Prev));
    lanes.Store(&S::y4Prev, y4Last);

    const V r = Min(rIn, 1.0);
    const V k = 4.0 * r * (1.0 - 0.15 * G);
    const V xin = x * (1.0 + 0.3 * r);
    const V leak = 1.0 - (2.0 * r + 1.0) * 1.5e-7;
    const V a = Model::kFeedbackScale;
    const V s1 = lanes.Load(&S::s1), s2 = lanes.Load(&S::s2);
    const V s3 = lanes.Load(&S::s3), s4 = lanes.Load(&S::s4);
    const V feedbackPrev = lanes.Load(&S::feedbackPrev);
    const V logCoshPrev = TableLogCosh(feedbackPrev);

    V v, y1, y2, y3, y4, sh1, sh2, sh3, sh4;
    MaskOf<V> active = AllLanes(MaskOf<V>());
    for (int round = 0; round < kMaxNewtonRounds; ++round) {
        v = a * l;
        const AdaaResult<V> e = AdaaTanh(v, feedbackPrev, logCoshPrev);
        const V fb = Model::Feedback(k, e.value);
        const V q1 = PadeTanh(xin - fb - s1);
        sh1 = Model::Shape(q1);
        y1 = s1 + g1 * sh1;
        const V q2 = PadeTanh(y1 - s2);
        sh2 = Model::Shape(q2);
        y2 = s2 + g2 * sh2;
        const V q3 = PadeTanh(y2 - s3);
        sh3 = Model::Shape(q3);
        y3 = s3 + g3 * sh3;
        const V q4 = PadeTanh(y3 - s4);
        sh4 = Model::Shape(q4);
        y4 = s4 + g4 * sh4;
        active = AndNot(Abs(y4 - l) < V(kTolerance), active);
        if (!Any(active)) {
            break;
        }
        const V stages = g1 * (1.0 - q1 * q1) * Model::ShapeSlope(q1) * g2 * (1.0 - q2 * q2) *
                         Model::ShapeSlope(q2) * g3 * (1.0 - q3 * q3) * Model::ShapeSlope(q3) * g4 *
                         (1.0 - q4 * q4) * Model::ShapeSlope(q4);
        const V slope = -k * a * e.slope * stages;
        l = Select(active, l - (y4 - l) / (slope - 1.0), l);
    }
    lanes.Store(&S::y1, y1);
    lanes.Store(&S::y2, y2);
    lanes.Store(&S::y3, y3);
    lanes.Store(&S::y4, l);
    lanes.Store(&S::feedbackPrev, v);
    lanes.Store(&S::s1, (s1 + 2.0 * g1 * sh1) * leak);
    lanes.Store(&S::s2, (s2 + 2.0 * g2 * sh2) * leak);
    lanes.Store(&S::s3, (s3 + 2.0 * g3 * sh3) * leak);
    lanes.Store(&S::s4, (s4 + 2.0 * g4 * sh4) * leak);
    return poles <= 2 ? y2 : l;
}

template <class V>
struct Saturation {
    V value;
    V slope;
};

// "S-Filter" integrators: symmetric soft saturation.
struct SSaturation {
    template <class V>
    static Saturation<V> At(V v) {
        const V n = PadeTanh(v);
        return {n, 1.0 - n * n};
    }
};

// "W-Filter" integrators: asymmetric, the even term adds low-order harmonics.
struct WSaturation {
    template <class V>
    static Saturation<V> At(V v) {
        const V t3 = TableTanh(3.0 * v);
        const V t2 = TableTanh(v * v);
        return {0.333333 * t3 + 0.1 * t2, (1.0 - t3 * t3) + 0.2 * v * (1.0 - t2 * t2)};
    }
};

template <class V>
struct SvfOutputs {
    V lp;
    V bp;
};

// One state-variable stage with saturating integrators, solved for the high-pass node.
template <class N, class V>
SvfOutputs<V> SvfStage(const Lanes<SvfChannelState, V>& lanes, int i, V u, V gp, V k) {
    using S = SvfChannelState;
    const V bpState = lanes.LoadAt(&S::bpState, i);
    const V lpState = lanes.LoadAt(&S::lpState, i);
    V h = lanes.LoadAt(&S::hpGuess, i);
    Saturation<V> nh{}, nbp{};
    V bp, lp;
    MaskOf<V> active = AllLanes(MaskOf<V>());
    for (int round = 0; round < kMaxNewtonRounds; ++round) {
        nh = N::At(h);
        bp = bpState + gp * nh.value;
        nbp = N::At(bp);
        lp = lpState + gp * nbp.value;
        const V e = h - (u - k * bp - lp);
        active = AndNot(Abs(e) < V(kTolerance), active);
        if (!Any(active)) {
            break;
        }
        h = Select(active, h - e / (1.0 + k * gp * nh.slope + gp * nbp.slope * gp * nh.slope), h);
    }
    lanes.StoreAt(&S::bpState, i, (bpState + 2.0 * gp * nh.value) * 0.999999);
    lanes.StoreAt(&S::lpState, i, (lpState + 2.0 * gp * nbp.value) * 0.999999);
    lanes.StoreAt(&S::hpGuess, i, h);
    return {lp, bp};
}

template <class V>
struct SvfDrift {
    V drift1;
    V drift2;
};

template <class V>
SvfDrift<V> AdvanceSvfDrift(const Lanes<SvfChannelState, V>& lanes) {
    using S = SvfChannelState;
    const V drift1 = DriftStep(lanes.Load(&S::drift1), lanes.DrawNoise());
    const V drift2 = DriftStep(lanes.Load(&S::drift2), lanes.DrawNoise());
    lanes.Store(&S::drift1, drift1);
    lanes.Store(&S::drift2, drift2);
    return {drift1, drift2};
}

template <class V>
V SFilterStep(const Lanes<SvfChannelState, V>& lanes, V x, V g, V r, bool fourPole) {
    const V q = fourPole ? 0.7 + 15.0 * r : 0.7 + 49.0 * r;
    const V k = 1.0 / Max(q, 0.1);
    const SvfDrift<V> drift = AdvanceSvfDrift(lanes);
    const V G = g / (1.0 + g);
    const V gp1 = G * (1.0 + kDriftDepth * drift.drift1);
    SvfOutputs<V> out = SvfStage<SSaturation>(lanes, 0, x, gp1, k);
    if (fourPole) {
        const V gp2 = G * (1.0 + kDriftDepth * drift.drift2);
        out = SvfStage<SSaturation>(lanes, 1, out.lp, gp2, k);
    }
    return out.lp + 0.15 * out.bp;
}

template <class V>
V WFilterStep(const Lanes<SvfChannelState, V>& lanes, V x, V g, V r, int poles) {
    const V k = 2.0 * (1.0 - Min(r, 0.99));
    const SvfDrift<V> drift = AdvanceSvfDrift(lanes);
    const V G = g / (1.0 + g);
    const V gp1 = G * (1.0 + kDriftDepth * drift.drift1);
    const SvfOutputs<V> first = SvfStage<WSaturation>(lanes, 0, x, gp1, k);
    if (poles <= 2) {
        return first.lp;
    }
    const V gp2 = G * (1.0 + kDriftDepth * drift.drift2);
    const SvfOutputs<V> second = SvfStage<WSaturation>(lanes, 1, first.lp, gp2, k);
    return 0.7 * second.lp;
}

// One model step on one channel or both; g must be at least kMinCoefficient in every lane.
template <class V>
V ModelStep(int model, const Lanes<LadderChannelState, V>& ladder,
            const Lanes<SvfChannelState, V>& svf, V x, V g, V r, int poles, bool fourPole) {
    switch (model) {
        case kMFilter:
            return LadderStep<MLadder>(ladder, x, g, r, poles);
        case kSFilter:
            return SFilterStep(svf, x, g, r, fourPole);
        case kPFilter:
            return LadderStep<PLadder>(ladder, x, g, r, poles);
        default:
            return WFilterStep(svf, x, g, r, poles);
    }
}

template <class V>
V ApplyModelDriveT(int model, V x, double d) {
    switch (model) {
        case kMFilter:
            return d * TableTanh((8.0 * d + 1.0) * x) + (1.0 - d) * x;
        case kSFilter:
            return x / (Abs(x) * d * 1.5 + 1.0);
        case kPFilter:
            return d * (TableTanh((5.0 * d + 1.0) * x) + 0.1 * d * x) + (1.0 - d) * x;
        case kWFilter:
            return d * Clamp((8.0 * d + 1.0) * x, -0.6, 0.6) + (1.0 - d) * x;
        default:
            return x;
    }
}

template <class V>
void ApplyModelDriveBlock(int model, const V* x, V* out, int n, double d) {
    switch (model) {
        case kMFilter:
            for (int j = 0; j < n; ++j) {
                out[j] = ApplyModelDriveT(kMFilter, x[j], d);
            }
            break;
        case kSFilter:
            for (int j = 0; j < n; ++j) {
                out[j] = ApplyModelDriveT(kSFilter, x[j], d);
            }
            break;
        case kPFilter:
            for (int j = 0; j < n; ++j) {
                out[j] = ApplyModelDriveT(kPFilter, x[j], d);
            }
            break;
        case kWFilter:
            for (int j = 0; j < n; ++j) {
                out[j] = ApplyModelDriveT(kWFilter, x[j], d);
            }
            break;
        default:
            std::copy(x, x + n, out);
            break;
    }
}

// Lanes over channel 0 alone (V = double) or over channels 0 and 1.
template <class State>
Lanes<State, double> LanesOf(State* channels, double) {
    return Lanes<State, double>(channels[0]);
}
template <class State>
Lanes<State, DoublePair> LanesOf(State* channels, DoublePair) {
    return Lanes<State, DoublePair>(channels[0], channels[1]);
}

template <class State>
void ClearKeepingGenerator(State& st) {
    const uint32_t rng = st.rng;
    st = State{};
    st.rng = rng;
}

}  // namespace

void DriftWalk(uint32_t& rng, double& drift) {
    drift = DriftStep(drift, NextDriftNoise(rng));
}

double ApplyModelDrive(int model, double x, double drive) {
    return ApplyModelDriveT(model, x, drive);
}

DoublePair ApplyModelDrive(int model, DoublePair x, double drive) {
    return ApplyModelDriveT(model, x, drive);
}

void ApplyModelDrive(int model, const double* x, double* out, int n, double drive) {
    ApplyModelDriveBlock(model, x, out, n, drive);
}

void ApplyModelDrive(int model, const DoublePair* x, DoublePair* out, int n, double drive) {
    ApplyModelDriveBlock(model, x, out, n, drive);
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
    if (ch < 0 || ch >= kChannels || model < 0 || model >= kNumFilterModels) {
        return x;
    }
    if (context.g < kMinCoefficient) {
        return x;
    }
    const Lanes<LadderChannelState, double> ladder(Ladder(model, ch));
    const Lanes<SvfChannelState, double> svf(Svf(model, ch));
    const double y =
        ModelStep(model, ladder, svf, x, context.g, context.r, context.poles, context.fourPole);
    return GuardResult(model, ch, y);
}

DoublePair FilterModels::ProcessFilterPair(int model, DoublePair x, DoublePair g, DoublePair r,
                                           int poles, bool fourPole) {
    if (model < 0 || model >= kNumFilterModels) {
        return x;
    }
    if (Any(g < DoublePair(kMinCoefficient))) {
        FilterContext left{0, g.Lane0(), r.Lane0(), poles, fourPole};
        FilterContext right{1, g.Lane1(), r.Lane1(), poles, fourPole};
        const double y0 = ProcessFilterSample(model, x.Lane0(), left);
        return {y0, ProcessFilterSample(model, x.Lane1(), right)};
    }
    const Lanes<LadderChannelState, DoublePair> ladder(Ladder(model, 0), Ladder(model, 1));
    const Lanes<SvfChannelState, DoublePair> svf(Svf(model, 0), Svf(model, 1));
    return GuardResult(model, ModelStep(model, ladder, svf, x, g, r, poles, fourPole));
}

void FilterModels::ProcessBlock(int model, const double* x, const double* g, const double* r,
                                double* y, int n, int poles, bool fourPole) {
    ProcessBlockOf(model, x, g, r, y, n, poles, fourPole);
}

void FilterModels::ProcessBlock(int model, const DoublePair* x, const DoublePair* g,
                                const DoublePair* r, DoublePair* y, int n, int poles,
                                bool fourPole) {
    ProcessBlockOf(model, x, g, r, y, n, poles, fourPole);
}

template <class V>
void FilterModels::ProcessBlockOf(int model, const V* x, const V* g, const V* r, V* y, int n,
                                  int poles, bool fourPole) {
    switch (model) {
        case kMFilter:
        case kPFilter: {
            const auto lanes = LanesOf(ladder_[LadderSlot(model)], V());
            if (model == kMFilter) {
                RunSteps(model, x, g, r, y, n, poles, fourPole, [&](V xj, V gj, V rj) {
                    return LadderStep<MLadder>(lanes, xj, gj, rj, poles);
                });
            } else {
                RunSteps(model, x, g, r, y, n, poles, fourPole, [&](V xj, V gj, V rj) {
                    return LadderStep<PLadder>(lanes, xj, gj, rj, poles);
                });
            }
            break;
        }
        case kSFilter: {
            const auto lanes = LanesOf(svf_[SvfSlot(model)], V());
            RunSteps(model, x, g, r, y, n, poles, fourPole,
                     [&](V xj, V gj, V rj) { return SFilterStep(lanes, xj, gj, rj, fourPole); });
            break;
        }
        case kWFilter: {
            const auto lanes = LanesOf(svf_[SvfSlot(model)], V());
            RunSteps(model, x, g, r, y, n, poles, fourPole,
                     [&](V xj, V gj, V rj) { return WFilterStep(lanes, xj, gj, rj, poles); });
            break;
        }
        default:
            std::copy(x, x + n, y);
            break;
    }
}

template <class V, class Step>
void FilterModels::RunSteps(int model, const V* x, const V* g, const V* r, V* y, int n, int poles,
                            bool fourPole, Step step) {
    for (int j = 0; j < n; ++j) {
        if (Any(g[j] < V(kMinCoefficient))) {
            y[j] = StepOne(model, x[j], g[j], r[j], poles, fourPole);
        } else {
            y[j] = GuardResult(model, step(x[j], g[j], r[j]));
        }
    }
}

double FilterModels::StepOne(int model, double x, double g, double r, int poles, bool fourPole) {
    return ProcessFilterSample(model, x, FilterContext{0, g, r, poles, fourPole});
}

DoublePair FilterModels::StepOne(int model, DoublePair x, DoublePair g, DoublePair r, int poles,
                                 bool fourPole) {
    return ProcessFilterPair(model, x, g, r, poles, fourPole);
}

DoublePair FilterModels::GuardResult(int model, DoublePair y) {
    const double y0 = y.Lane0();
    const double y1 = y.Lane1();
    if (std::isfinite(y0) && std::isfinite(y1)) {
        return y;
    }
    return {GuardResult(model, 0, y0), GuardResult(model, 1, y1)};
}

double FilterModels::GuardResult(int model, int channel, double y) {
    if (std::isfinite(y)) {
        return y;
    }
    ResetModelChannel(model, channel);
    return 0.0;
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
