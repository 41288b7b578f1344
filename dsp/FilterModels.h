#pragma once

#include <cstdint>

#include "DoublePair.h"

namespace quendaris {

// Model indices as the Model parameter numbers them.
enum FilterModel : int { kMFilter = 0, kSFilter = 1, kPFilter = 2, kWFilter = 3 };
constexpr int kNumFilterModels = 4;

// One channel of a four-stage ladder ("M-Filter", "P-Filter").
struct LadderChannelState {
    double s1 = 0, s2 = 0, s3 = 0, s4 = 0;  // integrator states of the one-pole stages
    double y1 = 0, y2 = 0, y3 = 0, y4 = 0;  // stage outputs; y4 ends as the loop output estimate
    double y4Prev = 0;                      // y4 of the sample before, for extrapolation
    double drift1 = 0, drift2 = 0, drift3 = 0, drift4 = 0;  // slow coefficient drift per stage
    double feedbackPrev = 0;  // previous feedback argument, for the antiderivative form
    uint32_t rng = 0;         // drift generator state
};

// One channel of a state-variable model ("S-Filter", "W-Filter"), two cascadable stages.
struct SvfChannelState {
    double lpState[2] = {0, 0};  // low-pass integrators of stage 0 and 1
    double bpState[2] = {0, 0};  // band-pass integrators
    double hpGuess[2] = {0, 0};  // last high-pass solution, first estimate of the next sample
    double drift1 = 0, drift2 = 0;
    uint32_t rng = 0;
};

// Per-sample inputs of a filter step, computed by the block processing.
struct FilterContext {
    int channel = 0;        // 0 or 1
    double g = 0;           // pre-warped cutoff coefficient of this channel
    double r = 0;           // effective resonance, 0 … 1.2
    int poles = 2;          // 2 or 4
    bool fourPole = false;  // Poles parameter on
};

// Advances the linear congruential generator once and lets drift take one small random step.
void DriftWalk(uint32_t& rng, double& drift);

// The drive curve of a model; drive is 0 … 1. Identity at drive 0 and for unknown models.
double ApplyModelDrive(int model, double x, double drive);
// Both channels at once, lane for lane identical to the single-channel form.
DoublePair ApplyModelDrive(int model, DoublePair x, double drive);
// The drive curve over n consecutive samples.
void ApplyModelDrive(int model, const double* x, double* out, int n, double drive);
void ApplyModelDrive(int model, const DoublePair* x, DoublePair* out, int n, double drive);

// States of all four models for two channels, and the per-sample filter step.
class FilterModels {
  public:
    static constexpr int kChannels = 2;

    FilterModels();

    // One step of the given model on context.channel; unknown models return x. A non-finite
    // result clears that model's state on that channel and yields 0.
    double ProcessFilterSample(int model, double x, const FilterContext& context);
    // Channel 0 in lane 0 and channel 1 in lane 1 together; identical to two single steps.
    DoublePair ProcessFilterPair(int model, DoublePair x, DoublePair g, DoublePair r, int poles,
                                 bool fourPole);

    // n consecutive steps of one model with per-sample inputs, identical to n calls of the
    // per-sample forms above: channel 0 alone, or both channels paired.
    void ProcessBlock(int model, const double* x, const double* g, const double* r, double* y,
                      int n, int poles, bool fourPole);
    void ProcessBlock(int model, const DoublePair* x, const DoublePair* g, const DoublePair* r,
                      DoublePair* y, int n, int poles, bool fourPole);

    // Zeroes every model's state on one channel; the drift generators keep their position.
    void ResetChannel(int channel);

    // Ladder state of kMFilter or kPFilter; SVF state of kSFilter or kWFilter.
    LadderChannelState& Ladder(int model, int channel) {
        return ladder_[LadderSlot(model)][channel];
    }
    const LadderChannelState& Ladder(int model, int channel) const {
        return ladder_[LadderSlot(model)][channel];
    }
    SvfChannelState& Svf(int model, int channel) { return svf_[SvfSlot(model)][channel]; }
    const SvfChannelState& Svf(int model, int channel) const {
        return svf_[SvfSlot(model)][channel];
    }

  private:
    static int LadderSlot(int model) { return model == kPFilter ? 1 : 0; }
    static int SvfSlot(int model) { return model == kWFilter ? 1 : 0; }
    void ResetModelChannel(int model, int channel);
    // Non-finite results clear the model's state on that channel and become 0.
    double GuardResult(int model, int channel, double y);
    DoublePair GuardResult(int model, DoublePair y);
    double GuardResult(int model, double y) { return GuardResult(model, 0, y); }
    // The per-sample forms, for samples the block loops leave to them.
    double StepOne(int model, double x, double g, double r, int poles, bool fourPole);
    DoublePair StepOne(int model, DoublePair x, DoublePair g, DoublePair r, int poles,
                       bool fourPole);
    template <class V>
    void ProcessBlockOf(int model, const V* x, const V* g, const V* r, V* y, int n, int poles,
                        bool fourPole);
    template <class V, class Step>
    void RunSteps(int model, const V* x, const V* g, const V* r, V* y, int n, int poles,
                  bool fourPole, Step step);

    LadderChannelState ladder_[2][kChannels];
    SvfChannelState svf_[2][kChannels];
};

}  // namespace quendaris
