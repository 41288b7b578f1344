#pragma once

#include <cmath>

namespace quendaris {

struct CrossfadeWeights {
    double incoming;
    double outgoing;
};

// Equal-power weights at fade progress 0 … 1: the summed power of two uncorrelated signals
// stays constant through the fade.
inline CrossfadeWeights EqualPowerWeights(double progress) {
    const double phi = progress * 3.141592653589793 * 0.5;
    return {std::sin(phi), std::cos(phi)};
}

}  // namespace quendaris
