#include "FilterModels.h"

#include <algorithm>
#include <array>
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

// Drift generator states of up to two lanes.
using Generators = std::array<uint32_t, 2>;

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
    Generators SaveGenerators() const { return {s_.rng, 0}; }
    void RestoreGenerators(const Generators& saved) const { s_.rng = saved[0]; }

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
    Generators SaveGenerators() const { return {a_.rng, b_.rng}; }
    void RestoreGenerators(const Generators& saved) const {
        a_.rng = saved[0];
        b_.rng = saved[1];
    }

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

// Values of one ladder sample that do not depend on the loop estimate.
template <class V>
struct LadderSetup {
    V drift1, drift2, drift3, drift4;
    V g1, g2, g3, g4;
    V k, xin, leak;
    V l0;  // extrapolated first estimate
    V feedbackPrev, logCoshPrev;
};

template <class V>
struct LadderStage {
    V q, sh, y;
};

// One evaluation of the ladder at a loop estimate.
template <class V>
struct LadderEval {
    V v;
    AdaaResult<V> e;
    LadderStage<V> stage[4];
};

template <class Model, class V>
QUENDARIS_ALWAYS_INLINE LadderStage<V> RunLadderStage(V in, V s, V gn) {
    LadderStage<V> st;
    st.q = PadeTanh(in);
    st.sh = Model::Shape(st.q);
    st.y = s + gn * st.sh;
    return st;
}

template <class V>
QUENDARIS_ALWAYS_INLINE V NextIntegrator(V s, V gn, V sh, V leak) {
    return (s + 2.0 * gn * sh) * leak;
}

// The ladder of LadderStep over a run of samples, with the state held in registers. Nearly every
// sample converges in the second evaluation, and the first evaluation of the next sample needs
// only values known by then; the two are interleaved stage by stage so that their dependency
// chains overlap. Whenever that guess fails, the next sample is evaluated afresh, so the results
// are exactly those of LadderStep.
template <class Model, class V>
class LadderRun {
  public:
    LadderRun(const Lanes<LadderChannelState, V>& lanes, int poles) : lanes_(lanes), poles_(poles) {
        Load();
    }

    template <class StepOne, class Guard>
    void Run(const V* x, const V* g, const V* r, V* y, int n, StepOne stepOne, Guard guard);

  private:
    using S = LadderChannelState;
    static constexpr double kScale = Model::kFeedbackScale;

    void Load() {
        for (int i = 0; i < 4; ++i) {
            s_[i] = lanes_.Load(kIntegrators[i]);
        }
        y1_ = lanes_.Load(&S::y1);
        y2_ = lanes_.Load(&S::y2);
        y3_ = lanes_.Load(&S::y3);
        y4_ = lanes_.Load(&S::y4);
        y4Prev_ = lanes_.Load(&S::y4Prev);
        drift1_ = lanes_.Load(&S::drift1);
        drift2_ = lanes_.Load(&S::drift2);
        drift3_ = lanes_.Load(&S::drift3);
        drift4_ = lanes_.Load(&S::drift4);
        feedbackPrev_ = lanes_.Load(&S::feedbackPrev);
    }

    void Store() const {
        for (int i = 0; i < 4; ++i) {
            lanes_.Store(kIntegrators[i], s_[i]);
        }
        lanes_.Store(&S::y1, y1_);
        lanes_.Store(&S::y2, y2_);
        lanes_.Store(&S::y3, y3_);
        lanes_.Store(&S::y4, y4_);
        lanes_.Store(&S::y4Prev, y4Prev_);
        lanes_.Store(&S::drift1, drift1_);
        lanes_.Store(&S::drift2, drift2_);
        lanes_.Store(&S::drift3, drift3_);
        lanes_.Store(&S::drift4, drift4_);
        lanes_.Store(&S::feedbackPrev, feedbackPrev_);
    }

    // Draws the drift and works out the coefficients; the drift is kept by Start.
    LadderSetup<V> Prepare(V x, V g, V rIn) const {
        LadderSetup<V> c;
        c.drift1 = DriftStep(drift1_, lanes_.DrawNoise());
        c.drift2 = DriftStep(drift2_, lanes_.DrawNoise());
        c.drift3 = DriftStep(drift3_, lanes_.DrawNoise());
        c.drift4 = DriftStep(drift4_, lanes_.DrawNoise());
        const V G = g / (1.0 + g);
        c.g1 = G * (1.0 + kDriftDepth * c.drift1);
        c.g2 = G * (1.0 + kDriftDepth * c.drift2);
        c.g3 = G * (1.0 + kDriftDepth * c.drift3);
        c.g4 = G * (1.0 + kDriftDepth * c.drift4);
        const V r = Min(rIn, 1.0);
        c.k = 4.0 * r * (1.0 - 0.15 * G);
        c.xin = x * (1.0 + 0.3 * r);
        c.leak = 1.0 - (2.0 * r + 1.0) * 1.5e-7;
        return c;
    }

    // Makes a prepared sample the current one.
    void Start(LadderSetup<V>& c) {
        drift1_ = c.drift1;
        drift2_ = c.drift2;
        drift3_ = c.drift3;
        drift4_ = c.drift4;
        c.l0 = y4_ + 0.7 * (y4_ - y4Prev_);
        y4Prev_ = y4_;
        c.feedbackPrev = feedbackPrev_;
        c.logCoshPrev = TableLogCosh(feedbackPrev_);
    }

    static QUENDARIS_ALWAYS_INLINE void Evaluate(const LadderSetup<V>& c, V l, const V s[4],
                                                 LadderEval<V>& ev) {
        const V a = kScale;
        ev.v = a * l;
        ev.e = AdaaTanh(ev.v, c.feedbackPrev, c.logCoshPrev);
        const V fb = Model::Feedback(c.k, ev.e.value);
        ev.stage[0] = RunLadderStage<Model>(c.xin - fb - s[0], s[0], c.g1);
        ev.stage[1] = RunLadderStage<Model>(ev.stage[0].y - s[1], s[1], c.g2);
        ev.stage[2] = RunLadderStage<Model>(ev.stage[1].y - s[2], s[2], c.g3);
        ev.stage[3] = RunLadderStage<Model>(ev.stage[2].y - s[3], s[3], c.g4);
    }

    // Evaluates the current sample at l and, stage by stage, the first round of the next sample
    // as if this evaluation ends the current one; sNext receives the integrators that implies.
    static QUENDARIS_ALWAYS_INLINE void EvaluateWithNext(const LadderSetup<V>& c, V l, const V s[4],
                                                         LadderEval<V>& ev, LadderSetup<V>& next,
                                                         V sNext[4], LadderEval<V>& evNext) {
        const V a = kScale;
        ev.v = a * l;
        evNext.v = a * next.l0;
        next.feedbackPrev = ev.v;
        next.logCoshPrev = TableLogCosh(ev.v);
        ev.e = AdaaTanh(ev.v, c.feedbackPrev, c.logCoshPrev);
        evNext.e = AdaaTanh(evNext.v, next.feedbackPrev, next.logCoshPrev);
        const V fb = Model::Feedback(c.k, ev.e.value);
        const V fbNext = Model::Feedback(next.k, evNext.e.value);
        ev.stage[0] = RunLadderStage<Model>(c.xin - fb - s[0], s[0], c.g1);
        sNext[0] = NextIntegrator(s[0], c.g1, ev.stage[0].sh, c.leak);
        evNext.stage[0] = RunLadderStage<Model>(next.xin - fbNext - sNext[0], sNext[0], next.g1);
        ev.stage[1] = RunLadderStage<Model>(ev.stage[0].y - s[1], s[1], c.g2);
        sNext[1] = NextIntegrator(s[1], c.g2, ev.stage[1].sh, c.leak);
        evNext.stage[1] = RunLadderStage<Model>(evNext.stage[0].y - sNext[1], sNext[1], next.g2);
        ev.stage[2] = RunLadderStage<Model>(ev.stage[1].y - s[2], s[2], c.g3);
        sNext[2] = NextIntegrator(s[2], c.g3, ev.stage[2].sh, c.leak);
        evNext.stage[2] = RunLadderStage<Model>(evNext.stage[1].y - sNext[2], sNext[2], next.g3);
        ev.stage[3] = RunLadderStage<Model>(ev.stage[2].y - s[3], s[3], c.g4);
        sNext[3] = NextIntegrator(s[3], c.g4, ev.stage[3].sh, c.leak);
        evNext.stage[3] = RunLadderStage<Model>(evNext.stage[2].y - sNext[3], sNext[3], next.g4);
    }

    static MaskOf<V> StillActive(const LadderEval<V>& ev, V l, MaskOf<V> active) {
        return AndNot(Abs(ev.stage[3].y - l) < V(kTolerance), active);
    }

    static V NewtonStep(const LadderSetup<V>& c, const LadderEval<V>& ev, V l) {
        const V a = kScale;
        const V q1 = ev.stage[0].q, q2 = ev.stage[1].q, q3 = ev.stage[2].q, q4 = ev.stage[3].q;
        const V stages = c.g1 * (1.0 - q1 * q1) * Model::ShapeSlope(q1) * c.g2 * (1.0 - q2 * q2) *
                         Model::ShapeSlope(q2) * c.g3 * (1.0 - q3 * q3) * Model::ShapeSlope(q3) *
                         c.g4 * (1.0 - q4 * q4) * Model::ShapeSlope(q4);
        const V slope = -c.k * a * ev.e.slope * stages;
        return l - (ev.stage[3].y - l) / (slope - 1.0);
    }

    // Further rounds after evaluation number `round` (0-based), as LadderStep does them.
    void FinishRounds(const LadderSetup<V>& c, LadderEval<V>& ev, V& l, MaskOf<V> active,
                      int round) const {
        while (Any(active)) {
            l = Select(active, NewtonStep(c, ev, l), l);
            if (++round >= kMaxNewtonRounds) {
                break;
            }
            Evaluate(c, l, s_, ev);
            active = StillActive(ev, l, active);
        }
    }

    // Takes the evaluation as the end of the current sample and returns its output.
    V Finish(const LadderSetup<V>& c, const LadderEval<V>& ev, V l) {
        y1_ = ev.stage[0].y;
        y2_ = ev.stage[1].y;
        y3_ = ev.stage[2].y;
        y4_ = l;
        feedbackPrev_ = ev.v;
        const V gn[4] = {c.g1, c.g2, c.g3, c.g4};
        for (int i = 0; i < 4; ++i) {
            s_[i] = NextIntegrator(s_[i], gn[i], ev.stage[i].sh, c.leak);
        }
        return poles_ <= 2 ? ev.stage[1].y : l;
    }

    static bool Finite(double v) { return std::isfinite(v); }
    static bool Finite(DoublePair v) {
        return std::isfinite(v.Lane0()) && std::isfinite(v.Lane1());
    }

    static constexpr double S::*kIntegrators[4] = {&S::s1, &S::s2, &S::s3, &S::s4};

    const Lanes<LadderChannelState, V>& lanes_;
    const int poles_;
    V s_[4];
    V y1_, y2_, y3_, y4_, y4Prev_;
    V drift1_, drift2_, drift3_, drift4_;
    V feedbackPrev_;
};

template <class Model, class V>
template <class StepOne, class Guard>
void LadderRun<Model, V>::Run(const V* x, const V* g, const V* r, V* y, int n, StepOne stepOne,
                              Guard guard) {
    const V minCoefficient = kMinCoefficient;
    LadderSetup<V> cur{}, next{};
    LadderEval<V> ev{}, evNext{};
    bool evaluated = false;  // cur and ev already hold the first evaluation of sample j
    for (int j = 0; j < n; ++j) {
        if (!evaluated) {
            if (Any(g[j] < minCoefficient)) {
                Store();
                y[j] = stepOne(j);
                Load();
                continue;
            }
            cur = Prepare(x[j], g[j], r[j]);
            Start(cur);
            Evaluate(cur, cur.l0, s_, ev);
        }
        evaluated = false;
        V l = cur.l0;
        MaskOf<V> active = StillActive(ev, l, AllLanes(MaskOf<V>()));
        if (Any(active) && j + 1 < n && !Any(g[j + 1] < minCoefficient)) {
            l = Select(active, NewtonStep(cur, ev, l), l);
            const Generators generators = lanes_.SaveGenerators();
            next = Prepare(x[j + 1], g[j + 1], r[j + 1]);
            next.l0 = l + 0.7 * (l - y4_);
            V sNext[4];
            EvaluateWithNext(cur, l, s_, ev, next, sNext, evNext);
            active = StillActive(ev, l, active);
            if (!Any(active)) {
                const V out = Finish(cur, ev, l);
                if (Finite(out)) {
                    y[j] = out;
                    drift1_ = next.drift1;
                    drift2_ = next.drift2;
                    drift3_ = next.drift3;
                    drift4_ = next.drift4;
                    y4Prev_ = y4_;
                    cur = next;
                    ev = evNext;
                    evaluated = true;
                    continue;
                }
                lanes_.RestoreGenerators(generators);
                Store();
                y[j] = guard(out);
                Load();
                continue;
            }
            lanes_.RestoreGenerators(generators);
            FinishRounds(cur, ev, l, active, 1);
        } else {
            FinishRounds(cur, ev, l, active, 0);
        }
        const V out = Finish(cur, ev, l);
        if (Finite(out)) {
            y[j] = out;
        } else {
            Store();
            y[j] = guard(out);
            Load();
        }
    }
    Store();
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
            const auto stepOne = [&](int j) {
                return StepOne(model, x[j], g[j], r[j], poles, fourPole);
            };
            const auto guard = [&](V out) { return GuardResult(model, out); };
            if (model == kMFilter) {
                LadderRun<MLadder, V>(lanes, poles).Run(x, g, r, y, n, stepOne, guard);
            } else {
                LadderRun<PLadder, V>(lanes, poles).Run(x, g, r, y, n, stepOne, guard);
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
