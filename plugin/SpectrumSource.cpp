#include "SpectrumSource.h"

#include "FilterEngine.h"

namespace quendaris {

double EngineSpectrumSource::SampleRate() const {
    return mEngine.SampleRate();
}

const float* EngineSpectrumSource::SmoothedSpectrum() const {
    return mEngine.SmoothedSpectrum();
}

float EngineSpectrumSource::DisplayCutoff() const {
    return mEngine.DisplayCutoff();
}

float EngineSpectrumSource::ResponseMagnitude(float frequency) const {
    return mEngine.ResponseMagnitude(frequency);
}

}  // namespace quendaris
