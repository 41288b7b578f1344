#include <gtest/gtest.h>

#include "ProbeControl.h"
#include "RecordingGraphics.h"
#include "TestDelegate.h"
#include "graphics/EditorHost.h"

namespace quendaris {
namespace testing {
namespace {

// Pointer lists as a window layer builds them: one event per mouse message.
PointerEvent Mouse(float x, float y, bool left = true, bool right = false, float dX = 0,
                   float dY = 0) {
    PointerEvent e;
    e.x = x;
    e.y = y;
    e.dX = dX;
    e.dY = dY;
    e.mods = KeyMods(left, right);
    return e;
}

PointerEvent Touch(uint64_t id, float x, float y, float dX = 0, float dY = 0) {
    PointerEvent e = Mouse(x, y, true, false, dX, dY);
    e.mods.pointerId = id;
    return e;
}

// The format adapter's side of the context menu, noting what it was asked.
struct MenuHost : EditorHost {
    bool PopupHostContextMenu(int paramIdx, int x, int y, const std::vector<ContextMenuItem>& items,
                              Steinberg::Vst::IContextMenuTarget* target) override {
        char line[64];
        std::snprintf(line, sizeof(line), "menu %d at %d %d, %zu items", paramIdx, x, y,
                      items.size());
        calls.emplace_back(line);
        if (chooseFirst && !items.empty())
            target->executeMenuItem(items[0].tag);
        return true;
    }
    std::vector<std::string> calls;
    bool chooseFirst = false;
};

class EventRoutingTest : public ::testing::Test {
  protected:
    TestDelegate delegate;
    RecordingGraphics g{delegate};

    ProbeControl* Add(const Rect& r, int paramIdx = kNoParameter) {
        return static_cast<ProbeControl*>(g.AttachControl(new ProbeControl(r, paramIdx)));
    }
    // A control that turns vertical drags into value changes, as a knob does.
    struct Knob : ProbeControl {
        using ProbeControl::ProbeControl;
        void HandleDrag(float x, float y, float dX, float dY, const KeyMods& mod) override {
            ProbeControl::HandleDrag(x, y, dX, dY, mod);
            StoreValue(ReadValue(0) - dY / 100.0, 0);
            MarkDirty(true, 0);
        }
    };
};

TEST_F(EventRoutingTest, PressDragReleaseSendsBeginValuesEnd) {
    auto* knob =
        static_cast<Knob*>(g.AttachControl(new Knob(Rect(0, 0, 50, 50), TestDelegate::kGain)));
    g.OnPointerDown({Mouse(25, 25)});
    g.OnPointerDrag({Mouse(25, 15, true, false, 0, -10)});
    g.OnPointerDrag({Mouse(25, 15, true, false, 0, 0)});
    g.OnPointerDrag({Mouse(25, 10, true, false, 0, -5)});
    g.OnPointerUp({Mouse(25, 10, false)});
    EXPECT_EQ(delegate.edits,
              std::vector<std::string>({"begin 0", "value 0 0.1", "value 0 0.15", "end 0"}));
    EXPECT_EQ(knob->calls, std::vector<std::string>({"press 25 25", "drag 25 15 d 0 -10",
                                                     "drag 25 10 d 0 -5", "release 25 10"}));
    EXPECT_NEAR(delegate.GetParam(TestDelegate::kGain)->Value(), 15.0, 1e-9)
        << "the parameter follows every change at once";
}

TEST_F(EventRoutingTest, LaterOfTwoOverlappingControlsGetsThePress) {
    ProbeControl* below = Add(Rect(0, 0, 50, 50));
    ProbeControl* above = Add(Rect(25, 25, 75, 75));
    g.OnPointerDown({Mouse(30, 30)});
    EXPECT_TRUE(below->calls.empty());
    EXPECT_EQ(above->calls, std::vector<std::string>({"press 30 30"}));
    float px = 0.0f;
    float py = 0.0f;
    g.PressPosition(px, py);
    EXPECT_EQ(px, 30.0f);
    EXPECT_EQ(py, 30.0f);
    g.OnPointerDown({Mouse(10, 10)});
    EXPECT_EQ(below->calls.size(), 0u) << "the first press still holds the pointer";
    g.OnPointerUp({Mouse(10, 10, false)});
    g.OnPointerDown({Mouse(10, 10)});
    EXPECT_EQ(below->calls, std::vector<std::string>({"press 10 10"}));
}

TEST_F(EventRoutingTest, HiddenTransparentAndDisabledControlsLetThePointerThrough) {
    ProbeControl* base = Add(Rect(0, 0, 100, 100));
    ProbeControl* hidden = Add(Rect(0, 0, 100, 100));
    ProbeControl* transparent = Add(Rect(0, 0, 100, 100));
    ProbeControl* disabled = Add(Rect(0, 0, 100, 100));
    hidden->SetHidden(true);
    transparent->SetMouseTransparent(true);
    disabled->SetInactive(true);
    EXPECT_EQ(g.FindControlAt(5, 5, false, false), base);
    disabled->SetPointerEventsWhenDisabled(true);
    EXPECT_EQ(g.FindControlAt(5, 5, false, false), disabled);
    EXPECT_EQ(g.FindControlAt(500, 5, false, false), nullptr);
}

TEST_F(EventRoutingTest, RightClickOnAParameterOpensTheHostMenuAndNeverPresses) {
    MenuHost host;
    host.chooseFirst = true;
    g.SetEditorHost(&host);
    g.SetScreenScale(2.0f);
    ProbeControl* knob = Add(Rect(0, 0, 50, 50), TestDelegate::kGain);
    g.OnPointerDown({Mouse(10.6f, 20.2f, false, true)});
    EXPECT_EQ(host.calls, std::vector<std::string>({"menu 0 at 21 40, 1 items"}));
    EXPECT_EQ(knob->calls, std::vector<std::string>({"item 7"}));
    EXPECT_TRUE(delegate.edits.empty());
    EXPECT_EQ(g.CapturedControl(), nullptr);
    g.OnPointerUp({Mouse(10, 20, false)});
    EXPECT_TRUE(delegate.edits.empty()) << "no end edit for a right click";
}

TEST_F(EventRoutingTest, RightClickWithoutAHostMenuIsSilentlyIgnored) {
    ProbeControl* knob = Add(Rect(0, 0, 50, 50), TestDelegate::kGain);
    g.OnPointerDown({Mouse(10, 10, false, true)});
    EXPECT_TRUE(knob->calls.empty());
    EXPECT_TRUE(delegate.edits.empty());
}

TEST_F(EventRoutingTest, RightClickOnAControlWithoutAParameterReachesItsPress) {
    MenuHost host;
    g.SetEditorHost(&host);
    ProbeControl* plain = Add(Rect(0, 0, 50, 50));
    g.OnPointerDown({Mouse(10, 10, false, true)});
    EXPECT_EQ(plain->calls, std::vector<std::string>({"press 10 10"}));
    EXPECT_TRUE(host.calls.empty());
}

TEST_F(EventRoutingTest, ReleaseEndsTheEditOncePerBoundSlotAfterThePointerLeft) {
    ProbeControl* c = Add(Rect(0, 0, 50, 50), TestDelegate::kGain);
    c->AddSlot(TestDelegate::kWidth);
    c->AddSlot(kNoParameter);
    g.OnPointerDown({Mouse(10, 10)});
    g.OnPointerDrag({Mouse(300, 300, true, false, 290, 290)});
    g.OnPointerUp({Mouse(300, 300, false)});
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"begin 0", "begin 3", "end 0", "end 3"}));
    EXPECT_EQ(c->calls.back(), "release 300 300");
    EXPECT_EQ(g.CapturedControl(), nullptr);
}

TEST_F(EventRoutingTest, DragsWithoutACaptureOrMovementAreNotDelivered) {
    ProbeControl* c = Add(Rect(0, 0, 50, 50));
    g.OnPointerDrag({Mouse(10, 10, true, false, 5, 5)});
    EXPECT_TRUE(c->calls.empty());
    g.OnPointerDown({Mouse(10, 10)});
    g.OnPointerDrag({Mouse(10, 10, true, false, 0, 0)});
    EXPECT_EQ(c->calls, std::vector<std::string>({"press 10 10"}));
}

TEST_F(EventRoutingTest, DoubleClickResetsWithoutBeginOrEndAndTheNextReleaseIsNotDelivered) {
    ProbeControl* c = Add(Rect(0, 0, 50, 50), TestDelegate::kGain);
    c->ApplyUserValue(0.9, 0);
    delegate.edits.clear();
    g.OnPointerDown({Mouse(10, 10)});
    g.OnPointerUp({Mouse(10, 10, false)});
    delegate.edits.clear();
    c->calls.clear();
    EXPECT_TRUE(g.OnPointerDoubleClick(10, 10, KeyMods(true, false)));
    g.OnPointerUp({Mouse(10, 10, false)});
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 0 0.25"}));
    EXPECT_EQ(c->calls, std::vector<std::string>({"double 10 10"}));
    EXPECT_FALSE(g.OnPointerDoubleClick(400, 400, KeyMods(true, false)));
}

TEST_F(EventRoutingTest, DoubleClickAsPressIsAPress) {
    ProbeControl* c = Add(Rect(0, 0, 50, 50), TestDelegate::kGain);
    c->SetDoubleClickAsPress(true);
    EXPECT_TRUE(g.OnPointerDoubleClick(10, 10, KeyMods(true, false)));
    g.OnPointerUp({Mouse(10, 10, false)});
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"begin 0", "end 0"}));
    EXPECT_EQ(c->calls.front(), "press 10 10");
}

TEST_F(EventRoutingTest, WheelNotchesGoToTheControlUnderThePointer) {
    Add(Rect(0, 0, 50, 50));
    ProbeControl* top = Add(Rect(0, 0, 20, 20));
    EXPECT_TRUE(g.OnPointerWheel(10, 10, KeyMods(), -2.0f));
    EXPECT_FALSE(g.OnPointerWheel(100, 100, KeyMods(), 1.0f));
    EXPECT_EQ(top->calls, std::vector<std::string>({"wheel -2"}));
}

TEST_F(EventRoutingTest, HoverNeedsMouseOverAndNeverPicksTheBackground) {
    ProbeControl* back = Add(Rect(0, 0, 100, 100));
    ProbeControl* knob = Add(Rect(10, 10, 20, 20));
    EXPECT_FALSE(g.OnPointerOver(15, 15, KeyMods()));
    g.EnableMouseOver(true);
    EXPECT_TRUE(g.OnPointerOver(15, 15, KeyMods()));
    EXPECT_EQ(g.HoveredControl(), knob);
    EXPECT_EQ(g.HoveredIndex(), 1);
    EXPECT_FALSE(g.OnPointerOver(50, 50, KeyMods()));
    EXPECT_EQ(knob->calls, std::vector<std::string>({"enter", "leave"}));
    EXPECT_TRUE(back->calls.empty());
    g.OnPointerOver(15, 15, KeyMods());
    g.OnPointerOut();
    EXPECT_EQ(g.HoveredControl(), nullptr);
    EXPECT_EQ(knob->calls.back(), "leave");
    EXPECT_FALSE(knob->PointerIsOver());
    EXPECT_EQ(g.GetCursor(), kCursorArrow);
}

TEST_F(EventRoutingTest, ReleaseRecomputesHoverForTheMouse) {
    g.EnableMouseOver(true);
    Add(Rect(0, 0, 100, 100));
    ProbeControl* a = Add(Rect(10, 10, 20, 20));
    ProbeControl* b = Add(Rect(30, 10, 40, 20));
    g.OnPointerDown({Mouse(15, 15)});
    g.OnPointerDrag({Mouse(35, 15, true, false, 20, 0)});
    g.OnPointerUp({Mouse(35, 15, false)});
    EXPECT_EQ(g.HoveredControl(), b);
    EXPECT_EQ(b->calls, std::vector<std::string>({"enter"}));
    EXPECT_EQ(a->calls.back(), "release 35 15");
}

TEST_F(EventRoutingTest, TouchPointersAreCapturedSeparately) {
    ProbeControl* left = Add(Rect(0, 0, 50, 50));
    ProbeControl* right = Add(Rect(100, 0, 150, 50));
    g.OnPointerDown({Touch(1, 10, 10), Touch(2, 110, 10)});
    g.OnPointerDrag({Touch(1, 12, 10, 2, 0), Touch(2, 110, 13, 0, 3)});
    g.OnPointerUp({Touch(2, 110, 13)});
    g.OnPointerDrag({Touch(1, 14, 10, 2, 0), Touch(2, 110, 16, 0, 3)});
    g.OnPointerUp({Touch(1, 14, 10)});
    EXPECT_EQ(left->calls, std::vector<std::string>({"press 10 10", "drag 12 10 d 2 0",
                                                     "drag 14 10 d 2 0", "release 14 10"}));
    EXPECT_EQ(right->calls,
              std::vector<std::string>({"press 110 10", "drag 110 13 d 0 3", "release 110 13"}));
}

TEST_F(EventRoutingTest, LockedHiddenCursorReturnsToItsLockPositionAfterEachDrag) {
    struct Hider : ProbeControl {
        using ProbeControl::ProbeControl;
        void HandlePress(float x, float y, const KeyMods& mod) override {
            ProbeControl::HandlePress(x, y, mod);
            GetUI()->HideCursor(true, true);
        }
    };
    g.AttachControl(new Hider(Rect(0, 0, 50, 50)));
    g.OnPointerDown({Mouse(10, 20)});
    g.ClearLog();
    g.OnPointerDrag({Mouse(10, 25, true, false, 0, 5)});
    EXPECT_EQ(g.log, std::vector<std::string>({"MoveCursor 10 20"}));
    g.OnPointerDoubleClick(10, 20, KeyMods(true, false));
    EXPECT_FALSE(g.CursorHidden()) << "a double click shows the cursor again";
}

TEST_F(EventRoutingTest, KeysGoToTheControlUnderThePointerThenTheKeyHandler) {
    Add(Rect(0, 0, 100, 100));
    ProbeControl* knob = Add(Rect(10, 10, 20, 20));
    KeyEvent key;
    key.vk = 65;
    std::vector<std::string> handled;
    g.SetKeyHandlerFunc([&](const KeyEvent& k, bool up) {
        handled.push_back(std::to_string(k.vk) + (up ? " up" : " down"));
        return k.vk == 65;
    });
    EXPECT_TRUE(g.OnKeyDown(15, 15, key));
    EXPECT_EQ(knob->calls, std::vector<std::string>({"key 65"}));
    knob->takesKeys = true;
    EXPECT_TRUE(g.OnKeyDown(15, 15, key));
    EXPECT_EQ(handled, std::vector<std::string>({"65 down"}));
    EXPECT_TRUE(g.OnKeyDown(50, 50, key)) << "the background never takes keys";
    key.vk = 66;
    EXPECT_FALSE(g.OnKeyUp(50, 50, key));
    EXPECT_EQ(handled.back(), "66 up");
    g.SetKeyHandlerFunc(nullptr);
    EXPECT_FALSE(g.OnKeyDown(50, 50, key)) << "unhandled keys go to the host";
}

TEST_F(EventRoutingTest, TypedValueIsParsedAndSentWithoutBeginOrEnd) {
    struct Prompting : ProbeControl {
        using ProbeControl::ProbeControl;
        void HandleDoubleClick(float, float, const KeyMods&) override {
            DisablePrompt(false);
            PromptForValue(Rect(0, 40, 50, 50), 0);
        }
    };
    auto* c = g.AttachControl(new Prompting(Rect(0, 0, 50, 50), TestDelegate::kGain));
    c->ApplyUserValue(0.5, 0);
    delegate.edits.clear();
    g.OnPointerDoubleClick(10, 10, KeyMods(true, false));
    ASSERT_EQ(g.textEntries.size(), 1u);
    EXPECT_EQ(g.textEntries[0].text, "50.00");
    EXPECT_EQ(g.textEntries[0].maxLength, 7);
    EXPECT_EQ(g.textEntries[0].paramIdx, TestDelegate::kGain);
    EXPECT_EQ(g.textEntries[0].bounds, Rect(0, 40, 50, 50));
    EXPECT_EQ(g.GetEditedControl(), c);
    g.ApplyTypedValue("75");
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 0 0.75"}));
    EXPECT_EQ(g.GetEditedControl(), nullptr);
    g.ApplyTypedValue("10");
    EXPECT_EQ(delegate.edits.size(), 1u) << "nothing is edited any more";
}

TEST_F(EventRoutingTest, TypedTextWithoutANumberLeavesTheValueAlone) {
    ProbeControl* c = Add(Rect(0, 0, 50, 50), TestDelegate::kGain);
    c->ApplyUserValue(0.5, 0);
    for (const char* typed : {"", "abc", "-", " ."}) {
        delegate.edits.clear();
        c->DisablePrompt(false);
        c->PromptForValue(Rect(0, 0, 40, 16), 0);
        ASSERT_EQ(g.GetEditedControl(), c);
        g.ApplyTypedValue(typed);
        EXPECT_TRUE(delegate.edits.empty()) << "'" << typed << "'";
        EXPECT_DOUBLE_EQ(c->ReadValue(0), 0.5);
        EXPECT_EQ(g.GetEditedControl(), nullptr);
    }
    c->PromptForValue(Rect(0, 0, 40, 16), 0);
    g.ApplyTypedValue("-5");
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 0 0"})) << "numbers are confined";
}

TEST_F(EventRoutingTest, PromptShowsTheLabelWhenAsked) {
    ProbeControl* c = Add(Rect(0, 0, 50, 50), TestDelegate::kGain);
    c->SetPromptShowsLabel(true);
    g.OpenValuePrompt(*c, Rect(0, 0, 40, 16), 0);
    ASSERT_EQ(g.textEntries.size(), 1u);
    EXPECT_EQ(g.textEntries[0].text, "25.00 %");
    g.CancelTextEntry();
    EXPECT_EQ(g.GetEditedControl(), nullptr);
}

TEST_F(EventRoutingTest, EnumPromptOpensAMenuWhoseChoiceIsApplied) {
    ProbeControl* c = Add(Rect(0, 0, 50, 50), TestDelegate::kMode);
    g.popupAvailable = true;
    g.popupChoice = 2;
    g.OpenValuePrompt(*c, c->GetRect(), 0);
    EXPECT_TRUE(g.textEntries.empty());
    EXPECT_DOUBLE_EQ(c->ReadValue(0), 1.0);
    EXPECT_EQ(delegate.edits, std::vector<std::string>({"value 1 1"}));
}

TEST_F(EventRoutingTest, RightClickPromptIsOffByDefault) {
    ProbeControl* c = Add(Rect(0, 0, 50, 50), TestDelegate::kGain);
    c->HandlePress(10, 10, KeyMods(false, true));
    EXPECT_TRUE(g.textEntries.empty());
    c->DisablePrompt(false);
    c->HandlePress(25, 25, KeyMods(false, true));
    ASSERT_EQ(g.textEntries.size(), 1u);
    EXPECT_EQ(g.textEntries[0].bounds, Rect(5, 17, 45, 33)) << "40 x 16 on the centre";
}

}  // namespace
}  // namespace testing
}  // namespace quendaris
