#pragma once

#include <cstdint>

#include "frame/Param.h"

// Small rules of the Windows editor window that need no Windows to be checked.
namespace quendaris::winrules {

// Timer id and message of the two kinds of display tick.
constexpr unsigned kDisplayTimerId = 2;
constexpr unsigned kVSyncTickMessage = 0x0400 + 1;

// Display-timer interval for a frame rate: floor(1000 / fps), and 15 ms for anything shorter
// than 20 ms so 60 frames per second get 15 ms. A frame rate below 1 counts as 1.
unsigned TimerIntervalMs(int framesPerSecond);

// Whole wheel notches from the wheel message's raw delta, truncated toward zero.
float WheelNotches(int16_t rawDelta);

// Mouse messages the system makes from pen or touch input carry this in the upper 24 bits of
// their extra information.
constexpr uint32_t kPenOrTouchSignatureMask = 0xFFFFFF00;
constexpr uint32_t kPenOrTouchSignature = 0xFF515700;
inline bool IsFromPenOrTouch(uintptr_t extraInfo) {
    return (uint32_t(extraInfo) & kPenOrTouchSignatureMask) == kPenOrTouchSignature;
}

// Characters the value box takes for a parameter of the given type (backspace always passes);
// without a parameter every character passes.
bool AcceptsTypedChar(uint32_t ch, const Param* param);

// Device-pixel position and size of a value box over a logical rectangle at scale s.
struct BoxGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
BoxGeometry ValueBoxGeometry(float l, float t, float r, float b, float scale);
// First line offset that centres one line of text vertically in a box.
int CentredLineOffset(int boxHeight, float scale, float textSize);

// Vertical-blank tick gating: a tick counts only when it carries the latest posted counter,
// and after a paint that outlasted further posts every tick queued meanwhile is dropped.
class TickGate {
  public:
    bool Accept(uint64_t tickNumber, uint64_t latestPosted);
    void AfterPaint(uint64_t postedBefore, uint64_t postedAfter);
    uint64_t SkipUntil() const { return mSkipUntil; }

  private:
    uint64_t mSkipUntil = 0;
};

}  // namespace quendaris::winrules
