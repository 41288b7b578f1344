// Audio blocks as a host delivers them, including the odd ones.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "TestHost.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace quendaris::test;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = 48000.0;

double Tone(int32 channel, int32 frame) {
    const double hz = channel == 0 ? 440.0 : 1000.0;
    return 0.3 * std::sin(2.0 * kPi * hz * frame / kRate);
}

double HighTone(int32, int32 frame) {
    return 0.5 * std::sin(2.0 * kPi * 5000.0 * frame / kRate);
}

double StoredValue(Effect& effect, int index) {
    const auto state = effect.SaveState();
    double value = 0.0;
    std::memcpy(&value, state.data() + 8 * index, 8);
    return value;
}

bool AllFinite(const Block& block, int32 channels, int32 frames) {
    for (int32 c = 0; c < channels; ++c)
        for (int32 i = 0; i < frames; ++i)
            if (!std::isfinite(block.Out(c, i)))
                return false;
    return true;
}

double MaxDifference(const Block& a, const Block& b, int32 channels, int32 frames) {
    double worst = 0.0;
    for (int32 c = 0; c < channels; ++c)
        for (int32 i = 0; i < frames; ++i)
            worst = std::max(worst, std::fabs(a.Out(c, i) - b.Out(c, i)));
    return worst;
}

double Peak(const Block& block, int32 channels, int32 frames) {
    double peak = 0.0;
    for (int32 c = 0; c < channels; ++c)
        for (int32 i = 0; i < frames; ++i)
            peak = std::max(peak, std::fabs(block.Out(c, i)));
    return peak;
}

bool OutputEqualsInput(const Block& block, int32 channels, int32 frames) {
    for (int32 c = 0; c < channels; ++c)
        for (int32 i = 0; i < frames; ++i)
            if (block.Out(c, i) != block.In(c, i))
                return false;
    return true;
}

}  // namespace

TEST(Processing, OnlyTheLastPointOfAQueueCountsForTheWholeBlock) {
    Effect automated, preset;
    ASSERT_TRUE(automated.Start(2, kSample64));
    ASSERT_TRUE(preset.Start(2, kSample64));
    preset.controller->setParamNormalized(kParamMix, 0.5);

    Block a(2, 512, kSample64), b(2, 512, kSample64);
    a.FillInput(Tone);
    b.FillInput(Tone);
    a.AddChange(kParamMix, 0, 0.0);
    a.AddChange(kParamMix, 100, 1.0);
    a.AddChange(kParamMix, 300, 0.5);
    EXPECT_EQ(a.Run(*automated.processor), kResultOk);
    EXPECT_EQ(b.Run(*preset.processor), kResultOk);

    EXPECT_DOUBLE_EQ(StoredValue(automated, kParamMix), 50.0);
    EXPECT_EQ(MaxDifference(a, b, 2, 512), 0.0);
    EXPECT_GT(Peak(a, 2, 512), 0.05);
}

TEST(Processing, AutomationReachesEveryParameterItNames) {
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample64));
    Block block(2, 128, kSample64);
    block.AddChange(kParamModel, 0, 1.0);
    block.AddChange(kParamInput, 0, 0.75);
    block.AddChange(kParamPoles, 5, 1.0);
    block.AddChange(4242, 0, 1.0);  // unknown ids are ignored
    block.Run(*effect.processor);
    EXPECT_DOUBLE_EQ(StoredValue(effect, kParamModel), 3.0);
    EXPECT_DOUBLE_EQ(StoredValue(effect, kParamInput), 12.0);
    EXPECT_DOUBLE_EQ(StoredValue(effect, kParamPoles), 1.0);
}

TEST(Processing, BypassAboveOneHalfPassesAudioThroughUntouched) {
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample64));
    Block on(2, 256, kSample64);
    on.FillInput(HighTone);
    on.AddChange(kBypassId, 0, 0.51);
    on.Run(*effect.processor);
    EXPECT_TRUE(OutputEqualsInput(on, 2, 256));

    Block off(2, 256, kSample64);
    off.FillInput(HighTone);
    off.AddChange(kBypassId, 0, 0.5);
    off.Run(*effect.processor);
    EXPECT_FALSE(OutputEqualsInput(off, 2, 256));
}

TEST(Processing, BypassInMonoAndWithThirtyTwoBitBuffers) {
    Effect effect;
    ASSERT_TRUE(effect.Start(1, kSample32));
    Block block(1, 300, kSample32);
    block.FillInput(HighTone);
    block.AddChange(kBypassId, 0, 1.0);
    block.Run(*effect.processor);
    EXPECT_TRUE(OutputEqualsInput(block, 1, 300));
}

TEST(Processing, ThirtyTwoAndSixtyFourBitHostsHearTheSame) {
    Effect single, twice;
    ASSERT_TRUE(single.Start(2, kSample32));
    ASSERT_TRUE(twice.Start(2, kSample64));
    for (auto* effect : {&single, &twice}) {
        effect->controller->setParamNormalized(kParamDrive, 0.6);
        effect->controller->setParamNormalized(kParamResonance, 0.8);
    }
    double worst = 0.0;
    double loudest = 0.0;
    bool finite = true;
    for (int round = 0; round < 8; ++round) {
        Block a(2, 256, kSample32), b(2, 256, kSample64);
        a.FillInput(Tone);
        b.FillInput(Tone);
        a.Run(*single.processor);
        b.Run(*twice.processor);
        worst = std::max(worst, MaxDifference(a, b, 2, 256));
        loudest = std::max(loudest, Peak(b, 2, 256));
        finite = finite && AllFinite(b, 2, 256);
    }
    EXPECT_TRUE(finite);
    EXPECT_GT(loudest, 0.05);
    EXPECT_LT(worst, 1e-4);
}

TEST(Processing, ThirtyTwoBitOutputSaturatesAtTheLargestFiniteFloat) {
    // Dry signal at +24 dB: near the float limit the output leaves the float range.
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample32));
    constexpr double kLargest = std::numeric_limits<float>::max();
    bool finite = true;
    double peakLeft = 0.0, peakRight = 0.0;
    for (int round = 0; round < 4; ++round) {
        Block block(2, 256, kSample32);
        for (int32 i = 0; i < 256; ++i) {
            block.SetInput(0, i, 3e38);
            block.SetInput(1, i, -3e38);
        }
        block.AddChange(kParamMix, 0, 0.0);
        block.AddChange(kParamOutput, 0, 1.0);
        ASSERT_EQ(block.Run(*effect.processor), kResultOk);
        finite = finite && AllFinite(block, 2, 256);
        for (int32 i = 0; i < 256; ++i) {
            peakLeft = std::max(peakLeft, block.Out(0, i));
            peakRight = std::min(peakRight, block.Out(1, i));
        }
    }
    EXPECT_TRUE(finite);
    EXPECT_EQ(peakLeft, kLargest);
    EXPECT_EQ(peakRight, -kLargest);
}

TEST(Processing, ZeroFrameBlockAppliesParametersAndTouchesNoBuffer) {
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample32));
    Block block(2, 64, kSample32);
    block.FillOutputConstant(7.0);
    block.data.numSamples = 0;
    block.AddChange(kParamMix, 0, 0.25);
    EXPECT_EQ(block.Run(*effect.processor), kResultOk);
    EXPECT_DOUBLE_EQ(StoredValue(effect, kParamMix), 25.0);
    for (int32 c = 0; c < 2; ++c)
        for (int32 i = 0; i < 64; ++i)
            ASSERT_EQ(block.Out(c, i), 7.0);
}

TEST(Processing, UnknownSampleSizeAppliesParametersButDoesNoAudioWork) {
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample32));
    Block block(2, 64, kSample32);
    block.FillInput(Tone);
    block.FillOutputConstant(7.0);
    block.data.symbolicSampleSize = 2;
    block.AddChange(kParamDrive, 0, 0.3);
    EXPECT_EQ(block.Run(*effect.processor), kResultOk);
    EXPECT_DOUBLE_EQ(StoredValue(effect, kParamDrive), 30.0);
    for (int32 c = 0; c < 2; ++c)
        for (int32 i = 0; i < 64; ++i)
            ASSERT_EQ(block.Out(c, i), 7.0);
}

TEST(Processing, ParameterFlushWithoutBuffersOnlyAppliesChanges) {
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample64));
    // A normal block first, so stale buffers from it would be noticed.
    Block normal(2, 128, kSample64);
    normal.FillInput(Tone);
    normal.Run(*effect.processor);

    ProcessData flush{};
    flush.processMode = kRealtime;
    flush.symbolicSampleSize = kSample64;
    flush.numSamples = 128;
    ParameterChanges changes;
    int32 index = 0;
    changes.addParameterData(kParamDrive, index)->addPoint(0, 0.4, index);
    flush.inputParameterChanges = &changes;
    EXPECT_EQ(effect.processor->process(flush), kResultOk);
    EXPECT_DOUBLE_EQ(StoredValue(effect, kParamDrive), 40.0);

    // Buses announced but without channel buffers behave the same.
    AudioBusBuffers empty[1]{};
    empty[0].numChannels = 2;
    flush.numInputs = flush.numOutputs = 1;
    flush.inputs = flush.outputs = empty;
    EXPECT_EQ(effect.processor->process(flush), kResultOk);
}

TEST(Processing, MissingInputBusProcessesSilence) {
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample64));
    Block block(2, 256, kSample64);
    block.FillOutputConstant(3.0);
    block.data.numInputs = 0;
    block.data.inputs = nullptr;
    block.Run(*effect.processor);
    for (int32 c = 0; c < 2; ++c)
        for (int32 i = 0; i < 256; ++i)
            ASSERT_EQ(block.Out(c, i), 0.0);
}

TEST(Processing, BlockLongerThanAnnouncedIsProcessedWithoutOverrun) {
    Effect small, large;
    ASSERT_TRUE(small.Start(2, kSample32, kRate, 64));
    ASSERT_TRUE(large.Start(2, kSample32, kRate, 4096));
    Block a(2, 3000, kSample32), b(2, 3000, kSample32);
    a.FillInput(Tone);
    b.FillInput(Tone);
    EXPECT_EQ(a.Run(*small.processor), kResultOk);
    EXPECT_EQ(b.Run(*large.processor), kResultOk);
    EXPECT_TRUE(AllFinite(a, 2, 3000));
    EXPECT_GT(Peak(a, 2, 3000), 0.05);
    EXPECT_LT(MaxDifference(a, b, 2, 3000), 1e-6);
}

TEST(Processing, UnusualSetupsAreRefusedOrMadeSafe) {
    Effect effect;
    ProcessSetup zeroRate{kRealtime, kSample32, 512, 0.0};
    EXPECT_EQ(effect.processor->setupProcessing(zeroRate), kResultFalse);
    ProcessSetup noBlock{kRealtime, kSample32, 0, kRate};
    EXPECT_EQ(effect.processor->setupProcessing(noBlock), kResultOk);
    Block block(2, 256, kSample32);
    block.FillInput(Tone);
    EXPECT_EQ(block.Run(*effect.processor), kResultOk);
    EXPECT_TRUE(AllFinite(block, 2, 256));
}

TEST(Processing, NotANumberInTheInputDoesNotSilenceTheEffectForGood) {
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample64));
    Block poisoned(2, 256, kSample64);
    poisoned.FillInput(Tone);
    poisoned.SetInput(0, 10, std::numeric_limits<double>::quiet_NaN());
    poisoned.SetInput(1, 20, std::numeric_limits<double>::infinity());
    EXPECT_EQ(poisoned.Run(*effect.processor), kResultOk);

    Block later(2, 256, kSample64);
    later.FillInput(Tone);
    for (int round = 0; round < 20; ++round)
        later.Run(*effect.processor);
    EXPECT_TRUE(AllFinite(later, 2, 256));
    EXPECT_GT(Peak(later, 2, 256), 0.05);
}

TEST(Processing, StoppingClearsWhatTheFilterHeld) {
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample64));
    effect.controller->setParamNormalized(kParamResonance, 1.0);
    Block loud(2, 512, kSample64);
    loud.FillInput(Tone);
    loud.Run(*effect.processor);
    effect.processor->setProcessing(false);
    effect.processor->setProcessing(true);

    Block silence(2, 512, kSample64);
    silence.Run(*effect.processor);
    for (int32 c = 0; c < 2; ++c)
        for (int32 i = 0; i < 512; ++i)
            ASSERT_EQ(silence.Out(c, i), 0.0);
}

TEST(Processing, TransportAndOfflineRenderingAreAccepted) {
    Effect effect;
    ASSERT_TRUE(effect.Start(2, kSample64));
    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid;
    context.tempo = 97.0;
    context.sampleRate = kRate;
    Block block(2, 256, kSample64);
    block.FillInput(Tone);
    block.data.processContext = &context;
    block.data.processMode = kOffline;
    EXPECT_EQ(block.Run(*effect.processor), kResultOk);
    EXPECT_TRUE(AllFinite(block, 2, 256));
}
