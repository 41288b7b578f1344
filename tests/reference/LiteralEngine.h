#pragma once

#include <complex>
#include <cstdint>
#include <vector>

#include "FilterEngine.h"

namespace quendaris::reference {

// A second, deliberately plain reading of the effect's signal chain: scalar double code, one
// sample and one channel at a time, every step in the written order, no chunking and no
// vector lanes. It exists only to be compared with FilterEngine, so it favours being easy to
// check line by line over speed, and it allocates freely.
class LiteralEngine {
  public:
    static constexpr int kTableSize = 65538;
    static constexpr int kFftSize = 2048;
    static constexpr int kTaps = 33;

    // Everything one filter step needs from the block loop.
    struct Context {
        int channel = 0;
        double g = 0.0;
        double r = 0.0;
        int poles = 2;
        bool fourPole = false;
    };

    struct Ladder {
        double s1 = 0, s2 = 0, s3 = 0, s4 = 0;
        double y1 = 0, y2 = 0, y3 = 0, y4 = 0;
        double y4Prev = 0;
        double drift1 = 0, drift2 = 0, drift3 = 0, drift4 = 0;
        double feedbackPrev = 0;
        uint32_t rng = 0;
    };

    struct Svf {
        double lpState[2] = {0, 0};
        double bpState[2] = {0, 0};
        double hpGuess[2] = {0, 0};
        double drift1 = 0, drift2 = 0;
        uint32_t rng = 0;
    };

    LiteralEngine();

    void Reset(double sampleRate, int numOutputChannels);
    void ProcessBlock(const BlockParameters& params, const double* const* inputs,
                      double* const* outputs, int numChannels, int nFrames);

    float ResponseMagnitude(float frequency) const;
    const float* SmoothedSpectrum() const { return smoothedSpectrum_.data(); }
    float DisplayCutoff() const { return displayCutoff_; }
    float DisplayResonance() const { return displayResonance_; }
    int DisplayModel() const { return displayModel_; }
    bool DisplayFourPole() const { return displayFourPole_; }
    int CurrentModel() const { return currentModel_; }
    int PreviousModel() const { return previousModel_; }
    double CrossfadeProgress() const { return crossfadeProgress_; }
    double SmoothedCutoff() const { return smoothedCutoff_; }
    double WobblePhase() const { return wobblePhase_; }
    const double* Kernel() const { return kernel_; }

    // The shared nonlinear helpers, public so that they can be checked one by one.
    static double TableTanh(double x);
    static double TableLogCosh(double x);
    static double PadeTanh(double x);
    static void AdaaTanh(double v, double vPrev, double& e, double& de);
    static double ApplyModelDrive(int model, double x, double d);
    static void DriftWalk(uint32_t& rng, double& drift);

    double ProcessFilterSample(int model, double x, const Context& context);
    void FeedAnalyzerSample(float value);
    Ladder& LadderState(int model, int channel);
    Svf& SvfState(int model, int channel);

  private:
    static double Interpolate(const double* table, double a);
    static double BesselI0(double x);

    double LadderStep(bool pModel, double x, const Context& c, Ladder& s);
    double SvfStage(bool wModel, int i, double u, double gPrime, double k, Svf& s, double& bp);
    double SFilterStep(double x, const Context& c, Svf& s);
    double WFilterStep(double x, const Context& c, Svf& s);
    void ResetModelState(int model, int channel);

    void DesignKernel();
    void Upsample(const double* in, std::vector<double>& out, int ch, int nFrames);
    void Downsample(const std::vector<double>& in, double* out, int ch, int nFrames);
    void ProcessFrame();
    void ResetAnalyser();

    double sampleRate_ = 44100.0;
    double smoothedCutoff_ = 1000.0;
    double wobblePhase_ = 0.0;
    double kernel_[kTaps] = {};
    double upHistory_[2][32] = {};
    double downHistory_[2][32] = {};
    std::vector<std::vector<double>> oversampled_;
    std::vector<std::vector<float>> dryDelayLines_;
    int dryDelayPositions_[2] = {0, 0};
    int dryDelayLength_ = 0;
    std::vector<std::vector<double>> dryCopies_;
    int currentModel_ = 0;
    int previousModel_ = 0;
    double crossfadeProgress_ = 1.0;

    Ladder ladders_[2][2];  // [M or P][channel]
    Svf svfs_[2][2];        // [S or W][channel]

    int bitReverse_[kFftSize] = {};
    std::complex<double> twiddles_[kFftSize / 2];
    std::vector<float> frameSamples_;
    int frameCount_ = 0;
    std::vector<float> hannWindow_;
    std::vector<float> fftWork_;
    std::vector<float> smoothedSpectrum_;

    float displayCutoff_ = 1000.0f;
    float displayResonance_ = 50.0f;
    int displayModel_ = 0;
    bool displayFourPole_ = false;
};

}  // namespace quendaris::reference
