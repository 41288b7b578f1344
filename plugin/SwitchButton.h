#pragma once

#include <string>

#include "graphics/Control.h"

namespace quendaris {

// On/off toggle that flips on every press; lit while its value is above one half.
class SwitchButton : public Control {
  public:
    SwitchButton(const Rect& bounds, int paramIdx, const char* text);

    void HandlePress(float x, float y, const KeyMods& mods) override;
    void Paint(Graphics& g) override;

    bool IsActive() const { return ReadValue(0) > 0.5; }
    const std::string& Text() const { return mText; }

  private:
    std::string mText;
};

}  // namespace quendaris
