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

DisplayState EngineSpectrumSource::State() const {
    DisplayState state;
    // The count first: bins published after this read make the next look differ again.
    state.spectrumFrames = mEngine.Analyser().PublishedFrames();
    state.sampleRate = mEngine.SampleRate();
    state.cutoff = mEngine.DisplayCutoff();
    state.resonance = mEngine.DisplayResonance();
    state.model = mEngine.DisplayModel();
    state.fourPole = mEngine.DisplayFourPole();
    return state;
}

}  // namespace quendaris
