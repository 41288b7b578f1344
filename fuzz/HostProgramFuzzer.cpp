// Each fuzzer input is a program of host actions against a fresh instance of the effect from
// the real bundle: state streams, call orders, odd process calls and every controller call
// with arbitrary ids, values and texts. Besides the sanitizers' own findings it checks what a
// host relies on: finite input gives finite output, answers stay in range, and a state the
// effect wrote reads back byte for byte.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "HostParts.h"
#include "ProgramReader.h"
#include "pluginterfaces/base/funknownimpl.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "pluginterfaces/vst/vstspeaker.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/hosting/module.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace quendaris::fuzz {
namespace {

constexpr size_t kStateBytes = 76;
constexpr int kMaxOperations = 48;
constexpr int32 kMaxFrames = 9000;
constexpr double kLargestFloat = std::numeric_limits<float>::max();
constexpr ParamID kKnownIds[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 65536};

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "host check failed: %s\n", what);
        std::abort();
    }
}

struct LoadedEffect {
    VST3::Hosting::Module::Ptr module;
    VST3::UID classId;
};

LoadedEffect& Loaded() {
    static LoadedEffect loaded;
    return loaded;
}

class NamedHost : public HostApplication {
  public:
    explicit NamedHost(std::u16string name) : name_(std::move(name)) {}
    tresult PLUGIN_API getName(String128 name) override {
        // Copied as a host would: whatever units it has, cut to the field and terminated.
        const size_t count = std::min<size_t>(name_.size(), 127);
        for (size_t i = 0; i < count; ++i)
            name[i] = name_[i];
        name[count] = 0;
        return kResultOk;
    }

  private:
    std::u16string name_;
};

bool IsKnown(ParamID id) {
    for (ParamID known : kKnownIds)
        if (id == known)
            return true;
    return false;
}

bool Terminated(const TChar* text, size_t capacity) {
    for (size_t i = 0; i < capacity; ++i)
        if (text[i] == 0)
            return true;
    return false;
}

class Program {
  public:
    explicit Program(ProgramReader& in) : in_(in), host_(u"") {}

    void Run() {
        if (!Create())
            return;
        if (in_.Byte() % 8 != 0)
            Initialize();
        for (int op = 0; op < kMaxOperations && !in_.Done(); ++op)
            Step(in_.Byte());
        if (initialized_)
            component_->terminate();
    }

  private:
    bool Create() {
        const auto& factory = Loaded().module->getFactory();
        component_ = factory.createInstance<IComponent>(Loaded().classId);
        Require(component_ != nullptr, "the factory creates an instance");
        processor_ = U::cast<IAudioProcessor>(component_);
        controller_ = U::cast<IEditController>(component_);
        Require(processor_ && controller_, "the instance is processor and controller");
        return true;
    }

    void Step(uint8_t op) {
        switch (op % 14) {
            case 0:
                Initialize();
                break;
            case 1:
                Terminate();
                break;
            case 2:
                ArrangeBuses();
                break;
            case 3:
                SetUp();
                break;
            case 4:
                component_->setActive(in_.Flag());
                break;
            case 5:
                SetProcessing(in_.Flag());
                break;
            case 6:
            case 7:
                Process();
                break;
            case 8:
                RoundTripState();
                break;
            case 9:
                LoadHostileState();
                break;
            case 10:
                ConvertValues();
                break;
            case 11:
                ConvertTexts();
                break;
            case 12:
                ChannelContext();
                break;
            default:
                OtherCalls();
                break;
        }
    }

    void Initialize() {
        host_ = NamedHost(in_.Text());
        if (initialized_ && in_.Flag())
            Terminate();
        initialized_ = component_->initialize(&host_) == kResultOk || initialized_;
    }

    void Terminate() {
        component_->terminate();
        initialized_ = false;
    }

    ParamID Id() {
        const uint8_t pick = in_.Byte() % 16;
        if (pick < 10)
            return kKnownIds[pick];
        if (pick == 10)
            return 65537;
        if (pick == 11)
            return 65538 + in_.Byte();
        return in_.Int();
    }

    SpeakerArrangement Arrangement() {
        static const SpeakerArrangement kTable[] = {SpeakerArr::kMono, SpeakerArr::kStereo,
                                                    SpeakerArr::k51, SpeakerArr::kEmpty,
                                                    SpeakerArr::kStereoSurround};
        const uint8_t pick = in_.Byte() % 6;
        if (pick < 5)
            return kTable[pick];
        return static_cast<SpeakerArrangement>(in_.Int()) << 32 | in_.Int();
    }

    void ArrangeBuses() {
        const int32 numIns = in_.Range(-1, 3), numOuts = in_.Range(-1, 3);
        std::vector<SpeakerArrangement> ins(4), outs(4);
        for (auto& a : ins)
            a = Arrangement();
        for (auto& a : outs)
            a = Arrangement();
        const bool nullIns = in_.Byte() % 8 == 0, nullOuts = in_.Byte() % 8 == 0;
        processor_->setBusArrangements(nullIns ? nullptr : ins.data(), numIns,
                                       nullOuts ? nullptr : outs.data(), numOuts);
    }

    void SetUp() {
        static const double kRates[] = {44100.0, 48000.0, 96000.0, 192000.0, 22050.0, 8000.0};
        ProcessSetup setup{};
        setup.processMode = in_.Range(-1, 3);
        const uint8_t size = in_.Byte() % 8;
        setup.symbolicSampleSize = size < 3 ? kSample32 : (size < 6 ? kSample64 : in_.Range(-2, 5));
        setup.maxSamplesPerBlock =
            in_.Flag() ? in_.Range(-16, 9000) : static_cast<int32>(in_.Int());
        const uint8_t rate = in_.Byte() % 8;
        setup.sampleRate = rate < 6 ? kRates[rate] : in_.Value() * 1e5;
        if (processor_->setupProcessing(setup) == kResultOk) {
            sampleSize_ = setup.symbolicSampleSize;
            poisoned_ = false;
        }
    }

    void SetProcessing(bool state) {
        processor_->setProcessing(state);
        if (!state)
            poisoned_ = false;
    }

    // One input sample: silence, a tone, noise or one of the values that break arithmetic.
    double Sample(uint8_t kind, int32 frame, uint32_t& seed) {
        switch (kind % 6) {
            case 0:
                return 0.0;
            case 1:
                return 0.5 * std::sin(0.05 * frame);
            case 2:
                seed = seed * 1664525u + 1013904223u;
                return static_cast<int32_t>(seed) / 2147483648.0;
            case 3:
                return frame % 7 == 0 ? in_.Value() : 0.25;
            case 4:
                return 1e-310;
            default:
                return frame % 256 < 128 ? 3e38 : -3e38;
        }
    }

    struct Bus {
        std::vector<std::vector<float>> samples32;
        std::vector<std::vector<double>> samples64;
        std::vector<float*> pointers32;
        std::vector<double*> pointers64;
    };

    void FillBus(Bus& bus, AudioBusBuffers& buffers, int32 frames, int32 sampleSize, bool input,
                 bool& finite) {
        buffers.numChannels = in_.Range(0, 3);
        const size_t channels = static_cast<size_t>(buffers.numChannels);
        bus.samples32.assign(channels, std::vector<float>(static_cast<size_t>(frames) + 1, 0.f));
        bus.samples64.assign(channels, std::vector<double>(static_cast<size_t>(frames) + 1, 0.0));
        const uint8_t kind = in_.Byte();
        uint32_t seed = in_.Int();
        for (size_t c = 0; c < channels; ++c) {
            bus.pointers32.push_back(bus.samples32[c].data());
            bus.pointers64.push_back(bus.samples64[c].data());
            if (!input)
                continue;
            for (int32 s = 0; s < frames; ++s) {
                const double value = Sample(kind, s, seed);
                bus.samples64[c][static_cast<size_t>(s)] = value;
                bus.samples32[c][static_cast<size_t>(s)] =
                    std::fabs(value) <= kLargestFloat
                        ? static_cast<float>(value)
                        : static_cast<float>(std::copysign(kLargestFloat, value));
                finite = finite && std::fabs(value) <= kLargestFloat;
            }
        }
        // The two pointer arrays share storage; the sample size says which one the host means.
        if (in_.Byte() % 16 == 0)
            buffers.channelBuffers32 = nullptr;
        else if (sampleSize == kSample64)
            buffers.channelBuffers64 = bus.pointers64.data();
        else
            buffers.channelBuffers32 = bus.pointers32.data();
        buffers.silenceFlags = in_.Flag() ? in_.Int() : 0;
    }

    void FillChanges(RawChanges& changes, std::vector<RawQueue>& queues, int32 frames) {
        queues.resize(static_cast<size_t>(in_.Range(0, 12)));
        for (RawQueue& queue : queues) {
            queue.id = Id();
            const int32 points = in_.Range(0, 4);
            for (int32 p = 0; p < points; ++p) {
                const int32 offset = in_.Flag() ? in_.Range(-4, frames + 4) : in_.Int();
                queue.points.push_back({offset, in_.Value()});
            }
            changes.queues.push_back(in_.Byte() % 16 == 0 ? nullptr : &queue);
        }
    }

    void Process() {
        static const int32 kFrames[] = {0,   1,   2,   3,   7,   31,  32,   64,   100,
                                        128, 255, 256, 511, 512, 513, 1024, 2048, 4096};
        const uint8_t pick = in_.Byte() % 20;
        const int32 frames = pick < 18 ? kFrames[pick] : in_.Range(0, kMaxFrames);
        ProcessData data{};
        data.processMode = kRealtime;
        data.symbolicSampleSize = in_.Byte() % 8 == 0 ? in_.Range(-1, 3) : sampleSize_;
        data.numSamples = frames;

        bool finite = true;
        std::vector<Bus> inBuses(2), outBuses(2);
        std::vector<AudioBusBuffers> inputs(2), outputs(2);
        data.numInputs = in_.Range(0, 2);
        data.numOutputs = in_.Range(0, 2);
        for (int32 b = 0; b < data.numInputs; ++b)
            FillBus(inBuses[b], inputs[b], frames, data.symbolicSampleSize, true, finite);
        for (int32 b = 0; b < data.numOutputs; ++b)
            FillBus(outBuses[b], outputs[b], frames, data.symbolicSampleSize, false, finite);
        data.inputs = in_.Byte() % 16 == 0 ? nullptr : inputs.data();
        data.outputs = in_.Byte() % 16 == 0 ? nullptr : outputs.data();
        if (!data.inputs)
            data.numInputs = in_.Flag() ? data.numInputs : 0;
        if (!data.outputs)
            data.numOutputs = in_.Flag() ? data.numOutputs : 0;

        RawChanges changes;
        std::vector<RawQueue> queues;
        FillChanges(changes, queues, frames);
        data.inputParameterChanges = in_.Byte() % 8 == 0 ? nullptr : &changes;

        ProcessContext context{};
        if (in_.Flag()) {
            context.state = in_.Int();
            context.sampleRate = in_.Value() * 1e5;
            context.projectTimeSamples = static_cast<int64>(in_.Int()) - (1 << 30);
            context.tempo = in_.Value() * 300.0;
            context.projectTimeMusic = in_.Value() * 1e3;
            context.barPositionMusic = in_.Value() * 1e3;
            context.timeSigNumerator = in_.Range(-4, 32);
            context.timeSigDenominator = in_.Range(-4, 32);
            context.cycleStartMusic = in_.Value();
            context.cycleEndMusic = in_.Value();
            data.processContext = &context;
        }

        processor_->process(data);
        if (!finite)
            poisoned_ = true;
        if (poisoned_ || !data.outputs)
            return;
        for (int32 b = 0; b < data.numOutputs; ++b) {
            if (!outputs[b].channelBuffers32)
                continue;
            for (int32 c = 0; c < outputs[b].numChannels; ++c) {
                for (int32 s = 0; s < frames; ++s) {
                    const double value = data.symbolicSampleSize == kSample32
                                             ? outBuses[b].samples32[c][s]
                                             : outBuses[b].samples64[c][s];
                    Require(std::isfinite(value), "finite input gives finite output");
                }
            }
        }
    }

    std::vector<uint8_t> SavedState(tresult& result) {
        HostileStream stream({}, 0, 0, -1);
        result = component_->getState(&stream);
        return stream.Bytes();
    }

    void RoundTripState() {
        tresult result = kResultFalse;
        const std::vector<uint8_t> first = SavedState(result);
        if (result != kResultOk)
            return;
        Require(first.size() == kStateBytes, "the state is 76 bytes");
        HostileStream stream(first, 0, 0, -1);
        Require(component_->setState(&stream) == kResultOk, "the effect reads its own state");
        const std::vector<uint8_t> second = SavedState(result);
        Require(result == kResultOk && second == first, "a valid state round-trips byte for byte");
    }

    void LoadHostileState() {
        std::vector<uint8_t> bytes(static_cast<size_t>(in_.Range(0, 100)));
        for (uint8_t& byte : bytes)
            byte = in_.Byte();
        // Often a well-formed state: nine values, any of them hostile, and a bypass flag.
        if (in_.Flag() && bytes.size() < kStateBytes + 8) {
            const size_t lead = bytes.size() % 9;
            bytes.resize(lead);
            for (int i = 0; i < 9; ++i) {
                const double value = in_.Value() * 20000.0;
                const auto* raw = reinterpret_cast<const uint8_t*>(&value);
                bytes.insert(bytes.end(), raw, raw + 8);
            }
            const int32_t flag = in_.Range(-2, 2);
            const auto* raw = reinterpret_cast<const uint8_t*>(&flag);
            bytes.insert(bytes.end(), raw, raw + 4);
        }
        const int32_t start = in_.Range(0, 12);
        const int32_t piece = in_.Range(0, 9);
        const int32_t failAt = in_.Range(-1, 4);
        HostileStream stream(std::move(bytes), start, piece, failAt);
        if (component_->setState(in_.Byte() % 32 == 0 ? nullptr : &stream) != kResultOk)
            return;
        // Whatever was read, what the effect now stores reads back unchanged.
        RoundTripState();
    }

    void ConvertValues() {
        const ParamID id = Id();
        const double value = in_.Value();
        const double plain = controller_->normalizedParamToPlain(id, value);
        const double normalized = controller_->plainParamToNormalized(id, in_.Value() * 20000.0);
        const double current = controller_->getParamNormalized(id);
        String128 text;
        for (TChar& unit : text)
            unit = u'x';
        const tresult shown = controller_->getParamStringByValue(id, value, text);
        if (in_.Flag())
            controller_->setParamNormalized(id, in_.Value());
        if (!initialized_ || !IsKnown(id))
            return;
        const double low = controller_->normalizedParamToPlain(id, 0.0);
        const double high = controller_->normalizedParamToPlain(id, 1.0);
        Require(plain >= low && plain <= high, "plain values stay in the parameter's range");
        Require(normalized >= 0.0 && normalized <= 1.0, "normalised values stay in 0 ... 1");
        Require(current >= 0.0 && current <= 1.0, "the current value stays in 0 ... 1");
        Require(shown == kResultTrue && Terminated(text, 128), "every value has a text");
    }

    void ConvertTexts() {
        const ParamID id = Id();
        std::u16string text = in_.Text();
        // Sometimes a full field with no terminator at all.
        const bool unterminated = in_.Byte() % 8 == 0;
        text.resize(128, unterminated ? u'7' : u'\0');
        ParamValue value = -1.0;
        const tresult parsed = controller_->getParamValueByString(
            id, in_.Byte() % 32 == 0 ? nullptr : reinterpret_cast<TChar*>(text.data()), value);
        if (parsed == kResultTrue && initialized_ && IsKnown(id))
            Require(value >= 0.0 && value <= 1.0, "a parsed text is a normalised value");
    }

    void ChannelContext() {
        FUnknownPtr<ChannelContext::IInfoListener> listener(controller_);
        if (!listener)
            return;
        auto list = HostAttributeList::make();
        static const IAttributeList::AttrID kTextKeys[][2] = {
            {ChannelContext::kChannelNameLengthKey, ChannelContext::kChannelNameKey},
            {ChannelContext::kChannelUIDLengthKey, ChannelContext::kChannelUIDKey},
            {ChannelContext::kChannelIndexNamespaceLengthKey,
             ChannelContext::kChannelIndexNamespaceKey}};
        for (const auto& keys : kTextKeys) {
            if (!in_.Flag())
                continue;
            std::u16string text = in_.Text();
            text.push_back(0);
            list->setString(keys[1], reinterpret_cast<const TChar*>(text.data()));
            const int64 length = in_.Flag() ? static_cast<int64>(text.size()) - 1
                                            : static_cast<int64>(static_cast<int32_t>(in_.Int()));
            list->setInt(keys[0], length);
        }
        for (auto key : {ChannelContext::kChannelIndexKey, ChannelContext::kChannelColorKey,
                         ChannelContext::kChannelIndexNamespaceOrderKey}) {
            if (in_.Flag())
                list->setInt(key, static_cast<int64>(in_.Int()) << (in_.Byte() % 33));
        }
        listener->setChannelContextInfos(in_.Byte() % 16 == 0 ? nullptr : list.get());
    }

    void OtherCalls() {
        switch (in_.Byte() % 10) {
            case 0: {
                ParameterInfo info{};
                controller_->getParameterInfo(in_.Range(-2, 12), info);
                break;
            }
            case 1: {
                FUnknownPtr<IUnitInfo> units(controller_);
                UnitInfo info{};
                String128 name{};
                if (units) {
                    units->getUnitInfo(in_.Range(-2, 3), info);
                    units->getProgramName(in_.Flag() ? 65537 : in_.Int(), in_.Range(-2, 3), name);
                    units->selectUnit(in_.Int());
                }
                break;
            }
            case 2: {
                FUnknownPtr<IMidiMapping> mapping(controller_);
                ParamID id = 0;
                if (mapping)
                    mapping->getMidiControllerAssignment(in_.Range(-1, 2), in_.Range(-1, 16),
                                                         in_.Range(-1, 200), id);
                break;
            }
            case 3: {
                BusInfo info{};
                component_->getBusInfo(in_.Range(-1, 2), in_.Range(-1, 2), in_.Range(-1, 3), info);
                break;
            }
            case 4:
                component_->activateBus(in_.Range(-1, 2), in_.Range(-1, 2), in_.Range(-1, 3),
                                        in_.Flag());
                break;
            case 5: {
                SpeakerArrangement arrangement = 0;
                processor_->getBusArrangement(in_.Range(-1, 2), in_.Range(-1, 3), arrangement);
                break;
            }
            case 6:
                processor_->canProcessSampleSize(in_.Range(-1, 3));
                processor_->getLatencySamples();
                processor_->getTailSamples();
                break;
            case 7: {
                const std::string name = in_.Flag() ? "editor" : "view";
                if (IPlugView* view = controller_->createView(in_.Flag() ? name.c_str() : nullptr))
                    view->release();
                break;
            }
            case 8:
                controller_->setComponentHandler(nullptr);
                component_->setIoMode(in_.Range(-1, 3));
                break;
            default: {
                HostileStream stream({}, 0, 0, -1);
                controller_->setComponentState(&stream);
                controller_->getState(&stream);
                controller_->setState(in_.Flag() ? &stream : nullptr);
                break;
            }
        }
    }

    ProgramReader& in_;
    NamedHost host_;
    IPtr<IComponent> component_;
    IPtr<IAudioProcessor> processor_;
    IPtr<IEditController> controller_;
    int32 sampleSize_ = kSample32;
    bool initialized_ = false;
    // Set once a block carried non-finite or out-of-range samples, until the next reset: what
    // the filter holds from such a block is not judged.
    bool poisoned_ = false;
};

}  // namespace
}  // namespace quendaris::fuzz

// Every program creates an instance with large tables; with the default quarantine of freed
// memory most of the time goes to fresh pages. A smaller one still catches a use after free
// within a program and roughly doubles the programs per second.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=32";
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    using quendaris::fuzz::Loaded;
    std::string error;
    Loaded().module = VST3::Hosting::Module::create(QUENDARIS_FUZZ_BUNDLE, error);
    if (!Loaded().module) {
        std::fprintf(stderr, "cannot load %s: %s\n", QUENDARIS_FUZZ_BUNDLE, error.c_str());
        std::abort();
    }
    Loaded().classId = Loaded().module->getFactory().classInfos().at(0).ID();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    quendaris::fuzz::ProgramReader reader(data, size);
    quendaris::fuzz::Program(reader).Run();
    return 0;
}
