#pragma once

namespace quendaris {

class FilterEngine;

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
};

// The filter engine's published display values.
class EngineSpectrumSource : public SpectrumSource {
  public:
    explicit EngineSpectrumSource(const FilterEngine& engine) : mEngine(engine) {}
    double SampleRate() const override;
    const float* SmoothedSpectrum() const override;
    float DisplayCutoff() const override;
    float ResponseMagnitude(float frequency) const override;

  private:
    const FilterEngine& mEngine;
};

}  // namespace quendaris
