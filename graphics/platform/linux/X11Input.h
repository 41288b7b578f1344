#pragma once

#include <X11/Xlib.h>

#include "graphics/GraphicsTypes.h"

namespace quendaris {

// Windows virtual-key code for an X key symbol (0 when it has none).
int VirtualKeyFromKeysym(KeySym keysym);

// Buttons and shift/control/alt from an X event state; left/right add the button of a press.
KeyMods ModsFromState(unsigned state, bool left = false, bool right = false);

// X reports no double clicks: a second press of the same button soon after and near the
// first one is one.
class DoubleClickDetector {
  public:
    static constexpr Time kMaxIntervalMs = 400;
    static constexpr int kMaxDistance = 4;

    // Answers whether this press completes a double click; a double click starts no new pair.
    bool Press(unsigned button, Time time, int x, int y);
    void Reset() { mPending = false; }

  private:
    bool mPending = false;
    unsigned mButton = 0;
    Time mTime = 0;
    int mX = 0;
    int mY = 0;
};

}  // namespace quendaris
