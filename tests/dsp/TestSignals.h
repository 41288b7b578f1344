#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "FilterEngine.h"

namespace quendaris::test {

constexpr double kPi = 3.141592653589793;

// Deterministic white noise in [-amplitude, amplitude).
inline std::vector<double> WhiteNoise(int frames, double amplitude, uint32_t seed) {
    std::vector<double> out(frames);
    for (double& v : out) {
        seed = 1103515245u * seed + 12345u;
        v = amplitude * (2.0 * (seed / 4294967296.0) - 1.0);
    }
    return out;
}

inline std::vector<double> Saw(int frames, double frequency, double sampleRate, double amplitude) {
    std::vector<double> out(frames);
    double phase = 0.0;
    for (double& v : out) {
        v = amplitude * (2.0 * phase - 1.0);
        phase += frequency / sampleRate;
        phase -= std::floor(phase);
    }
    return out;
}

inline std::vector<double> Sine(int frames, double frequency, double sampleRate, double amplitude) {
    std::vector<double> out(frames);
    for (int i = 0; i < frames; ++i) {
        out[i] = amplitude * std::sin(2.0 * kPi * frequency * i / sampleRate);
    }
    return out;
}

struct Stereo {
    std::vector<double> left;
    std::vector<double> right;
};

// Runs the engine over a whole stereo signal in host blocks of blockFrames.
inline Stereo Render(FilterEngine& engine, const BlockParameters& params, const Stereo& in,
                     int blockFrames) {
    const int frames = static_cast<int>(in.left.size());
    Stereo out{std::vector<double>(frames), std::vector<double>(frames)};
    for (int offset = 0; offset < frames; offset += blockFrames) {
        const int n = std::min(blockFrames, frames - offset);
        const double* inputs[2] = {in.left.data() + offset, in.right.data() + offset};
        double* outputs[2] = {out.left.data() + offset, out.right.data() + offset};
        engine.ProcessBlock(params, inputs, outputs, 2, n);
    }
    return out;
}

inline Stereo Render(const BlockParameters& params, const Stereo& in, int blockFrames,
                     double sampleRate = 48000.0) {
    FilterEngine engine;
    engine.Reset(sampleRate, 2, blockFrames);
    return Render(engine, params, in, blockFrames);
}

// Peak of |x| over [begin, end).
inline double Peak(const std::vector<double>& x, int begin, int end) {
    double peak = 0.0;
    for (int i = begin; i < end; ++i) {
        peak = std::max(peak, std::fabs(x[i]));
    }
    return peak;
}

inline double Rms(const std::vector<double>& x, int begin, int end) {
    double sum = 0.0;
    for (int i = begin; i < end; ++i) {
        sum += x[i] * x[i];
    }
    return std::sqrt(sum / (end - begin));
}

// Amplitude of the component at frequency (an integer number of cycles over the range helps).
inline double ToneAmplitude(const std::vector<double>& x, int begin, int end, double frequency,
                            double sampleRate) {
    double re = 0.0, im = 0.0;
    for (int i = begin; i < end; ++i) {
        const double phase = 2.0 * kPi * frequency * i / sampleRate;
        re += x[i] * std::cos(phase);
        im += x[i] * std::sin(phase);
    }
    return 2.0 * std::hypot(re, im) / (end - begin);
}

}  // namespace quendaris::test
