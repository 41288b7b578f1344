// The effect object used directly, as the module's factory builds it: what it tells the host,
// what it learns from the host, and how it answers the interfaces a host may ask for.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "plugin/Brisvale.h"
#include "HostParts.h"
#include "public.sdk/source/vst/hosting/parameterchanges.h"
#include "public.sdk/source/vst/utility/stringconvert.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace quendaris;
using namespace quendaris::test;

namespace {

// The real effect with an ear on the change notifications it sends itself.
class ObservedBrisvale : public Brisvale {
  public:
    ObservedBrisvale() : Brisvale(InstanceInfo{}) {}
    struct Change {
        int index;
        ParamChangeSource source;
        int offset;
    };
    std::vector<Change> changes;
    void OnParamChange(int index, ParamChangeSource source, int offset) override {
        changes.push_back({index, source, offset});
        Brisvale::OnParamChange(index, source, offset);
    }
};

class InProcess : public ::testing::Test {
  protected:
    void SetUp() override {
        plugin = owned(new ObservedBrisvale());
        ASSERT_EQ(plugin->initialize(&host), kResultOk);
    }
    void TearDown() override {
        if (plugin)
            plugin->terminate();
    }

    // One 64-bit stereo block of silence, optionally with a context and parameter changes.
    void Process(ParameterChanges* changes, ProcessContext* context, int32 frames = 64) {
        std::vector<double> l(static_cast<size_t>(frames)), r(static_cast<size_t>(frames));
        double* channels[2] = {l.data(), r.data()};
        AudioBusBuffers bus{};
        bus.numChannels = 2;
        bus.channelBuffers64 = channels;
        ProcessData data{};
        data.symbolicSampleSize = kSample64;
        data.numSamples = frames;
        data.numInputs = data.numOutputs = 1;
        data.inputs = data.outputs = &bus;
        data.inputParameterChanges = changes;
        data.processContext = context;
        ASSERT_EQ(plugin->process(data), kResultOk);
    }

    HostApplication host;
    IPtr<ObservedBrisvale> plugin;
};

}  // namespace

TEST_F(InProcess, ClassNameChecksNameTheAdapterAndItsSdkBases) {
    EXPECT_TRUE(plugin->isA("Vst3Plugin"));
    EXPECT_FALSE(plugin->isTypeOf("SingleComponentEffect", false));
    for (const char* base : {"SingleComponentEffect", "EditControllerEx1", "EditController",
                             "ComponentBase", "FObject"})
        EXPECT_TRUE(plugin->isTypeOf(base, true)) << base;
    EXPECT_FALSE(plugin->isTypeOf("Parameter", true));
}

TEST_F(InProcess, AnswersTheInterfacesAHostAsksFor) {
    for (const FUID* iid : {&IComponent::iid, &IAudioProcessor::iid, &IEditController::iid,
                            &IMidiMapping::iid, &ChannelContext::IInfoListener::iid,
                            &IUnitInfo::iid, &IProcessContextRequirements::iid}) {
        void* object = nullptr;
        EXPECT_EQ(plugin->queryInterface(iid->toTUID(), &object), kResultOk);
        ASSERT_NE(object, nullptr);
        static_cast<FUnknown*>(object)->release();
    }
}

TEST_F(InProcess, HostNameIsRecognisedAtInitialisation) {
    NamedHost reaper(u"REAPER");
    auto other = owned(new ObservedBrisvale());
    ASSERT_EQ(other->initialize(&reaper), kResultOk);
    EXPECT_EQ(other->GetHost(), kHostReaper);
    EXPECT_EQ(other->HostName(), "REAPER");
    other->terminate();
    EXPECT_EQ(plugin->GetHost(), kHostUnknown);
}

TEST_F(InProcess, HostWithAMalformedNameIsIdentifiedAsUnknown) {
    NamedHost odd(
        u"\xD800"
        u"1");
    auto other = owned(new ObservedBrisvale());
    ASSERT_EQ(other->initialize(&odd), kResultOk);
    EXPECT_EQ(other->GetHost(), kHostUnknown);
    EXPECT_EQ(other->HostName(),
              "\xEF\xBF\xBD"
              "1");
    other->terminate();
}

TEST_F(InProcess, HostAutomationReportsTheLastPointAsAHostChange) {
    ParameterChanges changes;
    int32 index = 0;
    IParamValueQueue* queue = changes.addParameterData(kParamResonance, index);
    queue->addPoint(0, 0.1, index);
    queue->addPoint(100, 0.2, index);
    queue->addPoint(300, 0.9, index);
    plugin->changes.clear();
    Process(&changes, nullptr, 512);
    ASSERT_EQ(plugin->changes.size(), 1u);
    EXPECT_EQ(plugin->changes[0].index, kParamResonance);
    EXPECT_EQ(plugin->changes[0].source, kHost);
    EXPECT_EQ(plugin->changes[0].offset, 300);
    EXPECT_DOUBLE_EQ(plugin->GetParam(kParamResonance)->Value(), 90.0);
}

TEST_F(InProcess, InitialisationNotifiesEveryParameterAsAReset) {
    auto fresh = owned(new ObservedBrisvale());
    ASSERT_EQ(fresh->initialize(&host), kResultOk);
    ASSERT_EQ(fresh->changes.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(fresh->changes[i].index, i);
        EXPECT_EQ(fresh->changes[i].source, kReset);
    }
    fresh->terminate();
}

// A host that only flushes while its transport is stopped: what the display draws still follows.
TEST_F(InProcess, FlushesAloneUpdateWhatTheDisplayReads) {
    ProcessSetup setup{kRealtime, kSample32, 512, 48000.0};
    ASSERT_EQ(plugin->setupProcessing(setup), kResultOk);
    const FilterEngine& engine = plugin->Engine();
    const float responseBefore = engine.ResponseMagnitude(3000.0f);

    auto flush = [this](ParamID id, ParamValue value, int32 sampleSize) {
        ParameterChanges changes;
        int32 index = 0;
        changes.addParameterData(id, index)->addPoint(0, value, index);
        ProcessData data{};
        data.symbolicSampleSize = sampleSize;
        data.inputParameterChanges = &changes;
        EXPECT_EQ(plugin->process(data), kResultOk);
    };
    flush(kParamCutoff, 0.5, kSample32);
    EXPECT_FLOAT_EQ(engine.DisplayCutoff(), 2517.5f);  // 20 Hz + 19980 Hz × 0.5³
    flush(kParamResonance, 0.8, kSample64);
    EXPECT_FLOAT_EQ(engine.DisplayResonance(), 80.0f);
    flush(kParamModel, 1.0, kSample32);
    EXPECT_EQ(engine.DisplayModel(), 3);
    flush(kParamPoles, 1.0, kSample64);
    EXPECT_TRUE(engine.DisplayFourPole());
    EXPECT_NE(engine.ResponseMagnitude(3000.0f), responseBefore);
    // The Model change started its crossfade, which waits for audio to advance.
    EXPECT_EQ(engine.CurrentModel(), 3);
    EXPECT_EQ(engine.PreviousModel(), 0);
    EXPECT_EQ(engine.CrossfadeProgress(), 0.0);
}

TEST_F(InProcess, BypassThresholdIsOneHalf) {
    for (const auto& [value, bypassed] : {std::pair{0.5, false}, {0.51, true}, {0.0, false}}) {
        ParameterChanges changes;
        int32 index = 0;
        changes.addParameterData(65536, index)->addPoint(0, value, index);
        Process(&changes, nullptr);
        EXPECT_EQ(plugin->GetBypassed(), bypassed) << value;
    }
}

TEST_F(InProcess, TransportSnapshotFollowsTheHostContext) {
    Process(nullptr, nullptr);
    EXPECT_EQ(plugin->GetTransport().tempo, 0.0);  // no context was ever sent
    EXPECT_EQ(plugin->GetTransport().numerator, 0);

    ProcessContext context{};
    context.state = ProcessContext::kPlaying | ProcessContext::kCycleActive |
                    ProcessContext::kProjectTimeMusicValid;
    context.projectTimeSamples = 96000;
    context.tempo = 133.0;
    context.projectTimeMusic = 16.5;
    context.barPositionMusic = 16.0;
    context.cycleStartMusic = 8.0;
    context.cycleEndMusic = 24.0;
    context.timeSigNumerator = 7;
    context.timeSigDenominator = 8;
    Process(nullptr, &context);
    const TransportInfo& transport = plugin->GetTransport();
    EXPECT_EQ(transport.samplePos, 96000.0);
    EXPECT_EQ(transport.tempo, 133.0);
    EXPECT_EQ(transport.ppqPos, 16.5);
    EXPECT_EQ(transport.lastBar, 16.0);
    EXPECT_EQ(transport.cycleStart, 8.0);
    EXPECT_EQ(transport.cycleEnd, 24.0);
    EXPECT_EQ(transport.numerator, 7);
    EXPECT_EQ(transport.denominator, 8);
    EXPECT_TRUE(transport.transportIsRunning);
    EXPECT_TRUE(transport.transportLoopEnabled);

    context.state = 0;
    Process(nullptr, &context);
    EXPECT_EQ(plugin->GetTransport().samplePos, -1.0);
    EXPECT_FALSE(plugin->GetTransport().transportIsRunning);
    // A block without a context keeps the last one the host sent.
    Process(nullptr, nullptr);
    EXPECT_EQ(plugin->GetTransport().tempo, 133.0);
}

TEST_F(InProcess, EditsFromTheEditorReachTheHost) {
    RecordingHandler handler;
    EXPECT_FALSE(plugin->HostBeginEdit(kParamMix));  // nobody listening yet
    ASSERT_EQ(plugin->setComponentHandler(&handler), kResultOk);

    plugin->BeginParamEditFromUI(kParamMix);
    plugin->SendParamValueFromUI(kParamMix, 0.25);
    plugin->EndParamEditFromUI(kParamMix);

    ASSERT_EQ(handler.edits.size(), 3u);
    EXPECT_EQ(handler.edits[0].kind, 'b');
    EXPECT_EQ(handler.edits[1].kind, 'p');
    EXPECT_EQ(handler.edits[1].id, static_cast<ParamID>(kParamMix));
    EXPECT_DOUBLE_EQ(handler.edits[1].value, 0.25);
    EXPECT_EQ(handler.edits[2].kind, 'e');
    EXPECT_DOUBLE_EQ(plugin->getParamNormalized(kParamMix), 0.25);
    EXPECT_DOUBLE_EQ(plugin->GetParam(kParamMix)->Value(), 25.0);
    ASSERT_FALSE(plugin->changes.empty());
    EXPECT_EQ(plugin->changes.back().source, kUI);
    plugin->setComponentHandler(nullptr);
}

TEST_F(InProcess, AllParametersGoToTheHostAsOneGroupEdit) {
    RecordingHandler handler;
    plugin->setComponentHandler(&handler);
    plugin->GetParam(kParamDrive)->SetValue(40.0);
    plugin->SendAllParamsToHost();
    ASSERT_EQ(handler.edits.size(), 11u);
    EXPECT_EQ(handler.edits.front().kind, '{');
    EXPECT_EQ(handler.edits.back().kind, '}');
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(handler.edits[i + 1].kind, 'p');
        EXPECT_EQ(handler.edits[i + 1].id, static_cast<ParamID>(i));
    }
    EXPECT_DOUBLE_EQ(handler.edits[1 + kParamDrive].value, 0.4);
    EXPECT_DOUBLE_EQ(plugin->getParamNormalized(kParamDrive), 0.4);
    plugin->setComponentHandler(nullptr);
}

TEST_F(InProcess, TitleAndLatencyChangesRestartTheComponent) {
    RecordingHandler handler;
    plugin->setComponentHandler(&handler);
    plugin->ParamTitlesChanged();
    plugin->SetLatency(0);
    ASSERT_EQ(handler.restarts.size(), 2u);
    EXPECT_EQ(handler.restarts[0], kParamTitlesChanged);
    EXPECT_EQ(handler.restarts[1], kLatencyChanged);
    EXPECT_EQ(plugin->getLatencySamples(), 0u);
    plugin->setComponentHandler(nullptr);
}

TEST_F(InProcess, EditorResizeStoresTheNewSize) {
    EXPECT_TRUE(plugin->EditorResize(900, 700));
    EXPECT_EQ(plugin->EditorWidth(), 900);
    EXPECT_EQ(plugin->EditorHeight(), 700);
}

TEST_F(InProcess, MidiControllersMapOnlyOnTheFirstBusAndChannel) {
    ParamID id = 0;
    EXPECT_EQ(plugin->getMidiControllerAssignment(0, 0, 7, id), kResultOk);
    EXPECT_EQ(id, 65538u + 7u);
    EXPECT_EQ(plugin->getMidiControllerAssignment(0, 0, kPitchBend, id), kResultOk);
    EXPECT_EQ(id, 65538u + 129u);
    EXPECT_EQ(plugin->getMidiControllerAssignment(1, 0, 7, id), kResultFalse);
    EXPECT_EQ(plugin->getMidiControllerAssignment(0, 3, 7, id), kResultFalse);
}

TEST_F(InProcess, ChannelContextIsKeptForTheEditor) {
    EXPECT_EQ(plugin->setChannelContextInfos(nullptr), kResultFalse);
    auto list = HostAttributeList::make();
    list->setString(ChannelContext::kChannelNameKey, STR16("Bass"));
    list->setInt(ChannelContext::kChannelNameLengthKey, 4);
    list->setInt(ChannelContext::kChannelIndexKey, 3);
    list->setInt(ChannelContext::kChannelColorKey, 0xFF102030);
    list->setInt(ChannelContext::kChannelIndexNamespaceOrderKey, 2);
    list->setString(ChannelContext::kChannelIndexNamespaceKey, STR16("Tracks"));
    list->setInt(ChannelContext::kChannelIndexNamespaceLengthKey, 6);
    EXPECT_EQ(plugin->setChannelContextInfos(list), kResultOk);

    std::string text;
    EXPECT_TRUE(plugin->GetTrackName(text));
    EXPECT_EQ(text, "Bass");
    EXPECT_TRUE(plugin->GetTrackNamespace(text));
    EXPECT_EQ(text, "Tracks");
    EXPECT_EQ(plugin->GetTrackIndex(), 3);
    EXPECT_EQ(plugin->GetTrackNamespaceIndex(), 2);
    int r = 0, g = 0, b = 0;
    EXPECT_TRUE(plugin->GetTrackColor(r, g, b));
    EXPECT_EQ(r, 0x10);
    EXPECT_EQ(g, 0x20);
    EXPECT_EQ(b, 0x30);

    // A later update naming only the index leaves the rest alone.
    auto update = HostAttributeList::make();
    update->setInt(ChannelContext::kChannelIndexKey, 9);
    EXPECT_EQ(plugin->setChannelContextInfos(update), kResultOk);
    EXPECT_EQ(plugin->GetTrackIndex(), 9);
    EXPECT_TRUE(plugin->GetTrackName(text));
    EXPECT_EQ(text, "Bass");
}

TEST_F(InProcess, ChannelNameLengthsFromTheHostAreNotTrusted) {
    auto list = HostAttributeList::make();
    list->setString(ChannelContext::kChannelNameKey, STR16("Lead Vocal"));
    list->setInt(ChannelContext::kChannelNameLengthKey, 1LL << 40);
    EXPECT_EQ(plugin->setChannelContextInfos(list), kResultOk);
    std::string name;
    plugin->GetTrackName(name);
    EXPECT_EQ(name, "Lead Vocal");
    list->setInt(ChannelContext::kChannelNameLengthKey, -5);
    EXPECT_EQ(plugin->setChannelContextInfos(list), kResultOk);
}

TEST_F(InProcess, ProgramsUnitsAndKnobMode) {
    String128 name{};
    EXPECT_EQ(plugin->getProgramName(65537, 0, name), kResultOk);
    EXPECT_EQ(StringConvert::convert(name), "empty");
    EXPECT_EQ(plugin->getProgramName(65537, 1, name), kResultFalse);
    EXPECT_EQ(plugin->getProgramName(0, 0, name), kResultFalse);
    ProgramListInfo info{};
    EXPECT_EQ(plugin->getProgramListInfo(0, info), kResultFalse);
    EXPECT_EQ(plugin->setKnobMode(kLinearMode), kResultOk);
    EXPECT_EQ(plugin->selectUnit(5), kResultOk);
    EXPECT_EQ(plugin->getSelectedUnit(), 5);
    EXPECT_EQ(plugin->openHelp(false), kResultFalse);
    EXPECT_EQ(plugin->openAboutBox(false), kResultFalse);
    UnitID unit = -7;
    EXPECT_EQ(plugin->getUnitByBus(kAudio, BusDirections::kInput, 0, 0, unit), kResultFalse);
    EXPECT_EQ(plugin->setUnitProgramData(0, 0, nullptr), kResultFalse);
}

TEST_F(InProcess, InfiniteTailIsReportedAsTheLargestCount) {
    plugin->SetTailSize(2147483647);
    EXPECT_EQ(plugin->getTailSamples(), 0xFFFFFFFFu);
    plugin->SetTailSize(4800);
    EXPECT_EQ(plugin->getTailSamples(), 4800u);
    plugin->SetTailSize(0);
}

TEST(Arrangements, ChannelCountsMapToTheSpeakerTable) {
    EXPECT_EQ(Vst3ProcessorBase::ArrangementForChannels(1), 0x80000u);
    EXPECT_EQ(Vst3ProcessorBase::ArrangementForChannels(2), 0x3u);
    EXPECT_EQ(Vst3ProcessorBase::ArrangementForChannels(6), 0x3Fu);
    EXPECT_EQ(Vst3ProcessorBase::ArrangementForChannels(9), 0x7C000F00000u);
    EXPECT_EQ(Vst3ProcessorBase::ArrangementForChannels(16), 0x3FFC000F00000u);
    EXPECT_EQ(Vst3ProcessorBase::ArrangementForChannels(11), 0u);
    EXPECT_EQ(Vst3ProcessorBase::ArrangementForChannels(0), 0u);
    for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 16})
        EXPECT_EQ(SpeakerArr::getChannelCount(Vst3ProcessorBase::ArrangementForChannels(n)), n);
}
