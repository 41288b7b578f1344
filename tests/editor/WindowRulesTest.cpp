// The window layer's own rules on X11: the value box's filter, length and outcome, key codes,
// modifiers and double clicks from press times and distances, the desktop scale.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "graphics/platform/linux/ValueTextBox.h"
#include "graphics/platform/linux/X11Input.h"

namespace quendaris {
namespace {

using Filter = ValueTextBox::Filter;

TEST(ValueTextBox, FilterFollowsTheParameterType) {
    for (char c : std::string("0123456789+-"))
        EXPECT_TRUE(ValueTextBox::Accepts(Filter::kInteger, c)) << c;
    EXPECT_FALSE(ValueTextBox::Accepts(Filter::kInteger, '.'));
    EXPECT_TRUE(ValueTextBox::Accepts(Filter::kDecimal, '.'));
    for (char c : std::string("aZ ,e/"))
        EXPECT_FALSE(ValueTextBox::Accepts(Filter::kDecimal, c)) << c;
    EXPECT_TRUE(ValueTextBox::Accepts(Filter::kAny, 'q'));
    EXPECT_TRUE(ValueTextBox::Accepts(Filter::kAny, 0xE9));
    EXPECT_FALSE(ValueTextBox::Accepts(Filter::kAny, '\t'));
}

TEST(ValueTextBox, FirstTypedCharacterReplacesTheSelectedText) {
    ValueTextBox box;
    box.Open("1840", 10, Filter::kDecimal, Rect(0, 0, 50, 20), TextStyle());
    EXPECT_TRUE(box.AllSelected());
    EXPECT_FALSE(box.Type("x"));
    EXPECT_EQ(box.Text(), "1840");
    EXPECT_TRUE(box.Type("5"));
    EXPECT_EQ(box.Text(), "5");
    EXPECT_TRUE(box.Type(".25"));
    EXPECT_EQ(box.Text(), "5.25");
    EXPECT_TRUE(box.Backspace());
    EXPECT_EQ(box.Text(), "5.2");
}

TEST(ValueTextBox, BackspaceOnTheSelectionClearsIt) {
    ValueTextBox box;
    box.Open("-12", 10, Filter::kInteger, Rect(), TextStyle());
    EXPECT_TRUE(box.Backspace());
    EXPECT_EQ(box.Text(), "");
    EXPECT_FALSE(box.Backspace());
}

TEST(ValueTextBox, LengthLimitCountsCharactersNotBytes) {
    ValueTextBox box;
    box.Open("", 3, Filter::kAny, Rect(), TextStyle());
    EXPECT_TRUE(box.Type("\xC3\xA9\xC3\xA9"));
    EXPECT_TRUE(box.Type("ab"));
    EXPECT_EQ(box.Text(),
              "\xC3\xA9\xC3\xA9"
              "a");
    EXPECT_TRUE(box.Backspace());
    EXPECT_TRUE(box.Backspace());
    EXPECT_EQ(box.Text(), "\xC3\xA9");
}

TEST(ValueTextBox, CommitKeepsAtMost256Characters) {
    ValueTextBox box;
    box.Open("", 0, Filter::kAny, Rect(), TextStyle());
    box.Type(std::string(300, '7'));
    EXPECT_EQ(box.Text().size(), 300u);
    EXPECT_EQ(box.CommitText().size(), 256u);
}

TEST(ValueTextBox, OutcomeIsDecidedOnceAndClosingForgetsTheText) {
    ValueTextBox box;
    EXPECT_FALSE(box.IsOpen());
    box.Open("3", 4, Filter::kInteger, Rect(), TextStyle());
    EXPECT_EQ(box.GetState(), ValueTextBox::State::kEditing);
    box.Commit();
    box.Cancel();
    EXPECT_EQ(box.GetState(), ValueTextBox::State::kCommit);
    EXPECT_FALSE(box.Type("4"));
    box.Close();
    EXPECT_FALSE(box.IsOpen());
    EXPECT_EQ(box.Text(), "");
    box.Open("3", 4, Filter::kInteger, Rect(), TextStyle());
    box.Cancel();
    EXPECT_EQ(box.GetState(), ValueTextBox::State::kCancel);
}

TEST(X11Keys, KeySymbolsTakeWindowsCodes) {
    EXPECT_EQ(VirtualKeyFromKeysym(XK_a), 'A');
    EXPECT_EQ(VirtualKeyFromKeysym(XK_Q), 'Q');
    EXPECT_EQ(VirtualKeyFromKeysym(XK_7), '7');
    EXPECT_EQ(VirtualKeyFromKeysym(XK_space), 32);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_Return), 13);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_Enter), 13);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_Escape), 27);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_Left), 37);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_Down), 40);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_KP_3), 99);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_F1), 112);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_F12), 123);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_Delete), 46);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_minus), 0xBD);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_Shift_R), 16);
    EXPECT_EQ(VirtualKeyFromKeysym(XK_eacute), 0);
}

TEST(X11Pointer, ModifiersComeFromTheState) {
    const KeyMods none = ModsFromState(0);
    EXPECT_FALSE(none.L || none.R || none.S || none.C || none.A);
    const KeyMods all =
        ModsFromState(ShiftMask | ControlMask | Mod1Mask | Button1Mask | Button3Mask);
    EXPECT_TRUE(all.L && all.R && all.S && all.C && all.A);
    const KeyMods press = ModsFromState(0, true, false);
    EXPECT_TRUE(press.L);
    EXPECT_FALSE(press.R);
    EXPECT_FALSE(ModsFromState(Mod4Mask | LockMask).C);
}

TEST(X11Pointer, DoubleClickNeedsTheSameButtonSoonAndNear) {
    DoubleClickDetector clicks;
    EXPECT_FALSE(clicks.Press(1, 1000, 10, 10));
    EXPECT_TRUE(clicks.Press(1, 1400, 14, 6));
    // A third press starts a new pair.
    EXPECT_FALSE(clicks.Press(1, 1450, 14, 6));
    EXPECT_FALSE(clicks.Press(1, 1851, 14, 6));
    EXPECT_FALSE(clicks.Press(1, 2000, 19, 6));
    EXPECT_FALSE(clicks.Press(3, 2100, 19, 6));
    EXPECT_FALSE(clicks.Press(1, 2200, 19, 6));
    EXPECT_TRUE(clicks.Press(1, 2300, 19, 6));
    clicks.Reset();
    EXPECT_FALSE(clicks.Press(1, 2400, 19, 6));
    // Server time runs backwards only when it wraps: no double click then.
    EXPECT_FALSE(clicks.Press(1, 100, 19, 6));
}

}  // namespace
}  // namespace quendaris
