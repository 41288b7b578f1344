#include "Oversampler.h"

#include <cmath>

namespace quendaris {
namespace {

constexpr double kPi = 3.141592653589793;

// Modified Bessel function of the first kind, order 0, by its power series.
double BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k <= 31; ++k) {
        term = term * (x * x) / (4.0 * k * k);
        sum += term;
        if (term < 1e-12 * sum) {
            break;
        }
    }
    return sum;
}

}  // namespace

Oversampler::Oversampler() {
    const int centre = kHistory / 2;
    const double i0Beta = BesselI0(8.0);
    double sum = 0.0;
    for (int i = 0; i < kTaps; ++i) {
        const double a = static_cast<double>(i - centre);
        // sinc cut at one eighth of the 4x rate, i.e. the host Nyquist frequency
        const double sinc =
            std::fabs(a) < 1e-12 ? 0.25 : std::sin(a * 0.7853981633974483) / (a * kPi);
        const double ratio = a / centre;
        const double window =
            std::fabs(ratio) < 1.0 ? BesselI0(8.0 * std::sqrt(1.0 - ratio * ratio)) / i0Beta : 0.0;
        kernel_[i] = window * sinc;
        sum += kernel_[i];
    }
    for (double& tap : kernel_) {
        tap /= sum;
    }
}

void Oversampler::ClearHistory() {
    for (auto& channel : history_) {
        for (double& v : channel) {
            v = 0.0;
        }
    }
}

bool Oversampler::HistoryIsClear() const {
    for (const auto& channel : history_) {
        for (double v : channel) {
            if (v != 0.0) {
                return false;
            }
        }
    }
    return true;
}

void Oversampler::Upsample(const double* in, double* out, int channel, int nFrames) {
    double* history = history_[channel];
    const int n = kFactor * nFrames;
    // Sample m of the zero-stuffed stream; negative m reaches into the history.
    auto stuffed = [&](int m) {
        if (m < 0) {
            return history[kHistory + m];
        }
        return m % kFactor == 0 ? in[m / kFactor] : 0.0;
    };
    for (int j = 0; j < n; ++j) {
        double acc = 0.0;
        for (int k = 0; k < kTaps; ++k) {
            acc += kernel_[k] * stuffed(j - k);
        }
        out[j] = kFactor * acc;
    }
    double newHistory[kHistory];
    for (int i = 0; i < kHistory; ++i) {
        newHistory[i] = stuffed(n - kHistory + i);
    }
    for (int i = 0; i < kHistory; ++i) {
        history[i] = newHistory[i];
    }
}

void Oversampler::Downsample(const double* in, double* out, int channel, int nFrames) {
    double* history = history_[channel];
    const int n = kFactor * nFrames;
    auto stream = [&](int m) { return m < 0 ? history[kHistory + m] : in[m]; };
    for (int i = 0; i < nFrames; ++i) {
        double acc = 0.0;
        for (int k = 0; k < kTaps; ++k) {
            acc += kernel_[k] * stream(kFactor * i - k);
        }
        out[i] = acc;
    }
    double newHistory[kHistory];
    for (int i = 0; i < kHistory; ++i) {
        newHistory[i] = stream(n - kHistory + i);
    }
    for (int i = 0; i < kHistory; ++i) {
        history[i] = newHistory[i];
    }
}

}  // namespace quendaris
