#pragma once

#include "AudioBuffer.h"
#include "Automation.h"
#include "ParameterResolver.h"
#include "RenderOptions.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quendaris::render {

using ProgressCallback = std::function<void(size_t done, size_t total)>;

struct ProcessingSetup {
    int channels = 2;
    double sampleRate = 48000.0;
    int blockSize = 512;
    SamplePrecision precision = SamplePrecision::Single;
};

// Loads a plug-in bundle and drives its audio effect the way a DAW does: through the module's
// factory, the component's buses and processing set-up, and process calls carrying audio and
// parameter changes. Every failure is a HostError.
class RenderHost final : public ParameterConverter {
  public:
    explicit RenderHost(const std::string& bundlePath);
    ~RenderHost() override;
    RenderHost(const RenderHost&) = delete;
    RenderHost& operator=(const RenderHost&) = delete;

    std::string PluginName() const;
    std::vector<ParameterDescription> Parameters() const;

    double ToPlain(uint32_t id, double normalized) const override;
    double ToNormalized(uint32_t id, double plain) const override;
    std::string Text(uint32_t id, double normalized) const override;

    // The channel counts (same in and out) the plug-in agrees to, asked one by one.
    std::vector<int> AcceptedChannelCounts();

    // Buses, sample size, rate and block size; then the plug-in is activated.
    void Prepare(const ProcessingSetup& setup);

    // Input followed by tailFrames of silence, block by block; ramps span the input's length.
    AudioBuffer Render(const AudioBuffer& input, const RenderPlan& plan, size_t tailFrames,
                       const ProgressCallback& progress = {});

  private:
    struct Plugin;
    std::unique_ptr<Plugin> plugin_;
};

std::string DescribeChannelCounts(const std::vector<int>& counts);

}  // namespace quendaris::render
