#include "FilterModels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>

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

// The drift generators of a run, copied out of the channel states so that they stay in
// registers; Draw gives what NextDriftNoise gives for each lane.
template <class V>
class NoiseSource;

template <>
class NoiseSource<double> {
  public:
    void Set(const Generators& g) { state_ = g[0]; }
    Generators Get() const { return {state_, 0}; }
    double Draw() { return NextDriftNoise(state_); }

  private:
    uint32_t state_ = 0;
};

#if QUENDARIS_PAIR_SSE2
// Both generators step together, one in the low half of each 64-bit lane: the low half of a
// 32 x 32-bit product is the product modulo 2^32.
template <>
class NoiseSource<DoublePair> {
  public:
    void Set(const Generators& g) {
        state_ = _mm_set_epi32(0, static_cast<int>(g[1]), 0, static_cast<int>(g[0]));
    }
    Generators Get() const {
        return {static_cast<uint32_t>(_mm_cvtsi128_si32(state_)),
                static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(state_, state_)))};
    }
    DoublePair Draw() {
        state_ = _mm_add_epi32(_mm_mul_epu32(state_, _mm_set1_epi32(1664525)),
                               _mm_set1_epi32(1013904223));
        // Every step of NextDriftNoise's 2 (u 2^-32) - 1 is exact, so it equals (u - 2^31) 2^-31:
        // the state with its top bit flipped, read as signed, scaled by a power of two.
        const __m128i packed = _mm_shuffle_epi32(state_, _MM_SHUFFLE(3, 1, 2, 0));
        const __m128i centred = _mm_xor_si128(packed, _mm_set1_epi32(INT32_MIN));
        return _mm_mul_pd(_mm_cvtepi32_pd(centred), _mm_set1_pd(0x1p-31));
    }

  private:
    __m128i state_ = _mm_setzero_si128();
};
#else
template <>
class NoiseSource<DoublePair> {
  public:
    void Set(const Generators& g) { state_ = g; }
    Generators Get() const { return state_; }
    DoublePair Draw() {
        const double left = NextDriftNoise(state_[0]);
        return {left, NextDriftNoise(state_[1])};
    }

  private:
    Generators state_{};
};
#endif

template <class V>
using MaskOf = decltype(V() < V());

// "M-Filter": softly compressing stages and a plain tanh feedback path.
struct MLadder {
    static constexpr double kFeedbackScale = 0.8;
    template <class V>
    QUENDARIS_ALWAYS_INLINE static V Shape(V q) {
        return q / (1.0 + 0.12 * Abs(q));
    }
    template <class V>
    QUENDARIS_ALWAYS_INLINE static V ShapeSlope(V q) {
        const V d = 1.0 + 0.12 * Abs(q);
        return 1.0 / (d * d);
    }
    template <class V>
    QUENDARIS_ALWAYS_INLINE static V Feedback(V k, V e) {
        return k * e;
    }
};

// "P-Filter": linear stages, a slightly asymmetric feedback path.
struct PLadder {
    static constexpr double kFeedbackScale = 0.85;
    template <class V>
    QUENDARIS_ALWAYS_INLINE static V Shape(V q) {
        return q;
    }
    template <class V>
    QUENDARIS_ALWAYS_INLINE static V ShapeSlope(V) {
        return V(1.0);
    }
    template <class V>
    QUENDARIS_ALWAYS_INLINE static V Feedback(V k, V e) {
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
        noise_.Set(lanes_.SaveGenerators());
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
        lanes_.RestoreGenerators(noise_.Get());
    }

    // Draws the drift and works out the coefficients; the drift is kept by Start.
    LadderSetup<V> Prepare(V x, V g, V rIn) {
        LadderSetup<V> c;
        c.drift1 = DriftStep(drift1_, noise_.Draw());
        c.drift2 = DriftStep(drift2_, noise_.Draw());
        c.drift3 = DriftStep(drift3_, noise_.Draw());
        c.drift4 = DriftStep(drift4_, noise_.Draw());
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
    // The current sample's feedback slope is left out: it is needed only if l has not converged,
    // and then SlopeForNextRound supplies it.
    static QUENDARIS_ALWAYS_INLINE void EvaluateWithNext(const LadderSetup<V>& c, V l, const V s[4],
                                                         LadderEval<V>& ev, LadderSetup<V>& next,
                                                         V sNext[4], LadderEval<V>& evNext) {
        const V a = kScale;
        ev.v = a * l;
        evNext.v = a * next.l0;
        next.feedbackPrev = ev.v;
        next.logCoshPrev = TableLogCosh(ev.v);
        ev.e.value = AdaaValue(ev.v, next.logCoshPrev, c.feedbackPrev, c.logCoshPrev);
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

    static void SlopeForNextRound(const LadderSetup<V>& c, LadderEval<V>& ev) {
        ev.e = AdaaTanh(ev.v, c.feedbackPrev, c.logCoshPrev);
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
        const V gn[4] = {c.g1, c.g2, c.g3, c.g4};
        V integrators[4];
        for (int i = 0; i < 4; ++i) {
            integrators[i] = NextIntegrator(s_[i], gn[i], ev.stage[i].sh, c.leak);
        }
        return Conclude(ev, l, integrators);
    }

    // Finish with the integrators already worked out from the same evaluation.
    V Conclude(const LadderEval<V>& ev, V l, const V integrators[4]) {
        y1_ = ev.stage[0].y;
        y2_ = ev.stage[1].y;
        y3_ = ev.stage[2].y;
        y4_ = l;
        feedbackPrev_ = ev.v;
        for (int i = 0; i < 4; ++i) {
            s_[i] = integrators[i];
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
    NoiseSource<V> noise_;
};

template <class Model, class V>
template <class StepOne, class Guard>
void LadderRun<Model, V>::Run(const V* x, const V* g, const V* r, V* y, int n, StepOne stepOne,
                              Guard guard) {
    const V minCoefficient = kMinCoefficient;
    // The current and the next sample swap roles by pointer rather than by copying.
    LadderSetup<V> setups[2]{};
    LadderEval<V> evals[2]{};
    LadderSetup<V>* cur = &setups[0];
    LadderSetup<V>* next = &setups[1];
    LadderEval<V>* ev = &evals[0];
    LadderEval<V>* evNext = &evals[1];
    bool evaluated = false;  // cur and ev already hold the first evaluation of sample j
    for (int j = 0; j < n; ++j) {
        if (!evaluated) {
            if (Any(g[j] < minCoefficient)) {
                Store();
                y[j] = stepOne(j);
                Load();
                continue;
            }
            *cur = Prepare(x[j], g[j], r[j]);
            Start(*cur);
            Evaluate(*cur, cur->l0, s_, *ev);
        }
        evaluated = false;
        V l = cur->l0;
        MaskOf<V> active = StillActive(*ev, l, AllLanes(MaskOf<V>()));
        if (Any(active) && j + 1 < n && !Any(g[j + 1] < minCoefficient)) {
            // Usually both lanes step: then the new estimate needs no blend on the critical path.
            l = All(active) ? NewtonStep(*cur, *ev, l)
                            : Select(active, NewtonStep(*cur, *ev, l), l);
            const NoiseSource<V> noise = noise_;
            *next = Prepare(x[j + 1], g[j + 1], r[j + 1]);
            next->l0 = l + 0.7 * (l - y4_);
            V sNext[4];
            EvaluateWithNext(*cur, l, s_, *ev, *next, sNext, *evNext);
            active = StillActive(*ev, l, active);
            if (!Any(active)) {
                const V out = Conclude(*ev, l, sNext);
                if (Finite(out)) {
                    y[j] = out;
                    drift1_ = next->drift1;
                    drift2_ = next->drift2;
                    drift3_ = next->drift3;
                    drift4_ = next->drift4;
                    y4Prev_ = y4_;
                    std::swap(cur, next);
                    std::swap(ev, evNext);
                    evaluated = true;
                    continue;
                }
                noise_ = noise;
                Store();
                y[j] = guard(out);
                Load();
                continue;
            }
            noise_ = noise;
            SlopeForNextRound(*cur, *ev);
            FinishRounds(*cur, *ev, l, active, 1);
        } else {
            FinishRounds(*cur, *ev, l, active, 0);
        }
        const V out = Finish(*cur, *ev, l);
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
    QUENDARIS_ALWAYS_INLINE static Saturation<V> At(V v) {
        const V n = PadeTanh(v);
        return {n, 1.0 - n * n};
    }
};

// "W-Filter" integrators: asymmetric, the even term adds low-order harmonics.
struct WSaturation {
    template <class V>
    QUENDARIS_ALWAYS_INLINE static Saturation<V> At(V v) {
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

// The integrators and the high-pass estimate of one state-variable stage; nh is the
// nonlinearity at h when nhKnown, which saves its evaluation in the next sample's first round.
template <class V>
struct SvfStageState {
    V bp, lp, h;
    Saturation<V> nh;
    bool nhKnown = false;
};

// One state-variable stage with saturating integrators, solved for the high-pass node.
template <class N, class V>
QUENDARIS_ALWAYS_INLINE SvfOutputs<V> SolveSvfStage(SvfStageState<V>& st, V u, V gp, V k) {
    V h = st.h;
    Saturation<V> nh = st.nhKnown ? st.nh : N::At(h);
    Saturation<V> nbp{};
    V bp, lp;
    MaskOf<V> active = AllLanes(MaskOf<V>());
    bool converged = false;
    for (int round = 0; round < kMaxNewtonRounds; ++round) {
        if (round > 0) {
            nh = N::At(h);
        }
        bp = st.bp + gp * nh.value;
        nbp = N::At(bp);
        lp = st.lp + gp * nbp.value;
        const V e = h - (u - k * bp - lp);
        active = AndNot(Abs(e) < V(kTolerance), active);
        if (!Any(active)) {
            converged = true;
            break;
        }
        h = Select(active, h - e / (1.0 + k * gp * nh.slope + gp * nbp.slope * gp * nh.slope), h);
    }
    st.bp = (st.bp + 2.0 * gp * nh.value) * 0.999999;
    st.lp = (st.lp + 2.0 * gp * nbp.value) * 0.999999;
    st.h = h;
    // A lane that converged early was evaluated again at its final h, so after convergence nh
    // belongs to h in every lane.
    st.nh = nh;
    st.nhKnown = converged;
    return {lp, bp};
}

template <class V>
SvfStageState<V> LoadSvfStage(const Lanes<SvfChannelState, V>& lanes, int i) {
    using S = SvfChannelState;
    SvfStageState<V> st;
    st.bp = lanes.LoadAt(&S::bpState, i);
    st.lp = lanes.LoadAt(&S::lpState, i);
    st.h = lanes.LoadAt(&S::hpGuess, i);
    return st;
}

template <class V>
void StoreSvfStage(const Lanes<SvfChannelState, V>& lanes, int i, const SvfStageState<V>& st) {
    using S = SvfChannelState;
    lanes.StoreAt(&S::bpState, i, st.bp);
    lanes.StoreAt(&S::lpState, i, st.lp);
    lanes.StoreAt(&S::hpGuess, i, st.h);
}

template <class N, class V>
SvfOutputs<V> SvfStage(const Lanes<SvfChannelState, V>& lanes, int i, V u, V gp, V k) {
    SvfStageState<V> st = LoadSvfStage(lanes, i);
    const SvfOutputs<V> out = SolveSvfStage<N>(st, u, gp, k);
    StoreSvfStage(lanes, i, st);
    return out;
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

using quendaris::Abs;
using quendaris::AllLanes;
using quendaris::AndNot;
using quendaris::Any;
using quendaris::PadeTanh;
using quendaris::Select;
using quendaris::TableTanh;

// Two independent filter stages side by side, four lanes as two pairs (or two lanes as one pair
// for a lone channel); every operation works lane by lane.
struct Quad {
    DoublePair lo, hi;
    Quad() = default;
    Quad(double x) : lo(x), hi(x) {}
    Quad(DoublePair l, DoublePair h) : lo(l), hi(h) {}
};
struct QuadMask {
    PairMask lo, hi;
};
inline Quad operator+(Quad a, Quad b) {
    return {a.lo + b.lo, a.hi + b.hi};
}
inline Quad operator-(Quad a, Quad b) {
    return {a.lo - b.lo, a.hi - b.hi};
}
inline Quad operator*(Quad a, Quad b) {
    return {a.lo * b.lo, a.hi * b.hi};
}
inline Quad operator/(Quad a, Quad b) {
    return {a.lo / b.lo, a.hi / b.hi};
}
inline Quad operator-(Quad a) {
    return {-a.lo, -a.hi};
}
inline Quad Abs(Quad a) {
    return {Abs(a.lo), Abs(a.hi)};
}
inline QuadMask operator<(Quad a, Quad b) {
    return {a.lo < b.lo, a.hi < b.hi};
}
inline QuadMask AndNot(QuadMask a, QuadMask b) {
    return {AndNot(a.lo, b.lo), AndNot(a.hi, b.hi)};
}
inline QuadMask AllLanes(QuadMask m) {
    return {AllLanes(m.lo), AllLanes(m.hi)};
}
inline bool Any(QuadMask m) {
    return Any(m.lo) || Any(m.hi);
}
inline Quad Select(QuadMask m, Quad a, Quad b) {
    return {Select(m.lo, a.lo, b.lo), Select(m.hi, a.hi, b.hi)};
}
QUENDARIS_ALWAYS_INLINE Quad TableTanh(Quad x) {
    return {TableTanh(x.lo), TableTanh(x.hi)};
}
QUENDARIS_ALWAYS_INLINE Quad PadeTanh(Quad x) {
    return {PadeTanh(x.lo), PadeTanh(x.hi)};
}

// The two-stage type for a lane type, with its halves.
template <class V>
struct Wide;
template <>
struct Wide<double> {
    using type = DoublePair;
    static DoublePair Join(double a, double b) { return {a, b}; }
    static double Low(DoublePair w) { return w.Lane0(); }
    static double High(DoublePair w) { return w.Lane1(); }
};
template <>
struct Wide<DoublePair> {
    using type = Quad;
    static Quad Join(DoublePair a, DoublePair b) { return {a, b}; }
    static DoublePair Low(const Quad& w) { return w.lo; }
    static DoublePair High(const Quad& w) { return w.hi; }
};

// "S-Filter": resonance sets Q, the output carries some band-pass.
struct SModel {
    using N = SSaturation;
    template <class V>
    static V Damping(V r, bool fourPole) {
        const V q = fourPole ? 0.7 + 15.0 * r : 0.7 + 49.0 * r;
        return 1.0 / Max(q, 0.1);
    }
    static bool Cascaded(int, bool fourPole) { return fourPole; }
    template <class V>
    static V Output(const SvfOutputs<V>& last, bool) {
        return last.lp + 0.15 * last.bp;
    }
};

// "W-Filter": damping from the resonance, the cascade's output scaled down.
struct WModel {
    using N = WSaturation;
    template <class V>
    static V Damping(V r, bool) {
        return 2.0 * (1.0 - Min(r, 0.99));
    }
    static bool Cascaded(int poles, bool) { return poles > 2; }
    template <class V>
    static V Output(const SvfOutputs<V>& last, bool cascaded) {
        return cascaded ? 0.7 * last.lp : last.lp;
    }
};

template <class V>
struct SvfSetup {
    V drift1, drift2;
    V gp1, gp2, k;
};

// SFilterStep and WFilterStep over a run of samples with the state in registers. In the cascade
// the second stage of one sample and the first stage of the next do not depend on each other, so
// they are solved side by side as one wider stage. Results are exactly those of the single steps.
template <class Model, class V>
class SvfRun {
  public:
    SvfRun(const Lanes<SvfChannelState, V>& lanes, int poles, bool fourPole)
        : lanes_(lanes), fourPole_(fourPole), cascaded_(Model::Cascaded(poles, fourPole)) {
        Load();
    }

    template <class StepOne, class Guard>
    void Run(const V* x, const V* g, const V* r, V* y, int n, StepOne stepOne, Guard guard) {
        if (cascaded_) {
            RunCascade(x, g, r, y, n, stepOne, guard);
        } else {
            RunSingleStage(x, g, r, y, n, stepOne, guard);
        }
    }

  private:
    using S = SvfChannelState;
    using N = typename Model::N;
    using W = Wide<V>;
    using WV = typename W::type;

    void Load() {
        first_ = LoadSvfStage(lanes_, 0);
        second_ = LoadSvfStage(lanes_, 1);
        drift1_ = lanes_.Load(&S::drift1);
        drift2_ = lanes_.Load(&S::drift2);
    }

    void Store() const {
        StoreSvfStage(lanes_, 0, first_);
        StoreSvfStage(lanes_, 1, second_);
        lanes_.Store(&S::drift1, drift1_);
        lanes_.Store(&S::drift2, drift2_);
    }

    SvfSetup<V> Prepare(V g, V r) const {
        SvfSetup<V> c;
        c.k = Model::Damping(r, fourPole_);
        c.drift1 = DriftStep(drift1_, lanes_.DrawNoise());
        c.drift2 = DriftStep(drift2_, lanes_.DrawNoise());
        const V G = g / (1.0 + g);
        c.gp1 = G * (1.0 + kDriftDepth * c.drift1);
        c.gp2 = G * (1.0 + kDriftDepth * c.drift2);
        return c;
    }

    void Start(const SvfSetup<V>& c) {
        drift1_ = c.drift1;
        drift2_ = c.drift2;
    }

    static bool Finite(double v) { return std::isfinite(v); }
    static bool Finite(DoublePair v) {
        return std::isfinite(v.Lane0()) && std::isfinite(v.Lane1());
    }

    template <class StepOne, class Guard>
    V Checked(V out, StepOne&, Guard& guard) {
        if (Finite(out)) {
            return out;
        }
        Store();
        out = guard(out);
        Load();
        return out;
    }

    template <class StepOne, class Guard>
    void RunSingleStage(const V* x, const V* g, const V* r, V* y, int n, StepOne& stepOne,
                        Guard& guard) {
        const V minCoefficient = kMinCoefficient;
        for (int j = 0; j < n; ++j) {
            if (Any(g[j] < minCoefficient)) {
                Store();
                y[j] = stepOne(j);
                Load();
                continue;
            }
            const SvfSetup<V> c = Prepare(g[j], r[j]);
            Start(c);
            const SvfOutputs<V> out = SolveSvfStage<N>(first_, x[j], c.gp1, c.k);
            y[j] = Checked(Model::Output(out, false), stepOne, guard);
        }
        Store();
    }

    template <class StepOne, class Guard>
    void RunCascade(const V* x, const V* g, const V* r, V* y, int n, StepOne& stepOne,
                    Guard& guard) {
        const V minCoefficient = kMinCoefficient;
        SvfSetup<V> cur{};
        V firstLp{};
        bool firstDone = false;  // the first stage of sample j has run, with cur and firstLp
        for (int j = 0; j < n; ++j) {
            if (!firstDone) {
                if (Any(g[j] < minCoefficient)) {
                    Store();
                    y[j] = stepOne(j);
                    Load();
                    continue;
                }
                cur = Prepare(g[j], r[j]);
                Start(cur);
                firstLp = SolveSvfStage<N>(first_, x[j], cur.gp1, cur.k).lp;
            }
            firstDone = false;
            if (j + 1 < n && !Any(g[j + 1] < minCoefficient)) {
                const Generators generators = lanes_.SaveGenerators();
                const SvfStageState<V> firstBefore = first_;
                const SvfSetup<V> next = Prepare(g[j + 1], r[j + 1]);
                SvfStageState<WV> both;
                both.bp = W::Join(first_.bp, second_.bp);
                both.lp = W::Join(first_.lp, second_.lp);
                both.h = W::Join(first_.h, second_.h);
                both.nhKnown = first_.nhKnown && second_.nhKnown;
                if (both.nhKnown) {
                    both.nh.value = W::Join(first_.nh.value, second_.nh.value);
                    both.nh.slope = W::Join(first_.nh.slope, second_.nh.slope);
                }
                const SvfOutputs<WV> out =
                    SolveSvfStage<N>(both, W::Join(x[j + 1], firstLp), W::Join(next.gp1, cur.gp2),
                                     W::Join(next.k, cur.k));
                Split(both);
                const V yj = Model::Output(SvfOutputs<V>{W::High(out.lp), W::High(out.bp)}, true);
                if (Finite(yj)) {
                    y[j] = yj;
                    Start(next);
                    cur = next;
                    firstLp = W::Low(out.lp);
                    firstDone = true;
                    continue;
                }
                // The guard clears this sample's state: the next sample starts again from there.
                lanes_.RestoreGenerators(generators);
                first_ = firstBefore;
                y[j] = Checked(yj, stepOne, guard);
                continue;
            }
            const SvfOutputs<V> out = SolveSvfStage<N>(second_, firstLp, cur.gp2, cur.k);
            y[j] = Checked(Model::Output(out, true), stepOne, guard);
        }
        Store();
    }

    void Split(const SvfStageState<WV>& both) {
        first_.bp = W::Low(both.bp);
        first_.lp = W::Low(both.lp);
        first_.h = W::Low(both.h);
        first_.nh = {W::Low(both.nh.value), W::Low(both.nh.slope)};
        first_.nhKnown = both.nhKnown;
        second_.bp = W::High(both.bp);
        second_.lp = W::High(both.lp);
        second_.h = W::High(both.h);
        second_.nh = {W::High(both.nh.value), W::High(both.nh.slope)};
        second_.nhKnown = both.nhKnown;
    }

    const Lanes<SvfChannelState, V>& lanes_;
    const bool fourPole_;
    const bool cascaded_;
    SvfStageState<V> first_, second_;
    V drift1_, drift2_;
};

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
        case kSFilter:
        case kWFilter: {
            const auto lanes = LanesOf(svf_[SvfSlot(model)], V());
            const auto stepOne = [&](int j) {
                return StepOne(model, x[j], g[j], r[j], poles, fourPole);
            };
            const auto guard = [&](V out) { return GuardResult(model, out); };
            if (model == kSFilter) {
                SvfRun<SModel, V>(lanes, poles, fourPole).Run(x, g, r, y, n, stepOne, guard);
            } else {
                SvfRun<WModel, V>(lanes, poles, fourPole).Run(x, g, r, y, n, stepOne, guard);
            }
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
