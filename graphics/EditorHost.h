#pragma once

#include <vector>

#include "GraphicsTypes.h"

namespace Steinberg {
namespace Vst {
class IContextMenuTarget;
}
}  // namespace Steinberg

namespace quendaris {

// What the graphics context needs from the plug-in format's editor view; the format adapter
// implements it so that the graphics layer stays free of the adapter.
class EditorHost {
  public:
    virtual ~EditorHost() = default;

    // Opens the host's context menu for parameter paramIdx at (x, y) in device pixels of the
    // editor window, with the control's own items first; a chosen item of those calls
    // target->executeMenuItem(tag). False when the host offers no context menu.
    virtual bool PopupHostContextMenu(int paramIdx, int x, int y,
                                      const std::vector<ContextMenuItem>& items,
                                      Steinberg::Vst::IContextMenuTarget* target) = 0;
};

}  // namespace quendaris
