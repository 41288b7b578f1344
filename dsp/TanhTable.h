#pragma once

#include <cmath>

#include "DoublePair.h"

namespace quendaris {

// Process-wide lookup of tanh and log(cosh) on [0, 16], filled during static initialisation and
// read-only afterwards. Cubic (Catmull-Rom) interpolation between the sample points.
namespace tanh_table {
constexpr int kPoints = 65536;         // sample points 0 … 16 inclusive
constexpr int kEntries = kPoints + 2;  // two guard entries for the interpolation
constexpr double kRange = 16.0;
constexpr double kScale = 4095.9375;  // entries per unit, (kPoints - 1) / kRange
constexpr double kLn2 = 0.6931471805599453;

// One interval of the cubic between sample points i and i + 1: v(t) = ((c3 t + c2) t + c1) t + c0
// for 0 <= t < 1. The Catmull-Rom coefficients depend on the four neighbouring points only, so
// they are worked out once, in the same order of operations as an interpolation would.
struct Segment {
    double c3, c2, c1, c0;
};

// Written once by the static initialiser of TanhTable.cpp, read-only afterwards. Segment i starts
// at sample point i; the point left of 0 is taken as 0.
extern Segment tanhSegments[kPoints];
extern Segment logCoshSegments[kPoints];
inline const Segment* TanhSegments() {
    return tanhSegments;
}
inline const Segment* LogCoshSegments() {
    return logCoshSegments;
}

// Catmull-Rom interpolation of an even/odd table at |x| < 16.
QUENDARIS_ALWAYS_INLINE double Interpolate(const Segment* segments, double a) {
    const double b = a * kScale;
    const int i = static_cast<int>(b);
    const double t = b - i;
    const Segment& s = segments[i];
    return ((s.c3 * t + s.c2) * t + s.c1) * t + s.c0;
}
}  // namespace tanh_table

// tanh from the table; exactly ±1 from |x| = 16 on. NaN stays NaN (never an index).
QUENDARIS_ALWAYS_INLINE double TableTanh(double x) {
    const double a = std::fabs(x);
    if (!(a < tanh_table::kRange)) {
        if (a != a) {
            return x;
        }
        return x > 0.0 ? 1.0 : -1.0;
    }
    const double v = tanh_table::Interpolate(tanh_table::TanhSegments(), a);
    return x > 0.0 ? v : -v;
}

// log(cosh(x)) from the table, the antiderivative of tanh; even in x. NaN stays NaN.
QUENDARIS_ALWAYS_INLINE double TableLogCosh(double x) {
    const double a = std::fabs(x);
    if (!(a < tanh_table::kRange)) {
        return a - tanh_table::kLn2;
    }
    return tanh_table::Interpolate(tanh_table::LogCoshSegments(), a);
}

// Rational tanh for the usual signal range, the table beyond it.
QUENDARIS_ALWAYS_INLINE double PadeTanh(double x) {
    if (std::fabs(x) < 1.5) {
        const double x2 = x * x;
        return x * (x2 + 27.0) / (9.0 * x2 + 27.0);
    }
    return TableTanh(x);
}

namespace tanh_table {
#if QUENDARIS_PAIR_SSE2
// Interpolate() for two arguments below the table range at once, lane for lane identical.
QUENDARIS_ALWAYS_INLINE DoublePair InterpolatePair(const Segment* segments, DoublePair a) {
    const __m128d b = _mm_mul_pd(a.v, _mm_set1_pd(kScale));
    const __m128i index = _mm_cvttpd_epi32(b);
    const int i0 = _mm_cvtsi128_si32(index);
    const int i1 = _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 1));
    const DoublePair t = _mm_sub_pd(b, _mm_cvtepi32_pd(index));
    const double* s0 = &segments[i0].c3;
    const double* s1 = &segments[i1].c3;
    const __m128d high0 = _mm_load_pd(s0);  // c3, c2 of lane 0
    const __m128d high1 = _mm_load_pd(s1);
    const __m128d low0 = _mm_load_pd(s0 + 2);  // c1, c0 of lane 0
    const __m128d low1 = _mm_load_pd(s1 + 2);
    const DoublePair c3 = _mm_unpacklo_pd(high0, high1);
    const DoublePair c2 = _mm_unpackhi_pd(high0, high1);
    const DoublePair c1 = _mm_unpacklo_pd(low0, low1);
    const DoublePair c0 = _mm_unpackhi_pd(low0, low1);
    return ((c3 * t + c2) * t + c1) * t + c0;
}
#endif
}  // namespace tanh_table

// Lanes at or beyond the table's range, or NaN: rare, kept out of line so that the common path
// stays free of spills.
#if defined(__GNUC__) || defined(__clang__)
#define QUENDARIS_COLD __attribute__((noinline, cold))
#else
#define QUENDARIS_COLD
#endif
QUENDARIS_COLD DoublePair TableTanhPerLane(DoublePair x);
QUENDARIS_COLD DoublePair TableLogCoshPerLane(DoublePair x);
// y with the lanes marked outside replaced by the table's tanh of x.
QUENDARIS_COLD DoublePair PadeOutsideLanes(DoublePair x, DoublePair y, PairMask outside);

// Both channels: lookups and the rational form in lock-step.
QUENDARIS_ALWAYS_INLINE DoublePair TableTanh(DoublePair x) {
#if QUENDARIS_PAIR_SSE2
    const DoublePair a = Abs(x);
    if (!Any(NotLess(a, tanh_table::kRange))) {
        const DoublePair v = tanh_table::InterpolatePair(tanh_table::TanhSegments(), a);
        return Select(DoublePair(0.0) < x, v, -v);
    }
#endif
    return TableTanhPerLane(x);
}
QUENDARIS_ALWAYS_INLINE DoublePair TableLogCosh(DoublePair x) {
#if QUENDARIS_PAIR_SSE2
    const DoublePair a = Abs(x);
    if (!Any(NotLess(a, tanh_table::kRange))) {
        return tanh_table::InterpolatePair(tanh_table::LogCoshSegments(), a);
    }
#endif
    return TableLogCoshPerLane(x);
}
QUENDARIS_ALWAYS_INLINE DoublePair PadeTanh(DoublePair x) {
    const DoublePair x2 = x * x;
    const DoublePair y = x * (x2 + 27.0) / (9.0 * x2 + 27.0);
    // x2 < 2.25 exactly when |x| < 1.5: squaring rounds monotonically, 1.5 squares exactly and
    // the largest double below 1.5 squares to below 2.25. NaN counts as outside.
    const PairMask outside = NotLess(x2, 2.25);
    if (Any(outside)) {
        return PadeOutsideLanes(x, y, outside);
    }
    return y;
}

template <class V>
struct AdaaResult {
    V value;  // mean of tanh over [vPrev, v]
    V slope;  // derivative of value with respect to v
};

// First-order antiderivative anti-aliasing of tanh between the previous and the current
// argument; logCoshPrev is TableLogCosh(vPrev), which callers keep across iterations.
template <class V>
QUENDARIS_ALWAYS_INLINE AdaaResult<V> AdaaTanh(V v, V vPrev, V logCoshPrev) {
    const V delta = v - vPrev;
    const auto close = Abs(delta) < V(1e-5);
    const V t = TableTanh(v);
    const V closeSlope = 1.0 - t * t;
    if (All(close)) {
        return {t, closeSlope};
    }
    const V d = TableLogCosh(v) - logCoshPrev;
    AdaaResult<V> r{d / delta, (t * delta - d) / (delta * delta)};
    if (Any(close)) {
        r.value = Select(close, t, r.value);
        r.slope = Select(close, closeSlope, r.slope);
    }
    return r;
}

// AdaaTanh's value alone, for an evaluation whose slope is seldom needed; logCosh is
// TableLogCosh(v), which the caller needs anyway.
template <class V>
QUENDARIS_ALWAYS_INLINE V AdaaValue(V v, V logCosh, V vPrev, V logCoshPrev) {
    const V delta = v - vPrev;
    const auto close = Abs(delta) < V(1e-5);
    if (All(close)) {
        return TableTanh(v);
    }
    const V value = (logCosh - logCoshPrev) / delta;
    if (Any(close)) {
        return Select(close, TableTanh(v), value);
    }
    return value;
}

inline AdaaResult<double> AdaaTanh(double v, double vPrev) {
    return AdaaTanh(v, vPrev, TableLogCosh(vPrev));
}

}  // namespace quendaris
