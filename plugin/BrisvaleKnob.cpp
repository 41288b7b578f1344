#include "BrisvaleKnob.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "BrisvaleConfig.h"
#include "frame/Param.h"
#include "graphics/Graphics.h"

namespace quendaris {

namespace {
constexpr float kDegToRad = 0.017453292f;
constexpr double kDragGear = 0.005;
constexpr double kFineDragGear = 0.001;
constexpr double kWheelGear = 0.01;
constexpr double kFineWheelGear = 0.001;

const Color kShadow{100, 0, 0, 0};
const Color kRingLight{255, 100, 100, 100};
const Color kRingDark{255, 15, 15, 15};
const Color kFaceLight{255, 45, 45, 45};
const Color kFaceDark{255, 25, 25, 25};
const Color kPointerRim{255, 10, 10, 10};
const Color kPointer{255, 255, 160, 0};
}  // namespace

BrisvaleKnob::BrisvaleKnob(const Rect& bounds, int paramIdx) : Control(bounds, -1, nullptr) {
    BindParam(paramIdx, 0);
    TextStyle style(18.0f, Color{255, 240, 240, 240}, "Roboto-Regular", kAlignCentre,
                    kVAlignMiddle);
    style.entryBgColor = Color{255, 255, 255, 255};
    style.entryFgColor = Color{255, 0, 0, 0};
    SetTextStyle(style);
    DisablePrompt(false);
}

Rect BrisvaleKnob::DiscArea() const {
    const Rect& r = GetRect();
    return Rect{r.L, r.T, r.R, r.B - kStripHeight};
}

Rect BrisvaleKnob::ValueStrip() const {
    const Rect& r = GetRect();
    return Rect{r.L, r.B - kStripHeight, r.R, r.B};
}

float BrisvaleKnob::CentreX() const {
    const Rect& r = GetRect();
    return (r.L + r.R) * 0.5f;
}

float BrisvaleKnob::CentreY() const {
    const Rect& r = GetRect();
    return (r.T + (r.B - kStripHeight)) * 0.5f;
}

float BrisvaleKnob::Radius() const {
    const Rect& r = GetRect();
    return std::min(r.R - r.L, (r.B - kStripHeight) - r.T) * 0.45f;
}

void BrisvaleKnob::PointerAt(float v, float& x, float& y) const {
    const float theta = (v * 300.0f + 210.0f - 90.0f) * kDegToRad;
    const float distance = 0.65f * Radius();
    x = std::cos(theta) * distance + CentreX();
    y = std::sin(theta) * distance + CentreY();
}

const char* BrisvaleKnob::UnitSuffix(int paramIdx) {
    switch (paramIdx) {
        case kParamCutoff:
            return " Hz";
        case kParamResonance:
        case kParamDrive:
        case kParamMix:
            return " %";
        case kParamInput:
        case kParamOutput:
            return " dB";
        default:
            return "";
    }
}

void BrisvaleKnob::PaintRing(Graphics& g, float radius, const Color& start, const Color& end) {
    const Rect disc = DiscArea();
    g.PathReset();
    const PaintSource gradient =
        PaintSource::LinearGradient(disc.L, disc.T, disc.R, disc.B, start, end);
    g.PathCircleShape(CentreX(), CentreY(), radius);
    g.FillPath(gradient, FillStyle{}, nullptr);
}

void BrisvaleKnob::Paint(Graphics& g) {
    const float cx = CentreX();
    const float cy = CentreY();
    const float r = Radius();
    g.PaintCircle(kShadow, cx, cy + 3.0f, r, nullptr);
    PaintRing(g, r, kRingLight, kRingDark);
    PaintRing(g, 0.9f * r, kRingDark, kRingLight);
    PaintRing(g, 0.85f * r, kFaceLight, kFaceDark);

    float px = 0.0f;
    float py = 0.0f;
    PointerAt(static_cast<float>(ReadValue(0)), px, py);
    g.PaintCircle(kPointerRim, px, py, 0.16f * r, nullptr);
    g.PaintCircle(kPointer, px, py, 0.12f * r, nullptr);

    if (const Param* p = ParamObject(0)) {
        std::string text;
        p->FormatValue(p->Value(), false, text, true);
        text += UnitSuffix(ParamOfSlot(0));
        g.RenderText(GetTextStyle(), text.c_str(), ValueStrip(), nullptr);
    }
}

void BrisvaleKnob::HandleDrag(float, float, float, float dY, const KeyMods& mods) {
    const double gear = mods.S ? kFineDragGear : kDragGear;
    StoreValue(ReadValue(0) - static_cast<double>(dY) * gear, 0);
    MarkDirty(true, -1);
}

void BrisvaleKnob::HandleWheel(float, float, const KeyMods& mods, float delta) {
    const double gear = mods.S ? kFineWheelGear : kWheelGear;
    StoreValue(ReadValue(0) + static_cast<double>(delta) * gear, 0);
    MarkDirty(true, -1);
}

void BrisvaleKnob::HandleDoubleClick(float x, float y, const KeyMods&) {
    const Rect strip = ValueStrip();
    if (!strip.AllZero() && strip.Contains(x, y)) {
        PromptForValue(strip, 0);
        return;
    }
    if (const Param* p = ParamObject(0)) {
        StoreValue(p->ToNormal(p->DefaultValue(false)), 0);
        MarkDirty(true, -1);
    }
}

}  // namespace quendaris
