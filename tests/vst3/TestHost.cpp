#include "TestHost.h"

#include <cstring>
#include <stdexcept>

#include "pluginterfaces/base/funknownimpl.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace quendaris::test {

std::string BundlePath() {
    return QUENDARIS_TEST_BUNDLE;
}

const VST3::Hosting::Module::Ptr& LoadedModule() {
    static const VST3::Hosting::Module::Ptr module = [] {
        std::string error;
        auto loaded = VST3::Hosting::Module::create(BundlePath(), error);
        if (!loaded)
            throw std::runtime_error("cannot load " + BundlePath() + ": " + error);
        return loaded;
    }();
    return module;
}

const VST3::Hosting::PluginFactory& Factory() {
    return LoadedModule()->getFactory();
}

const VST3::Hosting::ClassInfo& EffectClass() {
    static const VST3::Hosting::ClassInfo info = Factory().classInfos().at(0);
    return info;
}

namespace {

HostApplication& DefaultHost() {
    static HostApplication host;
    return host;
}

}  // namespace

Effect::Effect(FUnknown* hostContext) {
    component = Factory().createInstance<IComponent>(EffectClass().ID());
    if (!component)
        return;
    if (component->initialize(hostContext ? hostContext : &DefaultHost()) != kResultOk) {
        component = nullptr;
        return;
    }
    processor = U::cast<IAudioProcessor>(component);
    controller = U::cast<IEditController>(component);
}

Effect::~Effect() {
    if (!component)
        return;
    Stop();
    component->terminate();
}

bool Effect::Start(int32 channels, int32 sampleSize, double sampleRate, int32 maxBlock) {
    SpeakerArrangement arrangement = channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
    if (processor->setBusArrangements(&arrangement, 1, &arrangement, 1) != kResultOk)
        return false;
    ProcessSetup setup{kRealtime, sampleSize, maxBlock, sampleRate};
    if (processor->setupProcessing(setup) != kResultOk)
        return false;
    component->setActive(true);
    processor->setProcessing(true);
    active_ = true;
    return true;
}

void Effect::Stop() {
    if (!active_)
        return;
    processor->setProcessing(false);
    component->setActive(false);
    active_ = false;
}

std::vector<char> Effect::SaveState() {
    MemoryStream stream;
    if (component->getState(&stream) != kResultOk)
        return {};
    return std::vector<char>(stream.getData(), stream.getData() + stream.getSize());
}

tresult Effect::LoadState(const void* data, int32 size) {
    MemoryStream stream;
    int32 written = 0;
    stream.write(const_cast<void*>(data), size, &written);
    stream.seek(0, IBStream::kIBSeekSet, nullptr);
    return component->setState(&stream);
}

Block::Block(int32 channels, int32 frames, int32 sampleSize)
    : channels_(channels), frames_(frames), sampleSize_(sampleSize) {
    const auto count = static_cast<size_t>(channels);
    const auto length = static_cast<size_t>(frames);
    if (sampleSize == kSample32) {
        in32_.assign(count, std::vector<float>(length, 0.0f));
        out32_.assign(count, std::vector<float>(length, 0.0f));
        for (size_t c = 0; c < count; ++c) {
            inPtr32_.push_back(in32_[c].data());
            outPtr32_.push_back(out32_[c].data());
        }
        inputBus_.channelBuffers32 = inPtr32_.data();
        outputBus_.channelBuffers32 = outPtr32_.data();
    } else {
        in64_.assign(count, std::vector<double>(length, 0.0));
        out64_.assign(count, std::vector<double>(length, 0.0));
        for (size_t c = 0; c < count; ++c) {
            inPtr64_.push_back(in64_[c].data());
            outPtr64_.push_back(out64_[c].data());
        }
        inputBus_.channelBuffers64 = inPtr64_.data();
        outputBus_.channelBuffers64 = outPtr64_.data();
    }
    inputBus_.numChannels = channels;
    outputBus_.numChannels = channels;
    data.processMode = kRealtime;
    data.symbolicSampleSize = sampleSize;
    data.numSamples = frames;
    data.numInputs = 1;
    data.numOutputs = 1;
    data.inputs = &inputBus_;
    data.outputs = &outputBus_;
    data.inputParameterChanges = &changes;
}

void Block::FillInput(double (*signal)(int32, int32)) {
    for (int32 c = 0; c < channels_; ++c) {
        for (int32 i = 0; i < frames_; ++i) {
            const double v = signal(c, i);
            if (sampleSize_ == kSample32)
                in32_[c][i] = static_cast<float>(v);
            else
                in64_[c][i] = v;
        }
    }
}

void Block::FillInputConstant(double value) {
    for (int32 c = 0; c < channels_; ++c) {
        for (int32 i = 0; i < frames_; ++i) {
            if (sampleSize_ == kSample32)
                in32_[c][i] = static_cast<float>(value);
            else
                in64_[c][i] = value;
        }
    }
}

void Block::FillOutputConstant(double value) {
    for (int32 c = 0; c < channels_; ++c) {
        for (int32 i = 0; i < frames_; ++i) {
            if (sampleSize_ == kSample32)
                out32_[c][i] = static_cast<float>(value);
            else
                out64_[c][i] = value;
        }
    }
}

void Block::SetInput(int32 channel, int32 frame, double value) {
    if (sampleSize_ == kSample32)
        in32_[channel][frame] = static_cast<float>(value);
    else
        in64_[channel][frame] = value;
}

double Block::Out(int32 channel, int32 frame) const {
    return sampleSize_ == kSample32 ? out32_[channel][frame] : out64_[channel][frame];
}

double Block::In(int32 channel, int32 frame) const {
    return sampleSize_ == kSample32 ? in32_[channel][frame] : in64_[channel][frame];
}

void Block::AddChange(ParamID id, int32 offset, ParamValue value) {
    int32 queueIndex = 0;
    IParamValueQueue* queue = changes.addParameterData(id, queueIndex);
    int32 pointIndex = 0;
    if (queue)
        queue->addPoint(offset, value, pointIndex);
}

tresult Block::Run(IAudioProcessor& processor) {
    return processor.process(data);
}

}  // namespace quendaris::test
