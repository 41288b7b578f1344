#pragma once

namespace quendaris {

// The display's axes: a logarithmic frequency axis from 20 Hz to 20 kHz across [left, right],
// the spectrum's 60 dB level range and the response curve's +-48 dB range down the panel.
// Everything in single precision, as the display draws.
class SpectrumScale {
  public:
    static constexpr float kMinFrequency = 20.0f;
    static constexpr float kMaxFrequency = 20000.0f;
    static constexpr int kSpectrumSize = 2048;
    static constexpr int kFirstBin = 1;
    static constexpr int kLastBin = 1023;

    SpectrumScale(float left, float top, float right, float bottom);

    float FreqToX(float frequency) const;
    // Frequency of analyser bin `bin` at sampleRate.
    static float BinFrequency(int bin, float sampleRate);
    // Level of a spectrum magnitude at frequency, tilted +4.5 dB per octave above 20 Hz and
    // relative to the transform length, clamped to [-60, 0] dB.
    static float SpectrumLevel(float magnitude, float frequency);
    // 0 dB at the top edge, -60 dB at the bottom.
    float SpectrumY(float level) const;
    // Response level in dB: soft-limited above +24 dB, clamped to [-48, 48].
    static float ResponseLevel(float magnitude);
    // +48 dB at the top edge, 0 dB in the middle, -48 dB at the bottom.
    float ResponseY(float level) const;

  private:
    float mLeft, mTop, mRight, mBottom;
    float mXPerDecade;
};

}  // namespace quendaris
