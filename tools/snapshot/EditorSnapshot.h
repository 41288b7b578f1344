#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AudioBuffer.h"
#include "Brisvale.h"
#include "ParameterResolver.h"
#include "graphics/platform/egl/GraphicsEgl.h"

namespace quendaris::snapshot {

// A Brisvale instance with its real editor open off-screen: parameters set as a host sets
// them, audio fed through the plug-in so the display shows it, pictures of the whole editor.
class EditorSnapshot {
  public:
    // Throws std::runtime_error when no off-screen OpenGL context can be made.
    explicit EditorSnapshot(float scale = 1.0f);
    ~EditorSnapshot();
    EditorSnapshot(const EditorSnapshot&) = delete;
    EditorSnapshot& operator=(const EditorSnapshot&) = delete;

    // The plug-in's parameters as the render tool's resolver knows them.
    const render::ParameterResolver& Resolver() const { return *mResolver; }
    // "Name=Value" the way quendaris-render takes it; throws render::ParameterError.
    void Set(const std::string& name, const std::string& value);
    // Sets a parameter from the host side: the plug-in and the open editor follow.
    void SetNormalized(int paramIdx, double normalized);

    // Runs the audio through the plug-in in blocks at the buffer's rate (mono or stereo; more
    // channels use the first two), as a host's playback would.
    void Process(const render::AudioBuffer& audio, int blockSize = 512);

    // Draws every control and answers the pixels.
    PixelImage Render();
    // Draws what the next display tick would draw.
    void Tick() { mGraphics->DisplayTick(); }
    bool WritePng(const std::string& path);

    Brisvale& Plugin() { return *mPlugin; }
    GraphicsEgl& Graphics() { return *mGraphics; }

  private:
    class Converter;

    void ProcessBlocks(const std::vector<const double*>& channels, size_t frames, int blockSize);
    // The display shows what block processing last published: one short silent block makes it
    // follow parameters set since then, without disturbing the spectrum.
    void PublishDisplayValues();

    std::unique_ptr<Brisvale> mPlugin;
    GraphicsEgl* mGraphics = nullptr;
    std::unique_ptr<Converter> mConverter;
    std::unique_ptr<render::ParameterResolver> mResolver;
    bool mDisplayStale = true;
};

}  // namespace quendaris::snapshot
