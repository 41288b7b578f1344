#include "BitmapControl.h"

#include <algorithm>

#include "Graphics.h"

namespace quendaris {

BitmapControl::BitmapControl(const Rect& bounds, const BitmapRef& bitmap, int paramIdx,
                             const Blend& blend)
    : Control(bounds, paramIdx), BitmapBase(bitmap) {
    mBlend = blend;
}

int BitmapControl::FrameIndex() const {
    int n = mBitmap.N();
    if (n < 2)
        return 1;
    return std::clamp(static_cast<int>(ReadValue(0) * (n - 1) + 0.5) + 1, 1, n);
}

void BitmapControl::HandleRescale() {
    if (!mGraphics || mBitmap.resourceName.empty())
        return;
    BitmapRef reloaded =
        mGraphics->LoadImageResource(mBitmap.resourceName.c_str(), mBitmap.N(),
                                     mBitmap.framesHorizontal, mGraphics->RoundedScreenScale());
    if (reloaded.IsValid())
        mBitmap = reloaded;
}

void BitmapControl::Paint(Graphics& g) {
    if (!mBitmap.IsValid())
        return;
    int n = std::max(1, mBitmap.N());
    int i = FrameIndex();
    int w = mBitmap.W();
    int h = mBitmap.H();
    int frameW = mBitmap.framesHorizontal ? w / n : w;
    int frameH = mBitmap.framesHorizontal ? h : h / n;
    int srcX = mBitmap.framesHorizontal ? w * (i - 1) / n : 0;
    int srcY = mBitmap.framesHorizontal ? 0 : h * (i - 1) / n;
    Rect dest = Rect(0.0f, 0.0f, static_cast<float>(frameW), static_cast<float>(frameH))
                    .CentredOn(mRect.MW(), mRect.MH());
    g.DrawBitmapFrame(mBitmap, dest, srcX, srcY, &mBlend);
}

}  // namespace quendaris
