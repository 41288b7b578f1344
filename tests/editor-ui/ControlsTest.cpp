#include <cmath>
#include <cstdio>

#include <gtest/gtest.h>

#include "BrisvaleConfig.h"
#include "BrisvaleKnob.h"
#include "ButtonLook.h"
#include "EditorFixture.h"
#include "ModelButton.h"
#include "SlopeControl.h"
#include "SwitchButton.h"

namespace quendaris {
namespace testing {
namespace {

using Edits = std::vector<std::string>;

class Controls : public ::testing::Test, public EditorFixture {
  protected:
    double Normal(int paramIdx) { return plugin.GetParam(paramIdx)->Normal(); }
    double Value(int paramIdx) { return plugin.GetParam(paramIdx)->Value(); }

    // Centres of the circles a paint drew, in order ("PathArc cx cy r 0 360 0").
    struct Circle {
        float cx, cy, r;
    };
    std::vector<Circle> Circles() const {
        std::vector<Circle> circles;
        for (const std::string& line : graphics->log) {
            Circle c{};
            if (std::sscanf(line.c_str(), "PathArc %f %f %f", &c.cx, &c.cy, &c.r) == 3)
                circles.push_back(c);
        }
        return circles;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const std::string& line : graphics->log) {
            if (line.rfind("Text '", 0) == 0)
                texts.push_back(line.substr(6, line.find('\'', 6) - 6));
        }
        return texts;
    }
    bool Redraws(const std::vector<Rect>& rects, int index) {
        const Rect grown = At(index).GetRect().Padded(0.75f);
        for (const Rect& r : rects) {
            if (r == grown)
                return true;
        }
        return false;
    }
};

// ---- Knob ----

TEST_F(Controls, KnobGeometryFollowsFromItsRectangle) {
    auto& cutoff = As<BrisvaleKnob>(kCtrlCutoff);
    EXPECT_FLOAT_EQ(cutoff.Radius(), 85.5f);
    EXPECT_FLOAT_EQ(cutoff.CentreX(), 380.0f);
    EXPECT_FLOAT_EQ(cutoff.CentreY(), 175.0f);
    auto& resonance = As<BrisvaleKnob>(kCtrlResonance);
    EXPECT_FLOAT_EQ(resonance.Radius(), 45.0f);
    EXPECT_FLOAT_EQ(resonance.CentreX(), 150.0f);
    EXPECT_FLOAT_EQ(resonance.CentreY(), 218.5f);
    for (int i = 0; i < 4; ++i) {
        auto& knob = As<BrisvaleKnob>(kCtrlInput + 2 * i);
        EXPECT_FLOAT_EQ(knob.Radius(), 29.25f);
        EXPECT_FLOAT_EQ(knob.CentreX(), 75.0f + 90.0f * i);
        EXPECT_FLOAT_EQ(knob.CentreY(), 497.5f);
    }
}

TEST_F(Controls, KnobPointerTravelsThreeHundredDegreesWithTheGapAtTheBottom) {
    for (int index : {kCtrlCutoff, kCtrlResonance, kCtrlMix}) {
        auto& knob = As<BrisvaleKnob>(index);
        const float cx = knob.CentreX();
        const float cy = knob.CentreY();
        const float r = knob.Radius();
        const struct {
            float v, x, y;
        } expected[] = {{0.0f, cx - 0.325f * r, cy + 0.5629f * r},
                        {0.5f, cx, cy - 0.65f * r},
                        {1.0f, cx + 0.325f * r, cy + 0.5629f * r}};
        for (const auto& e : expected) {
            knob.ApplyDelegateValue(e.v);
            PaintOnly(index);
            std::vector<Circle> circles = Circles();
            // Shadow, outer ring, bevel, face, pointer rim, pointer.
            ASSERT_EQ(circles.size(), 6u);
            EXPECT_NEAR(circles[5].cx, e.x, 0.01f * r) << "v=" << e.v;
            EXPECT_NEAR(circles[5].cy, e.y, 0.01f * r) << "v=" << e.v;
            EXPECT_NEAR(circles[5].r, 0.12f * r, 1e-3f);
            EXPECT_NEAR(circles[4].r, 0.16f * r, 1e-3f);
            EXPECT_FLOAT_EQ(circles[0].cy, cy + 3.0f);
            EXPECT_NEAR(circles[1].r, r, 1e-4f);
            EXPECT_NEAR(circles[2].r, 0.9f * r, 1e-4f);
            EXPECT_NEAR(circles[3].r, 0.85f * r, 1e-4f);
        }
    }
}

TEST_F(Controls, KnobPaintsItsColoursAndDiagonalGradients) {
    PaintOnly(kCtrlCutoff);
    ASSERT_EQ(graphics->fills.size(), 6u);
    EXPECT_EQ(graphics->fills[0].paint.stops[0].color, Color(100, 0, 0, 0));
    const Color ends[3][2] = {{Color(255, 100, 100, 100), Color(255, 15, 15, 15)},
                              {Color(255, 15, 15, 15), Color(255, 100, 100, 100)},
                              {Color(255, 45, 45, 45), Color(255, 25, 25, 25)}};
    for (int i = 0; i < 3; ++i) {
        const PaintSource& p = graphics->fills[size_t(1 + i)].paint;
        EXPECT_EQ(p.type, kPaintLinear);
        EXPECT_EQ(p.ColorAt(280, 80), ends[i][0]);
        EXPECT_EQ(p.ColorAt(480, 270), ends[i][1]);
        float x1, y1, x2, y2;
        p.GradientPoints(x1, y1, x2, y2);
        EXPECT_NEAR(x1, 280, 1e-3);
        EXPECT_NEAR(y1, 80, 1e-3);
        EXPECT_NEAR(x2, 480, 1e-3);
        EXPECT_NEAR(y2, 270, 1e-3);
    }
    EXPECT_EQ(graphics->fills[4].paint.stops[0].color, Color(255, 10, 10, 10));
    EXPECT_EQ(graphics->fills[5].paint.stops[0].color, Color(255, 255, 160, 0));
}

TEST_F(Controls, FreshKnobsShowTheirDefaultValuesWithUnits) {
    const struct {
        int index;
        const char* text;
    } expected[] = {{kCtrlCutoff, "1840 Hz"}, {kCtrlResonance, "50.0 %"}, {kCtrlInput, "0.0 dB"},
                    {kCtrlDrive, "0.0 %"},    {kCtrlMix, "100.0 %"},      {kCtrlOutput, "0.0 dB"}};
    for (const auto& e : expected) {
        PaintOnly(e.index);
        EXPECT_EQ(Texts(), std::vector<std::string>{e.text});
    }
}

TEST_F(Controls, UnitSuffixes) {
    EXPECT_STREQ(BrisvaleKnob::UnitSuffix(kParamCutoff), " Hz");
    EXPECT_STREQ(BrisvaleKnob::UnitSuffix(kParamResonance), " %");
    EXPECT_STREQ(BrisvaleKnob::UnitSuffix(kParamDrive), " %");
    EXPECT_STREQ(BrisvaleKnob::UnitSuffix(kParamMix), " %");
    EXPECT_STREQ(BrisvaleKnob::UnitSuffix(kParamInput), " dB");
    EXPECT_STREQ(BrisvaleKnob::UnitSuffix(kParamOutput), " dB");
    EXPECT_STREQ(BrisvaleKnob::UnitSuffix(kParamModel), "");
    EXPECT_STREQ(BrisvaleKnob::UnitSuffix(kParamPoles), "");
    EXPECT_STREQ(BrisvaleKnob::UnitSuffix(-1), "");
}

TEST_F(Controls, KnobWithoutASuffixShowsTheBareNumber) {
    auto* knob = new BrisvaleKnob(Rect(0, 0, 70, 95), kParamModel);
    graphics->AddControl(knob);
    plugin.GetParam(kParamModel)->SetValue(2);
    graphics->ClearLog();
    knob->Paint(*graphics);
    EXPECT_EQ(Texts(), std::vector<std::string>{"P-Filter"});
}

TEST_F(Controls, DragGearsAndLimits) {
    const float x = 150, y = 220;
    const struct {
        bool shift;
        float dY;
        double expected;
    } cases[] = {{false, -100, 0.7}, {true, -100, 0.3}, {false, 100, 0.0}, {false, -300, 1.0}};
    for (const auto& c : cases) {
        Automate(kParamResonance, 0.2);
        plugin.edits.clear();
        const KeyMods mods(true, false, c.shift);
        Press(x, y, mods);
        // Ten moves of a tenth each: the knob adds them up.
        for (int i = 1; i <= 10; ++i)
            Drag(x, y + c.dY * i / 10, 0, c.dY / 10, mods);
        Release(x, y + c.dY, mods);
        EXPECT_NEAR(Normal(kParamResonance), c.expected, 1e-9) << c.shift << " " << c.dY;
        ASSERT_GE(plugin.edits.size(), 3u);
        EXPECT_EQ(plugin.edits.front(), "begin 1");
        EXPECT_EQ(plugin.edits.back(), "end 1");
    }
}

TEST_F(Controls, HorizontalMovementIsIgnored) {
    Automate(kParamResonance, 0.2);
    Press(150, 220);
    Drag(250, 220, 100, 0);
    Drag(250, 221, 100, 0.000001f);
    Release(250, 220);
    EXPECT_NEAR(Normal(kParamResonance), 0.2, 1e-6);
}

TEST_F(Controls, WheelNotches) {
    Automate(kParamMix, 0.5);
    graphics->OnPointerWheel(255, 500, KeyMods(), 1);
    EXPECT_NEAR(Normal(kParamMix), 0.51, 1e-9);
    graphics->OnPointerWheel(255, 500, KeyMods(false, false, true), 1);
    EXPECT_NEAR(Normal(kParamMix), 0.511, 1e-9);
    graphics->OnPointerWheel(255, 500, KeyMods(), -2);
    EXPECT_NEAR(Normal(kParamMix), 0.491, 1e-9);
    EXPECT_EQ(plugin.edits.back(), "value 5 0.491");
}

TEST_F(Controls, DoubleClickOnTheDiscResetsToTheDefaultAndTellsTheHost) {
    Automate(kParamCutoff, 0.9);
    EXPECT_TRUE(graphics->OnPointerDoubleClick(380, 175, KeyMods(true, false)));
    EXPECT_DOUBLE_EQ(Value(kParamCutoff), 1840.0);
    EXPECT_NEAR(Normal(kParamCutoff), 0.449944, 1e-6);
    EXPECT_EQ(plugin.edits, Edits{"value 0 0.449944"});
    EXPECT_TRUE(graphics->textEntries.empty());
}

TEST_F(Controls, TypedValueInTheResonanceStrip) {
    // The strip is the knob's lowest 30 pixels: 272 ... 302.
    EXPECT_TRUE(graphics->OnPointerDoubleClick(150, 290, KeyMods(true, false)));
    ASSERT_EQ(graphics->textEntries.size(), 1u);
    EXPECT_EQ(graphics->textEntries[0].paramIdx, kParamResonance);
    EXPECT_EQ(graphics->textEntries[0].bounds, Rect(100, 272, 200, 302));
    EXPECT_EQ(graphics->textEntries[0].text, "50.0");
    EXPECT_TRUE(plugin.edits.empty());

    graphics->ApplyTypedValue("75");
    EXPECT_DOUBLE_EQ(Normal(kParamResonance), 0.75);
    EXPECT_EQ(plugin.edits, Edits{"value 1 0.75"});
    PaintOnly(kCtrlResonance);
    EXPECT_EQ(Texts(), std::vector<std::string>{"75.0 %"});
}

TEST_F(Controls, DoubleClickJustAboveTheStripResets) {
    Automate(kParamResonance, 0.1);
    graphics->OnPointerDoubleClick(150, 271.9f, KeyMods(true, false));
    EXPECT_TRUE(graphics->textEntries.empty());
    EXPECT_DOUBLE_EQ(Value(kParamResonance), 50.0);
}

// ---- Model buttons ----

TEST_F(Controls, AClickSelectsItsModelOnThePressWithBeginAndEnd) {
    Press(670, 127);
    EXPECT_DOUBLE_EQ(Value(kParamModel), 1.0);
    EXPECT_EQ(plugin.edits, (Edits{"begin 2", "value 2 0.333333"}));
    Release(670, 127);
    EXPECT_EQ(plugin.edits, (Edits{"begin 2", "value 2 0.333333", "end 2"}));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(As<ModelButton>(kCtrlModelM + i).IsActive(), i == 1);
}

TEST_F(Controls, ClickingPFilterLightsItAndDimsTheOthers) {
    Click(670, 162);
    EXPECT_NEAR(As<ModelButton>(kCtrlModelP).ReadValue(0), 2.0 / 3.0, 1e-12);
    EXPECT_EQ(plugin.edits[1], "value 2 0.666667");
    // Every button bound to the model follows and repaints.
    std::vector<Rect> rects = Tick();
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Redraws(rects, kCtrlModelM + i)) << i;
        EXPECT_EQ(As<ModelButton>(kCtrlModelM + i).IsActive(), i == 2);
    }
}

TEST_F(Controls, ClickingTheActiveModelSendsItAgain) {
    Click(670, 92);
    EXPECT_EQ(plugin.edits, (Edits{"begin 2", "value 2 0", "end 2"}));
}

TEST_F(Controls, ClickInTheGapChangesNothing) {
    Click(670, 110);
    EXPECT_DOUBLE_EQ(Value(kParamModel), 0.0);
    EXPECT_TRUE(plugin.edits.empty());
}

TEST_F(Controls, ActiveAndInactiveButtonLooks) {
    PaintOnly(kCtrlModelM);  // active by default
    ASSERT_EQ(graphics->fills.size(), 2u);
    const PaintSource& active = graphics->fills[0].paint;
    EXPECT_EQ(active.ColorAt(600, 80), Color(255, 180, 100, 0));
    EXPECT_EQ(active.ColorAt(740, 105), Color(255, 255, 160, 0));
    EXPECT_TRUE(graphics->fills[1].stroke);
    EXPECT_EQ(graphics->fills[1].paint.stops[0].color, Color(255, 15, 15, 15));
    EXPECT_EQ(graphics->fills[1].thickness, 1.0f);
    EXPECT_EQ(graphics->Count("Text 'M-Filter'"), 1u);
    EXPECT_EQ(button_look::CaptionStyle(true).fgColor, Color(255, 20, 20, 20));

    PaintOnly(kCtrlModelS);
    ASSERT_EQ(graphics->fills.size(), 3u);
    EXPECT_EQ(graphics->fills[0].paint.stops[0].color, Color(100, 0, 0, 0));
    // The shadow is the button moved down by two pixels.
    EXPECT_EQ(graphics->Count("PathMove 600 121"), 1u);
    const PaintSource& inactive = graphics->fills[1].paint;
    EXPECT_EQ(inactive.ColorAt(600, 115), Color(255, 70, 70, 70));
    EXPECT_EQ(inactive.ColorAt(600, 140), Color(255, 25, 25, 25));
    EXPECT_EQ(button_look::CaptionStyle(false).fgColor, Color(255, 220, 220, 220));
}

TEST_F(Controls, HostModelChangeLightsTheMatchingButtonWithoutAClick) {
    Tick();
    Automate(kParamModel, 1.0);
    std::vector<Rect> rects = Tick();
    EXPECT_TRUE(Redraws(rects, kCtrlModelW));
    EXPECT_TRUE(As<ModelButton>(kCtrlModelW).IsActive());
    EXPECT_FALSE(As<ModelButton>(kCtrlModelM).IsActive());
    EXPECT_TRUE(plugin.edits.empty());
}

// ---- Slope ----

TEST_F(Controls, SlopeHalvesAndTheCentreLine) {
    auto& slope = As<SlopeControl>(kCtrlSlope);
    EXPECT_EQ(slope.LeftSegment(), Rect(460, 480, 510, 510));
    EXPECT_EQ(slope.RightSegment(), Rect(510, 480, 560, 510));
    Click(530, 495);
    EXPECT_DOUBLE_EQ(Value(kParamPoles), 1.0);
    EXPECT_EQ(plugin.edits, (Edits{"begin 7", "value 7 1", "end 7"}));
    Click(509.9f, 495);
    EXPECT_DOUBLE_EQ(Value(kParamPoles), 0.0);
    Click(510, 495);
    EXPECT_DOUBLE_EQ(Value(kParamPoles), 1.0);
    // Pressing the active half sends it again.
    plugin.edits.clear();
    Click(540, 495);
    EXPECT_EQ(plugin.edits, (Edits{"begin 7", "value 7 1", "end 7"}));
}

TEST_F(Controls, SlopeDrawsTheActiveHalfAmberAndTheOtherWithAShadow) {
    PaintOnly(kCtrlSlope);
    // 12dB active: body, outline; 24dB inactive: shadow, body, outline.
    ASSERT_EQ(graphics->fills.size(), 5u);
    EXPECT_EQ(graphics->fills[0].paint.ColorAt(460, 510), Color(255, 255, 160, 0));
    EXPECT_EQ(graphics->fills[2].paint.stops[0].color, Color(100, 0, 0, 0));
    EXPECT_EQ(graphics->fills[3].paint.ColorAt(510, 480), Color(255, 70, 70, 70));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"12dB", "24dB"}));

    Tick();
    Automate(kParamPoles, 1.0);
    EXPECT_TRUE(Redraws(Tick(), kCtrlSlope));
    PaintOnly(kCtrlSlope);
    ASSERT_EQ(graphics->fills.size(), 5u);
    EXPECT_EQ(graphics->fills[0].paint.stops[0].color, Color(100, 0, 0, 0));
    EXPECT_EQ(graphics->fills[3].paint.ColorAt(510, 510), Color(255, 255, 160, 0));
}

// ---- Bypass switch ----

TEST_F(Controls, BypassTogglesOnEachPress) {
    Click(670, 495);
    EXPECT_DOUBLE_EQ(Value(kParamBypass), 1.0);
    EXPECT_TRUE(As<SwitchButton>(kCtrlBypass).IsActive());
    Click(670, 495);
    EXPECT_DOUBLE_EQ(Value(kParamBypass), 0.0);
    EXPECT_EQ(plugin.edits,
              (Edits{"begin 8", "value 8 1", "end 8", "begin 8", "value 8 0", "end 8"}));
}

TEST_F(Controls, SwitchAtExactlyOneHalfIsOffAndTurnsOn) {
    auto& bypass = As<SwitchButton>(kCtrlBypass);
    bypass.StoreValue(0.5);
    EXPECT_FALSE(bypass.IsActive());
    Press(670, 495);
    EXPECT_DOUBLE_EQ(bypass.ReadValue(0), 1.0);
    Release(670, 495);
}

// ---- Host automation reaches every control ----

TEST_F(Controls, HostAutomationRedrawsTheMatchingKnob) {
    const int knobs[][2] = {{kCtrlCutoff, kParamCutoff}, {kCtrlResonance, kParamResonance},
                            {kCtrlInput, kParamInput},   {kCtrlDrive, kParamDrive},
                            {kCtrlMix, kParamMix},       {kCtrlOutput, kParamOutput}};
    for (const auto& k : knobs) {
        Tick();
        Automate(k[1], 0.25);
        std::vector<Rect> rects = Tick();
        EXPECT_TRUE(Redraws(rects, k[0])) << k[1];
        // No audio ran, so the display has nothing new to show.
        EXPECT_EQ(rects.size(), 1u) << "the knob only";
        EXPECT_DOUBLE_EQ(At(k[0]).ReadValue(0), 0.25);
    }
    Tick();
    Automate(kParamBypass, 1.0);
    EXPECT_TRUE(Redraws(Tick(), kCtrlBypass));
    EXPECT_TRUE(As<SwitchButton>(kCtrlBypass).IsActive());
    EXPECT_TRUE(plugin.edits.empty());
}

}  // namespace
}  // namespace testing
}  // namespace quendaris
