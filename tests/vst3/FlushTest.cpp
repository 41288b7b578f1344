// Host flushes: process calls with no frames, often without buffers, that carry only parameter
// changes. They must keep the block bookkeeping a direct engine run with 0-frame blocks does.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "FilterEngine.h"
#include "TestHost.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace quendaris;
using namespace quendaris::test;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = 48000.0;
// 10 ms of fade is 480 frames, so a fade spans two of these blocks.
constexpr int32 kFrames = 256;
constexpr int kBlocks = 6;

double Saw(int channel, int64_t frame) {
    const double hz = channel == 0 ? 110.0 : 165.0;
    const double phase = std::fmod(hz * static_cast<double>(frame) / kRate, 1.0);
    return 0.4 * (2.0 * phase - 1.0) + 0.1 * std::sin(2.0 * kPi * 3000.0 * frame / kRate);
}

// Model values as the host sends them (normalised) and as the engine reads them (real).
struct ModelStep {
    ParamValue normalized;
    double real;
};
constexpr ModelStep kToS{1.0 / 3.0, 1.0};
constexpr ModelStep kToP{2.0 / 3.0, 2.0};

void Flush(IAudioProcessor& processor, int32 sampleSize, ParamValue model) {
    ParameterChanges changes;
    int32 index = 0;
    changes.addParameterData(kParamModel, index)->addPoint(0, model, index);
    ProcessData flush{};
    flush.processMode = kRealtime;
    flush.symbolicSampleSize = sampleSize;
    flush.inputParameterChanges = &changes;
    ASSERT_EQ(processor.process(flush), kResultOk);
}

// The bundle's output after two Model flushes (M to S, then S to P), block after block.
std::vector<std::vector<double>> BundleRun(int32 flushSampleSize) {
    Effect effect;
    EXPECT_TRUE(effect.Start(2, kSample64, kRate, kFrames));
    Flush(*effect.processor, flushSampleSize, kToS.normalized);
    Flush(*effect.processor, flushSampleSize, kToP.normalized);
    std::vector<std::vector<double>> outputs(2);
    for (int b = 0; b < kBlocks; ++b) {
        Block block(2, kFrames, kSample64);
        for (int32 c = 0; c < 2; ++c)
            for (int32 i = 0; i < kFrames; ++i)
                block.SetInput(c, i, Saw(c, int64_t{b} * kFrames + i));
        EXPECT_EQ(block.Run(*effect.processor), kResultOk);
        for (int32 c = 0; c < 2; ++c)
            for (int32 i = 0; i < kFrames; ++i)
                outputs[c].push_back(block.Out(c, i));
    }
    return outputs;
}

struct EngineStep {
    int current;
    int previous;
    double progress;
};

// The same sequence on the engine itself: two 0-frame blocks, then the audio blocks.
std::vector<std::vector<double>> EngineRun(std::vector<EngineStep>& steps) {
    FilterEngine engine;
    engine.Reset(kRate, 2, kFrames);
    BlockParameters params;
    for (const ModelStep& step : {kToS, kToP}) {
        params.model = step.real;
        engine.ProcessBlock(params, nullptr, nullptr, 0, 0);
        steps.push_back(
            {engine.CurrentModel(), engine.PreviousModel(), engine.CrossfadeProgress()});
    }
    std::vector<std::vector<double>> outputs(2);
    std::vector<double> in[2], out[2];
    for (int b = 0; b < kBlocks; ++b) {
        for (int c = 0; c < 2; ++c) {
            in[c].resize(kFrames);
            out[c].assign(kFrames, 0.0);
            for (int32 i = 0; i < kFrames; ++i)
                in[c][static_cast<size_t>(i)] = Saw(c, int64_t{b} * kFrames + i);
        }
        const double* ins[] = {in[0].data(), in[1].data()};
        double* outs[] = {out[0].data(), out[1].data()};
        engine.ProcessBlock(params, ins, outs, 2, kFrames);
        steps.push_back(
            {engine.CurrentModel(), engine.PreviousModel(), engine.CrossfadeProgress()});
        for (int c = 0; c < 2; ++c)
            outputs[c].insert(outputs[c].end(), out[c].begin(), out[c].end());
    }
    return outputs;
}

}  // namespace

TEST(Flush, ModelChangesInFlushesFadeAsInADirectEngineRun) {
    std::vector<EngineStep> steps;
    const auto expected = EngineRun(steps);

    // The reference itself: the first flush starts the fade to S, the second change waits.
    ASSERT_EQ(steps.size(), 2u + kBlocks);
    EXPECT_EQ(steps[0].current, 1);
    EXPECT_EQ(steps[0].progress, 0.0);
    EXPECT_EQ(steps[1].current, 1);
    EXPECT_EQ(steps[1].previous, 0);
    EXPECT_EQ(steps[1].progress, 0.0);
    EXPECT_NEAR(steps[2].progress, 256.0 / 480.0, 1e-12);
    // 10 ms after the first audio frame the fade to S is over; P is taken at the next block.
    EXPECT_EQ(steps[3].current, 1);
    EXPECT_EQ(steps[3].progress, 1.0);
    EXPECT_EQ(steps[4].current, 2);
    EXPECT_EQ(steps[4].previous, 1);
    EXPECT_NEAR(steps[4].progress, 256.0 / 480.0, 1e-12);

    for (int32 flushSize : {kSample64, kSample32}) {
        const auto heard = BundleRun(flushSize);
        for (int c = 0; c < 2; ++c) {
            ASSERT_EQ(heard[c].size(), expected[c].size());
            for (size_t i = 0; i < heard[c].size(); ++i)
                ASSERT_EQ(heard[c][i], expected[c][i])
                    << "channel " << c << " frame " << i << " flush size " << flushSize;
        }
    }
}
