// quendaris-artwork: draws the editor's background picture off-screen and writes it as PNG.
#include <cstdio>
#include <string>

#include "BackgroundArtwork.h"
#include "frame/GraphicsEditorDelegate.h"
#include "graphics/platform/egl/GraphicsEgl.h"

namespace {

constexpr const char* kFontId = "Roboto-Regular";

bool LoadFont(quendaris::Graphics& g) {
    const quendaris::ResourceLocation font = g.LocateResource("Roboto-Regular.ttf", "ttf");
    return font.kind == quendaris::ResourceLocation::kModule &&
           g.LoadFontFromMemory(kFontId, font.data, static_cast<int>(font.size));
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quendaris;
    // OUTPUT.png [--scale 2]: the picture at one or two device pixels per editor pixel.
    const bool usage = argc != 2 && !(argc == 4 && std::string(argv[2]) == "--scale" &&
                                      (std::string(argv[3]) == "1" || std::string(argv[3]) == "2"));
    if (usage || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: %s OUTPUT.png [--scale 1|2]\n", argv[0]);
        return usage ? 2 : 0;
    }
    const float scale = argc == 4 ? std::stof(argv[3]) : 1.0f;
    GraphicsEditorDelegate delegate(0);
    bool fontLoaded = false;
    delegate.SetLayoutFunction([&fontLoaded](EditorGraphics& surface) {
        auto& g = static_cast<Graphics&>(surface);
        fontLoaded = LoadFont(g);
        g.AttachControl(new BackgroundArtwork());
    });
    GraphicsEgl graphics(delegate, BackgroundArtwork::kWidth, BackgroundArtwork::kHeight);
    graphics.SetWindowScale(scale);
    if (!graphics.OpenWindow(nullptr)) {
        std::fprintf(stderr, "quendaris-artwork: no off-screen OpenGL context: %s\n",
                     graphics.LastError().c_str());
        return 1;
    }
    if (!fontLoaded) {
        std::fprintf(stderr, "quendaris-artwork: the module carries no Roboto-Regular font\n");
        return 1;
    }
    graphics.RedrawAll();
    const bool written = graphics.WriteWindowPng(argv[1]);
    graphics.CloseWindow();
    if (!written) {
        std::fprintf(stderr, "quendaris-artwork: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
