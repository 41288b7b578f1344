// Buses and arrangements as a host negotiates them.
#include <gtest/gtest.h>

#include "TestHost.h"
#include "pluginterfaces/base/funknownimpl.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/vst/utility/stringconvert.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace quendaris::test;

namespace {

BusInfo Bus(Effect& effect, BusDirection dir, int32 index = 0) {
    BusInfo info{};
    EXPECT_EQ(effect.component->getBusInfo(kAudio, dir, index, info), kResultOk);
    return info;
}

SpeakerArrangement Arrangement(Effect& effect, BusDirection dir) {
    SpeakerArrangement arrangement = 0;
    EXPECT_EQ(effect.processor->getBusArrangement(dir, 0, arrangement), kResultOk);
    return arrangement;
}

tresult Arrange(Effect& effect, SpeakerArrangement in, SpeakerArrangement out) {
    return effect.processor->setBusArrangements(&in, 1, &out, 1);
}

class Buses : public ::testing::Test {
  protected:
    Effect effect;
};

}  // namespace

TEST_F(Buses, OneStereoInputAndOutputAfterInitialisation) {
    EXPECT_EQ(effect.component->getBusCount(kAudio, kInput), 1);
    EXPECT_EQ(effect.component->getBusCount(kAudio, kOutput), 1);
    EXPECT_EQ(effect.component->getBusCount(kEvent, kInput), 0);
    EXPECT_EQ(effect.component->getBusCount(kEvent, kOutput), 0);

    const BusInfo input = Bus(effect, kInput);
    EXPECT_EQ(StringConvert::convert(input.name), "Input");
    EXPECT_EQ(input.channelCount, 2);
    EXPECT_EQ(input.busType, kMain);
    EXPECT_EQ(input.flags, static_cast<uint32>(BusInfo::kDefaultActive));
    const BusInfo output = Bus(effect, kOutput);
    EXPECT_EQ(StringConvert::convert(output.name), "Output");
    EXPECT_EQ(output.channelCount, 2);
    EXPECT_EQ(Arrangement(effect, kInput), SpeakerArr::kStereo);
    EXPECT_EQ(Arrangement(effect, kOutput), SpeakerArr::kStereo);
}

TEST_F(Buses, MonoAndStereoPairsAreAccepted) {
    EXPECT_EQ(Arrange(effect, SpeakerArr::kMono, SpeakerArr::kMono), kResultOk);
    EXPECT_EQ(Arrangement(effect, kInput), 0x80000u);
    EXPECT_EQ(Arrangement(effect, kOutput), 0x80000u);
    for (BusDirection dir : {kInput, kOutput}) {
        const BusInfo mono = Bus(effect, dir);
        EXPECT_EQ(mono.channelCount, 1);
        EXPECT_EQ(mono.busType, kMain);
        EXPECT_EQ(mono.flags, static_cast<uint32>(BusInfo::kDefaultActive));
    }
    EXPECT_EQ(StringConvert::convert(Bus(effect, kOutput).name), "Output");
    EXPECT_EQ(Arrange(effect, SpeakerArr::kStereo, SpeakerArr::kStereo), kResultOk);
    EXPECT_EQ(StringConvert::convert(Bus(effect, kInput).name), "Input");
    EXPECT_EQ(StringConvert::convert(Bus(effect, kOutput).name), "Output");
    EXPECT_EQ(Arrangement(effect, kOutput), SpeakerArr::kStereo);
}

TEST_F(Buses, MixedOrSurroundArrangementsAreRefused) {
    EXPECT_EQ(Arrange(effect, SpeakerArr::kMono, SpeakerArr::kStereo), kResultFalse);
    EXPECT_EQ(Arrange(effect, SpeakerArr::kStereo, SpeakerArr::kMono), kResultFalse);
    EXPECT_EQ(Arrange(effect, SpeakerArr::k51, SpeakerArr::k51), kResultFalse);
    SpeakerArrangement two[2] = {SpeakerArr::kStereo, SpeakerArr::kStereo};
    EXPECT_EQ(effect.processor->setBusArrangements(two, 2, two, 2), kResultFalse);
    EXPECT_EQ(effect.processor->setBusArrangements(nullptr, 0, nullptr, 0), kResultFalse);
}

TEST_F(Buses, AnyTwoChannelPairIsRecordedAsPlainStereo) {
    const SpeakerArrangement sides = SpeakerArr::kStereoSurround;
    EXPECT_EQ(Arrange(effect, sides, sides), kResultOk);
    EXPECT_EQ(Arrangement(effect, kInput), SpeakerArr::kStereo);
}

TEST_F(Buses, MalformedRequestsAreRefusedSafely) {
    EXPECT_NE(effect.processor->setBusArrangements(nullptr, 1, nullptr, 1), kResultOk);
    SpeakerArrangement stereo = SpeakerArr::kStereo;
    EXPECT_NE(effect.processor->setBusArrangements(&stereo, -1, &stereo, 1), kResultOk);
    BusInfo info{};
    EXPECT_EQ(effect.component->getBusInfo(kAudio, kInput, -1, info), kInvalidArgument);
    EXPECT_EQ(effect.component->getBusInfo(kAudio, kInput, 1, info), kInvalidArgument);
    EXPECT_EQ(effect.component->activateBus(kAudio, kInput, 3, true), kInvalidArgument);
    EXPECT_EQ(effect.component->activateBus(kAudio, kOutput, -1, true), kInvalidArgument);
    EXPECT_EQ(effect.component->activateBus(kEvent, kInput, 0, true), kInvalidArgument);
    SpeakerArrangement arrangement = 0;
    EXPECT_EQ(effect.processor->getBusArrangement(kInput, -1, arrangement), kInvalidArgument);
}

TEST_F(Buses, ArdourRequestsAreAcceptedWithoutChange) {
    NamedHost ardour(u"Ardour");
    Effect hosted(&ardour);
    ASSERT_TRUE(hosted.Valid());
    EXPECT_EQ(Arrange(hosted, SpeakerArr::kMono, SpeakerArr::k51), kResultOk);
    EXPECT_EQ(Arrangement(hosted, kOutput), SpeakerArr::kStereo);

    NamedHost mixbus(u"Mixbus");
    Effect mixed(&mixbus);
    ASSERT_TRUE(mixed.Valid());
    EXPECT_EQ(Arrange(mixed, SpeakerArr::kStereo, SpeakerArr::kMono), kResultOk);
    EXPECT_EQ(Arrangement(mixed, kInput), SpeakerArr::kStereo);
}

TEST_F(Buses, SampleSizesLatencyAndTail) {
    EXPECT_EQ(effect.processor->canProcessSampleSize(kSample32), kResultTrue);
    EXPECT_EQ(effect.processor->canProcessSampleSize(kSample64), kResultTrue);
    EXPECT_EQ(effect.processor->canProcessSampleSize(2), kResultFalse);
    EXPECT_EQ(effect.processor->getLatencySamples(), 0u);
    EXPECT_EQ(effect.processor->getTailSamples(), 0u);
    ProcessSetup setup{kRealtime, 2, 512, 48000.0};
    EXPECT_EQ(effect.processor->setupProcessing(setup), kResultFalse);
    IPtr<IProcessContextRequirements> requirements =
        U::cast<IProcessContextRequirements>(effect.component);
    ASSERT_TRUE(requirements);
    EXPECT_EQ(requirements->getProcessContextRequirements(), 0u);
}
