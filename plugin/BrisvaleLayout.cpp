#include "BrisvaleLayout.h"

#include "BrisvaleConfig.h"
#include "BrisvaleKnob.h"
#include "ModelButton.h"
#include "SlopeControl.h"
#include "SpectrumControl.h"
#include "SwitchButton.h"
#include "graphics/Graphics.h"
#include "graphics/TextControl.h"

namespace quendaris {

namespace {
constexpr const char* kFontId = "Roboto-Regular";
// Stored in the module as "XRoboto-Regular.ttfX"; the lookup strips the wrapping characters.
constexpr const char* kFontResource = "Roboto-Regular.ttf";
const Color kTransparent{0, 0, 0, 0};

TextStyle MakeStyle(const Color& colour, int hAlign) {
    return TextStyle(16.0f, colour, kFontId, hAlign, kVAlignMiddle);
}

void AddCaption(Graphics& g, const Rect& bounds, const char* text, const TextStyle& style) {
    g.AddControl(new TextControl(bounds, text, style, kTransparent, false), -1, "");
}

void AddKnobWithCaption(Graphics& g, float left, float right, float captionTop, float captionBottom,
                        float knobTop, float knobBottom, const char* caption, int paramIdx,
                        const TextStyle& captionStyle) {
    AddCaption(g, Rect{left, captionTop, right, captionBottom}, caption, captionStyle);
    g.AddControl(new BrisvaleKnob(Rect{left, knobTop, right, knobBottom}, paramIdx), -1, "");
}

void LoadFont(Graphics& g) {
    const ResourceLocation font = g.LocateResource(kFontResource, "ttf");
    if (font.kind == ResourceLocation::kModule && font.data && font.size > 0) {
        g.LoadFontFromMemory(kFontId, font.data, static_cast<int>(font.size));
    }
}
}  // namespace

void LayoutBrisvale(Graphics& g) {
    g.SetBackgroundBitmap("back.png");

    const TextStyle versionStyle = MakeStyle(Color{255, 238, 238, 238}, 0);
    const TextStyle captionStyle = MakeStyle(Color{255, 170, 170, 170}, 1);

    AddCaption(g, Rect{640, 540, 925, 560}, "QUENDARIS Ver1.0.0.0", versionStyle);
    AddKnobWithCaption(g, 100, 200, 140, 172, 165, 302, "RESONANCE", kParamResonance, captionStyle);
    AddKnobWithCaption(g, 280, 480, 60, 75, 80, 300, "CUTOFF", kParamCutoff, captionStyle);

    AddCaption(g, Rect{600, 60, 740, 75}, "FILTER MODEL", captionStyle);
    const char* models[] = {"M-Filter", "S-Filter", "P-Filter", "W-Filter"};
    for (int i = 0; i < 4; ++i) {
        const float top = 80.0f + 35.0f * static_cast<float>(i);
        g.AddControl(new ModelButton(Rect{600, top, 740, top + 25.0f}, kParamModel, i, models[i]),
                     -1, "");
    }

    auto* display = new SpectrumControl(Rect{15, 310, 785, 430});
    g.AddControl(display, -1, "");
    // Only new analyser data or a changed display value redraws the display on a tick.
    display->SetAnimation(
        [](Control* c) { static_cast<SpectrumControl*>(c)->MarkDirtyIfChanged(); });

    const char* lowerCaptions[] = {"INPUT", "DRIVE", "MIX", "OUTPUT"};
    const int lowerParams[] = {kParamInput, kParamDrive, kParamMix, kParamOutput};
    for (int i = 0; i < 4; ++i) {
        const float left = 40.0f + 90.0f * static_cast<float>(i);
        AddKnobWithCaption(g, left, left + 70.0f, 445, 460, 465, 560, lowerCaptions[i],
                           lowerParams[i], captionStyle);
    }

    AddCaption(g, Rect{460, 445, 560, 475}, "SLOPE", captionStyle);
    g.AddControl(new SlopeControl(Rect{460, 480, 560, 510}, kParamPoles), -1, "");
    AddCaption(g, Rect{620, 445, 720, 475}, "BYPASS", captionStyle);
    g.AddControl(new SwitchButton(Rect{620, 480, 720, 510}, kParamBypass, "BYPASS"), -1, "");

    LoadFont(g);
}

}  // namespace quendaris
