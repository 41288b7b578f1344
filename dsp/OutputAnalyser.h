#pragma once

#include <atomic>
#include <vector>

#include "DoublePair.h"

namespace quendaris {

// Collects output samples into non-overlapping frames of 2048, windows them (Hann), transforms
// them and keeps an exponentially smoothed magnitude spectrum for the display. All buffers are
// allocated at construction; nothing allocates afterwards.
class OutputAnalyser {
  public:
    static constexpr int kBits = 11;
    static constexpr int kSize = 1 << kBits;

    OutputAnalyser();

    // Audio thread, once per output frame. A complete frame is transformed when the next
    // sample arrives.
    void FeedAnalyzerSample(float value);
    // Set-up thread: rebuilds the window and clears frame and spectrum.
    void Reset();

    // kSize magnitudes; read by the display without locking (each bin is one whole float).
    const float* SmoothedSpectrum() const { return smoothedSpectrum_.data(); }
    int FrameCount() const { return frameCount_; }
    // Changes each time the smoothed spectrum is replaced (a completed frame or a reset); read
    // before the spectrum, it tells the display whether anything new arrived since it looked.
    unsigned PublishedFrames() const { return published_.load(std::memory_order_acquire); }

    // Forward, unnormalised 2048-point FFT of real input in place: magnitudes replace samples.
    void TransformToMagnitudes(float* samples);

  private:
    void CompleteFrame();
    void Publish();
    void ButterfliesInPairs(double* re, double* im, int span, int twiddleStride);

    std::vector<int> bitReverse_;
    std::vector<double> twiddleRe_, twiddleIm_;
    std::vector<float> frameSamples_;
    int frameCount_ = 0;
    std::vector<float> hannWindow_;
    std::vector<float> fftWork_;
    std::vector<float> smoothedSpectrum_;
    std::vector<double> workRe_, workIm_;  // complex work buffer, reused by every transform
    std::atomic<unsigned> published_{0};
};

}  // namespace quendaris
