#pragma once

// What the Windows module and the natively built filter engine both render, so their outputs
// can be compared sample by sample.
#include <array>
#include <string>
#include <vector>

namespace quendaris::test {

constexpr double kRenderSampleRate = 48000.0;
constexpr int kMaxRenderChannels = 2;
constexpr int kRenderBlockFrames = 512;
// Not a whole number of blocks, so the last block is a short one.
constexpr int kRenderFrames = 72000 + 300;

// Real parameter values in index order: Cutoff, Resonance, Model, Input, Drive, Mix, Output,
// Poles, Bypass.
using ParameterValues = std::array<double, 9>;

struct RenderCase {
    const char* name;
    ParameterValues values;
    int channels;
    // The host hands 32-bit samples: the input is rounded to single precision on the way in and
    // the output on the way out.
    bool singlePrecision;
};

// Defaults; a driven, resonant 4-pole setting with a partial mix, in 64-bit and 32-bit samples;
// a mono setting; a 4-pole setting of the fourth model.
const std::array<RenderCase, 5>& RenderCases();

// One sample of the test signal: tones, a sweep across the audible range, a loud burst and
// noise, different in each channel.
double TestSignal(int channel, int frame);

// The sample a host of the case's sample size feeds in.
double HostInput(const RenderCase& renderCase, int channel, int frame);

// Interleaved frames: frame-major, channel-minor.
bool WriteSamples(const std::string& path, const std::vector<double>& samples);
std::vector<double> ReadSamples(const std::string& path);

std::string ReferenceFileName(const RenderCase& renderCase);

}  // namespace quendaris::test
