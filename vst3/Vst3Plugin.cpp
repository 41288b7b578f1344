#include "vst3/Vst3Plugin.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/vst/utility/stringconvert.h"
#include "vst3/Vst3View.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace quendaris {
namespace {

constexpr int32 kStateReadPiece = 128;
// Far beyond any state this frame writes; a larger stream is garbage and is not read further.
constexpr int kMaxStateBytes = 1 << 20;
// Largest block we prepare buffers for; longer blocks are processed in pieces of this size.
constexpr int32 kMaxPreparedBlock = 1 << 16;
constexpr ParamID kFirstMidiControllerId = 65538;

// Reads the whole stream from its current position, in small pieces.
void ReadStream(IBStream& stream, bool tolerateFailedReads, ByteChunk& chunk) {
    char piece[kStateReadPiece];
    while (chunk.Size() < kMaxStateBytes) {
        int32 got = 0;
        const tresult result = stream.read(piece, kStateReadPiece, &got);
        if (got <= 0)
            break;
        got = std::min(got, kStateReadPiece);
        if (chunk.PutBytes(piece, got) == 0)
            break;
        if (result != kResultOk && !tolerateFailedReads)
            break;
    }
}

int32 CountChannels(SpeakerArrangement arrangement) {
    return SpeakerArr::getChannelCount(arrangement);
}

bool ValidIndex(BusList* list, int32 index) {
    return list && index >= 0 && index < static_cast<int32>(list->size());
}

}  // namespace

Vst3Plugin::Vst3Plugin(const PluginConfig& config)
    : PluginApiBase(config, kApiVst3), Vst3ProcessorBase(config, *this) {
    mParameters = &parameters;
}

Vst3Plugin::~Vst3Plugin() = default;

tresult PLUGIN_API Vst3Plugin::initialize(FUnknown* context) {
    if (SingleComponentEffect::initialize(context) != kResultOk)
        return kResultFalse;
    BuildBuses();
    BuildParametersAndUnits();
    IdentifyHost(context);
    OnHostIdentified();
    NotifyAllParamsChanged(kReset);
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::terminate() {
    mBypassParameter = nullptr;
    return SingleComponentEffect::terminate();
}

void Vst3Plugin::AddAudioBuses(const BusConfig& config, BusDirection dir) {
    const int nBuses = config.NBuses(dir);
    for (int i = 0; i < nBuses; ++i) {
        std::string name;
        GetBusName(dir, i, nBuses, name);
        const auto title = StringConvert::convert(name);
        const SpeakerArrangement arrangement = ArrangementForChannels(config.NChannels(dir, i));
        const BusType type = i == 0 ? kMain : kAux;
        const int32 flags = i == 0 ? BusInfo::kDefaultActive : 0;
        if (dir == kInput)
            addAudioInput(toTChar(title), arrangement, type, flags);
        else
            addAudioOutput(toTChar(title), arrangement, type, flags);
    }
}

void Vst3Plugin::BuildBuses() {
    int inputConfig = 0;
    int outputConfig = 0;
    MaxNBuses(kInput, &inputConfig);
    const int maxOutputs = MaxNBuses(kOutput, &outputConfig);
    if (const BusConfig* config = GetIOConfig(inputConfig))
        AddAudioBuses(*config, kInput);
    if (const BusConfig* config = GetIOConfig(outputConfig))
        AddAudioBuses(*config, kOutput);
    if (GetPluginType() == kPluginNeedsOutput && maxOutputs == 0)
        addAudioOutput(STR16("Dummy Output"), 0, kMain, 0);
    if (DoesMidiIn())
        addEventInput(STR16("MIDI Input"), 1);
    if (DoesMidiOut())
        addEventOutput(STR16("MIDI Output"), 1);
}

void Vst3Plugin::BuildParametersAndUnits() {
    addUnit(new Unit(STR16("Root"), kRootUnitId, kNoParentUnitId, kNoProgramListId));
    if (GetPluginType() != kPluginNoBypass) {
        mBypassParameter = new Vst3BypassParameter();
        parameters.addParameter(mBypassParameter);
    }
    for (int i = 0; i < NParams(); ++i) {
        Param* param = GetParam(i);
        const int groupsBefore = NParamGroups();
        const int group = AddParamGroup(param->Group());
        const UnitID unitId = group < 0 ? kRootUnitId : group + 1;
        if (NParamGroups() > groupsBefore) {
            const auto name = StringConvert::convert(param->Group());
            addUnit(new Unit(toTChar(name), unitId, kRootUnitId, kNoProgramListId));
        }
        parameters.addParameter(new Vst3Parameter(*param, static_cast<ParamID>(i), unitId));
    }
}

void Vst3Plugin::IdentifyHost(FUnknown* context) {
    if (GetHost() != kHostUninit || !context)
        return;
    FUnknownPtr<IHostApplication> application(context);
    if (!application)
        return;
    String128 name{};
    if (application->getName(name) != kResultOk)
        return;
    name[127] = 0;
    SetHost(StringConvert::convert(name), 0);
}

tresult PLUGIN_API Vst3Plugin::getBusInfo(MediaType type, Vst::BusDirection dir, int32 index,
                                          BusInfo& info) {
    if (!ValidIndex(getBusList(type, dir), index))
        return kInvalidArgument;
    return SingleComponentEffect::getBusInfo(type, dir, index, info);
}

tresult PLUGIN_API Vst3Plugin::activateBus(MediaType type, Vst::BusDirection dir, int32 index,
                                           TBool state) {
    if (!ValidIndex(getBusList(type, dir), index))
        return kInvalidArgument;
    return SingleComponentEffect::activateBus(type, dir, index, state);
}

tresult PLUGIN_API Vst3Plugin::getBusArrangement(Vst::BusDirection dir, int32 index,
                                                 SpeakerArrangement& arrangement) {
    if (!ValidIndex(getBusList(kAudio, dir), index))
        return kInvalidArgument;
    return SingleComponentEffect::getBusArrangement(dir, index, arrangement);
}

bool Vst3Plugin::IsOutputBusActive(int busIndex) const {
    if (busIndex < 0 || busIndex >= static_cast<int>(audioOutputs.size()))
        return false;
    Bus* bus = audioOutputs[static_cast<size_t>(busIndex)];
    if (bus->isActive())
        return true;
    // A default-active bus plays until the host says otherwise, even if it never activates it.
    BusInfo info{};
    return bus->getInfo(info) && (info.flags & BusInfo::kDefaultActive) != 0;
}

tresult PLUGIN_API Vst3Plugin::setActive(TBool state) {
    OnActivate(state != 0);
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::getState(IBStream* stream) {
    if (!stream)
        return kInvalidArgument;
    ByteChunk chunk;
    if (!WriteState(chunk))
        return kResultFalse;
    chunk.PutInt32LE(GetBypassed() ? 1 : 0);
    int32 written = 0;
    if (stream->write(chunk.Data(), chunk.Size(), &written) != kResultOk || written != chunk.Size())
        return kResultFalse;
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::setState(IBStream* stream) {
    if (!stream)
        return kInvalidArgument;
    // Everything is read relative to where the host's stream starts, which need not be 0.
    ByteChunk chunk;
    ReadStream(*stream, GetHost() == kHostWaveLab, chunk);
    const int position = ReadState(chunk, 0);
    int32_t bypass = 0;
    const bool haveBypass = position >= 0 && chunk.GetInt32LE(bypass, position) >= 0;
    // A short stream still restored the values it covered; the controller shows those.
    SyncControllerFromParams();
    if (!haveBypass)
        return kResultFalse;
    // The processor follows the stored flag too: a project reopened bypassed stays bypassed,
    // and saving it again keeps the flag instead of silently dropping it.
    const double bypassValue = std::clamp(static_cast<double>(bypass), 0.0, 1.0);
    if (mBypassParameter)
        mBypassParameter->setNormalized(bypassValue);
    SetBypassed(bypassValue > 0.5);
    OnStateRestored();
    return kResultOk;
}

void Vst3Plugin::SyncControllerFromParams() {
    for (int i = 0; i < NParams(); ++i) {
        if (Parameter* parameter = ControllerParam(static_cast<ParamID>(i)))
            parameter->setNormalized(GetParam(i)->Normal());
    }
}

tresult PLUGIN_API Vst3Plugin::setBusArrangements(SpeakerArrangement* inputs, int32 numIns,
                                                  SpeakerArrangement* outputs, int32 numOuts) {
    if (GetHost() == kHostArdour || GetHost() == kHostMixbus)
        return kResultOk;
    SetChannelConnections(kInput, 0, NChannels(kInput), false);
    SetChannelConnections(kOutput, 0, NChannels(kOutput), false);
    if (numIns < 0 || numOuts < 0 || (numIns > 0 && !inputs) || (numOuts > 0 && !outputs))
        return kInvalidArgument;
    if (numIns > MaxNBuses(kInput) || numOuts > MaxNBuses(kOutput))
        return kResultFalse;

    std::vector<int> inputChannels(static_cast<size_t>(numIns));
    std::vector<int> outputChannels(static_cast<size_t>(numOuts));
    std::transform(inputs, inputs + numIns, inputChannels.begin(), CountChannels);
    std::transform(outputs, outputs + numOuts, outputChannels.begin(), CountChannels);
    const BusConfig* config = GetIOConfig(GetIOConfigWithChanCounts(inputChannels, outputChannels));
    if (!config)
        return kResultFalse;

    removeAudioBusses();
    AddAudioBuses(*config, kInput);
    AddAudioBuses(*config, kOutput);
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::canProcessSampleSize(int32 sampleSize) {
    return (sampleSize == kSample32 || sampleSize == kSample64) ? kResultTrue : kResultFalse;
}

uint32 PLUGIN_API Vst3Plugin::getLatencySamples() {
    return static_cast<uint32>(std::max(GetLatency(), 0));
}

uint32 PLUGIN_API Vst3Plugin::getTailSamples() {
    const int tail = GetTailSize();
    if (tail == 2147483647)
        return kInfiniteTail;
    return static_cast<uint32>(std::max(tail, 0));
}

tresult PLUGIN_API Vst3Plugin::setupProcessing(ProcessSetup& setup) {
    if (canProcessSampleSize(setup.symbolicSampleSize) != kResultTrue)
        return kResultFalse;
    if (!(setup.sampleRate > 0.0) || !std::isfinite(setup.sampleRate))
        return kResultFalse;
    processSetup = setup;
    SetSampleRate(setup.sampleRate);
    try {
        SetBlockSize(std::clamp(setup.maxSamplesPerBlock, int32{1}, kMaxPreparedBlock));
        ResetProcessing();
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    }
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::setProcessing(TBool state) {
    if (!state)
        ResetProcessing();
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::process(ProcessData& data) {
    UpdateTransport(data);
    ApplyParameterChanges(data.inputParameterChanges);
    ProcessAudio(data);
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::setComponentState(IBStream*) {
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::setEditorState(IBStream*) {
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::getEditorState(IBStream*) {
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::setParamNormalized(ParamID id, ParamValue value) {
    Parameter* parameter = ControllerParam(id);
    if (!parameter)
        return kResultFalse;
    if (std::isnan(value))
        return kInvalidArgument;
    parameter->setNormalized(value);
    // The audio side learns host values from process; here only the value and the editor follow.
    const ParamValue normalized = parameter->getNormalized();
    if (Param* param = id < kBypassParamId ? GetParam(static_cast<int>(id)) : nullptr) {
        param->SetNormal(normalized);
        OnParamChangeUI(static_cast<int>(id), kHost);
        SendParamValueToEditor(static_cast<int>(id), normalized, true);
    }
    return kResultOk;
}

IPlugView* PLUGIN_API Vst3Plugin::createView(FIDString name) {
    if (!HasEditor() || !name || std::strcmp(name, ViewType::kEditor) != 0)
        return nullptr;
    auto* view = new Vst3View(*this);
    mView = view;
    return view;
}

void Vst3Plugin::ViewDestroyed(Vst3View* view) {
    if (mView == view)
        mView = nullptr;
}

HostEventLoop* Vst3Plugin::GetHostEventLoop() {
    return mView ? mView->EventLoop() : nullptr;
}

tresult PLUGIN_API Vst3Plugin::getProgramName(ProgramListID listId, int32 index, String128 name) {
    if (listId != static_cast<ProgramListID>(kProgramChangeParamId) || NPresets() <= 0 ||
        index < 0 || index >= NPresets() || !name)
        return kResultFalse;
    StringConvert::convert(PresetName(index), name);
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::getMidiControllerAssignment(int32 busIndex, int16 channel,
                                                           CtrlNumber controller, ParamID& id) {
    if (busIndex != 0 || channel != 0)
        return kResultFalse;
    id = kFirstMidiControllerId + static_cast<ParamID>(controller);
    return kResultOk;
}

tresult PLUGIN_API Vst3Plugin::setChannelContextInfos(IAttributeList* list) {
    return ReadChannelContext(list);
}

bool Vst3Plugin::HostBeginEdit(int paramIdx) {
    if (!componentHandler)
        return false;
    return componentHandler->beginEdit(static_cast<ParamID>(paramIdx)) == kResultOk;
}

bool Vst3Plugin::HostEndEdit(int paramIdx) {
    if (!componentHandler)
        return false;
    return componentHandler->endEdit(static_cast<ParamID>(paramIdx)) == kResultOk;
}

bool Vst3Plugin::HostPerformEdit(int paramIdx, double normalValue) {
    if (!componentHandler)
        return false;
    return componentHandler->performEdit(static_cast<ParamID>(paramIdx), normalValue) == kResultOk;
}

void Vst3Plugin::SendParamValueFromUI(int paramIdx, double normalValue) {
    if (Parameter* parameter = ControllerParam(static_cast<ParamID>(paramIdx)))
        parameter->setNormalized(normalValue);
    PluginApiBase::SendParamValueFromUI(paramIdx, normalValue);
}

void Vst3Plugin::SendAllParamsToHost() {
    SyncControllerFromParams();
    if (!componentHandler)
        return;
    if (componentHandler2)
        componentHandler2->startGroupEdit();
    for (int i = 0; i < NParams(); ++i)
        componentHandler->performEdit(static_cast<ParamID>(i), GetParam(i)->Normal());
    if (componentHandler2)
        componentHandler2->finishGroupEdit();
}

void Vst3Plugin::ParamTitlesChanged() {
    if (componentHandler)
        componentHandler->restartComponent(kParamTitlesChanged);
}

bool Vst3Plugin::EditorResize(int width, int height) {
    if (!HasEditor())
        return true;
    // Stored first: hosts read getSize while they handle resizeView.
    if (width != EditorWidth() || height != EditorHeight()) {
        SetEditorSize(width, height);
        if (mView)
            mView->RequestResize(width, height);
    }
    return true;
}

void Vst3Plugin::SetLatency(int samples) {
    PluginProcessor::SetLatency(samples);
    if (componentHandler)
        componentHandler->restartComponent(kLatencyChanged);
}

bool Vst3Plugin::GetTrackColor(int& r, int& g, int& b) const {
    uint8_t red = 0, green = 0, blue = 0;
    TrackColourRgb(red, green, blue);
    r = red;
    g = green;
    b = blue;
    return true;
}

bool Vst3Plugin::GetTrackName(std::string& name) const {
    name = TrackName();
    return true;
}

bool Vst3Plugin::GetTrackNamespace(std::string& name) const {
    name = TrackNamespace();
    return true;
}

tresult PLUGIN_API Vst3Plugin::queryInterface(const TUID iid, void** obj) {
    DEF_INTERFACE(IMidiMapping)
    DEF_INTERFACE(ChannelContext::IInfoListener)
    return SingleComponentEffect::queryInterface(iid, obj);
}

}  // namespace quendaris
