#pragma once

#include <array>

#include "DoublePair.h"

namespace quendaris {

// One 4x FIR stage (interpolator or decimator) for up to two channels, with a 33-tap
// Kaiser-windowed low-pass kernel cut at the host Nyquist frequency. Together an upsampler and a
// downsampler delay the signal by 32 samples at the 4x rate, 8 host samples.
class Oversampler {
  public:
    static constexpr int kFactor = 4;
    static constexpr int kTaps = 33;
    static constexpr int kHistory = kTaps - 1;
    static constexpr int kChannels = 2;
    // Non-zero samples of the zero-stuffed stream under the kernel: (kTaps - 1) / kFactor.
    static constexpr int kPhaseTaps = kHistory / kFactor;

    Oversampler();

    // in: nFrames host samples; out: 4 * nFrames samples at the 4x rate. Gain 1 in the passband.
    void Upsample(const double* in, double* out, int channel, int nFrames);
    // in: 4 * nFrames samples at the 4x rate; out: nFrames host samples.
    void Downsample(const double* in, double* out, int channel, int nFrames);

    // Channels 0 and 1 together, lane for lane identical to the single-channel forms; the 4x
    // stream is held as one pair (channel 0, channel 1) per sample.
    void UpsamplePair(const double* in0, const double* in1, DoublePair* out, int nFrames);
    void DownsamplePair(const DoublePair* in, double* out0, double* out1, int nFrames);

    void ClearHistory();

    const std::array<double, kTaps>& Kernel() const { return kernel_; }
    // True when no past sample of either channel is remembered.
    bool HistoryIsClear() const;
    // The remembered past of one channel, kHistory values.
    const double* History(int channel) const { return history_[channel]; }

  private:
    std::array<double, kTaps> kernel_{};
    DoublePair kernelPairs_[kTaps];  // each tap in both lanes, for the two-channel forms
    // Decimator: the last 32 samples of each channel's 4x stream. Interpolator: the last
    // kPhaseTaps input samples (the non-zero part of its zero-stuffed stream), oldest first.
    double history_[kChannels][kHistory] = {};
};

}  // namespace quendaris
