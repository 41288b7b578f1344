#include <gtest/gtest.h>

#include <stdexcept>

#include "ProbeControl.h"
#include "RecordingGraphics.h"
#include "TestDelegate.h"
#include "graphics/BitmapControl.h"
#include "graphics/TextControl.h"

namespace quendaris {
namespace testing {
namespace {

class ControlTest : public ::testing::Test {
  protected:
    TestDelegate delegate;
    RecordingGraphics g{delegate};

    ProbeControl* Add(const Rect& r, int paramIdx = kNoParameter, int tag = kNoTag) {
        return static_cast<ProbeControl*>(g.AttachControl(new ProbeControl(r, paramIdx), tag));
    }
};

TEST_F(ControlTest, OneSlotControlAddressesSlotZeroForEveryRequest) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10), TestDelegate::kGain);
    EXPECT_EQ(c->SlotAtPoint(3, 3), 0);
    c->StoreValue(0.4, 0);
    c->MarkDirty(true, kAllSlots);
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 0 0.4"}));
}

TEST_F(ControlTest, MultiSlotControlAnswersNoSlotAtPointAndSendsEveryBoundSlot) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10), TestDelegate::kGain);
    c->AddSlot(TestDelegate::kWidth);
    c->AddSlot(kNoParameter);
    EXPECT_EQ(c->SlotAtPoint(3, 3), -1);
    c->StoreValue(0.5, kAllSlots);
    c->MarkDirty(true, kAllSlots);
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 0 0.5", "value 3 0.5"}));
    delegate.edits.clear();
    c->MarkDirty(true, 1);
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 3 0.5"}));
}

TEST_F(ControlTest, MarkDirtyClampsBeforeSending) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10), TestDelegate::kGain);
    c->StoreValue(1.2, 0);
    c->MarkDirty(true, 0);
    EXPECT_EQ(c->ReadValue(0), 1.0);
    c->StoreValue(-0.1, 0);
    c->MarkDirty(true, 0);
    EXPECT_EQ(c->ReadValue(0), 0.0);
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 0 1", "value 0 0"}));
    EXPECT_DOUBLE_EQ(delegate.GetParam(TestDelegate::kGain)->Value(), 0.0);
}

TEST_F(ControlTest, MarkDirtyWithoutTriggerNeverReachesDelegateOrAction) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10), TestDelegate::kGain);
    int actions = 0;
    c->SetActionFunction([&](Control*) { ++actions; });
    c->MarkClean();
    c->StoreValue(1.5, 0);
    c->MarkDirty(false, 0);
    EXPECT_TRUE(c->IsDirty());
    EXPECT_EQ(c->ReadValue(0), 1.0);
    EXPECT_TRUE(delegate.edits.empty());
    EXPECT_EQ(actions, 0);
    c->MarkDirty(true, 0);
    EXPECT_EQ(actions, 1);
}

TEST_F(ControlTest, ApplyingTheStoredValueAgainDoesNothing) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10), TestDelegate::kGain);
    c->ApplyUserValue(0.3, 0);
    EXPECT_EQ(delegate.edits.size(), 1u);
    c->MarkClean();
    c->ApplyUserValue(0.3, 0);
    c->ApplyDelegateValue(0.3, 0);
    EXPECT_FALSE(c->IsDirty());
    EXPECT_EQ(delegate.edits.size(), 1u);
    c->ApplyDelegateValue(0.6, 0);
    EXPECT_TRUE(c->IsDirty());
    EXPECT_EQ(c->ReadValue(0), 0.6);
    EXPECT_EQ(delegate.edits.size(), 1u) << "host values are not sent back";
}

TEST_F(ControlTest, HitTestExcludesRightAndBottomEdgesAndAllZeroTargets) {
    ProbeControl* c = Add(Rect(10, 20, 30, 40));
    EXPECT_TRUE(c->HitTest(10, 20));
    EXPECT_TRUE(c->HitTest(29.99f, 39.99f));
    EXPECT_FALSE(c->HitTest(30, 25));
    EXPECT_FALSE(c->HitTest(15, 40));
    ProbeControl* zero = Add(Rect(0, 0, 0, 0));
    EXPECT_FALSE(zero->HitTest(0, 0));
    zero->SetTargetRect(Rect(0, 0, 5, 5));
    EXPECT_TRUE(zero->HitTest(0, 0));
}

TEST_F(ControlTest, InactiveControlDrawsAtAQuarterOfItsAlpha) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    c->SetInactive(true);
    EXPECT_TRUE(c->IsDisabled());
    g.ClearLog();
    g.DrawDirty({Rect(0, 0, 10, 10)});
    ASSERT_EQ(g.fills.size(), 1u);
    EXPECT_FLOAT_EQ(g.fills[0].weight, 0.25f);
    c->SetInactive(false);
    g.ClearLog();
    g.DrawDirty({Rect(0, 0, 10, 10)});
    ASSERT_EQ(g.fills.size(), 1u);
    EXPECT_FLOAT_EQ(g.fills[0].weight, 1.0f);
}

TEST_F(ControlTest, BindParamOutsideTheSlotsThrowsAndChangesNothing) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    EXPECT_THROW(c->BindParam(TestDelegate::kGain, 1), std::out_of_range);
    EXPECT_EQ(c->ParamOfSlot(0), kNoParameter);
    c->BindParam(TestDelegate::kGain, 0);
    EXPECT_EQ(c->ParamOfSlot(0), TestDelegate::kGain);
    EXPECT_NE(c->ParamObject(0), nullptr);
    c->BindParam(99, 0);
    EXPECT_EQ(c->ParamObject(0), nullptr) << "unknown parameter index";
}

TEST_F(ControlTest, ResetToDefaultStoresTheNormalisedDefaultAndSendsIt) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10), TestDelegate::kGain);
    c->StoreValue(0.9, 0);
    c->ResetToDefault(kAllSlots);
    EXPECT_DOUBLE_EQ(c->ReadValue(0), 0.25);
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 0 0.25"}));
}

TEST_F(ControlTest, SetValueFromPointRoundsToThousandthsAndClampsToTheLimits) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10), TestDelegate::kGain);
    Rect strip(100, 100, 400, 200);
    c->SetValueFromPoint(200, 0, Control::kHorizontal, strip, 0);
    EXPECT_DOUBLE_EQ(c->ReadValue(0), 0.333);
    c->SetValueFromPoint(500, 0, Control::kHorizontal, strip, 0, 0.0, 0.8);
    EXPECT_DOUBLE_EQ(c->ReadValue(0), 0.8);
    c->SetValueFromPoint(0, 125, Control::kVertical, strip, 0);
    EXPECT_DOUBLE_EQ(c->ReadValue(0), 0.75) << "vertical: top is 1";
    c->SetValueFromPoint(0, 900, Control::kVertical, strip, 0);
    EXPECT_DOUBLE_EQ(c->ReadValue(0), 0.0);
    EXPECT_EQ(delegate.edits.size(), 4u);
}

TEST_F(ControlTest, MoveAndResizeKeepTheTargetOffsetAndClampNegativeValues) {
    ProbeControl* c = Add(Rect(10, 10, 30, 20));
    c->SetTargetRect(Rect(12, 12, 28, 18));
    c->MoveTo(-5, 40);
    EXPECT_EQ(c->GetRect(), Rect(0, 40, 20, 50));
    EXPECT_EQ(c->GetTargetRect(), Rect(2, 42, 18, 48));
    c->ResizeTo(-3, 7);
    EXPECT_EQ(c->GetRect(), Rect(0, 40, 0, 47));
    EXPECT_EQ(c->GetTargetRect(), c->GetRect());
}

TEST_F(ControlTest, HoverMarksDirtyOnlyOnChange) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    c->MarkClean();
    c->HandleHoverEnter(1, 1, KeyMods());
    EXPECT_TRUE(c->IsDirty());
    c->MarkClean();
    c->HandleHoverEnter(2, 2, KeyMods());
    EXPECT_FALSE(c->IsDirty());
    c->HandleHoverLeave();
    EXPECT_TRUE(c->IsDirty());
    EXPECT_FALSE(c->PointerIsOver());
}

TEST_F(ControlTest, AnimationKeepsRedrawingUntilFinished) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    int ended = 0;
    c->SetAnimation([](Control*) {});
    c->SetAnimationEndFunction([&](Control*) { ++ended; });
    c->MarkClean();
    EXPECT_TRUE(c->NeedsRedraw());
    c->FinishAnimation();
    EXPECT_EQ(ended, 1);
    EXPECT_FALSE(c->HasAnimation());
    c->MarkClean();
    EXPECT_FALSE(c->NeedsRedraw());
}

TEST_F(ControlTest, GestureHandlersAreLookedUpByType) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    EXPECT_FALSE(c->WantsGestures());
    int pinches = 0;
    c->AttachGestureHandler(kGesturePinch, [&](Control*, const GestureInfo&) { ++pinches; });
    EXPECT_TRUE(c->WantsGestures());
    GestureInfo swipe;
    swipe.type = kGestureSwipeLeft;
    EXPECT_FALSE(c->HandleGesture(0, 0, swipe));
    GestureInfo pinch;
    pinch.type = kGesturePinch;
    EXPECT_TRUE(c->HandleGesture(0, 0, pinch));
    EXPECT_EQ(pinches, 1);
    EXPECT_EQ(c->LastGesture(), kGesturePinch);
}

TEST_F(ControlTest, MenuChoiceOfAnEnumBecomesItsNormalisedIndex) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10), TestDelegate::kMode);
    PopupMenu menu;
    menu.items = {"A", "B", "C"};
    menu.chosen = 2;
    c->HandleMenuChoice(&menu, 0);
    EXPECT_DOUBLE_EQ(c->ReadValue(0), 1.0);
    c->HandleMenuChoice(nullptr, 0);
    EXPECT_DOUBLE_EQ(c->ReadValue(0), 1.0);
}

TEST_F(ControlTest, ContextMenuItemReachesTheControl) {
    ProbeControl* c = Add(Rect(0, 0, 10, 10));
    Steinberg::Vst::IContextMenuTarget* target = c;
    EXPECT_EQ(target->executeMenuItem(42), Steinberg::kResultOk);
    EXPECT_EQ(c->calls, std::vector<std::string>({"item 42"}));
    void* obj = nullptr;
    EXPECT_EQ(c->queryInterface(Steinberg::Vst::IContextMenuTarget::iid, &obj),
              Steinberg::kResultOk);
    EXPECT_EQ(obj, static_cast<void*>(target));
    c->release();
    EXPECT_STREQ(c->isA(), "Control");
}

TEST_F(ControlTest, HostHighlightPaintsASmallCircleAtTheTopRight) {
    ProbeControl* c = Add(Rect(10, 10, 50, 30));
    c->PaintHostHighlight(g);
    EXPECT_TRUE(g.log.empty());
    c->SetHostHighlight(true, Color(255, 255, 0, 0));
    c->PaintHostHighlight(g);
    ASSERT_GE(g.log.size(), 2u);
    EXPECT_EQ(g.log[1], "PathMove 45 13");
}

// ---- BitmapControl ----

TEST_F(ControlTest, BitmapControlWithThreeFramesPicksByValue) {
    BitmapRef bitmap;
    static testing::FakeBitmap pixels(30, 90, 1, "strip");
    bitmap.bitmap = &pixels;
    bitmap.w = 30;
    bitmap.h = 90;
    bitmap.nFrames = 3;
    bitmap.resourceName = "strip.png";
    auto* c = new BitmapControl(Rect(0, 0, 30, 30), bitmap);
    g.AttachControl(c);
    struct Case {
        double value;
        int frame;
    } cases[] = {{0.0, 1}, {0.24, 1}, {0.25, 2}, {0.5, 2}, {0.74, 2}, {0.75, 3}, {1.0, 3}};
    for (const Case& k : cases) {
        c->StoreValue(k.value, 0);
        EXPECT_EQ(c->FrameIndex(), k.frame) << k.value;
    }
    c->StoreValue(0.8, 0);
    g.ClearLog();
    c->Paint(g);
    ASSERT_EQ(g.log.size(), 1u);
    EXPECT_EQ(g.log[0], "Bitmap strip.png 0 0 30 30 src 0 60 w1");
}

TEST_F(ControlTest, BitmapControlCentresHorizontalFrames) {
    static testing::FakeBitmap pixels(40, 10, 1, "row");
    BitmapRef bitmap;
    bitmap.bitmap = &pixels;
    bitmap.w = 40;
    bitmap.h = 10;
    bitmap.nFrames = 4;
    bitmap.framesHorizontal = true;
    bitmap.resourceName = "row.png";
    auto* c = new BitmapControl(Rect(100, 100, 120, 120), bitmap);
    g.AttachControl(c);
    c->StoreValue(1.0, 0);
    g.ClearLog();
    c->Paint(g);
    ASSERT_EQ(g.log.size(), 1u);
    EXPECT_EQ(g.log[0], "Bitmap row.png 105 105 115 115 src 30 0 w1");
}

// ---- TextControl ----

TEST_F(ControlTest, TextControlIsTransparentToThePointerAndBindsNothing) {
    TextControl label(Rect(0, 0, 50, 20), "Cutoff");
    EXPECT_TRUE(label.IsMouseTransparent());
    EXPECT_EQ(label.ParamOfSlot(0), kNoParameter);
}

TEST_F(ControlTest, SetLabelWithTheSameStringDoesNotMarkDirty) {
    auto* label =
        static_cast<TextControl*>(g.AttachControl(new TextControl(Rect(0, 0, 50, 20), "Mix")));
    label->MarkClean();
    label->SetLabel("Mix");
    EXPECT_FALSE(label->IsDirty());
    label->SetLabel("Drive");
    EXPECT_TRUE(label->IsDirty());
    EXPECT_EQ(label->GetLabel(), "Drive");
    label->SetLabelFormatted(4, "%d Hz", 12345);
    EXPECT_EQ(label->GetLabel(), "1234");
    label->ClearLabel();
    EXPECT_EQ(label->GetLabel(), "");
}

TEST_F(ControlTest, TextControlPaintsBackgroundThenTextUnlessEmpty) {
    g.fonts.insert("Roboto-Regular");
    auto* label = static_cast<TextControl*>(g.AttachControl(
        new TextControl(Rect(0, 0, 50, 20), "Mix", TextStyle(), Color(255, 1, 2, 3))));
    g.ClearLog();
    label->Paint(g);
    EXPECT_EQ(g.Count("Fill 255 1 2 3"), 1u);
    EXPECT_EQ(g.Count("Text 'Mix' 25 10"), 1u);
    label->ClearLabel();
    g.ClearLog();
    label->Paint(g);
    EXPECT_EQ(g.Count("Text"), 0u);
}

TEST_F(ControlTest, SizeToStringCentresTheMeasuredSizeOnTheOldCentre) {
    g.fonts.insert("Roboto-Regular");
    auto* label = static_cast<TextControl*>(
        g.AttachControl(new TextControl(Rect(0, 0, 100, 40), "abcd", TextStyle(), Color(), true)));
    // Four characters of 14 px text: 28 x 14.
    EXPECT_EQ(label->GetRect(), Rect(36, 13, 64, 27));
    EXPECT_EQ(label->GetTargetRect(), label->GetRect());
    label->SetLabel("ab");
    EXPECT_EQ(label->GetRect(), Rect(43, 13, 57, 27));
}

}  // namespace
}  // namespace testing
}  // namespace quendaris
