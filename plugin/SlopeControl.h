#pragma once

#include "graphics/Control.h"

namespace quendaris {

// Two touching segments, "12dB" (2-pole) on the left and "24dB" (4-pole) on the right; a press
// selects the half it lands in, the centre line counting as the right half.
class SlopeControl : public Control {
  public:
    SlopeControl(const Rect& bounds, int paramIdx);

    void HandlePress(float x, float y, const KeyMods& mods) override;
    void Paint(Graphics& g) override;

    Rect LeftSegment() const;
    Rect RightSegment() const;
    bool IsFourPole() const { return ReadValue(0) > 0.5; }
};

}  // namespace quendaris
