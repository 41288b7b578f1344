#pragma once

#include "Control.h"

namespace quendaris {

// A bitmap holder shared by controls that draw frames of a bitmap.
class BitmapBase {
  public:
    explicit BitmapBase(const BitmapRef& bitmap) : mBitmap(bitmap) {}

    const BitmapRef& GetBitmap() const { return mBitmap; }
    void SetBitmap(const BitmapRef& bitmap) { mBitmap = bitmap; }

  protected:
    BitmapRef mBitmap;
};

// Draws one frame of a bitmap centred on its rectangle; with N frames, slot 0's value picks
// the frame. Index 0 of the control list (the background picture) is one of these.
class BitmapControl : public Control, public BitmapBase {
  public:
    BitmapControl(const Rect& bounds, const BitmapRef& bitmap, int paramIdx = kNoParameter,
                  const Blend& blend = Blend());

    // Frame 1..N shown for the current value.
    int FrameIndex() const;
    // Reloads the bitmap by name at the screen scale rounded up.
    void HandleRescale() override;
    void Paint(Graphics& g) override;
};

}  // namespace quendaris
