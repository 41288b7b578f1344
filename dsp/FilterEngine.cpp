#include "FilterEngine.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Crossfade.h"
#include "DenormalScope.h"
#include "ResponseCurve.h"
#include "TanhTable.h"

namespace quendaris {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kFactor = Oversampler::kFactor;
constexpr int kDryLineCapacity = 16;
constexpr int kDryDelayLength = 5;  // a circular line of 5 delays by 4 samples
constexpr double kResetCutoff = 1000.0;
constexpr double kCutoffGlide = 0.15;
constexpr double kCrossfadeSeconds = 0.01;

double FiniteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

// Samples that are not finite, or too large for the single-precision dry delay (which would
// turn them into infinity and the mix into NaN), count as silence.
double SafeSample(double value) {
    return std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max()) ? value : 0.0;
}

const double* InputChannel(const double* const* inputs, int channel) {
    return inputs != nullptr ? inputs[channel] : nullptr;
}

}  // namespace

// Parameter values after conversion, constant for one host block.
struct FilterEngine::BlockSettings {
    double cutoff;  // Hz, target of the smoothing
    float displayCutoff;
    float displayResonance;
    double u;  // resonance 0 … 1
    int model;
    double inputGain;   // single precision, used as double
    double drive;       // 0 … 1, single precision
    double mix;         // 0 … 1, single precision
    double outputGain;  // single precision
    int poles;
    bool fourPole;
    bool bypass;
};

FilterEngine::FilterEngine()
    : dryDelayLines_(FilterModels::kChannels, std::vector<float>(kDryLineCapacity, 0.0f)),
      dryDelayPositions_(FilterModels::kChannels, 0) {
    AllocateChunkBuffers();
}

template <class V>
void FilterEngine::ModelBuffers<V>::Allocate(int samples) {
    for (std::vector<V>* v : {&input, &coefficient, &resonance, &driven, &outgoing}) {
        v->assign(samples, V(0.0));
    }
}

void FilterEngine::AllocateChunkBuffers() {
    oversampled_.assign(kFactor * chunkFrames_, 0.0);
    oversampledPairs_.assign(kFactor * chunkFrames_, DoublePair(0.0));
    pairBuffers_.Allocate(kFactor * chunkFrames_);
    singleBuffers_.Allocate(kFactor * chunkFrames_);
    fadeWeights_.assign(kFactor * chunkFrames_, CrossfadeWeights{0.0, 1.0});
    for (int ch = 0; ch < FilterModels::kChannels; ++ch) {
        dryCopies_[ch].assign(chunkFrames_, 0.0);
        discard_[ch].assign(chunkFrames_, 0.0);
    }
}

void FilterEngine::Reset(double sampleRate, int numOutputChannels, int maxBlockFrames) {
    sampleRate_ = std::isfinite(sampleRate) && sampleRate > 0.0 ? sampleRate : 44100.0;
    sampleRateShared_.store(sampleRate_);
    const int n = std::max(1, numOutputChannels);

    chunkFrames_ = std::clamp(maxBlockFrames, kDefaultChunkFrames, kMaxChunkFrames);
    AllocateChunkBuffers();
    const int lines = std::max(n, FilterModels::kChannels);
    dryDelayLines_.assign(lines, std::vector<float>(kDryLineCapacity, 0.0f));
    dryDelayPositions_.assign(lines, 0);

    const int filtered = n < 3 ? n : FilterModels::kChannels;
    for (int ch = 0; ch < filtered; ++ch) {
        models_.ResetChannel(ch);
    }
    upsampler_.ClearHistory();
    downsampler_.ClearHistory();
    smoothedCutoff_ = kResetCutoff;
    wobblePhase_ = 0.0;
    analyser_.Reset();
    dryDelayLength_ = kDryDelayLength;
}

FilterEngine::BlockSettings FilterEngine::ReadSettings(const BlockParameters& p) const {
    const BlockParameters defaults;
    BlockSettings s{};
    s.cutoff = FiniteOr(p.cutoff, defaults.cutoff);
    const double resonance = FiniteOr(p.resonance, defaults.resonance);
    s.displayCutoff = static_cast<float>(s.cutoff);
    s.displayResonance = static_cast<float>(resonance);
    s.u = resonance * 0.01;
    s.model = static_cast<int>(std::clamp(FiniteOr(p.model, defaults.model), 0.0,
                                          static_cast<double>(kNumFilterModels - 1)));
    const float input = static_cast<float>(FiniteOr(p.input, defaults.input));
    const float output = static_cast<float>(FiniteOr(p.output, defaults.output));
    s.inputGain = std::pow(10.0f, input / 20.0f);
    s.outputGain = std::pow(10.0f, output / 20.0f);
    s.drive = static_cast<float>(FiniteOr(p.drive, defaults.drive)) * 0.01f;
    s.mix = static_cast<float>(FiniteOr(p.mix, defaults.mix)) * 0.01f;
    s.fourPole = FiniteOr(p.poles, defaults.poles) > 0.5;
    s.poles = s.fourPole ? 4 : 2;
    s.bypass = FiniteOr(p.bypass, defaults.bypass) > 0.5;
    return s;
}

void FilterEngine::TakeModelChange(int requestedModel) {
    // A change during a fade waits until the fade has finished.
    if (requestedModel != currentModel_ && crossfadeProgress_ >= 1.0) {
        previousModel_ = currentModel_;
        currentModel_ = requestedModel;
        crossfadeProgress_ = 0.0;
    }
}

void FilterEngine::PublishDisplayValues(const BlockSettings& s) {
    displayCutoff_.store(s.displayCutoff);
    displayResonance_.store(s.displayResonance);
    displayModel_.store(s.model);
    displayFourPole_.store(s.fourPole);
}

void FilterEngine::ProcessBlock(const BlockParameters& params, const double* const* inputs,
                                double* const* outputs, int numChannels, int nFrames) {
    const BlockSettings settings = ReadSettings(params);
    TakeModelChange(settings.model);
    PublishDisplayValues(settings);
    if (outputs == nullptr || numChannels <= 0 || nFrames <= 0) {
        return;
    }
    if (settings.bypass) {
        CopyBypassed(inputs, outputs, numChannels, nFrames);
        return;
    }
    const DenormalScope flushDenormals;
    for (int offset = 0; offset < nFrames; offset += chunkFrames_) {
        const int frames = std::min(chunkFrames_, nFrames - offset);
        ProcessChunk(settings, inputs, outputs, numChannels, offset, frames);
    }
}

void FilterEngine::CopyBypassed(const double* const* inputs, double* const* outputs,
                                int numChannels, int nFrames) const {
    for (int ch = 0; ch < numChannels; ++ch) {
        double* out = outputs[ch];
        if (out == nullptr) {
            continue;
        }
        const double* in = InputChannel(inputs, ch);
        for (int k = 0; k < nFrames; ++k) {
            out[k] = in != nullptr ? SafeSample(in[k]) : 0.0;
        }
    }
}

void FilterEngine::ProcessChunk(const BlockSettings& settings, const double* const* inputs,
                                double* const* outputs, int numChannels, int offset, int nFrames) {
    const int nProc = std::min(numChannels, FilterModels::kChannels);
    double* wet[FilterModels::kChannels] = {nullptr, nullptr};
    // The dry copy is taken before any output is written, so in-place buffers are fine.
    for (int ch = 0; ch < nProc; ++ch) {
        const double* in = InputChannel(inputs, ch);
        double* dry = dryCopies_[ch].data();
        for (int k = 0; k < nFrames; ++k) {
            dry[k] = in != nullptr ? SafeSample(in[offset + k]) : 0.0;
        }
        wet[ch] = outputs[ch] != nullptr ? outputs[ch] + offset : discard_[ch].data();
    }
    if (nProc == 2) {
        upsampler_.UpsamplePair(dryCopies_[0].data(), dryCopies_[1].data(),
                                oversampledPairs_.data(), nFrames);
        FilterChannels(settings, oversampledPairs_.data(), pairBuffers_, DoublePair(0.999, 1.001),
                       kFactor * nFrames);
        downsampler_.DownsamplePair(oversampledPairs_.data(), wet[0], wet[1], nFrames);
    } else if (nProc == 1) {
        upsampler_.Upsample(dryCopies_[0].data(), oversampled_.data(), 0, nFrames);
        FilterChannels(settings, oversampled_.data(), singleBuffers_, 0.999, kFactor * nFrames);
        downsampler_.Downsample(oversampled_.data(), wet[0], 0, nFrames);
    }
    for (int ch = 0; ch < nProc; ++ch) {
        const double* dry = dryCopies_[ch].data();
        for (int k = 0; k < nFrames; ++k) {
            wet[ch][k] = MixWithDelayedDry(ch, wet[ch][k], dry[k], settings);
        }
    }
    // Channels beyond the filtered pair carry their input as the "wet" signal.
    for (int ch = nProc; ch < numChannels; ++ch) {
        const double* in = InputChannel(inputs, ch);
        double* out = outputs[ch] != nullptr ? outputs[ch] + offset : nullptr;
        for (int k = 0; k < nFrames; ++k) {
            const double x = in != nullptr ? SafeSample(in[offset + k]) : 0.0;
            const double y = MixWithDelayedDry(ch, x, x, settings);
            if (out != nullptr) {
                out[k] = y;
            }
        }
    }
    FeedAnalyser(wet, nProc, nFrames);
}

double FilterEngine::NextCoefficient(const BlockSettings& s) {
    smoothedCutoff_ = smoothedCutoff_ + kCutoffGlide * (s.cutoff - smoothedCutoff_);
    wobblePhase_ = wobblePhase_ + 0.01 * (1.0 + 0.5 * s.u);
    const double t = std::tan(kPi * smoothedCutoff_ * (1.0 + 0.2 * s.u) *
                              (1.0 + 0.0005 * std::sin(wobblePhase_)) / (4.0 * sampleRate_));
    return std::clamp(t, 1e-12, 10.0);
}

void FilterEngine::AdvanceCrossfade() {
    if (crossfadeProgress_ < 1.0) {
        crossfadeProgress_ = crossfadeProgress_ + 1.0 / (4.0 * sampleRate_ * kCrossfadeSeconds);
        if (crossfadeProgress_ > 1.0) {
            crossfadeProgress_ = 1.0;
        }
    }
}

int FilterEngine::PlanCrossfade(int nOversampled) {
    int fading = 0;
    while (fading < nOversampled && crossfadeProgress_ < 1.0) {
        fadeWeights_[fading++] = EqualPowerWeights(crossfadeProgress_);
        AdvanceCrossfade();
    }
    return fading;
}

// The coefficient and resonance are worked out for the whole chunk first, so that each model
// runs over it in one tight loop; the models' states are disjoint, so the order is free.
template <class V>
void FilterEngine::FilterChannels(const BlockSettings& s, V* stream, ModelBuffers<V>& b,
                                  V channelScale, int nOversampled) {
    // The coefficient first, once per host frame, so that the per-sample loop calls nothing.
    for (int j = 0; j < nOversampled; j += kFactor) {
        // A slight left/right mismatch widens the image.
        const V g = channelScale * NextCoefficient(s);
        for (int p = 0; p < kFactor; ++p) {
            b.coefficient[j + p] = g;
        }
    }
    for (int j = 0; j < nOversampled; ++j) {
        const V x = s.inputGain * stream[j];
        b.input[j] = x;
        // Resonance rises with the input level, by at most 20 %.
        b.resonance[j] = s.u * (1.0 + 0.2 * TableTanh(Abs(x)));
    }
    const int fading = PlanCrossfade(nOversampled);
    if (fading > 0) {
        ApplyModelDrive(previousModel_, b.input.data(), b.driven.data(), fading, s.drive);
        models_.ProcessBlock(previousModel_, b.driven.data(), b.coefficient.data(),
                             b.resonance.data(), b.outgoing.data(), fading, s.poles, s.fourPole);
    }
    ApplyModelDrive(currentModel_, b.input.data(), b.driven.data(), nOversampled, s.drive);
    models_.ProcessBlock(currentModel_, b.driven.data(), b.coefficient.data(), b.resonance.data(),
                         stream, nOversampled, s.poles, s.fourPole);
    for (int j = 0; j < fading; ++j) {
        const CrossfadeWeights& w = fadeWeights_[j];
        stream[j] = w.incoming * stream[j] + w.outgoing * b.outgoing[j];
    }
}

double FilterEngine::MixWithDelayedDry(int channel, double wet, double dry,
                                       const BlockSettings& s) {
    if (dryDelayLength_ > 0 && channel < static_cast<int>(dryDelayLines_.size())) {
        // Held in single precision, aligning the dry path with the resampling delay's centre.
        float* line = dryDelayLines_[channel].data();
        int& p = dryDelayPositions_[channel];
        line[p] = static_cast<float>(dry);
        p = p + 1 < dryDelayLength_ ? p + 1 : 0;
        dry = line[p];
    }
    return (s.mix * wet + (1.0 - s.mix) * dry) * s.outputGain;
}

void FilterEngine::FeedAnalyser(double* const* outputs, int numChannels, int nFrames) {
    for (int k = 0; k < nFrames; ++k) {
        if (numChannels < 2) {
            analyser_.FeedAnalyzerSample(static_cast<float>(outputs[0][k] * 0.5));
        } else {
            analyser_.FeedAnalyzerSample(static_cast<float>(outputs[1][k] * 0.5) +
                                         static_cast<float>(outputs[0][k] * 0.5));
        }
    }
}

float FilterEngine::ResponseMagnitude(float frequencyHz) const {
    ResponseSettings settings;
    settings.cutoff = displayCutoff_.load();
    settings.resonance = displayResonance_.load();
    settings.model = displayModel_.load();
    settings.fourPole = displayFourPole_.load();
    settings.sampleRate = sampleRateShared_.load();
    return quendaris::ResponseMagnitude(settings, frequencyHz);
}

}  // namespace quendaris
