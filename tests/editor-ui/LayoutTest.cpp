#include <gtest/gtest.h>

#include "BrisvaleConfig.h"
#include "BrisvaleKnob.h"
#include "EditorFixture.h"
#include "ModelButton.h"
#include "SlopeControl.h"
#include "SpectrumControl.h"
#include "SwitchButton.h"
#include "graphics/BitmapControl.h"
#include "graphics/TextControl.h"

namespace quendaris {
namespace testing {
namespace {

class Layout : public ::testing::Test, public EditorFixture {};

void ExpectRect(const Control& c, float l, float t, float r, float b) {
    EXPECT_EQ(c.GetRect(), Rect(l, t, r, b))
        << c.GetRect().L << " " << c.GetRect().T << " " << c.GetRect().R << " " << c.GetRect().B;
}

TEST_F(Layout, TheSurfaceIs800By580AtSixtyFramesAndScaleOne) {
    EXPECT_EQ(graphics->Width(), 800);
    EXPECT_EQ(graphics->Height(), 580);
    EXPECT_EQ(graphics->FPS(), 60);
    EXPECT_EQ(graphics->DrawScale(), 1.0f);
}

TEST_F(Layout, TwentyFourControlsInTheirFixedOrder) {
    ASSERT_EQ(graphics->NControls(), 24);
    EXPECT_NE(dynamic_cast<BitmapControl*>(&At(kCtrlBackground)), nullptr);

    struct Caption {
        int index;
        const char* text;
        Rect rect;
    };
    const Caption captions[] = {
        {kCtrlVersion, "QUENDARIS Ver1.0.0.0", Rect(640, 540, 925, 560)},
        {kCtrlResonanceCaption, "RESONANCE", Rect(100, 140, 200, 172)},
        {kCtrlCutoffCaption, "CUTOFF", Rect(280, 60, 480, 75)},
        {kCtrlModelCaption, "FILTER MODEL", Rect(600, 60, 740, 75)},
        {kCtrlInputCaption, "INPUT", Rect(40, 445, 110, 460)},
        {kCtrlDriveCaption, "DRIVE", Rect(130, 445, 200, 460)},
        {kCtrlMixCaption, "MIX", Rect(220, 445, 290, 460)},
        {kCtrlOutputCaption, "OUTPUT", Rect(310, 445, 380, 460)},
        {kCtrlSlopeCaption, "SLOPE", Rect(460, 445, 560, 475)},
        {kCtrlBypassCaption, "BYPASS", Rect(620, 445, 720, 475)},
    };
    for (const Caption& c : captions) {
        auto& label = As<TextControl>(c.index);
        EXPECT_EQ(label.GetLabel(), c.text);
        EXPECT_EQ(label.GetRect(), c.rect) << c.text;
        EXPECT_EQ(label.GetBackgroundColor(), Color(0, 0, 0, 0));
        EXPECT_STREQ(label.GetTextStyle().fontId, "Roboto-Regular");
        EXPECT_EQ(label.GetTextStyle().size, 16.0f);
        EXPECT_EQ(label.GetTextStyle().valign, kVAlignMiddle);
        if (c.index == kCtrlVersion) {
            EXPECT_EQ(label.GetTextStyle().fgColor, Color(255, 238, 238, 238));
            EXPECT_EQ(label.GetTextStyle().align, kAlignNear);
        } else {
            EXPECT_EQ(label.GetTextStyle().fgColor, Color(255, 170, 170, 170)) << c.text;
            EXPECT_EQ(label.GetTextStyle().align, kAlignCentre);
        }
    }

    struct Bound {
        int index;
        int param;
        Rect rect;
    };
    const Bound knobs[] = {
        {kCtrlResonance, kParamResonance, Rect(100, 165, 200, 302)},
        {kCtrlCutoff, kParamCutoff, Rect(280, 80, 480, 300)},
        {kCtrlInput, kParamInput, Rect(40, 465, 110, 560)},
        {kCtrlDrive, kParamDrive, Rect(130, 465, 200, 560)},
        {kCtrlMix, kParamMix, Rect(220, 465, 290, 560)},
        {kCtrlOutput, kParamOutput, Rect(310, 465, 380, 560)},
    };
    for (const Bound& k : knobs) {
        auto& knob = As<BrisvaleKnob>(k.index);
        EXPECT_EQ(knob.ParamOfSlot(0), k.param);
        EXPECT_EQ(knob.GetRect(), k.rect);
    }

    const char* models[] = {"M-Filter", "S-Filter", "P-Filter", "W-Filter"};
    for (int i = 0; i < 4; ++i) {
        auto& button = As<ModelButton>(kCtrlModelM + i);
        EXPECT_EQ(button.ParamOfSlot(0), kParamModel);
        EXPECT_EQ(button.ModelIndex(), i);
        EXPECT_EQ(button.Text(), models[i]);
        ExpectRect(button, 600, 80.0f + 35.0f * i, 740, 105.0f + 35.0f * i);
    }
    auto& display = As<SpectrumControl>(kCtrlSpectrum);
    ExpectRect(display, 15, 310, 785, 430);
    EXPECT_EQ(display.ParamOfSlot(0), kNoParameter);
    EXPECT_TRUE(display.HasAnimation());
    EXPECT_NE(display.Source(), nullptr);

    auto& slope = As<SlopeControl>(kCtrlSlope);
    EXPECT_EQ(slope.ParamOfSlot(0), kParamPoles);
    ExpectRect(slope, 460, 480, 560, 510);
    auto& bypass = As<SwitchButton>(kCtrlBypass);
    EXPECT_EQ(bypass.ParamOfSlot(0), kParamBypass);
    EXPECT_EQ(bypass.Text(), "BYPASS");
    ExpectRect(bypass, 620, 480, 720, 510);
}

TEST_F(Layout, OnlyTheFourLowerKnobsLieInTheBottomRowLeftToRight) {
    std::vector<int> bottomRow;
    for (int i = 0; i < graphics->NControls(); ++i) {
        auto* knob = dynamic_cast<BrisvaleKnob*>(&At(i));
        if (knob && knob->GetRect().T >= 445.0f)
            bottomRow.push_back(knob->ParamOfSlot(0));
    }
    EXPECT_EQ(bottomRow, (std::vector<int>{kParamInput, kParamDrive, kParamMix, kParamOutput}));
}

TEST_F(Layout, ClicksBetweenTheModelButtonsHitNone) {
    EXPECT_EQ(graphics->FindControlAt(670, 127, false, false), &At(kCtrlModelS));
    Control* gap = graphics->FindControlAt(670, 110, false, false);
    EXPECT_EQ(dynamic_cast<ModelButton*>(gap), nullptr);
}

TEST_F(Layout, AnOpenIdleEditorRepaintsOnlyItsFirstFrame) {
    EXPECT_FALSE(Tick().empty());
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_TRUE(Tick().empty()) << frame;
}

TEST_F(Layout, CaptionsTakeNoPointerEvents) {
    // The caption's rectangle overlaps the knob's top; the knob still gets the press.
    EXPECT_EQ(graphics->FindControlAt(150, 168, false, false), &At(kCtrlResonance));
}

}  // namespace
}  // namespace testing
}  // namespace quendaris
