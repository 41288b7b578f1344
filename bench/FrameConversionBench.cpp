// Cost of the frame's 32-bit host path alone: the conversion into double scratch buffers and
// back, around a block that only copies, per stereo host frame in 512-frame blocks.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "PluginConfig.h"
#include "PluginProcessor.h"

namespace {

using namespace quendaris;

constexpr int kBlock = 512;

class CopyProcessor : public PluginProcessor {
  public:
    explicit CopyProcessor(const PluginConfig& config) : PluginProcessor(config) {}
    void ProcessAudioBlock(double** inputs, double** outputs, int nFrames) override {
        for (int c = 0; c < 2; ++c)
            std::copy(inputs[c], inputs[c] + nFrames, outputs[c]);
    }
};

PluginConfig StereoConfig() {
    PluginConfig config;
    config.channelIOStr = "2-2";
    return config;
}

void BM_Frame32BitBlock(benchmark::State& state) {
    CopyProcessor processor(StereoConfig());
    processor.SetBlockSize(kBlock);
    processor.SetChannelConnections(kInput, 0, 2, true);
    processor.SetChannelConnections(kOutput, 0, 2, true);
    std::vector<float> inL(kBlock), inR(kBlock), outL(kBlock), outR(kBlock);
    for (int s = 0; s < kBlock; ++s) {
        inL[s] = 0.5f * static_cast<float>(s % 97) / 97.0f;
        inR[s] = -inL[s];
    }
    float* inputs[] = {inL.data(), inR.data()};
    float* outputs[] = {outL.data(), outR.data()};
    for (auto _ : state) {
        processor.AttachBuffers(kInput, 0, 2, inputs, kBlock);
        processor.AttachBuffers(kOutput, 0, 2, outputs, kBlock);
        processor.ProcessBuffers32(kBlock);
        benchmark::DoNotOptimize(outL.data());
        benchmark::DoNotOptimize(outR.data());
    }
    state.SetItemsProcessed(state.iterations() * kBlock);
}
BENCHMARK(BM_Frame32BitBlock);

}  // namespace
