#include "EditorSnapshot.h"

#include <algorithm>
#include <stdexcept>

#include "BrisvaleConfig.h"
#include "frame/Param.h"

namespace quendaris::snapshot {

// Conversions straight from the plug-in's own parameter objects.
class EditorSnapshot::Converter : public render::ParameterConverter {
  public:
    explicit Converter(Brisvale& plugin) : mPlugin(plugin) {}
    double ToPlain(uint32_t id, double normalized) const override {
        return Get(id).FromNormal(normalized);
    }
    double ToNormalized(uint32_t id, double plain) const override {
        return Get(id).ToNormal(plain);
    }
    std::string Text(uint32_t id, double normalized) const override {
        std::string text;
        Get(id).FormatValue(normalized, true, text, true);
        return text;
    }

  private:
    const Param& Get(uint32_t id) const { return *mPlugin.GetParam(static_cast<int>(id)); }
    Brisvale& mPlugin;
};

namespace {
std::vector<render::ParameterDescription> Describe(Brisvale& plugin) {
    std::vector<render::ParameterDescription> list;
    for (int i = 0; i < plugin.NParams(); ++i) {
        const Param& p = *plugin.GetParam(i);
        render::ParameterDescription d;
        d.id = static_cast<uint32_t>(i);
        d.name = p.Name();
        d.units = p.Label();
        d.defaultNormalized = p.DefaultValue(true);
        if (p.Type() == kTypeEnum || p.Type() == kTypeBool) {
            d.stepCount = static_cast<int>(p.Max() - p.Min());
            d.isList = true;
        }
        d.isBypass = i == kParamBypass;
        list.push_back(d);
    }
    return list;
}
}  // namespace

EditorSnapshot::EditorSnapshot(float scale) : mPlugin(std::make_unique<Brisvale>(InstanceInfo{})) {
    mPlugin->SetMakeGraphicsFunction([this, scale]() {
        auto surface = std::make_unique<GraphicsEgl>(*mPlugin, 800, 580, 60, 1.0f);
        surface->SetWindowScale(scale);
        mGraphics = surface.get();
        return surface;
    });
    if (!mPlugin->OpenWindow(nullptr)) {
        const std::string reason = mGraphics ? mGraphics->LastError() : "no editor";
        mPlugin->CloseWindow();
        throw std::runtime_error("cannot open the editor off-screen: " + reason);
    }
    mConverter = std::make_unique<Converter>(*mPlugin);
    mResolver = std::make_unique<render::ParameterResolver>(Describe(*mPlugin), *mConverter);
    mPlugin->SetSampleRate(48000.0);
    mPlugin->SetBlockSize(512);
    mPlugin->ResetProcessing();
    PublishDisplayValues();
}

EditorSnapshot::~EditorSnapshot() {
    if (mPlugin) {
        mPlugin->CloseWindow();
    }
}

void EditorSnapshot::Set(const std::string& name, const std::string& value) {
    const render::ResolvedValue resolved = mResolver->Resolve(name, value);
    SetNormalized(static_cast<int>(resolved.id), resolved.normalized);
}

void EditorSnapshot::SetNormalized(int paramIdx, double normalized) {
    mPlugin->GetParam(paramIdx)->SetNormal(normalized);
    mPlugin->SendParamValueToEditor(paramIdx, normalized, true);
    mDisplayStale = true;
}

void EditorSnapshot::Process(const render::AudioBuffer& audio, int blockSize) {
    if (audio.ChannelCount() == 0 || audio.FrameCount() == 0) {
        return;
    }
    mPlugin->SetSampleRate(audio.sampleRate);
    mPlugin->SetBlockSize(blockSize);
    mPlugin->ResetProcessing();
    std::vector<const double*> channels;
    for (int c = 0; c < std::min(audio.ChannelCount(), 2); ++c) {
        channels.push_back(audio.channels[static_cast<size_t>(c)].data());
    }
    ProcessBlocks(channels, audio.FrameCount(), blockSize);
}

void EditorSnapshot::ProcessBlocks(const std::vector<const double*>& channels, size_t frames,
                                   int blockSize) {
    const int n = static_cast<int>(channels.size());
    mPlugin->SetChannelConnections(kInput, 0, 2, false);
    mPlugin->SetChannelConnections(kOutput, 0, 2, false);
    mPlugin->SetChannelConnections(kInput, 0, n, true);
    mPlugin->SetChannelConnections(kOutput, 0, n, true);

    std::vector<std::vector<double>> out(static_cast<size_t>(n),
                                         std::vector<double>(static_cast<size_t>(blockSize)));
    std::vector<double*> ins(static_cast<size_t>(n));
    std::vector<double*> outs(static_cast<size_t>(n));
    const bool bypassed = mPlugin->GetParam(kParamBypass)->Value() > 0.5;
    for (size_t start = 0; start < frames; start += static_cast<size_t>(blockSize)) {
        const int count =
            static_cast<int>(std::min(frames - start, static_cast<size_t>(blockSize)));
        for (size_t c = 0; c < static_cast<size_t>(n); ++c) {
            ins[c] = const_cast<double*>(channels[c]) + start;
            outs[c] = out[c].data();
        }
        mPlugin->AttachBuffers(kInput, 0, n, ins.data());
        mPlugin->AttachBuffers(kOutput, 0, n, outs.data());
        if (bypassed) {
            mPlugin->PassThroughBuffers64(count);
        } else {
            mPlugin->ProcessBuffers64(count);
        }
    }
    mDisplayStale = false;
}

void EditorSnapshot::PublishDisplayValues() {
    if (!mDisplayStale) {
        return;
    }
    constexpr size_t kFrames = 32;
    const std::vector<double> silence(kFrames, 0.0);
    ProcessBlocks({silence.data(), silence.data()}, kFrames, static_cast<int>(kFrames));
}

PixelImage EditorSnapshot::Render() {
    PublishDisplayValues();
    mGraphics->RedrawAll();
    return mGraphics->ReadWindowPixels();
}

bool EditorSnapshot::WritePng(const std::string& path) {
    PublishDisplayValues();
    mGraphics->RedrawAll();
    return mGraphics->WriteWindowPng(path);
}

}  // namespace quendaris::snapshot
