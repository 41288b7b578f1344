#include "OutputAnalyser.h"

#include <algorithm>
#include <cmath>

namespace quendaris {

OutputAnalyser::OutputAnalyser()
    : bitReverse_(kSize),
      twiddleRe_(kSize / 2),
      twiddleIm_(kSize / 2),
      frameSamples_(kSize, 0.0f),
      hannWindow_(kSize, 0.0f),
      fftWork_(kSize, 0.0f),
      smoothedSpectrum_(kSize, 0.0f),
      workRe_(kSize, 0.0),
      workIm_(kSize, 0.0) {
    for (int i = 0; i < kSize; ++i) {
        int reversed = 0;
        for (int bit = 0; bit < kBits; ++bit) {
            if (i & (1 << bit)) {
                reversed |= 1 << (kBits - 1 - bit);
            }
        }
        bitReverse_[i] = reversed;
    }
    for (int i = 0; i < kSize / 2; ++i) {
        const double angle = i * -6.283185307179586 * (1.0 / kSize);
        twiddleRe_[i] = std::cos(angle);
        twiddleIm_[i] = std::sin(angle);
    }
}

void OutputAnalyser::Reset() {
    for (int k = 0; k < kSize; ++k) {
        // Symmetric Hann window: both end points are 0.
        hannWindow_[k] = (1.0f - std::cos((static_cast<float>(k) * 6.2831855f) / 2047.0f)) * 0.5f;
    }
    frameCount_ = 0;
    std::fill(frameSamples_.begin(), frameSamples_.end(), 0.0f);
    std::fill(fftWork_.begin(), fftWork_.end(), 0.0f);
    std::fill(smoothedSpectrum_.begin(), smoothedSpectrum_.end(), 0.0f);
    Publish();
}

// Only the audio thread (or set-up, while audio is stopped) writes; the release store orders
// the spectrum's bins before the new count.
void OutputAnalyser::Publish() {
    published_.store(published_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
}

void OutputAnalyser::FeedAnalyzerSample(float value) {
    if (frameCount_ == kSize) {
        CompleteFrame();
    }
    frameSamples_[frameCount_] = value;
    ++frameCount_;
}

void OutputAnalyser::CompleteFrame() {
    for (int i = 0; i < kSize; ++i) {
        fftWork_[i] = hannWindow_[i] * frameSamples_[i];
    }
    TransformToMagnitudes(fftWork_.data());
    for (int k = 0; k < kSize; ++k) {
        smoothedSpectrum_[k] = 0.85f * smoothedSpectrum_[k] + 0.15f * fftWork_[k];
    }
    Publish();
    frameCount_ = 0;
}

namespace {

DoublePair LoadPair(const double* p) {
#if QUENDARIS_PAIR_SSE2
    return _mm_loadu_pd(p);
#else
    return {p[0], p[1]};
#endif
}

void StorePair(double* p, DoublePair v) {
#if QUENDARIS_PAIR_SSE2
    _mm_storeu_pd(p, v.v);
#else
    p[0] = v.Lane0();
    p[1] = v.Lane1();
#endif
}

}  // namespace

// One stage of the transform with two neighbouring butterflies side by side; each is rounded
// exactly as on its own.
void OutputAnalyser::ButterfliesInPairs(double* re, double* im, int span, int twiddleStride) {
    const int half = span / 2;
    for (int b = 0; b < kSize; b += span) {
        for (int k = 0; k < half; k += 2) {
            const DoublePair wr(twiddleRe_[k * twiddleStride], twiddleRe_[(k + 1) * twiddleStride]);
            const DoublePair wi(twiddleIm_[k * twiddleStride], twiddleIm_[(k + 1) * twiddleStride]);
            const int lo = b + k;
            const int up = lo + half;
            const DoublePair reUp = LoadPair(re + up);
            const DoublePair imUp = LoadPair(im + up);
            const DoublePair reLo = LoadPair(re + lo);
            const DoublePair imLo = LoadPair(im + lo);
            const DoublePair tr = wr * reUp - wi * imUp;
            const DoublePair ti = wr * imUp + wi * reUp;
            StorePair(re + up, reLo - tr);
            StorePair(im + up, imLo - ti);
            StorePair(re + lo, reLo + tr);
            StorePair(im + lo, imLo + ti);
        }
    }
}

void OutputAnalyser::TransformToMagnitudes(float* samples) {
    double* re = workRe_.data();
    double* im = workIm_.data();
    for (int i = 0; i < kSize; ++i) {
        re[i] = samples[bitReverse_[i]];
        im[i] = 0.0;
    }
    // Radix-2 decimation in time.
    for (int s = 1; s <= kBits; ++s) {
        const int span = 1 << s;
        const int half = span / 2;
        const int twiddleStride = 1 << (kBits - s);
        if (half >= 2) {
            ButterfliesInPairs(re, im, span, twiddleStride);
            continue;
        }
        for (int b = 0; b < kSize; b += span) {
            for (int k = 0; k < half; ++k) {
                const double wr = twiddleRe_[k * twiddleStride];
                const double wi = twiddleIm_[k * twiddleStride];
                const int lo = b + k;
                const int up = lo + half;
                const double tr = wr * re[up] - wi * im[up];
                const double ti = wr * im[up] + wi * re[up];
                re[up] = re[lo] - tr;
                im[up] = im[lo] - ti;
                re[lo] = re[lo] + tr;
                im[lo] = im[lo] + ti;
            }
        }
    }
    for (int k = 0; k < kSize; ++k) {
        samples[k] = static_cast<float>(std::sqrt(re[k] * re[k] + im[k] * im[k]));
    }
}

}  // namespace quendaris
