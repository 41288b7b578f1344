#include "graphics/platform/windows/GraphicsWin.h"
#include "plugin/MakeBrisvaleGraphics.h"
#include "vst3/ModuleLifetime.h"

namespace quendaris {

std::unique_ptr<EditorGraphics> MakeBrisvaleGraphics(EditorDelegate& delegate) {
    auto graphics = std::make_unique<GraphicsWin>(delegate, 800, 580, 60, 1.0f);
    // The picture and the font are resources of this module, not of the host's program.
    graphics->SetModuleInstance(vst3::ResourceHandle());
    return graphics;
}

}  // namespace quendaris
