#include "ResponseCurve.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace quendaris {
namespace {

using Complex = std::complex<double>;
constexpr double kPi = 3.141592653589793;

// Ladder models: cascaded one-poles with the corner at 1 / corner, global feedback as a notch
// in the denominator, and the model's make-up gain.
Complex LadderResponse(Complex s, double corner, double rho, bool fourPole, double makeUp) {
    const Complex h1 = 1.0 / (1.0 + corner * s);
    const Complex h1Squared = h1 * h1;
    const Complex h1Fourth = h1Squared * h1Squared;
    const Complex n = fourPole ? h1Fourth : h1Squared;
    return n / (1.0 + 3.96 * rho * h1Fourth) * (1.0 + makeUp * rho);
}

}  // namespace

float ResponseMagnitude(const ResponseSettings& settings, float frequencyHz) {
    const double fs = settings.sampleRate;
    const double rho = settings.resonance * 0.01f;
    const double f = std::max(frequencyHz, 20.0f);
    const double tanF = std::tan(kPi * f / fs);
    const double tanC = std::tan(kPi * static_cast<double>(settings.cutoff) / fs);
    const Complex s(0.0, tanF / tanC);
    Complex h(1.0, 0.0);
    switch (settings.model) {
        case 0:
            h = LadderResponse(s, 1.0, rho, settings.fourPole, 0.05);
            break;
        case 1: {
            const double q = settings.fourPole ? 0.7 + 15.0 * rho : 0.7 + 49.0 * rho;
            const Complex h2 = 1.0 / (s * s + s / q + 1.0);
            h = (settings.fourPole ? h2 * h2 : h2) * (1.0 + 0.1 * rho);
            break;
        }
        case 2:
            h = LadderResponse(s, 0.92, rho, settings.fourPole, 0.45);
            break;
        case 3: {
            const Complex sw(0.0, tanF / (1.06 * tanC));
            const double v = 1.0 - std::min(settings.resonance * 0.01f, 0.995f);
            const Complex h2 = 1.0 / (sw * sw + 2.0 * v * sw + 1.0);
            h = (settings.fourPole ? h2 * h2 : h2) * 1.15;
            break;
        }
        default:
            break;
    }
    return static_cast<float>(std::max(std::hypot(h.real(), h.imag()), 1e-5));
}

}  // namespace quendaris
