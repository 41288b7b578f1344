#include <gtest/gtest.h>

#include "ProbeControl.h"
#include "RecordingGraphics.h"
#include "TestDelegate.h"
#include "graphics/TextControl.h"

namespace quendaris {
namespace testing {
namespace {

class GraphicsTest : public ::testing::Test {
  protected:
    TestDelegate delegate;
    RecordingGraphics g{delegate};

    ProbeControl* Add(const Rect& r, int paramIdx = kNoParameter, int tag = kNoTag) {
        return static_cast<ProbeControl*>(g.AttachControl(new ProbeControl(r, paramIdx), tag));
    }
    std::vector<Rect> Tick() {
        g.invalidated.clear();
        g.DisplayTick();
        return g.invalidated.empty() ? std::vector<Rect>() : g.invalidated.back();
    }
};

// ---- control list ----

TEST_F(GraphicsTest, DuplicateTagAttachesOnlyTheFirstControl) {
    ProbeControl* first = Add(Rect(0, 0, 10, 10), kNoParameter, 5);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Add(Rect(0, 0, 20, 20), kNoParameter, 5), nullptr);
    EXPECT_EQ(g.NControls(), 1);
    EXPECT_EQ(g.GetControlWithTag(5), first);
    EXPECT_NE(Add(Rect(0, 0, 20, 20)), nullptr) << "untagged controls never clash";
}

TEST_F(GraphicsTest, AttachRunsTheLifecycleHooksInOrder) {
    struct Hooks : ProbeControl {
        using ProbeControl::ProbeControl;
        void HandleInit() override { calls.push_back(GetUI() ? "init" : "init detached"); }
        void HandleBoundsChanged() override { calls.push_back("bounds"); }
        void HandleRescale() override { calls.push_back("rescale"); }
        void HandleAttached() override {
            calls.push_back("attached at " + std::to_string(GetUI()->GetControlIdx(this)));
        }
    };
    auto* c = new Hooks(Rect(0, 0, 1, 1));
    g.AttachControl(c, kNoTag, "knobs");
    EXPECT_EQ(c->calls, std::vector<std::string>({"init", "bounds", "rescale", "attached at 0"}));
    EXPECT_EQ(c->GetGroup(), "knobs");
    EXPECT_EQ(c->GetDelegate(), &delegate);
}

TEST_F(GraphicsTest, BackgroundGoesInFrontOfEveryControlAtItsLogicalSize) {
    static const EmbeddedResource entries[] = {
        {"XBACK.PNGX", "PNG", reinterpret_cast<const unsigned char*>("799 651"), 7 + 1}};
    ResourceTable table{entries, 1};
    g.SetResourceTable(&table);
    ProbeControl* knob = Add(Rect(10, 10, 20, 20));
    Control* back = g.SetBackgroundBitmap("back.png");
    EXPECT_EQ(g.GetControl(0), back);
    EXPECT_EQ(g.GetControl(1), knob);
    EXPECT_EQ(back->GetRect(), Rect(0, 0, 799, 651));
    EXPECT_EQ(back->ParamOfSlot(0), kNoParameter);
}

TEST_F(GraphicsTest, SiblingsBoundToTheSameParameterFollowAnEdit) {
    ProbeControl* a = Add(Rect(0, 0, 10, 10), TestDelegate::kGain);
    ProbeControl* b = Add(Rect(20, 0, 30, 10), TestDelegate::kGain);
    ProbeControl* other = Add(Rect(40, 0, 50, 10), TestDelegate::kMode);
    a->ApplyUserValue(0.7, 0);
    EXPECT_DOUBLE_EQ(b->ReadValue(0), 0.7);
    EXPECT_DOUBLE_EQ(other->ReadValue(0), 0.0);
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 0 0.7"}));
}

TEST_F(GraphicsTest, HostValuesReachEveryBoundSlotButNotAHeldControl) {
    ProbeControl* a = Add(Rect(0, 0, 10, 10), TestDelegate::kGain);
    ProbeControl* b = Add(Rect(20, 0, 30, 10), TestDelegate::kGain);
    g.SetParamValueFromDelegate(TestDelegate::kGain, 0.4);
    EXPECT_DOUBLE_EQ(a->ReadValue(0), 0.4);
    EXPECT_DOUBLE_EQ(b->ReadValue(0), 0.4);
    g.OnPointerDown({{5, 5, 0, 0, KeyMods(true, false)}});
    g.SetParamValueFromDelegate(TestDelegate::kGain, 0.9);
    EXPECT_DOUBLE_EQ(a->ReadValue(0), 0.4) << "the user's drag wins over a host echo";
    EXPECT_DOUBLE_EQ(b->ReadValue(0), 0.9);
}

TEST_F(GraphicsTest, RemovingAllControlsDeletesThemAndForgetsTags) {
    Add(Rect(0, 0, 10, 10), kNoParameter, 1);
    Add(Rect(0, 0, 10, 10), kNoParameter, 2);
    g.RemoveAllControls();
    EXPECT_EQ(g.NControls(), 0);
    EXPECT_EQ(g.GetControlWithTag(1), nullptr);
    EXPECT_NE(Add(Rect(0, 0, 10, 10), kNoParameter, 1), nullptr);
}

TEST_F(GraphicsTest, AControlHeldByTheHostOutlivesTheEditorDetached) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    c->addRef();
    g.RemoveAllControls();
    EXPECT_EQ(c->GetUI(), nullptr);
    c->executeMenuItem(3);
    EXPECT_EQ(c->calls.back(), "item 3");
    c->release();
}

// ---- dirty rectangles ----

TEST_F(GraphicsTest, DirtyControlInvalidatesGrownDeviceRectangleAtScaleOne) {
    ProbeControl* c = Add(Rect(10, 10, 20, 20));
    (void)c;
    EXPECT_EQ(Tick(), std::vector<Rect>({Rect(9, 9, 21, 21)}));
    EXPECT_TRUE(Tick().empty()) << "collecting marks every control clean";
}

TEST_F(GraphicsTest, DirtyControlInvalidatesGrownDeviceRectangleAtScaleTwo) {
    ProbeControl* c = Add(Rect(10, 10, 20, 20));
    g.windowScale = 2.0f;
    g.SetScreenScale(2.0f);
    c->MarkClean();
    c->MarkDirty(false);
    EXPECT_EQ(Tick(), std::vector<Rect>({Rect(18, 18, 42, 42)}));
}

TEST_F(GraphicsTest, DirtyRectangleOfAChildIsClippedToItsParent) {
    ProbeControl* parent = Add(Rect(0, 0, 100, 100));
    ProbeControl* child = Add(Rect(90, 90, 120, 120));
    child->SetParent(parent);
    Tick();
    child->MarkDirty(false);
    EXPECT_EQ(Tick(), std::vector<Rect>({Rect(89, 89, 101, 101)}));
}

TEST_F(GraphicsTest, DisplayTickRunsTheTickCallbackAndAnimations) {
    int ticks = 0;
    int frames = 0;
    g.SetDisplayTickFunc([&] { ++ticks; });
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    Tick();
    c->SetAnimation([&](Control*) { ++frames; });
    EXPECT_EQ(Tick().size(), 1u);
    EXPECT_EQ(Tick().size(), 1u);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(frames, 2);
}

TEST_F(GraphicsTest, DisplayTickFollowsTheWindowScaleAndResizesTheEditor) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    g.open = true;
    Tick();
    g.windowScale = 1.5f;
    c->MarkClean();
    std::vector<Rect> rects = Tick();
    EXPECT_FLOAT_EQ(g.GetScreenScale(), 1.5f);
    ASSERT_FALSE(delegate.resizes.empty());
    EXPECT_EQ(delegate.resizes.back(), std::make_pair(1200, 870));
    EXPECT_EQ(g.BackingWidth(), 1200);
    EXPECT_EQ(g.RoundedScreenScale(), 2);
    EXPECT_EQ(rects.size(), 1u) << "every control is repainted after a scale change";
    EXPECT_GE(g.platformResizes, 1);
}

TEST_F(GraphicsTest, AnUnchangedScaleAsksForNoResize) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    g.open = true;
    c->MarkClean();
    g.SetScreenScale(1.0f);
    EXPECT_TRUE(delegate.resizes.empty()) << "the host keeps the size it was first told";
    EXPECT_FALSE(c->IsDirty());
    EXPECT_EQ(g.platformResizes, 0);
    g.SetScreenScale(0.0f);
    g.SetScreenScale(-1.0f);
    EXPECT_FLOAT_EQ(g.GetScreenScale(), 1.0f);
}

TEST_F(GraphicsTest, ScaleIsNotFollowedWhileThePointerIsCaptured) {
    Add(Rect(0, 0, 10, 10));
    g.OnPointerDown({{5, 5, 0, 0, KeyMods(true, false)}});
    g.windowScale = 2.0f;
    Tick();
    EXPECT_FLOAT_EQ(g.GetScreenScale(), 1.0f);
    g.OnPointerUp({{5, 5, 0, 0, KeyMods(false, false)}});
    Tick();
    EXPECT_FLOAT_EQ(g.GetScreenScale(), 2.0f);
}

TEST_F(GraphicsTest, EditorResizeClampsTheDrawScaleAndIgnoresNoChange) {
    Add(Rect(0, 0, 10, 10));
    g.Resize(800, 580, 1.0f, false);
    EXPECT_TRUE(delegate.resizes.empty());
    g.Resize(400, 300, 9.0f, false);
    EXPECT_FLOAT_EQ(g.DrawScale(), 4.0f);
    EXPECT_EQ(delegate.resizes.back(), std::make_pair(1600, 1200));
    EXPECT_FLOAT_EQ(g.CombinedScale(), 4.0f);
}

// ---- painting ----

TEST_F(GraphicsTest, DrawDirtyPaintsIntersectingControlsClippedToTheirGrownBounds) {
    Add(Rect(0, 0, 50, 50));
    Add(Rect(100, 100, 150, 150));
    g.ClearLog();
    g.DrawDirty({Rect(40, 40, 60, 60)});
    EXPECT_EQ(g.log.front(), "StartFrame");
    EXPECT_EQ(g.log.back(), "FinishFrame");
    EXPECT_EQ(g.Count("Clip"), 1u);
    EXPECT_EQ(g.Count("Clip 40 40 51 51"), 1u);
    EXPECT_EQ(g.GetClipRect(), Rect(40, 40, 51, 51));
    EXPECT_EQ(g.Count("Fill"), 1u);
}

TEST_F(GraphicsTest, DrawDirtyDropsRectanglesInsideOthers) {
    Add(Rect(0, 0, 100, 100));
    g.ClearLog();
    g.DrawDirty({Rect(10, 10, 20, 20), Rect(0, 0, 50, 50), Rect(0, 0, 50, 50)});
    EXPECT_EQ(g.Count("Fill"), 1u);
    g.ClearLog();
    g.DrawDirty({});
    EXPECT_TRUE(g.log.empty()) << "no frame without rectangles";
}

TEST_F(GraphicsTest, DrawDirtyAlignsRectanglesToDevicePixels) {
    Add(Rect(0, 0, 100, 100));
    g.SetScreenScale(2.0f);
    g.ClearLog();
    g.DrawDirty({Rect(10.2f, 10.2f, 20.2f, 20.2f)});
    EXPECT_EQ(g.Count("Clip 10 10 20.5 20.5"), 1u);
}

TEST_F(GraphicsTest, HiddenControlsAreSkippedExceptTheBackground) {
    ProbeControl* back = Add(Rect(0, 0, 100, 100));
    ProbeControl* knob = Add(Rect(0, 0, 10, 10));
    back->SetHidden(true);
    knob->SetHidden(true);
    g.ClearLog();
    g.DrawDirty({Rect(0, 0, 100, 100)});
    EXPECT_EQ(g.Count("Fill"), 1u);
}

TEST_F(GraphicsTest, EachControlPaintsUnderAFreshTransformAndPath) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    (void)c;
    g.PathTransformTranslate(5, 5);
    g.ClearLog();
    g.DrawDirty({Rect(0, 0, 10, 10)});
    EXPECT_DOUBLE_EQ(g.transform.tx, 0.0);
    EXPECT_EQ(g.log[1], "PathReset");
}

// ---- drawing operations ----

TEST_F(GraphicsTest, ShapesAreBuiltFromThePrimitives) {
    g.PaintRect(Color(255, 1, 2, 3), Rect(1, 2, 3, 4));
    EXPECT_EQ(g.log,
              std::vector<std::string>({"PathReset", "PathMove 1 2", "PathLine 3 2", "PathLine 3 4",
                                        "PathLine 1 4", "PathClose", "Fill 255 1 2 3 w1"}));
    g.ClearLog();
    g.PaintArc(Color(), 50, 50, 10, 45, 135);
    EXPECT_EQ(g.log,
              std::vector<std::string>({"PathReset", "PathMove 50 50", "PathArc 50 50 10 45 135 0",
                                        "PathClose", "Fill 255 0 0 0 w1"}));
    g.ClearLog();
    g.StrokeArc(Color(), 50, 50, 10, -135, 135, nullptr, 3);
    EXPECT_EQ(g.log, std::vector<std::string>(
                         {"PathReset", "PathArc 50 50 10 -135 135 0", "Stroke 3 255 0 0 0 w1"}));
    g.ClearLog();
    g.PaintCircle(Color(), 5, 6, 2);
    EXPECT_EQ(g.log, std::vector<std::string>({"PathReset", "PathMove 5 4", "PathArc 5 6 2 0 360 0",
                                               "PathClose", "Fill 255 0 0 0 w1"}));
    g.ClearLog();
    Blend half(0, 0.5f);
    g.StrokeLine(Color(255, 9, 9, 9), 0, 0, 10, 10, &half, 2);
    EXPECT_EQ(g.log, std::vector<std::string>({"PathReset", "PathMove 0 0", "PathLine 10 10",
                                               "Stroke 2 255 9 9 9 w0.5"}));
}

TEST_F(GraphicsTest, RoundRectangleTurnsClockwiseThroughItsFourCorners) {
    g.PaintRoundRect(Color(), Rect(0, 0, 100, 50), 5);
    EXPECT_EQ(g.log, std::vector<std::string>(
                         {"PathReset", "PathMove 0 5", "PathArc 5 5 5 270 360 0",
                          "PathArc 95 5 5 0 90 0", "PathArc 95 45 5 90 180 0",
                          "PathArc 5 45 5 180 270 0", "PathClose", "Fill 255 0 0 0 w1"}));
    g.ClearLog();
    g.StrokeRoundRect(Color(), Rect(0, 0, 10, 10), 0);
    EXPECT_EQ(g.Count("PathArc"), 0u) << "no radius is a plain rectangle";
    EXPECT_EQ(g.Count("PathLine"), 3u);
}

TEST_F(GraphicsTest, LinearGradientHasItsStopColoursAtItsEndsAndTheMixBetween) {
    Color top(255, 200, 0, 0);
    Color bottom(55, 0, 0, 200);
    PaintSource p = PaintSource::LinearGradient(0, 10, 0, 110, top, bottom);
    EXPECT_EQ(p.type, kPaintLinear);
    EXPECT_FLOAT_EQ(p.PositionAt(33, 10), 0.0f);
    EXPECT_FLOAT_EQ(p.PositionAt(-4, 110), 1.0f);
    EXPECT_EQ(p.ColorAt(0, 0), top);
    EXPECT_EQ(p.ColorAt(0, 10), top);
    EXPECT_EQ(p.ColorAt(0, 60), Color(155, 100, 0, 100));
    EXPECT_EQ(p.ColorAt(0, 110), bottom);
    EXPECT_EQ(p.ColorAt(0, 500), bottom);
    float x1, y1, x2, y2;
    p.GradientPoints(x1, y1, x2, y2);
    EXPECT_NEAR(x1, 0.0f, 1e-4f);
    EXPECT_NEAR(y1, 10.0f, 1e-4f);
    EXPECT_NEAR(x2, 0.0f, 1e-4f);
    EXPECT_NEAR(y2, 110.0f, 1e-4f);
}

TEST_F(GraphicsTest, DiagonalGradientIsConstantAcrossItsAxis) {
    PaintSource p =
        PaintSource::LinearGradient(10, 10, 40, 50, Color(255, 0, 0, 0), Color(255, 250, 0, 0));
    EXPECT_NEAR(p.PositionAt(25, 30), 0.5f, 1e-6f);
    // (25, 30) moved perpendicular to the direction (3, 4) by (4, -3).
    EXPECT_NEAR(p.PositionAt(29, 27), 0.5f, 1e-6f);
    EXPECT_EQ(p.ColorAt(25, 30).R, 125);
}

TEST_F(GraphicsTest, PlainColourArgumentsBecomeSolidPaint) {
    g.PaintRect(Color(128, 1, 2, 3), Rect(0, 0, 1, 1));
    ASSERT_EQ(g.fills.size(), 1u);
    EXPECT_EQ(g.fills[0].paint.type, kPaintSolid);
    EXPECT_EQ(g.fills[0].paint.nStops, 1);
    EXPECT_EQ(g.fills[0].paint.stops[0].color, Color(128, 1, 2, 3));
}

TEST_F(GraphicsTest, BitmapFramesAreDrawnOnlyForAValidBitmapAndDestination) {
    g.DrawBitmapFrame(BitmapRef(), Rect(0, 0, 10, 10), 0, 0);
    EXPECT_TRUE(g.log.empty());
}

// ---- text ----

TEST_F(GraphicsTest, TextAnchorsFollowTheAlignment) {
    g.fonts.insert("Roboto-Regular");
    Rect r(10, 20, 110, 60);
    struct Case {
        int align, valign;
        const char* expected;
    } cases[] = {
        {kAlignNear, kVAlignTop, "Text 'Hi' 10 20 a255 w1"},
        {kAlignCentre, kVAlignMiddle, "Text 'Hi' 60 40 a255 w1"},
        {kAlignFar, kVAlignBottom, "Text 'Hi' 110 60 a255 w1"},
    };
    for (const Case& k : cases) {
        TextStyle style;
        style.align = k.align;
        style.valign = k.valign;
        g.ClearLog();
        g.RenderText(style, "Hi", r);
        ASSERT_EQ(g.log.size(), 1u);
        EXPECT_EQ(g.log[0], k.expected);
    }
}

TEST_F(GraphicsTest, EmptyTextOrUnknownFontDrawsNothingAndMeasuresZero) {
    g.fonts.insert("Roboto-Regular");
    Rect r(0, 0, 100, 20);
    g.RenderText(TextStyle(), "", r);
    g.RenderText(TextStyle(), nullptr, r);
    EXPECT_EQ(g.MeasureTextExtent(TextStyle(), "", r), 0.0f);
    TextStyle unknown;
    unknown.SetFont("NoSuchFont");
    g.RenderText(unknown, "text", r);
    EXPECT_EQ(g.MeasureTextExtent(unknown, "text", r), 0.0f);
    EXPECT_TRUE(g.log.empty());
    EXPECT_EQ(r, Rect(0, 0, 100, 20));
}

TEST_F(GraphicsTest, MeasureTextExtentAnswersTheBoundsAtTheAnchor) {
    g.fonts.insert("Roboto-Regular");
    TextStyle style;
    style.align = kAlignNear;
    style.valign = kVAlignTop;
    Rect r(10, 10, 200, 50);
    EXPECT_FLOAT_EQ(g.MeasureTextExtent(style, "abcd", r), 28.0f);
    EXPECT_EQ(r, Rect(10, 10, 38, 24));
}

TEST_F(GraphicsTest, RotatedTextIsAlignedByItsRotatedBox) {
    g.fonts.insert("Roboto-Regular");
    TextStyle style;
    style.angle = 90.0f;
    style.align = kAlignNear;
    style.valign = kVAlignTop;
    Rect r(100, 100, 200, 300);
    Rect measured = r;
    // 28 x 14 text turned a quarter: a 14 x 28 box at the rectangle's top-left.
    EXPECT_NEAR(g.MeasureTextExtent(style, "abcd", measured), 14.0f, 1e-4f);
    EXPECT_NEAR(measured.L, 100.0f, 1e-4f);
    EXPECT_NEAR(measured.T, 100.0f, 1e-4f);
    EXPECT_NEAR(measured.R, 114.0f, 1e-4f);
    EXPECT_NEAR(measured.B, 128.0f, 1e-4f);

    g.ClearLog();
    g.RenderText(style, "abcd", r);
    ASSERT_EQ(g.Count("Text 'abcd' 100 100"), 1u);
    EXPECT_DOUBLE_EQ(g.transform.tx, 0.0) << "the transform is restored after the text";
    EXPECT_DOUBLE_EQ(g.transform.xx, 1.0);
}

TEST_F(GraphicsTest, RotatedTextLandsInsideItsRectangle) {
    g.fonts.insert("Roboto-Regular");
    struct Capture : RecordingGraphics {
        using RecordingGraphics::RecordingGraphics;
        void DrawTextAt(const TextStyle& style, const char* str, float x, float y,
                        const Blend* blend) override {
            Rect b;
            MeasureTextAt(style, str, x, y, b);
            double xs[4] = {b.L, b.R, b.R, b.L};
            double ys[4] = {b.T, b.T, b.B, b.B};
            box = Rect(1e9f, 1e9f, -1e9f, -1e9f);
            for (int i = 0; i < 4; ++i) {
                transform.TransformPoint(xs[i], ys[i]);
                box = Rect(std::min(box.L, float(xs[i])), std::min(box.T, float(ys[i])),
                           std::max(box.R, float(xs[i])), std::max(box.B, float(ys[i])));
            }
            RecordingGraphics::DrawTextAt(style, str, x, y, blend);
        }
        Rect box;
    };
    Capture c(delegate);
    c.fonts.insert("Roboto-Regular");
    Rect r(100, 100, 300, 200);
    for (float angle : {30.0f, -45.0f, 90.0f, 180.0f}) {
        for (int align : {kAlignNear, kAlignCentre, kAlignFar}) {
            TextStyle style;
            style.angle = angle;
            style.align = align;
            style.valign = align;
            c.RenderText(style, "Cutoff", r);
            EXPECT_TRUE(Rect(r.L - 1e-3f, r.T - 1e-3f, r.R + 1e-3f, r.B + 1e-3f).Contains(c.box))
                << angle << " " << align;
            Rect measured = r;
            c.MeasureTextExtent(style, "Cutoff", measured);
            EXPECT_NEAR(measured.L, c.box.L, 1e-3f);
            EXPECT_NEAR(measured.B, c.box.B, 1e-3f);
        }
    }
}

}  // namespace
}  // namespace testing
}  // namespace quendaris
