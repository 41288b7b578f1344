// Cost of the filter engine per stereo host frame at 48 kHz in 512-frame blocks.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "FilterEngine.h"

namespace {

using quendaris::BlockParameters;
using quendaris::FilterEngine;

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr int kSignalFrames = kBlock * 64;
const char* const kModelNames[] = {"M-Filter", "S-Filter", "P-Filter", "W-Filter"};

struct Signal {
    std::vector<double> left;
    std::vector<double> right;
};

Signal HalfScaleSaw() {
    Signal s{std::vector<double>(kSignalFrames), std::vector<double>(kSignalFrames)};
    double phase = 0.0;
    for (int k = 0; k < kSignalFrames; ++k) {
        s.left[k] = s.right[k] = 0.5 * (2.0 * phase - 1.0);
        phase += 110.0 / kRate;
        phase -= std::floor(phase);
    }
    return s;
}

Signal FullScaleNoise() {
    Signal s{std::vector<double>(kSignalFrames), std::vector<double>(kSignalFrames)};
    uint32_t seed = 1;
    for (int k = 0; k < kSignalFrames; ++k) {
        seed = 1664525u * seed + 1013904223u;
        s.left[k] = 2.0 * (seed / 4294967296.0) - 1.0;
        seed = 1664525u * seed + 1013904223u;
        s.right[k] = 2.0 * (seed / 4294967296.0) - 1.0;
    }
    return s;
}

// Inverted rate of frames * 1e-9: nanoseconds of CPU time per stereo host frame.
void ReportNsPerFrame(benchmark::State& state) {
    state.counters["ns_per_frame"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kBlock * 1e-9,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Silence after a second of loud noise: the decaying filter states must not turn subnormal and
// slow processing down.
void RunTail(benchmark::State& state, const Signal& loud, BlockParameters params) {
    FilterEngine engine;
    engine.Reset(kRate, 2, kBlock);
    std::vector<double> outLeft(kBlock), outRight(kBlock);
    double* outputs[2] = {outLeft.data(), outRight.data()};
    for (int offset = 0; offset + kBlock <= static_cast<int>(kRate); offset += kBlock) {
        const double* inputs[2] = {loud.left.data() + offset % kSignalFrames,
                                   loud.right.data() + offset % kSignalFrames};
        engine.ProcessBlock(params, inputs, outputs, 2, kBlock);
    }
    const std::vector<double> silence(kBlock, 0.0);
    const double* inputs[2] = {silence.data(), silence.data()};
    for (auto _ : state) {
        engine.ProcessBlock(params, inputs, outputs, 2, kBlock);
        benchmark::DoNotOptimize(outLeft.data());
        benchmark::ClobberMemory();
    }
    ReportNsPerFrame(state);
}

// Processes consecutive 512-frame blocks of the signal; alternateModel switches the model at
// every block so that a crossfade runs through almost all of it.
void RunBlocks(benchmark::State& state, const Signal& signal, BlockParameters params,
               int alternateModel = -1) {
    FilterEngine engine;
    engine.Reset(kRate, 2, kBlock);
    std::vector<double> outLeft(kBlock), outRight(kBlock);
    double* outputs[2] = {outLeft.data(), outRight.data()};
    const int firstModel = static_cast<int>(params.model);
    int offset = 0;
    int block = 0;
    for (auto _ : state) {
        const double* inputs[2] = {signal.left.data() + offset, signal.right.data() + offset};
        if (alternateModel >= 0) {
            params.model = block % 2 == 0 ? alternateModel : firstModel;
        }
        engine.ProcessBlock(params, inputs, outputs, 2, kBlock);
        benchmark::DoNotOptimize(outLeft.data());
        benchmark::ClobberMemory();
        offset = (offset + kBlock) % kSignalFrames;
        ++block;
    }
    ReportNsPerFrame(state);
}

BlockParameters Typical(int model, bool fourPole) {
    BlockParameters p;
    p.model = model;
    p.poles = fourPole ? 1.0 : 0.0;
    p.cutoff = 1200.0;
    p.resonance = 50.0;
    p.drive = 30.0;
    return p;
}

BlockParameters Worst(int model, bool fourPole) {
    BlockParameters p = Typical(model, fourPole);
    p.cutoff = 2000.0;
    p.resonance = 100.0;
    p.drive = 100.0;
    return p;
}

bool RegisterAll() {
    static const Signal saw = HalfScaleSaw();
    static const Signal noise = FullScaleNoise();
    for (int model = 0; model < 4; ++model) {
        benchmark::RegisterBenchmark(
            ("Tail/" + std::string(kModelNames[model]) + "/4").c_str(),
            [=](benchmark::State& s) { RunTail(s, noise, Worst(model, true)); });
        for (bool fourPole : {false, true}) {
            const std::string suffix =
                std::string(kModelNames[model]) + "/" + (fourPole ? "4" : "2");
            benchmark::RegisterBenchmark(("Typical/" + suffix).c_str(), [=](benchmark::State& s) {
                RunBlocks(s, saw, Typical(model, fourPole));
            });
            benchmark::RegisterBenchmark(("Worst/" + suffix).c_str(), [=](benchmark::State& s) {
                RunBlocks(s, noise, Worst(model, fourPole));
            });
        }
    }
    benchmark::RegisterBenchmark("Crossfade/M-Filter-W-Filter/2", [](benchmark::State& s) {
        RunBlocks(s, saw, Typical(0, false), 3);
    });
    benchmark::RegisterBenchmark("CrossfadeWorst/P-Filter-S-Filter/4", [](benchmark::State& s) {
        RunBlocks(s, noise, Worst(2, true), 1);
    });
    return true;
}

const bool registered = RegisterAll();

}  // namespace
