#pragma once

#include "frame/PluginApiBase.h"
#include "frame/PluginProcessor.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"

namespace Steinberg::Vst {
class IParameterChanges;
}  // namespace Steinberg::Vst

namespace quendaris {

// The audio side of the adapter: turns the host's process data (parameter queues, transport,
// bus buffers of either sample size) into the frame's routing and block processing.
class Vst3ProcessorBase : public PluginProcessor {
  public:
    Vst3ProcessorBase(const PluginConfig& config, PluginApiBase& plugin);

    // The arrangement a bus with this many channels reports; 0 for counts without one.
    static Steinberg::Vst::SpeakerArrangement ArrangementForChannels(int nChannels);

    // Applies the last point of every queue for the whole block; bypass follows its own id.
    void ApplyParameterChanges(Steinberg::Vst::IParameterChanges* changes);
    // Rebuilds the transport snapshot from the latest context the host sent.
    void UpdateTransport(const Steinberg::Vst::ProcessData& data);
    // Connects the host's buffers and runs one block (or passes it through when bypassed).
    // Blocks without frames or without output buffers touch no audio buffer, but unless
    // bypassed they still reach the block processing with 0 frames.
    void ProcessAudio(const Steinberg::Vst::ProcessData& data);

    int MaxSidechainChannels() const { return mMaxSidechainChannels; }

  protected:
    // Output buses the host switched off get no host buffers.
    virtual bool IsOutputBusActive(int busIndex) const {
        (void)busIndex;
        return true;
    }

    static constexpr Steinberg::Vst::ParamID kBypassParamId = 65536;
    static constexpr Steinberg::Vst::ParamID kProgramChangeParamId = 65537;

  private:
    void ConnectInputs(const Steinberg::Vst::ProcessData& data);
    void ConnectOutputs(const Steinberg::Vst::ProcessData& data);

    PluginApiBase& mPlugin;
    int mMaxSidechainChannels = 0;
    Steinberg::Vst::ProcessContext mContext{};
};

}  // namespace quendaris
