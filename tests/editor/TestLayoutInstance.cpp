// The effect as the real module builds it, with a test layout of stock-style controls bound to
// parameters in place of the plug-in's own (the editor tests press, drag, wheel and type on
// them). Only the bundle "quendaris-editor-test" uses it.
#include <algorithm>

#include "graphics/Graphics.h"
#include "graphics/TextControl.h"
#include "plugin/Brisvale.h"
#include "vst3/CreationLock.h"
#include "vst3/PluginFactory.h"

namespace quendaris {
namespace {

// A vertical bar showing its value; press sets the value from the point, drag moves it,
// wheel steps it, double click opens the value prompt.
class ValueBar : public Control {
  public:
    ValueBar(const Rect& bounds, int paramIdx) : Control(bounds, paramIdx) { DisablePrompt(false); }

    void Paint(Graphics& g) override {
        g.PaintRect(Color(255, 40, 44, 52), mRect);
        Rect bar = mRect;
        bar.T = mRect.B - static_cast<float>(ReadValue()) * mRect.H();
        g.PaintRect(Color(255, 230, 120, 30), bar);
    }
    void HandlePress(float x, float y, const KeyMods&) override {
        SetValueFromPoint(x, y, kVertical, mRect);
        MarkDirty(true);
    }
    void HandleDrag(float, float, float, float dY, const KeyMods&) override {
        StoreValue(std::clamp(ReadValue() - dY / mRect.H(), 0.0, 1.0));
        MarkDirty(true);
    }
    void HandleWheel(float, float, const KeyMods&, float d) override {
        StoreValue(std::clamp(ReadValue() + 0.1 * d, 0.0, 1.0));
        MarkDirty(true);
    }
    void HandleDoubleClick(float, float, const KeyMods&) override {
        PromptForValue(Rect(mRect.L, mRect.B + 10, mRect.R + 60, mRect.B + 34), 0);
    }
};

// A plain coloured area under everything else.
class Backdrop : public Control {
  public:
    explicit Backdrop(const Rect& bounds) : Control(bounds) { SetMouseTransparent(true); }
    void Paint(Graphics& g) override { g.PaintRect(Color(255, 24, 26, 30), mRect); }
};

void LayoutForTests(Graphics& g) {
    g.AddControl(new Backdrop(Rect(0, 0, 800, 580)));
    const TextStyle caption(16.0f, Color(255, 170, 170, 170), "Roboto-Regular");
    g.AddControl(new TextControl(Rect(100, 60, 200, 80), "CUTOFF", caption));
    g.AddControl(new ValueBar(Rect(100, 100, 200, 400), 0));
    g.AddControl(new TextControl(Rect(300, 60, 400, 80), "RESONANCE", caption));
    g.AddControl(new ValueBar(Rect(300, 100, 400, 400), 1));
    g.AddControl(new TextControl(Rect(500, 60, 600, 80), "MIX", caption));
    g.AddControl(new ValueBar(Rect(500, 100, 600, 400), 5));
    g.LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf");
}

}  // namespace

namespace vst3 {

Steinberg::FUnknown* CreateEffectInstance(void*) {
    CreationLockGuard lock;
    try {
        auto* plugin = new Brisvale(InstanceInfo{});
        plugin->SetLayoutFunction([](EditorGraphics& editor) {
            if (auto* graphics = dynamic_cast<Graphics*>(&editor))
                LayoutForTests(*graphics);
        });
        return static_cast<Steinberg::Vst::IAudioProcessor*>(plugin);
    } catch (...) {
        return nullptr;
    }
}

}  // namespace vst3
}  // namespace quendaris
