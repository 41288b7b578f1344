#include <gtest/gtest.h>

#include "ProbeControl.h"
#include "RecordingGraphics.h"
#include "TestDelegate.h"
#include "graphics/TextControl.h"

namespace quendaris {
namespace testing {
namespace {

// The editor delegate owns the graphics context it makes and runs the layout on it.
class DelegateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        delegate.SetMakeGraphicsFunction([this]() -> std::unique_ptr<EditorGraphics> {
            ++made;
            return std::make_unique<RecordingGraphics>(delegate);
        });
        delegate.SetLayoutFunction([this](EditorGraphics& ui) {
            auto& g = static_cast<Graphics&>(ui);
            g.AttachControl(new ProbeControl(Rect(0, 0, 800, 580)));
            knob = static_cast<ProbeControl*>(
                g.AttachControl(new ProbeControl(Rect(0, 0, 50, 50), TestDelegate::kGain), 1));
            g.AttachControl(new TextControl(Rect(0, 60, 50, 80), "Gain"), 2);
        });
    }
    RecordingGraphics* UI() { return static_cast<RecordingGraphics*>(delegate.GetUI()); }

    TestDelegate delegate;
    ProbeControl* knob = nullptr;
    int made = 0;
};

TEST_F(DelegateTest, OpeningRunsTheLayoutAndShowsTheCurrentValues) {
    delegate.GetParam(TestDelegate::kGain)->SetValue(75.0);
    ASSERT_NE(delegate.OpenWindow(nullptr), nullptr);
    ASSERT_NE(UI(), nullptr);
    EXPECT_EQ(UI()->NControls(), 3);
    EXPECT_DOUBLE_EQ(knob->ReadValue(0), 0.75);
}

TEST_F(DelegateTest, HostValuesReachTheBoundControl) {
    delegate.OpenWindow(nullptr);
    delegate.SendParamValueToEditor(TestDelegate::kGain, 40.0, false);
    EXPECT_DOUBLE_EQ(knob->ReadValue(0), 0.4);
    delegate.SendControlValueFromDelegate(1, 0.1);
    EXPECT_DOUBLE_EQ(knob->ReadValue(0), 0.1);
    delegate.SendControlValueFromDelegate(99, 0.2);
    EXPECT_DOUBLE_EQ(knob->ReadValue(0), 0.1);
}

TEST_F(DelegateTest, ClosingDeletesTheEditorAndReopeningBuildsAFreshOne) {
    delegate.OpenWindow(nullptr);
    delegate.CloseWindow();
    EXPECT_EQ(delegate.GetUI(), nullptr);
    delegate.OpenWindow(nullptr);
    EXPECT_EQ(made, 2);
    EXPECT_EQ(UI()->NControls(), 3) << "the layout ran again on the new context";
    EXPECT_EQ(UI()->GetControlWithTag(1), knob);
}

TEST_F(DelegateTest, KeysArriveAtThePointerPositionOfTheLastEvent) {
    delegate.OpenWindow(nullptr);
    knob->takesKeys = true;
    UI()->OnPointerOver(10, 10, KeyMods());
    KeyEvent key;
    key.vk = 38;
    EXPECT_TRUE(delegate.OnKeyDown(key));
    EXPECT_EQ(knob->calls, std::vector<std::string>({"key 38"}));
    UI()->OnPointerOver(300, 300, KeyMods());  // over the background
    EXPECT_FALSE(delegate.OnKeyDown(key));
}

TEST_F(DelegateTest, TheEditorSizeIsKeptAcrossReopening) {
    delegate.OpenWindow(nullptr);
    UI()->Resize(400, 290, 2.0f, false);
    delegate.CloseWindow();
    delegate.OpenWindow(nullptr);
    EXPECT_EQ(UI()->Width(), 400);
    EXPECT_FLOAT_EQ(UI()->DrawScale(), 2.0f);
    EXPECT_EQ(UI()->BackingWidth(), 800);
}

}  // namespace
}  // namespace testing
}  // namespace quendaris
