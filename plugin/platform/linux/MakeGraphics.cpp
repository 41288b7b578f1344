#include "graphics/platform/linux/GraphicsLinux.h"
#include "plugin/MakeBrisvaleGraphics.h"

namespace quendaris {

std::unique_ptr<EditorGraphics> MakeBrisvaleGraphics(EditorDelegate& delegate) {
    return std::make_unique<GraphicsLinux>(delegate, 800, 580, 60, 1.0f);
}

}  // namespace quendaris
