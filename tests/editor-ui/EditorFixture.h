#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Brisvale.h"
#include "BrisvaleLayout.h"
#include "RecordingGraphics.h"
#include "frame/Param.h"

namespace quendaris {
namespace testing {

// The plug-in itself, noting the edits its editor sends in order ("begin 2", "value 2 0.333",
// "end 2") before passing them on.
class EditingBrisvale : public Brisvale {
  public:
    EditingBrisvale() : Brisvale(InstanceInfo{}) {}

    void BeginParamEditFromUI(int paramIdx) override {
        edits.push_back("begin " + std::to_string(paramIdx));
        Brisvale::BeginParamEditFromUI(paramIdx);
    }
    void SendParamValueFromUI(int paramIdx, double normalValue) override {
        char line[64];
        std::snprintf(line, sizeof(line), "value %d %.6g", paramIdx, normalValue);
        edits.emplace_back(line);
        Brisvale::SendParamValueFromUI(paramIdx, normalValue);
    }
    void EndParamEditFromUI(int paramIdx) override {
        edits.push_back("end " + std::to_string(paramIdx));
        Brisvale::EndParamEditFromUI(paramIdx);
    }

    std::vector<std::string> edits;
};

// The real editor on a recording backend, opened the way a host opens it: the plug-in makes
// the surface and runs its own layout.
class EditorFixture {
  public:
    EditorFixture() {
        plugin.SetMakeGraphicsFunction([this]() {
            auto surface = std::make_unique<RecordingGraphics>(plugin);
            graphics = surface.get();
            return surface;
        });
        plugin.OpenWindow(nullptr);
        // The recording backend only knows fonts registered with it; the layout registers the
        // module's font when the module carries one.
        graphics->fonts.insert("Roboto-Regular");
        graphics->ClearLog();
        plugin.edits.clear();
    }
    ~EditorFixture() { plugin.CloseWindow(); }

    Control& At(int index) { return *graphics->GetControl(index); }
    template <typename T>
    T& As(int index) {
        return dynamic_cast<T&>(At(index));
    }

    void Press(float x, float y, const KeyMods& mods = KeyMods(true, false)) {
        graphics->OnPointerDown({PointerEvent{x, y, 0, 0, mods}});
    }
    void Release(float x, float y, const KeyMods& mods = KeyMods(true, false)) {
        graphics->OnPointerUp({PointerEvent{x, y, 0, 0, mods}});
    }
    void Drag(float x, float y, float dX, float dY, const KeyMods& mods = KeyMods(true, false)) {
        graphics->OnPointerDrag({PointerEvent{x, y, dX, dY, mods}});
    }
    void Click(float x, float y) {
        Press(x, y);
        Release(x, y);
    }

    // Host side: the value reaches the parameter and then the open editor, as automation does.
    void Automate(int paramIdx, double normal) {
        plugin.GetParam(paramIdx)->SetNormal(normal);
        plugin.SendParamValueToEditor(paramIdx, normal, true);
    }

    // Painting one control alone, the way a frame paints it.
    void PaintOnly(int index) {
        graphics->ClearLog();
        At(index).Paint(*graphics);
    }

    // Rectangles the next display tick repaints.
    std::vector<Rect> Tick() {
        std::vector<Rect> rects;
        graphics->CollectDirtyRects(rects);
        return rects;
    }

    EditingBrisvale plugin;
    RecordingGraphics* graphics = nullptr;
};

}  // namespace testing
}  // namespace quendaris
