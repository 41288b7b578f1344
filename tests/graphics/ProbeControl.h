#pragma once

#include <string>
#include <vector>

#include "graphics/Control.h"
#include "graphics/Graphics.h"

namespace quendaris {
namespace testing {

// A control that keeps the base behaviour, notes every pointer handler it receives and
// paints its rectangle in its blend.
class ProbeControl : public Control {
  public:
    explicit ProbeControl(const Rect& bounds, int paramIdx = kNoParameter,
                          const char* name = "probe")
        : Control(bounds, paramIdx), mName(name) {}

    void HandlePress(float x, float y, const KeyMods& mod) override {
        calls.push_back(Format("press", x, y));
        Control::HandlePress(x, y, mod);
    }
    void HandleRelease(float x, float y, const KeyMods& mod) override {
        calls.push_back(Format("release", x, y));
        Control::HandleRelease(x, y, mod);
    }
    void HandleDrag(float x, float y, float dX, float dY, const KeyMods& mod) override {
        char line[96];
        std::snprintf(line, sizeof(line), "drag %g %g d %g %g", x, y, dX, dY);
        calls.emplace_back(line);
        Control::HandleDrag(x, y, dX, dY, mod);
    }
    void HandleDoubleClick(float x, float y, const KeyMods& mod) override {
        calls.push_back(Format("double", x, y));
        Control::HandleDoubleClick(x, y, mod);
    }
    void HandleWheel(float x, float y, const KeyMods& mod, float d) override {
        char line[96];
        std::snprintf(line, sizeof(line), "wheel %g", d);
        calls.emplace_back(line);
        Control::HandleWheel(x, y, mod, d);
    }
    void HandleHoverEnter(float x, float y, const KeyMods& mod) override {
        calls.push_back("enter");
        Control::HandleHoverEnter(x, y, mod);
    }
    void HandleHoverLeave() override {
        calls.push_back("leave");
        Control::HandleHoverLeave();
    }
    bool HandleKeyPress(float, float, const KeyEvent& key) override {
        calls.push_back("key " + std::to_string(key.vk));
        return takesKeys;
    }
    void HandleContextItem(int tag) override { calls.push_back("item " + std::to_string(tag)); }
    void CreateContextMenu(std::vector<ContextMenuItem>& items) override {
        items.push_back({"Probe item", 7, false, false});
    }
    void Paint(Graphics& g) override { g.PaintRect(Color(255, 10, 20, 30), mRect, &mBlend); }

    std::vector<std::string> calls;
    bool takesKeys = false;

  private:
    static std::string Format(const char* what, float x, float y) {
        char line[64];
        std::snprintf(line, sizeof(line), "%s %g %g", what, x, y);
        return line;
    }
    std::string mName;
};

}  // namespace testing
}  // namespace quendaris
