// Audio through the Windows module must match the filter engine built for the build host:
// same signal, same settings, same block sizes, compared sample by sample.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "RenderCases.h"
#include "WindowsModuleFile.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "public.sdk/source/common/memorystream.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/hosting/parameterchanges.h"

namespace quendaris::test {
namespace {

using Steinberg::FUnknownPtr;
using Steinberg::IPtr;
using Steinberg::kResultOk;
using Steinberg::Vst::IAudioProcessor;
using Steinberg::Vst::IComponent;

constexpr double kTolerance = 1e-6;

// The state a host stores: the nine real parameter values, then the bypass flag.
IPtr<Steinberg::MemoryStream> StateOf(const ParameterValues& values) {
    auto stream = Steinberg::owned(new Steinberg::MemoryStream);
    for (double value : values)
        stream->write(&value, sizeof value, nullptr);
    int32_t bypass = values[8] > 0.5 ? 1 : 0;
    stream->write(&bypass, sizeof bypass, nullptr);
    stream->seek(0, Steinberg::IBStream::kIBSeekSet, nullptr);
    return stream;
}

void Connect(Steinberg::Vst::AudioBusBuffers& bus, float** channels) {
    bus.channelBuffers32 = channels;
}
void Connect(Steinberg::Vst::AudioBusBuffers& bus, double** channels) {
    bus.channelBuffers64 = channels;
}

// One instance driven as a host drives it: state, buses, set-up, then the whole test signal.
class HostedEffect {
  public:
    HostedEffect(Steinberg::IPluginFactory& factory, const RenderCase& renderCase)
        : case_(renderCase) {
        Steinberg::PClassInfo info{};
        if (factory.getClassInfo(0, &info) != kResultOk)
            return;
        IComponent* component = nullptr;
        factory.createInstance(info.cid, IComponent::iid, reinterpret_cast<void**>(&component));
        component_ = Steinberg::owned(component);
        if (!component_ || component_->initialize(&host_) != kResultOk)
            return;
        processor_ = FUnknownPtr<IAudioProcessor>(component_);
    }

    ~HostedEffect() {
        if (!processor_)
            return;
        processor_->setProcessing(false);
        component_->setActive(false);
        component_->terminate();
    }

    bool Start() {
        using namespace Steinberg::Vst;
        if (!processor_)
            return false;
        if (component_->setState(StateOf(case_.values)) != kResultOk)
            return false;
        SpeakerArrangement buses = case_.channels == 1 ? SpeakerArr::kMono : SpeakerArr::kStereo;
        if (processor_->setBusArrangements(&buses, 1, &buses, 1) != kResultOk)
            return false;
        component_->activateBus(kAudio, kInput, 0, true);
        component_->activateBus(kAudio, kOutput, 0, true);
        if (processor_->canProcessSampleSize(SampleSize()) != kResultOk)
            return false;
        ProcessSetup setup{kRealtime, SampleSize(), kRenderBlockFrames, kRenderSampleRate};
        if (processor_->setupProcessing(setup) != kResultOk)
            return false;
        if (component_->setActive(true) != kResultOk)
            return false;
        processor_->setProcessing(true);
        return true;
    }

    // Interleaved output, empty when a block failed.
    std::vector<double> Render() {
        return case_.singlePrecision ? RenderAs<float>() : RenderAs<double>();
    }

  private:
    Steinberg::int32 SampleSize() const {
        return case_.singlePrecision ? Steinberg::Vst::kSample32 : Steinberg::Vst::kSample64;
    }

    template <typename Sample>
    std::vector<double> RenderAs() {
        std::vector<Sample> in[kMaxRenderChannels], out[kMaxRenderChannels];
        Sample* inPointers[kMaxRenderChannels];
        Sample* outPointers[kMaxRenderChannels];
        std::vector<double> interleaved;
        for (int start = 0; start < kRenderFrames; start += kRenderBlockFrames) {
            const int frames = std::min(kRenderBlockFrames, kRenderFrames - start);
            for (int c = 0; c < case_.channels; ++c) {
                in[c].resize(frames);
                out[c].assign(frames, Sample(0));
                for (int i = 0; i < frames; ++i)
                    in[c][i] = static_cast<Sample>(HostInput(case_, c, start + i));
                inPointers[c] = in[c].data();
                outPointers[c] = out[c].data();
            }
            Steinberg::Vst::AudioBusBuffers inBus{}, outBus{};
            inBus.numChannels = outBus.numChannels = case_.channels;
            Connect(inBus, inPointers);
            Connect(outBus, outPointers);
            Steinberg::Vst::ParameterChanges noChanges;
            Steinberg::Vst::ProcessData data{};
            data.processMode = Steinberg::Vst::kRealtime;
            data.symbolicSampleSize = SampleSize();
            data.numSamples = frames;
            data.numInputs = data.numOutputs = 1;
            data.inputs = &inBus;
            data.outputs = &outBus;
            data.inputParameterChanges = &noChanges;
            if (processor_->process(data) != kResultOk)
                return {};
            for (int i = 0; i < frames; ++i)
                for (int c = 0; c < case_.channels; ++c)
                    interleaved.push_back(out[c][i]);
        }
        return interleaved;
    }

    const RenderCase& case_;
    Steinberg::Vst::HostApplication host_;
    IPtr<IComponent> component_;
    IPtr<IAudioProcessor> processor_;
};

class WindowsRender : public ::testing::TestWithParam<RenderCase> {};

TEST_P(WindowsRender, MatchesTheBuildHostsFilterEngine) {
    const RenderCase& renderCase = GetParam();
    const std::vector<double> reference = ReadSamples(
        NarrowPathFromEnvironment("QUENDARIS_REFERENCE_DIR") + "/" + ReferenceFileName(renderCase));
    ASSERT_EQ(reference.size(), static_cast<size_t>(kRenderFrames) * renderCase.channels)
        << "reference output missing";

    LoadedModule module;
    ASSERT_NE(module.Handle(), nullptr);
    auto* getFactory = module.Export<Steinberg::IPluginFactory*()>("GetPluginFactory");
    ASSERT_NE(getFactory, nullptr);
    auto factory = Steinberg::owned(getFactory());
    ASSERT_TRUE(factory);

    std::vector<double> output;
    {
        HostedEffect effect(*factory, renderCase);
        ASSERT_TRUE(effect.Start());
        output = effect.Render();
    }
    ASSERT_EQ(output.size(), reference.size());

    double largest = 0.0, energy = 0.0;
    for (size_t i = 0; i < output.size(); ++i) {
        ASSERT_TRUE(std::isfinite(output[i])) << "sample " << i;
        largest = std::max(largest, std::fabs(output[i] - reference[i]));
        energy += reference[i] * reference[i];
    }
    std::printf("%s: largest difference from the build host's output %.3g\n", renderCase.name,
                largest);
    RecordProperty("largest_difference", std::to_string(largest));
    EXPECT_GT(energy, 1.0) << "the reference is silent";
    EXPECT_LE(largest, kTolerance);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowsRender, ::testing::ValuesIn(RenderCases()),
                         [](const ::testing::TestParamInfo<RenderCase>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace quendaris::test
