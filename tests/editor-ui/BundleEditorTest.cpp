// The plug-in's editor from the real bundle in a private X server, driven with XTest the way a
// musician drives it; edits are read where the host receives them.
#include <dlfcn.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/editor/EditorSession.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

// Xlib's macros (None, Bool) clash with GoogleTest's names: its headers come last.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

using namespace Steinberg;

namespace quendaris::test {
namespace {

enum : Vst::ParamID {
    kCutoff = 0,
    kResonance = 1,
    kModel = 2,
    kMix = 5,
    kPoles = 7,
    kBypass = 8,
};

// Compares a capture with the reviewed picture golden/NAME.png: a pixel differs beyond a channel
// difference of 24, and 1% may differ (antialiasing, the text box's caret).
// QUENDARIS_UPDATE_GOLDEN=1 writes the golden picture instead.
void CompareWithGolden(const std::string& name, const Picture& shot) {
    const std::string golden = std::string(QUENDARIS_GOLDEN_DIR) + "/" + name + ".png";
    ASSERT_TRUE(shot.WritePng(ShotPath(name)));
    const char* update = std::getenv("QUENDARIS_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        ASSERT_TRUE(shot.WritePng(golden));
        return;
    }
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load(golden.c_str(), &w, &h, &channels, 4);
    ASSERT_NE(pixels, nullptr) << "no golden picture " << golden;
    ASSERT_EQ(w, shot.width);
    ASSERT_EQ(h, shot.height);
    int different = 0;
    for (int i = 0; i < w * h; ++i) {
        const Rgba& p = shot.pixels[size_t(i)];
        const unsigned char* q = pixels + 4 * i;
        const int d = std::max({std::abs(p.r - q[0]), std::abs(p.g - q[1]), std::abs(p.b - q[2])});
        different += d > 24;
    }
    stbi_image_free(pixels);
    EXPECT_LE(different, w * h / 100)
        << name << ": " << different << " pixels differ; see " << ShotPath(name);
}

class BundleEditor : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Mesa loads its driver for each X connection and unloads it at the close; kept mapped,
        // the driver's own process-lifetime allocations stay attributable (and suppressed).
        dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
    }
    void SetUp() override {
        ASSERT_TRUE(session.Open());
        ASSERT_TRUE(session.PumpUntilDrawn());
        session.Pump(50);
        session.handler.edits.clear();
    }
    void TearDown() override { session.Close(); }

    std::vector<RecordingHandler::Edit> Edits(Vst::ParamID id) const {
        std::vector<RecordingHandler::Edit> out;
        for (const auto& e : session.handler.edits)
            if (e.id == id)
                out.push_back(e);
        return out;
    }
    // Kinds of the edits of id, in order: "bpe" is a whole gesture.
    std::string Kinds(Vst::ParamID id) const {
        std::string kinds;
        for (const auto& e : Edits(id))
            kinds += e.kind;
        return kinds;
    }
    double LastValue(Vst::ParamID id) const {
        const auto edits = Edits(id);
        for (auto it = edits.rbegin(); it != edits.rend(); ++it)
            if (it->kind == 'p')
                return it->value;
        return -1.0;
    }
    // What a host does when it automates a parameter: the controller learns the value.
    void Automate(Vst::ParamID id, double normalized) {
        session.effect.controller->setParamNormalized(id, normalized);
        session.Pump(80);
    }
    void Click(int x, int y) {
        session.window.Click(x, y);
        session.Pump(60);
    }
    void Shift(bool down) {
        Display* display = XOpenDisplay(TestDisplay().c_str());
        ASSERT_NE(display, nullptr);
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, XK_Shift_L), down, CurrentTime);
        XFlush(display);
        XCloseDisplay(display);
        session.Pump(30);
    }
    void Drag(int x, int y, int dy, bool shift) {
        session.window.MoveTo(x, y);
        session.Pump(30);
        if (shift)
            Shift(true);
        session.window.Press();
        session.Pump(30);
        for (int step = 1; step <= 10; ++step) {
            session.window.MoveTo(x, y + dy * step / 10);
            session.Pump(15);
        }
        session.window.Release();
        session.Pump(60);
        if (shift)
            Shift(false);
    }
    // Sum of the pixel differences between two captures inside a rectangle.
    static long Difference(const Picture& a, const Picture& b, int x0, int y0, int x1, int y1) {
        long sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const Rgba& p = a.pixels[size_t(y * a.width + x)];
                const Rgba& q = b.pixels[size_t(y * b.width + x)];
                sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
            }
        return sum;
    }

    EditorSession session;
};

TEST_F(BundleEditor, ClickOnSFilterSelectsItWithBeginAndEnd) {
    Click(670, 127);
    EXPECT_EQ(Kinds(kModel), "bpe");
    EXPECT_NEAR(LastValue(kModel), 1.0 / 3.0, 1e-9);
    EXPECT_NEAR(session.effect.Normalized(kModel), 1.0 / 3.0, 1e-9);
}

TEST_F(BundleEditor, ClickBetweenTheFirstTwoModelButtonsHitsNone) {
    Click(670, 110);
    EXPECT_EQ(Kinds(kModel), "");
}

TEST_F(BundleEditor, DragsOfAHundredPixelsUpward) {
    Automate(kResonance, 0.2);
    Drag(150, 220, -100, false);
    EXPECT_EQ(Kinds(kResonance).front(), 'b');
    EXPECT_EQ(Kinds(kResonance).back(), 'e');
    EXPECT_NEAR(LastValue(kResonance), 0.7, 1e-9);

    // A second press on the same point within 400 ms would be a double click, which resets.
    session.Pump(400);
    Automate(kResonance, 0.2);
    session.handler.edits.clear();
    Drag(150, 220, -100, true);
    EXPECT_NEAR(LastValue(kResonance), 0.3, 1e-9);
}

TEST_F(BundleEditor, OneWheelNotchUp) {
    Automate(kMix, 0.5);
    session.window.MoveTo(255, 500);
    session.Pump(30);
    session.window.Press(4);
    session.window.Release(4);
    session.Pump(80);
    EXPECT_NEAR(LastValue(kMix), 0.51, 1e-9);
}

TEST_F(BundleEditor, DoubleClickOnTheCutoffDiscSendsTheDefault) {
    Automate(kCutoff, 0.9);
    session.window.Click(380, 175);
    session.window.Click(380, 175);
    session.Pump(80);
    EXPECT_NEAR(LastValue(kCutoff), 0.449944, 1e-6);
}

TEST_F(BundleEditor, TypedValueInTheResonanceBox) {
    session.window.Click(150, 290);
    session.window.Click(150, 290);
    session.Pump(150);
    session.handler.edits.clear();
    // The box opens with the value selected: typing replaces it.
    session.window.Key(XK_7);
    session.window.Key(XK_5);
    session.Pump(50);
    CompareWithGolden("editor_value_box", session.Capture());
    session.window.Key(XK_Return);
    session.Pump(120);
    EXPECT_NEAR(LastValue(kResonance), 0.75, 1e-9);
    EXPECT_NEAR(session.effect.Normalized(kResonance), 0.75, 1e-9);
}

TEST_F(BundleEditor, SlopeHalvesAndBypassToggle) {
    Click(535, 495);
    EXPECT_NEAR(LastValue(kPoles), 1.0, 1e-9);
    Click(470, 495);
    EXPECT_NEAR(LastValue(kPoles), 0.0, 1e-9);
    Click(510, 495);
    EXPECT_NEAR(LastValue(kPoles), 1.0, 1e-9);

    Click(670, 495);
    EXPECT_NEAR(LastValue(kBypass), 1.0, 1e-9);
    // Apart by more than the double-click time: a second single press.
    session.Pump(600);
    Click(670, 495);
    EXPECT_NEAR(LastValue(kBypass), 0.0, 1e-9);
    EXPECT_EQ(Kinds(kBypass), "bpebpe");
}

TEST_F(BundleEditor, HostAutomationRedrawsTheMatchingControlWithoutAClick) {
    struct Case {
        Vst::ParamID id;
        double value;
        int x0, y0, x1, y1;  // the control's rectangle
    };
    const Case cases[] = {{kModel, 1.0, 600, 185, 740, 210},     {kPoles, 1.0, 460, 480, 560, 510},
                          {kBypass, 1.0, 620, 480, 720, 510},    {kCutoff, 0.1, 280, 80, 480, 300},
                          {kResonance, 0.9, 100, 165, 200, 302}, {3, 0.9, 40, 465, 110, 560},
                          {4, 0.9, 130, 465, 200, 560},          {kMix, 0.1, 220, 465, 290, 560},
                          {6, 0.9, 310, 465, 380, 560}};
    for (const Case& c : cases) {
        const Picture before = session.Capture();
        Automate(c.id, c.value);
        const Picture after = session.Capture();
        EXPECT_GT(Difference(before, after, c.x0, c.y0, c.x1, c.y1), 2000) << c.id;
    }
    EXPECT_TRUE(session.handler.edits.empty());
}

}  // namespace
}  // namespace quendaris::test
