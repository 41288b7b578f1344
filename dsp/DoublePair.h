#pragma once

#include <cmath>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define QUENDARIS_PAIR_SSE2 1
#endif

// For small helpers on the filters' serial critical path, where a call would add latency.
#if defined(__GNUC__) || defined(__clang__)
#define QUENDARIS_ALWAYS_INLINE inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define QUENDARIS_ALWAYS_INLINE __forceinline
#else
#define QUENDARIS_ALWAYS_INLINE inline
#endif

namespace quendaris {

// Two doubles, one per stereo channel, processed in lock-step. Every operation rounds each lane
// exactly as the scalar operation does (no fused multiply-add), so a channel gives bit-identical
// results whether it runs alone or paired.
#if QUENDARIS_PAIR_SSE2
struct DoublePair {
    __m128d v;
    DoublePair() : v(_mm_setzero_pd()) {}
    DoublePair(__m128d x) : v(x) {}
    DoublePair(double x) : v(_mm_set1_pd(x)) {}
    DoublePair(double lane0, double lane1) : v(_mm_set_pd(lane1, lane0)) {}
    double Lane0() const { return _mm_cvtsd_f64(v); }
    double Lane1() const { return _mm_cvtsd_f64(_mm_unpackhi_pd(v, v)); }
};

// Per-lane truth value of a comparison.
struct PairMask {
    __m128d m;
};

inline DoublePair operator+(DoublePair a, DoublePair b) {
    return _mm_add_pd(a.v, b.v);
}
inline DoublePair operator-(DoublePair a, DoublePair b) {
    return _mm_sub_pd(a.v, b.v);
}
inline DoublePair operator*(DoublePair a, DoublePair b) {
    return _mm_mul_pd(a.v, b.v);
}
inline DoublePair operator/(DoublePair a, DoublePair b) {
    return _mm_div_pd(a.v, b.v);
}
inline DoublePair operator-(DoublePair a) {
    return _mm_xor_pd(a.v, _mm_set1_pd(-0.0));
}
inline DoublePair Abs(DoublePair a) {
    return _mm_andnot_pd(_mm_set1_pd(-0.0), a.v);
}
inline PairMask operator<(DoublePair a, DoublePair b) {
    return {_mm_cmplt_pd(a.v, b.v)};
}
// Lanes where a < b fails, NaN included.
inline PairMask NotLess(DoublePair a, DoublePair b) {
    return {_mm_cmpnlt_pd(a.v, b.v)};
}
inline PairMask AndNot(PairMask a, PairMask b) {
    return {_mm_andnot_pd(a.m, b.m)};
}
inline PairMask AllLanes(PairMask) {
    return {_mm_castsi128_pd(_mm_set1_epi32(-1))};
}
inline bool Any(PairMask m) {
    return _mm_movemask_pd(m.m) != 0;
}
inline bool All(PairMask m) {
    return _mm_movemask_pd(m.m) == 3;
}
inline DoublePair Select(PairMask m, DoublePair a, DoublePair b) {
    return _mm_or_pd(_mm_and_pd(m.m, a.v), _mm_andnot_pd(m.m, b.v));
}
#else
struct DoublePair {
    double l0 = 0.0, l1 = 0.0;
    DoublePair() = default;
    DoublePair(double x) : l0(x), l1(x) {}
    DoublePair(double lane0, double lane1) : l0(lane0), l1(lane1) {}
    double Lane0() const { return l0; }
    double Lane1() const { return l1; }
};

struct PairMask {
    bool b0, b1;
};

inline DoublePair operator+(DoublePair a, DoublePair b) {
    return {a.l0 + b.l0, a.l1 + b.l1};
}
inline DoublePair operator-(DoublePair a, DoublePair b) {
    return {a.l0 - b.l0, a.l1 - b.l1};
}
inline DoublePair operator*(DoublePair a, DoublePair b) {
    return {a.l0 * b.l0, a.l1 * b.l1};
}
inline DoublePair operator/(DoublePair a, DoublePair b) {
    return {a.l0 / b.l0, a.l1 / b.l1};
}
inline DoublePair operator-(DoublePair a) {
    return {-a.l0, -a.l1};
}
inline DoublePair Abs(DoublePair a) {
    return {std::fabs(a.l0), std::fabs(a.l1)};
}
inline PairMask operator<(DoublePair a, DoublePair b) {
    return {a.l0 < b.l0, a.l1 < b.l1};
}
inline PairMask NotLess(DoublePair a, DoublePair b) {
    return {!(a.l0 < b.l0), !(a.l1 < b.l1)};
}
inline PairMask AndNot(PairMask a, PairMask b) {
    return {!a.b0 && b.b0, !a.b1 && b.b1};
}
inline PairMask AllLanes(PairMask) {
    return {true, true};
}
inline bool Any(PairMask m) {
    return m.b0 || m.b1;
}
inline bool All(PairMask m) {
    return m.b0 && m.b1;
}
inline DoublePair Select(PairMask m, DoublePair a, DoublePair b) {
    return {m.b0 ? a.l0 : b.l0, m.b1 ? a.l1 : b.l1};
}
#endif

// The same vocabulary for a single channel, so that one template serves both.
inline double Abs(double a) {
    return std::fabs(a);
}
inline bool NotLess(double a, double b) {
    return !(a < b);
}
inline bool AndNot(bool a, bool b) {
    return !a && b;
}
inline bool AllLanes(bool) {
    return true;
}
inline bool Any(bool m) {
    return m;
}
inline bool All(bool m) {
    return m;
}
inline double Select(bool m, double a, double b) {
    return m ? a : b;
}

template <class T>
struct NotDeduced {
    using type = T;
};

// std::min, std::max and std::clamp lane by lane, with the same tie and order rules.
template <class V>
V Min(V a, typename NotDeduced<V>::type b) {
    return Select(b < a, b, a);
}
template <class V>
V Max(V a, typename NotDeduced<V>::type b) {
    return Select(a < b, b, a);
}
template <class V>
V Clamp(V x, typename NotDeduced<V>::type lo, typename NotDeduced<V>::type hi) {
    return Select(x < lo, lo, Select(hi < x, hi, x));
}

// Applies a scalar function to each lane.
template <class F>
double PerLane(double x, F f) {
    return f(x);
}
template <class F>
DoublePair PerLane(DoublePair x, F f) {
    return {f(x.Lane0()), f(x.Lane1())};
}

}  // namespace quendaris
