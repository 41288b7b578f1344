#pragma once

#include <cmath>

#include "pluginterfaces/base/funknown.h"

// Nothing may cross the host boundary but a result: calls into SDK helpers and allocations
// run inside these guards, and whatever they throw becomes a plain refusal.
namespace quendaris::vst3 {

template <typename Call>
Steinberg::tresult Guarded(Call&& call) noexcept {
    try {
        return call();
    } catch (...) {
        return Steinberg::kResultFalse;
    }
}

template <typename Call, typename Value>
Value GuardedValue(Call&& call, Value fallback) noexcept {
    try {
        return call();
    } catch (...) {
        return fallback;
    }
}

// A host's normalised value brought into 0 ... 1; not-a-number becomes the fallback.
inline double ClampNormalized(double value, double fallback) {
    if (std::isnan(value))
        return fallback;
    return value < 0.0 ? 0.0 : (value > 1.0 ? 1.0 : value);
}

}  // namespace quendaris::vst3
