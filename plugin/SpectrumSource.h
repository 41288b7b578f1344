#pragma once

namespace quendaris {

class FilterEngine;

// Everything a drawn display depends on besides the bins themselves: when two reads are equal,
// a repaint would give the same pixels.
struct DisplayState {
    unsigned spectrumFrames = 0;  // changes with every newly published spectrum
    double sampleRate = 0.0;
    float cutoff = 0.0f;
    float resonance = 0.0f;
    int model = 0;
    bool fourPole = false;

    bool operator==(const DisplayState& o) const {
        return spectrumFrames == o.spectrumFrames && sampleRate == o.sampleRate &&
               cutoff == o.cutoff && resonance == o.resonance && model == o.model &&
               fourPole == o.fourPole;
    }
    bool operator!=(const DisplayState& o) const { return !(*this == o); }
};

// What the spectrum display reads each frame. Every read is lock-free: the audio thread keeps
// writing while the display draws.
class SpectrumSource {
  public:
    virtual ~SpectrumSource() = default;
    virtual double SampleRate() const = 0;
    // 2048 magnitudes; bins 1 ... 1023 are drawn.
    virtual const float* SmoothedSpectrum() const = 0;
    virtual float DisplayCutoff() const = 0;
    virtual float ResponseMagnitude(float frequency) const = 0;
    // Cheap enough for every display tick.
    virtual DisplayState State() const = 0;
};

// The filter engine's published display values.
class EngineSpectrumSource : public SpectrumSource {
  public:
    explicit EngineSpectrumSource(const FilterEngine& engine) : mEngine(engine) {}
    double SampleRate() const override;
    const float* SmoothedSpectrum() const override;
    float DisplayCutoff() const override;
    float ResponseMagnitude(float frequency) const override;
    DisplayState State() const override;

  private:
    const FilterEngine& mEngine;
};

}  // namespace quendaris
