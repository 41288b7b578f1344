#include "SlopeControl.h"

#include "ButtonLook.h"

namespace quendaris {

SlopeControl::SlopeControl(const Rect& bounds, int paramIdx) : Control(bounds, -1, nullptr) {
    BindParam(paramIdx, 0);
}

Rect SlopeControl::LeftSegment() const {
    const Rect& r = GetRect();
    const float half = (r.R - r.L) * 0.5f;
    return Rect{r.L, r.T, r.L + half, r.B};
}

Rect SlopeControl::RightSegment() const {
    const Rect& r = GetRect();
    const float half = (r.R - r.L) * 0.5f;
    return Rect{r.R - half, r.T, r.R, r.B};
}

void SlopeControl::HandlePress(float x, float, const KeyMods&) {
    const Rect& r = GetRect();
    const float mid = (r.L + r.R) * 0.5f;
    StoreValue(x < mid ? 0.0 : 1.0, 0);
    MarkDirty(true, -1);
}

void SlopeControl::Paint(Graphics& g) {
    const bool fourPole = IsFourPole();
    button_look::Paint(g, LeftSegment(), !fourPole, "12dB", nullptr);
    button_look::Paint(g, RightSegment(), fourPole, "24dB", nullptr);
}

}  // namespace quendaris
