#include "vst3/Vst3ProcessorBase.h"

#include <algorithm>

#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/vstspeaker.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace quendaris {
namespace {

bool HasSampleSizeWeProcess(const ProcessData& data) {
    return data.symbolicSampleSize == kSample32 || data.symbolicSampleSize == kSample64;
}

bool HasChannelBuffers(const AudioBusBuffers& bus, int32 sampleSize) {
    if (bus.numChannels <= 0)
        return false;
    return sampleSize == kSample32 ? bus.channelBuffers32 != nullptr
                                   : bus.channelBuffers64 != nullptr;
}

}  // namespace

Vst3ProcessorBase::Vst3ProcessorBase(const PluginConfig& config, PluginApiBase& plugin)
    : PluginProcessor(config), mPlugin(plugin) {
    mMaxSidechainChannels = std::max(MaxNChannelsForBus(kInput, 0), 0);
    SetChannelConnections(kInput, 0, NChannels(kInput), true);
    SetChannelConnections(kOutput, 0, NChannels(kOutput), true);
    SetBlockSize(512);
}

SpeakerArrangement Vst3ProcessorBase::ArrangementForChannels(int nChannels) {
    switch (nChannels) {
        case 1:
            return 0x80000;
        case 2:
            return 0x3;
        case 3:
            return 0x7;
        case 4:
            return 0xF00000;
        case 5:
            return 0x37;
        case 6:
            return 0x3F;
        case 7:
            return 0xF7;
        case 8:
            return 0x63F;
        case 9:
            return 0x7C000F00000;
        case 10:
            return 0x300063F;
        case 16:
            return 0x3FFC000F00000;
        default:
            return 0;
    }
}

void Vst3ProcessorBase::ApplyParameterChanges(IParameterChanges* changes) {
    if (!changes)
        return;
    const int32 queueCount = changes->getParameterCount();
    for (int32 q = 0; q < queueCount; ++q) {
        IParamValueQueue* queue = changes->getParameterData(q);
        if (!queue)
            continue;
        const int32 points = queue->getPointCount();
        int32 offset = 0;
        ParamValue value = 0.0;
        if (points <= 0 || queue->getPoint(points - 1, offset, value) != kResultTrue)
            continue;
        const ParamID id = queue->getParameterId();
        if (id == kBypassParamId) {
            SetBypassed(value > 0.5);
        } else if (Param* param = mPlugin.GetParam(static_cast<int>(id));
                   param && id < kBypassParamId) {
            param->SetNormal(value);
            mPlugin.OnParamChange(static_cast<int>(id), kHost, offset);
        }
    }
}

void Vst3ProcessorBase::UpdateTransport(const ProcessData& data) {
    if (data.processContext)
        mContext = *data.processContext;
    TransportInfo transport;
    transport.samplePos = (mContext.state & ProcessContext::kProjectTimeMusicValid)
                              ? static_cast<double>(mContext.projectTimeSamples)
                              : -1.0;
    transport.tempo = mContext.tempo;
    transport.ppqPos = mContext.projectTimeMusic;
    transport.lastBar = mContext.barPositionMusic;
    transport.cycleStart = mContext.cycleStartMusic;
    transport.cycleEnd = mContext.cycleEndMusic;
    transport.numerator = mContext.timeSigNumerator;
    transport.denominator = mContext.timeSigDenominator;
    transport.transportIsRunning = (mContext.state & ProcessContext::kPlaying) != 0;
    transport.transportLoopEnabled = (mContext.state & ProcessContext::kCycleActive) != 0;
    SetTransport(transport);
    SetRenderingOffline(data.processMode == kOffline);
}

void Vst3ProcessorBase::ProcessAudio(const ProcessData& data) {
    if (!HasSampleSizeWeProcess(data))
        return;
    const bool is32 = data.symbolicSampleSize == kSample32;
    // A flush (no frames, or no output buffers) carries parameter changes only. It still runs
    // the block's bookkeeping, with every host buffer detached so none is read or written.
    if (data.numSamples <= 0 || data.numOutputs <= 0 || !data.outputs ||
        !HasChannelBuffers(data.outputs[0], data.symbolicSampleSize)) {
        SetChannelConnections(kInput, 0, NChannels(kInput), false);
        SetChannelConnections(kOutput, 0, NChannels(kOutput), false);
        if (!GetBypassed())
            is32 ? ProcessBuffers32(0) : ProcessBuffers64(0);
        return;
    }
    ConnectInputs(data);
    ConnectOutputs(data);
    if (GetBypassed()) {
        is32 ? PassThroughBuffers32(data.numSamples) : PassThroughBuffers64(data.numSamples);
    } else {
        is32 ? ProcessBuffers32(data.numSamples) : ProcessBuffers64(data.numSamples);
    }
}

void Vst3ProcessorBase::ConnectInputs(const ProcessData& data) {
    // Host buffers belong to one block: drop the previous block's before attaching new ones.
    SetChannelConnections(kInput, 0, NChannels(kInput), false);
    if (data.numInputs <= 0 || !data.inputs)
        return;
    const AudioBusBuffers& bus = data.inputs[0];
    if (!HasChannelBuffers(bus, data.symbolicSampleSize))
        return;
    const int n = std::min(static_cast<int>(bus.numChannels), NChannels(kInput));
    SetChannelConnections(kInput, 0, n, true);
    if (data.symbolicSampleSize == kSample32)
        AttachBuffers(kInput, 0, n, bus.channelBuffers32, data.numSamples);
    else
        AttachBuffers(kInput, 0, n, bus.channelBuffers64);
}

void Vst3ProcessorBase::ConnectOutputs(const ProcessData& data) {
    SetChannelConnections(kOutput, 0, NChannels(kOutput), false);
    int first = 0;
    for (int32 b = 0; b < data.numOutputs && first < NChannels(kOutput); ++b) {
        const AudioBusBuffers& bus = data.outputs[b];
        const int n = std::min(static_cast<int>(bus.numChannels), NChannels(kOutput) - first);
        if (n <= 0 || !IsOutputBusActive(b) || !HasChannelBuffers(bus, data.symbolicSampleSize)) {
            first += std::max(n, 0);
            continue;
        }
        SetChannelConnections(kOutput, first, n, true);
        if (data.symbolicSampleSize == kSample32)
            AttachBuffers(kOutput, first, n, bus.channelBuffers32, data.numSamples);
        else
            AttachBuffers(kOutput, first, n, bus.channelBuffers64);
        first += n;
    }
}

}  // namespace quendaris
