#pragma once

#include "graphics/Control.h"

namespace quendaris {

// Rotary knob for a continuous parameter: shaded disc with a dot pointer over 300 degrees, the
// value with its unit in a strip below. Vertical drags and the wheel edit; a double click on the
// strip opens the typed-value box, anywhere else it resets to the default.
class BrisvaleKnob : public Control {
  public:
    static constexpr float kStripHeight = 30.0f;

    BrisvaleKnob(const Rect& bounds, int paramIdx);

    void Paint(Graphics& g) override;
    void HandleDrag(float x, float y, float dX, float dY, const KeyMods& mods) override;
    void HandleWheel(float x, float y, const KeyMods& mods, float delta) override;
    void HandleDoubleClick(float x, float y, const KeyMods& mods) override;

    Rect DiscArea() const;
    Rect ValueStrip() const;
    float CentreX() const;
    float CentreY() const;
    float Radius() const;
    // Centre of the pointer dot for normalised value v.
    void PointerAt(float v, float& x, float& y) const;
    // The unit appended to the value text of the parameter at paramIdx.
    static const char* UnitSuffix(int paramIdx);

  private:
    void PaintRing(Graphics& g, float radius, const Color& start, const Color& end);
};

}  // namespace quendaris
