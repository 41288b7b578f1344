#include "Oversampler.h"

#include <algorithm>
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
    for (int i = 0; i < kTaps; ++i) {
        kernel_[i] /= sum;
        kernelPairs_[i] = DoublePair(kernel_[i]);
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

// Only every fourth sample of the zero-stuffed stream is non-zero, so output phase p needs only
// taps p, p + 4, …: 31 multiplications for four outputs instead of 132. The end taps are zero.
void Oversampler::Upsample(const double* in, double* out, int channel, int nFrames) {
    double* recent = history_[channel];  // last kPhaseTaps inputs, oldest first
    const double* k = kernel_.data();
    for (int i = 0; i < nFrames; ++i) {
        // window[m] is the input m frames back.
        double window[kPhaseTaps + 1];
        window[0] = in[i];
        for (int m = 1; m <= kPhaseTaps; ++m) {
            window[m] = recent[kPhaseTaps - m];
        }
        double* o = out + kFactor * i;
        double acc = 0.0;
        for (int m = 1; m < kPhaseTaps; ++m) {
            acc += k[4 * m] * window[m];
        }
        o[0] = kFactor * acc;
        for (int p = 1; p < kFactor; ++p) {
            acc = 0.0;
            for (int m = 0; m < kPhaseTaps; ++m) {
                acc += k[p + 4 * m] * window[m];
            }
            o[p] = kFactor * acc;
        }
        for (int m = 0; m + 1 < kPhaseTaps; ++m) {
            recent[m] = recent[m + 1];
        }
        recent[kPhaseTaps - 1] = in[i];
    }
}

// Evaluates the 31 non-zero taps at the kept samples only.
void Oversampler::Downsample(const double* in, double* out, int channel, int nFrames) {
    double* history = history_[channel];
    const int n = kFactor * nFrames;
    const double* k = kernel_.data();
    // Frames whose taps reach back into the previous block.
    const int edge = std::min(nFrames, kHistory / kFactor);
    for (int i = 0; i < edge; ++i) {
        double acc = 0.0;
        for (int t = 1; t < kTaps - 1; ++t) {
            const int m = kFactor * i - t;
            acc += k[t] * (m < 0 ? history[kHistory + m] : in[m]);
        }
        out[i] = acc;
    }
    for (int i = edge; i < nFrames; ++i) {
        const double* x = in + kFactor * i;
        double acc = 0.0;
#pragma GCC unroll 32
        for (int t = 1; t < kTaps - 1; ++t) {
            acc += k[t] * x[-t];
        }
        out[i] = acc;
    }
    if (n >= kHistory) {
        std::copy(in + n - kHistory, in + n, history);
    } else {
        std::copy(history + n, history + kHistory, history);
        std::copy(in, in + n, history + kHistory - n);
    }
}

void Oversampler::UpsamplePair(const double* in0, const double* in1, DoublePair* out, int nFrames) {
    const DoublePair* k = kernelPairs_;
    // window[m] is the input pair m frames back.
    DoublePair window[kPhaseTaps + 1];
    for (int m = 1; m <= kPhaseTaps; ++m) {
        window[m] = DoublePair(history_[0][kPhaseTaps - m], history_[1][kPhaseTaps - m]);
    }
    for (int i = 0; i < nFrames; ++i) {
        window[0] = DoublePair(in0[i], in1[i]);
        DoublePair* o = out + kFactor * i;
        DoublePair acc = 0.0;
        for (int m = 1; m < kPhaseTaps; ++m) {
            acc = acc + k[4 * m] * window[m];
        }
        o[0] = static_cast<double>(kFactor) * acc;
        for (int p = 1; p < kFactor; ++p) {
            acc = 0.0;
            for (int m = 0; m < kPhaseTaps; ++m) {
                acc = acc + k[p + 4 * m] * window[m];
            }
            o[p] = static_cast<double>(kFactor) * acc;
        }
        for (int m = kPhaseTaps; m > 0; --m) {
            window[m] = window[m - 1];
        }
    }
    for (int m = 1; m <= kPhaseTaps; ++m) {
        history_[0][kPhaseTaps - m] = window[m].Lane0();
        history_[1][kPhaseTaps - m] = window[m].Lane1();
    }
}

void Oversampler::DownsamplePair(const DoublePair* in, double* out0, double* out1, int nFrames) {
    const int n = kFactor * nFrames;
    const DoublePair* k = kernelPairs_;
    const int edge = std::min(nFrames, kHistory / kFactor);
    for (int i = 0; i < edge; ++i) {
        DoublePair acc = 0.0;
        for (int t = 1; t < kTaps - 1; ++t) {
            const int m = kFactor * i - t;
            const DoublePair x =
                m < 0 ? DoublePair(history_[0][kHistory + m], history_[1][kHistory + m]) : in[m];
            acc = acc + k[t] * x;
        }
        out0[i] = acc.Lane0();
        out1[i] = acc.Lane1();
    }
    for (int i = edge; i < nFrames; ++i) {
        const DoublePair* x = in + kFactor * i;
        DoublePair acc = 0.0;
        // Fully unrolled, the loop bookkeeping would otherwise cost as much as the taps.
#pragma GCC unroll 32
        for (int t = 1; t < kTaps - 1; ++t) {
            acc = acc + k[t] * x[-t];
        }
        out0[i] = acc.Lane0();
        out1[i] = acc.Lane1();
    }
    // The last kHistory samples of (history, in), per channel.
    double tail0[kHistory], tail1[kHistory];
    for (int j = 0; j < kHistory; ++j) {
        const int m = n - kHistory + j;
        const DoublePair x =
            m < 0 ? DoublePair(history_[0][kHistory + m], history_[1][kHistory + m]) : in[m];
        tail0[j] = x.Lane0();
        tail1[j] = x.Lane1();
    }
    std::copy(tail0, tail0 + kHistory, history_[0]);
    std::copy(tail1, tail1 + kHistory, history_[1]);
}

}  // namespace quendaris
