// Cost of the filter models alone, per stereo host frame (four 4x samples of both channels), on
// the inputs the typical engine cases hand them: it shows how much of an engine figure is the
// models' own serial solve and how much is everything around it.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "FilterModels.h"
#include "Oversampler.h"
#include "TanhTable.h"

namespace {

using quendaris::DoublePair;
using quendaris::FilterModels;

constexpr double kRate = 48000.0;
constexpr int kFrames = 512;
constexpr int kFactor = quendaris::Oversampler::kFactor;
constexpr int kSamples = kFrames * kFactor;
constexpr int kBlocks = 64;
constexpr double kPi = 3.141592653589793;
const char* const kModelNames[] = {"M-Filter", "S-Filter", "P-Filter", "W-Filter"};

// The driven 4x stream, coefficient and resonance of consecutive blocks.
struct ModelInputs {
    std::vector<DoublePair> x, g, r;
};

// A 110 Hz saw at half scale, resonance 50 %, drive 30 %, cutoff settled at 1.2 kHz; the tiny
// cutoff wobble is left out, it does not change the work.
ModelInputs TypicalInputs(int model) {
    const double u = 0.5;
    const double drive = static_cast<double>(30.0f * 0.01f);
    std::vector<double> saw(kFrames * kBlocks);
    double phase = 0.0;
    for (double& s : saw) {
        s = 0.5 * (2.0 * phase - 1.0);
        phase += 110.0 / kRate;
        phase -= std::floor(phase);
    }
    quendaris::Oversampler upsampler;
    ModelInputs in;
    in.x.resize(saw.size() * kFactor);
    upsampler.UpsamplePair(saw.data(), saw.data(), in.x.data(), static_cast<int>(saw.size()));
    const double t = std::tan(kPi * 1200.0 * (1.0 + 0.2 * u) / (kFactor * kRate));
    in.g.assign(in.x.size(), DoublePair(0.999 * t, 1.001 * t));
    in.r.resize(in.x.size());
    for (size_t j = 0; j < in.x.size(); ++j) {
        in.r[j] = u * (1.0 + 0.2 * quendaris::TableTanh(quendaris::Abs(in.x[j])));
        in.x[j] = quendaris::ApplyModelDrive(model, in.x[j], drive);
    }
    return in;
}

void RunModel(benchmark::State& state, int model, bool fourPole) {
    const ModelInputs in = TypicalInputs(model);
    FilterModels models;
    std::vector<DoublePair> y(kSamples);
    int offset = 0;
    for (auto _ : state) {
        models.ProcessBlock(model, &in.x[offset], &in.g[offset], &in.r[offset], y.data(), kSamples,
                            fourPole ? 4 : 2, fourPole);
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
        offset = (offset + kSamples) % static_cast<int>(in.x.size());
    }
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kFrames * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

bool RegisterAll() {
    for (int model = 0; model < 4; ++model) {
        for (bool fourPole : {false, true}) {
            const std::string name =
                std::string("ModelOnly/") + kModelNames[model] + "/" + (fourPole ? "4" : "2");
            benchmark::RegisterBenchmark(
                name.c_str(), [=](benchmark::State& s) { RunModel(s, model, fourPole); });
        }
    }
    return true;
}

const bool registered = RegisterAll();

}  // namespace
