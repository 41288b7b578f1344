#pragma once

#include <atomic>
#include <vector>

#include "Crossfade.h"
#include "FilterModels.h"
#include "OutputAnalyser.h"
#include "Oversampler.h"

namespace quendaris {

// Real (not normalised) parameter values, read once at the start of each host block.
struct BlockParameters {
    double cutoff = 1840.0;   // Hz, smoothed per frame inside the engine
    double resonance = 50.0;  // percent
    double model = 0.0;       // 0 "M-Filter" … 3 "W-Filter": integer part, clamped
    double input = 0.0;       // dB
    double drive = 0.0;       // percent
    double mix = 100.0;       // percent wet
    double output = 0.0;      // dB
    double poles = 0.0;       // above 0.5 means 4-pole
    double bypass = 0.0;      // above 0.5 means bypassed
};

// The whole audio path of the effect: 4x oversampled drive and filter models, model crossfade,
// delayed dry mix, gains and the spectrum analyser, plus the values the display reads.
class FilterEngine {
  public:
    // Frames per internal chunk when Reset was never called.
    static constexpr int kDefaultChunkFrames = 64;
    // Upper bound of the per-chunk buffers; longer host blocks are processed in chunks.
    static constexpr int kMaxChunkFrames = 4096;

    FilterEngine();

    // Set-up thread, never during ProcessBlock. Sizes every buffer for blocks of up to
    // maxBlockFrames so that ProcessBlock never allocates; longer blocks are split internally
    // with output identical to a single pass.
    void Reset(double sampleRate, int numOutputChannels, int maxBlockFrames);

    // Audio thread. inputs/outputs hold numChannels channel pointers each (in-place allowed).
    // Null arrays or channels, numChannels <= 0, nFrames <= 0 and non-finite samples are safe.
    void ProcessBlock(const BlockParameters& params, const double* const* inputs,
                      double* const* outputs, int numChannels, int nFrames);

    // Display side: lock-free reads, safe from the user-interface thread.
    float DisplayCutoff() const { return displayCutoff_.load(); }
    float DisplayResonance() const { return displayResonance_.load(); }
    int DisplayModel() const { return displayModel_.load(); }
    bool DisplayFourPole() const { return displayFourPole_.load(); }
    double SampleRate() const { return sampleRateShared_.load(); }
    // OutputAnalyser::kSize bins; bin k stands for k * SampleRate() / kSize Hz.
    const float* SmoothedSpectrum() const { return analyser_.SmoothedSpectrum(); }
    // Linear magnitude of the displayed model's response at frequencyHz, never below 1e-5.
    float ResponseMagnitude(float frequencyHz) const;

    // Processing state, for inspection.
    int CurrentModel() const { return currentModel_; }
    int PreviousModel() const { return previousModel_; }
    double CrossfadeProgress() const { return crossfadeProgress_; }
    double SmoothedCutoff() const { return smoothedCutoff_; }
    double WobblePhase() const { return wobblePhase_; }
    const FilterModels& Models() const { return models_; }
    const Oversampler& Upsampler() const { return upsampler_; }
    const Oversampler& Downsampler() const { return downsampler_; }
    const OutputAnalyser& Analyser() const { return analyser_; }

  private:
    struct BlockSettings;

    // Per-4x-sample inputs and outputs of the filter models for one chunk.
    template <class V>
    struct ModelBuffers {
        std::vector<V> input;        // the 4x signal after the input gain
        std::vector<V> coefficient;  // pre-warped cutoff of each channel
        std::vector<V> resonance;    // level-dependent resonance
        std::vector<V> driven;       // input after the model's drive curve
        std::vector<V> outgoing;     // output of the model being faded out
        void Allocate(int samples);
    };

    BlockSettings ReadSettings(const BlockParameters& params) const;
    void TakeModelChange(int requestedModel);
    void PublishDisplayValues(const BlockSettings& settings);
    void CopyBypassed(const double* const* inputs, double* const* outputs, int numChannels,
                      int nFrames) const;
    void ProcessChunk(const BlockSettings& settings, const double* const* inputs,
                      double* const* outputs, int numChannels, int offset, int nFrames);
    void AllocateChunkBuffers();
    // Smooths the cutoff for one host frame and returns the pre-warped coefficient.
    double NextCoefficient(const BlockSettings& settings);
    void AdvanceCrossfade();
    // Crossfade weights of the next samples while a fade runs; returns how many samples fade.
    int PlanCrossfade(int nOversampled);
    // Drive, filter and crossfade of the 4x stream in place, for channel 0 alone (V = double)
    // or both channels.
    template <class V>
    void FilterChannels(const BlockSettings& settings, V* stream, ModelBuffers<V>& buffers,
                        V channelScale, int nOversampled);
    double MixWithDelayedDry(int channel, double wet, double dry, const BlockSettings& settings);
    void FeedAnalyser(double* const* channels, int numChannels, int nFrames);

    double sampleRate_ = 44100.0;
    std::atomic<double> sampleRateShared_{44100.0};
    double smoothedCutoff_ = 1000.0;
    double wobblePhase_ = 0.0;
    Oversampler upsampler_;
    Oversampler downsampler_;
    int chunkFrames_ = kDefaultChunkFrames;
    std::vector<DoublePair> oversampledPairs_;  // 4x stream of channels 0 and 1 together
    std::vector<double> oversampled_;           // 4x stream of a lone channel 0
    ModelBuffers<DoublePair> pairBuffers_;
    ModelBuffers<double> singleBuffers_;
    std::vector<CrossfadeWeights> fadeWeights_;  // per 4x sample of a chunk
    std::vector<double> dryCopies_[FilterModels::kChannels];
    std::vector<double> discard_[FilterModels::kChannels];  // stands in for unconnected outputs
    std::vector<std::vector<float>> dryDelayLines_;
    std::vector<int> dryDelayPositions_;
    int dryDelayLength_ = 0;
    int currentModel_ = 0;
    int previousModel_ = 0;
    double crossfadeProgress_ = 1.0;
    FilterModels models_;
    OutputAnalyser analyser_;

    std::atomic<float> displayCutoff_{1000.0f};
    std::atomic<float> displayResonance_{50.0f};
    std::atomic<int> displayModel_{0};
    std::atomic<bool> displayFourPole_{false};
};

}  // namespace quendaris
