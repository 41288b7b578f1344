#pragma once

// A small host built on the SDK's hosting classes. It loads the real bundle the build produced
// and drives instances the way a host does: initialise, arrange buses, set up, process, state.
#include <memory>
#include <string>
#include <vector>

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "public.sdk/source/common/memorystream.h"
#include "HostParts.h"
#include "public.sdk/source/vst/hosting/module.h"
#include "public.sdk/source/vst/hosting/parameterchanges.h"

namespace quendaris::test {

using Steinberg::int32;
using Steinberg::tresult;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;

constexpr ParamID kBypassId = 65536;
enum ParamIndex : ParamID {
    kParamCutoff = 0,
    kParamResonance,
    kParamModel,
    kParamInput,
    kParamDrive,
    kParamMix,
    kParamOutput,
    kParamPoles,
    kParamBypass
};

std::string BundlePath();
// The built bundle, loaded once for the whole test program.
const VST3::Hosting::Module::Ptr& LoadedModule();
const VST3::Hosting::PluginFactory& Factory();
const VST3::Hosting::ClassInfo& EffectClass();

// One instance of the effect, created through the factory and initialised with a host context.
class Effect {
  public:
    explicit Effect(Steinberg::FUnknown* hostContext = nullptr);
    ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    bool Valid() const { return component && processor && controller; }

    // The usual start of processing: buses, set-up, activation.
    bool Start(int32 channels, int32 sampleSize, double sampleRate = 48000.0, int32 maxBlock = 512);
    void Stop();

    ParamValue Normalized(ParamID id) const { return controller->getParamNormalized(id); }
    double Plain(ParamID id) const {
        return controller->normalizedParamToPlain(id, Normalized(id));
    }

    std::vector<char> SaveState();
    tresult LoadState(const void* data, int32 size);

    Steinberg::IPtr<Steinberg::Vst::IComponent> component;
    Steinberg::IPtr<Steinberg::Vst::IAudioProcessor> processor;
    Steinberg::IPtr<Steinberg::Vst::IEditController> controller;

  private:
    bool active_ = false;
};

// One audio block in either sample size, with its own buffers and parameter changes.
class Block {
  public:
    Block(int32 channels, int32 frames, int32 sampleSize);

    void FillInput(double (*signal)(int32 channel, int32 frame));
    void FillInputConstant(double value);
    void FillOutputConstant(double value);
    void SetInput(int32 channel, int32 frame, double value);
    double Out(int32 channel, int32 frame) const;
    double In(int32 channel, int32 frame) const;
    // Queues a point for a parameter of this block.
    void AddChange(ParamID id, int32 offset, ParamValue value);
    tresult Run(Steinberg::Vst::IAudioProcessor& processor);

    Steinberg::Vst::ProcessData data{};
    Steinberg::Vst::ParameterChanges changes;

  private:
    int32 channels_;
    int32 frames_;
    int32 sampleSize_;
    std::vector<std::vector<float>> in32_, out32_;
    std::vector<std::vector<double>> in64_, out64_;
    std::vector<float*> inPtr32_, outPtr32_;
    std::vector<double*> inPtr64_, outPtr64_;
    Steinberg::Vst::AudioBusBuffers inputBus_{}, outputBus_{};
};

}  // namespace quendaris::test
