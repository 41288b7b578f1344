#include "RenderHost.h"

#include "HostError.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/hosting/module.h"
#include "public.sdk/source/vst/hosting/parameterchanges.h"
#include "public.sdk/source/vst/hosting/plugprovider.h"
#include "public.sdk/source/vst/hosting/processdata.h"
#include "public.sdk/source/vst/utility/stringconvert.h"

#include <algorithm>
#include <sstream>

namespace quendaris::render {

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr int kMostChannelsAsked = 8;
constexpr double kTempo = 120.0;

class RenderHostApplication : public HostApplication {
  public:
    tresult PLUGIN_API getName(String128 name) override {
        return StringConvert::convert("quendaris-render", name) ? kResultTrue : kInternalError;
    }
};

SpeakerArrangement ArrangementFor(int channels) {
    switch (channels) {
        case 1:
            return SpeakerArr::kMono;
        case 2:
            return SpeakerArr::kStereo;
        case 3:
            return SpeakerArr::k30Cine;
        case 4:
            return SpeakerArr::k40Music;
        case 5:
            return SpeakerArr::k50;
        case 6:
            return SpeakerArr::k51;
        case 7:
            return SpeakerArr::k61Cine;
        case 8:
            return SpeakerArr::k71Cine;
        default:
            return channels >= 64 ? ~SpeakerArrangement{0}
                                  : (SpeakerArrangement{1} << channels) - 1;
    }
}

std::string ChannelCountName(int channels) {
    switch (channels) {
        case 1:
            return "mono";
        case 2:
            return "stereo";
        default:
            return std::to_string(channels) + "-channel";
    }
}

int32 SymbolicSize(SamplePrecision precision) {
    return precision == SamplePrecision::Double ? kSample64 : kSample32;
}

}  // namespace

std::string DescribeChannelCounts(const std::vector<int>& counts) {
    std::string text;
    for (int count : counts) {
        const std::string name = ChannelCountName(count);
        text += (text.empty() ? "" : ", ") + name + " in to " + name + " out";
    }
    return text.empty() ? "no channel layout at all" : text;
}

struct RenderHost::Plugin {
    // The SDK's host application is not reference counted: it lives exactly as long as the host.
    RenderHostApplication application;
    VST3::Hosting::Module::Ptr module;
    IPtr<PlugProvider> provider;
    IPtr<IComponent> component;
    IPtr<IAudioProcessor> processor;
    IPtr<IEditController> controller;
    std::string name;
    ProcessingSetup setup;
    HostProcessData data;
    ParameterChanges changes;
    ProcessContext context{};
    bool active = false;
    bool processing = false;

    void Load(const std::string& bundlePath);
    void CreateEffect(const std::string& bundlePath);
    void Stop();
};

void RenderHost::Plugin::Load(const std::string& bundlePath) {
    std::string error;
    module = VST3::Hosting::Module::create(bundlePath, error);
    if (!module) {
        throw HostError("cannot load the plug-in bundle \"" + bundlePath + "\": " + error);
    }
    module->getFactory().setHostContext(&application);
    CreateEffect(bundlePath);
    processor = U::cast<IAudioProcessor>(component);
    if (!processor) {
        throw HostError("\"" + name + "\" in \"" + bundlePath + "\" does not process audio");
    }
    if (!controller) {
        throw HostError("\"" + name + "\" in \"" + bundlePath + "\" has no edit controller");
    }
}

void RenderHost::Plugin::CreateEffect(const std::string& bundlePath) {
    const auto& factory = module->getFactory();
    for (const auto& info : factory.classInfos()) {
        if (info.category() != kVstAudioEffectClass) {
            continue;
        }
        name = info.name();
        std::ostringstream messages;
        PlugProvider::setErrorStream(&messages);
        PluginContextFactory::instance().setPluginContext(&application);
        provider = owned(new PlugProvider(factory, info, true));
        const bool created = provider->initialize();
        PlugProvider::setErrorStream(nullptr);
        PluginContextFactory::instance().setPluginContext(nullptr);
        if (!created) {
            throw HostError("cannot create \"" + name + "\" from \"" + bundlePath +
                            "\": " + messages.str());
        }
        component = provider->getComponentPtr();
        controller = provider->getControllerPtr();
        return;
    }
    throw HostError("\"" + bundlePath + "\" holds no audio effect");
}

void RenderHost::Plugin::Stop() {
    if (processing) {
        processor->setProcessing(false);
        processing = false;
    }
    if (active) {
        component->setActive(false);
        active = false;
    }
}

RenderHost::RenderHost(const std::string& bundlePath) : plugin_(std::make_unique<Plugin>()) {
    plugin_->Load(bundlePath);
}

RenderHost::~RenderHost() {
    plugin_->Stop();
    plugin_->data.unprepare();
    // Instances go before the module that holds their code.
    plugin_->controller = nullptr;
    plugin_->processor = nullptr;
    plugin_->component = nullptr;
    plugin_->provider = nullptr;
    plugin_->module = nullptr;
}

std::string RenderHost::PluginName() const {
    return plugin_->name;
}

std::vector<ParameterDescription> RenderHost::Parameters() const {
    std::vector<ParameterDescription> parameters;
    auto& controller = *plugin_->controller;
    for (int32 index = 0; index < controller.getParameterCount(); ++index) {
        ParameterInfo info{};
        if (controller.getParameterInfo(index, info) != kResultOk) {
            continue;
        }
        ParameterDescription description;
        description.id = info.id;
        description.name = StringConvert::convert(info.title);
        description.units = StringConvert::convert(info.units);
        description.stepCount = info.stepCount;
        description.defaultNormalized = info.defaultNormalizedValue;
        description.isList = (info.flags & ParameterInfo::kIsList) != 0;
        description.isBypass = (info.flags & ParameterInfo::kIsBypass) != 0;
        parameters.push_back(description);
    }
    return parameters;
}

double RenderHost::ToPlain(uint32_t id, double normalized) const {
    return plugin_->controller->normalizedParamToPlain(id, normalized);
}

double RenderHost::ToNormalized(uint32_t id, double plain) const {
    return plugin_->controller->plainParamToNormalized(id, plain);
}

std::string RenderHost::Text(uint32_t id, double normalized) const {
    String128 text{};
    if (plugin_->controller->getParamStringByValue(id, normalized, text) != kResultOk) {
        return {};
    }
    return StringConvert::convert(text);
}

std::vector<int> RenderHost::AcceptedChannelCounts() {
    std::vector<int> accepted;
    for (int channels = 1; channels <= kMostChannelsAsked; ++channels) {
        SpeakerArrangement in = ArrangementFor(channels);
        SpeakerArrangement out = ArrangementFor(channels);
        if (plugin_->processor->setBusArrangements(&in, 1, &out, 1) == kResultTrue) {
            accepted.push_back(channels);
        }
    }
    return accepted;
}

void RenderHost::Prepare(const ProcessingSetup& setup) {
    auto& plugin = *plugin_;
    plugin.Stop();
    SpeakerArrangement in = ArrangementFor(setup.channels);
    SpeakerArrangement out = ArrangementFor(setup.channels);
    if (plugin.processor->setBusArrangements(&in, 1, &out, 1) != kResultTrue) {
        const auto accepted = AcceptedChannelCounts();
        throw HostError(plugin.name + " does not accept " + ChannelCountName(setup.channels) +
                        " audio (" + std::to_string(setup.channels) + " channels); it accepts " +
                        DescribeChannelCounts(accepted));
    }
    const int32 sampleSize = SymbolicSize(setup.precision);
    if (plugin.processor->canProcessSampleSize(sampleSize) != kResultTrue) {
        throw HostError(plugin.name + " cannot process " +
                        std::to_string(static_cast<int>(setup.precision)) + "-bit samples");
    }
    plugin.component->activateBus(kAudio, kInput, 0, true);
    plugin.component->activateBus(kAudio, kOutput, 0, true);
    ProcessSetup processSetup{kOffline, sampleSize, setup.blockSize, setup.sampleRate};
    if (plugin.processor->setupProcessing(processSetup) != kResultOk) {
        throw HostError(plugin.name + " refused to process at " + std::to_string(setup.sampleRate) +
                        " Hz in blocks of " + std::to_string(setup.blockSize));
    }
    if (plugin.component->setActive(true) != kResultOk) {
        throw HostError(plugin.name + " could not be activated");
    }
    plugin.active = true;
    plugin.data.prepare(*plugin.component, setup.blockSize, sampleSize);
    if (plugin.data.numInputs < 1 || plugin.data.numOutputs < 1 ||
        plugin.data.inputs[0].numChannels != setup.channels ||
        plugin.data.outputs[0].numChannels != setup.channels) {
        throw HostError(plugin.name + " does not offer a " + ChannelCountName(setup.channels) +
                        " input and output bus");
    }
    const tresult started = plugin.processor->setProcessing(true);
    if (started != kResultOk && started != kNotImplemented) {
        throw HostError(plugin.name + " could not start processing");
    }
    plugin.processing = true;
    plugin.setup = setup;
}

namespace {

void UpdateContext(ProcessContext& context, double sampleRate, size_t frame) {
    context.state = ProcessContext::kPlaying | ProcessContext::kTempoValid |
                    ProcessContext::kTimeSigValid | ProcessContext::kProjectTimeMusicValid |
                    ProcessContext::kContTimeValid;
    context.sampleRate = sampleRate;
    context.projectTimeSamples = static_cast<TSamples>(frame);
    context.continousTimeSamples = static_cast<TSamples>(frame);
    context.tempo = kTempo;
    context.projectTimeMusic = static_cast<double>(frame) / sampleRate * kTempo / 60.0;
    context.timeSigNumerator = 4;
    context.timeSigDenominator = 4;
}

void AddPoint(ParameterChanges& changes, uint32_t id, int offset, double normalized) {
    int32 index = 0;
    if (auto* queue = changes.addParameterData(id, index)) {
        queue->addPoint(offset, normalized, index);
    }
}

template <typename Sample>
void FillInput(Sample** buffers, const AudioBuffer& input, size_t start, int frames) {
    const size_t available = input.FrameCount();
    for (int c = 0; c < input.ChannelCount(); ++c) {
        const auto& channel = input.channels[static_cast<size_t>(c)];
        for (int i = 0; i < frames; ++i) {
            const size_t frame = start + static_cast<size_t>(i);
            buffers[c][i] = frame < available ? static_cast<Sample>(channel[frame]) : Sample{0};
        }
    }
}

template <typename Sample>
void TakeOutput(Sample** buffers, AudioBuffer& output, size_t start, int frames) {
    for (int c = 0; c < output.ChannelCount(); ++c) {
        auto& channel = output.channels[static_cast<size_t>(c)];
        for (int i = 0; i < frames; ++i) {
            channel[start + static_cast<size_t>(i)] = static_cast<double>(buffers[c][i]);
        }
    }
}

}  // namespace

AudioBuffer RenderHost::Render(const AudioBuffer& input, const RenderPlan& plan, size_t tailFrames,
                               const ProgressCallback& progress) {
    auto& plugin = *plugin_;
    if (!plugin.processing) {
        throw HostError("the plug-in was not prepared for rendering");
    }
    if (input.ChannelCount() != plugin.setup.channels) {
        throw HostError("the input has " + std::to_string(input.ChannelCount()) +
                        " channels but the plug-in was prepared for " +
                        std::to_string(plugin.setup.channels));
    }
    // The controller shows the same starting values the audio side receives.
    for (const auto& value : plan.initialValues) {
        plugin.controller->setParamNormalized(value.id, value.normalized);
    }

    const size_t total = input.FrameCount() + tailFrames;
    const bool wide = plugin.setup.precision == SamplePrecision::Double;
    AudioBuffer output(input.ChannelCount(), total, input.sampleRate);
    auto& data = plugin.data;
    plugin.changes.setMaxParameters(
        static_cast<int32>(plan.initialValues.size() + plan.lanes.size()));
    data.inputParameterChanges = &plugin.changes;
    data.processContext = &plugin.context;
    data.processMode = kOffline;

    for (size_t start = 0; start < total; start += static_cast<size_t>(plugin.setup.blockSize)) {
        const int frames = static_cast<int>(
            std::min<size_t>(static_cast<size_t>(plugin.setup.blockSize), total - start));
        plugin.changes.clearQueue();
        if (start == 0) {
            for (const auto& value : plan.initialValues) {
                AddPoint(plugin.changes, value.id, 0, value.normalized);
            }
        }
        for (const auto& lane : plan.lanes) {
            for (const auto& point : RampPointsForBlock(start, frames)) {
                AddPoint(plugin.changes, lane.id, point.offset,
                         ToNormalized(lane.id, lane.ValueAt(point.frame)));
            }
        }
        UpdateContext(plugin.context, plugin.setup.sampleRate, start);
        data.numSamples = frames;
        if (wide) {
            FillInput(data.inputs[0].channelBuffers64, input, start, frames);
        } else {
            FillInput(data.inputs[0].channelBuffers32, input, start, frames);
        }
        if (plugin.processor->process(data) != kResultOk) {
            throw HostError(plugin.name + " failed to process the block at frame " +
                            std::to_string(start));
        }
        if (wide) {
            TakeOutput(data.outputs[0].channelBuffers64, output, start, frames);
        } else {
            TakeOutput(data.outputs[0].channelBuffers32, output, start, frames);
        }
        if (progress) {
            progress(start + static_cast<size_t>(frames), total);
        }
    }
    return output;
}

}  // namespace quendaris::render
