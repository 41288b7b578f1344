#include "graphics/platform/linux/GraphicsLinux.h"
#include "plugin/BrisvaleLayout.h"

namespace quendaris {

std::unique_ptr<EditorGraphics> MakeBrisvaleGraphics(EditorDelegate& delegate) {
    return std::make_unique<GraphicsLinux>(delegate, 800, 580, 60, 1.0f);
}

}  // namespace quendaris
