#include <cmath>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "BrisvaleConfig.h"
#include "BrisvaleKnob.h"
#include "BrisvaleLayout.h"
#include "EditorSnapshot.h"
#include "RenderHarness.h"
#include "SpectrumControl.h"
#include "SpectrumScale.h"
#include "frame/Param.h"

namespace quendaris {
namespace {

using snapshot::EditorSnapshot;

struct Rgb {
    int r, g, b;
};

Rgb At(const PixelImage& image, float x, float y) {
    const uint8_t* p = image.At(static_cast<int>(x), static_cast<int>(y));
    return Rgb{p[0], p[1], p[2]};
}

bool Near(const Rgb& a, const Rgb& b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

bool IsAmber(const Rgb& c) {
    return c.r > 220 && c.g > 130 && c.g < 190 && c.b < 60;
}

// Spectrum area and outline: blue-green, little red.
bool IsSpectrum(const Rgb& c) {
    return c.r < 40 && c.g > 70 && c.b > 100;
}

int Brightness(const Rgb& c) {
    return c.r + c.g + c.b;
}

// The display's data under the test's control, drawn by the real editor.
class FixedSource : public SpectrumSource {
  public:
    double SampleRate() const override { return 48000.0; }
    const float* SmoothedSpectrum() const override { return spectrum.data(); }
    float DisplayCutoff() const override { return 1000.0f; }
    float ResponseMagnitude(float frequency) const override {
        return frequency == 1000.0f ? peak : 1.0f;
    }
    DisplayState State() const override { return {0, 48000.0, 1000.0f, peak, 0, false}; }
    std::vector<float> spectrum = std::vector<float>(2048, 0.0f);
    float peak = 1.0f;
};

// A saw at 110 Hz, stereo, for the display.
render::AudioBuffer Saw(double seconds) {
    const double rate = 48000.0;
    render::AudioBuffer audio(2, static_cast<size_t>(seconds * rate), rate);
    double phase = 0.0;
    for (size_t i = 0; i < audio.FrameCount(); ++i) {
        audio.channels[0][i] = audio.channels[1][i] = 0.5 * (2.0 * phase - 1.0);
        phase += 110.0 / rate;
        phase -= std::floor(phase);
    }
    return audio;
}

class EditorPixels : public ::testing::Test {
  protected:
    EditorSnapshot editor;
    const SpectrumScale display{15, 310, 785, 430};

    BrisvaleKnob& Knob(int index) {
        return dynamic_cast<BrisvaleKnob&>(*editor.Graphics().GetControl(index));
    }
    SpectrumControl& Display() {
        return dynamic_cast<SpectrumControl&>(*editor.Graphics().GetControl(kCtrlSpectrum));
    }
    // Rows of the column at frequency f inside the display that are amber.
    std::vector<int> CurveRows(const PixelImage& image, float f) {
        std::vector<int> rows;
        const int x = static_cast<int>(display.FreqToX(f));
        for (int y = 311; y < 430; ++y) {
            if (IsAmber(At(image, x, y)))
                rows.push_back(y);
        }
        return rows;
    }
    // Spectrum-coloured pixels in the display above the lowest row, away from the labels.
    int SpectrumPixels(const PixelImage& image) {
        int n = 0;
        for (int y = 312; y < 410; ++y)
            for (int x = 17; x < 783; ++x)
                n += IsSpectrum(At(image, x, y));
        return n;
    }
};

TEST_F(EditorPixels, KnobPointerCentresAtBothEndsAndTheMiddle) {
    for (int index : {kCtrlCutoff, kCtrlResonance, kCtrlInput}) {
        BrisvaleKnob& knob = Knob(index);
        const float cx = knob.CentreX(), cy = knob.CentreY(), r = knob.Radius();
        const struct {
            double v;
            float x, y;
        } spots[] = {{0.0, cx - 0.325f * r, cy + 0.5629f * r},
                     {0.5, cx, cy - 0.65f * r},
                     {1.0, cx + 0.325f * r, cy + 0.5629f * r}};
        for (const auto& spot : spots) {
            editor.SetNormalized(knob.ParamOfSlot(0), spot.v);
            const PixelImage image = editor.Render();
            EXPECT_TRUE(IsAmber(At(image, spot.x, spot.y))) << index << " v=" << spot.v;
            // The pointer is a dot: the other two places show the dark face.
            for (const auto& other : spots) {
                if (other.v != spot.v) {
                    EXPECT_FALSE(IsAmber(At(image, other.x, other.y))) << index;
                }
            }
        }
    }
}

TEST_F(EditorPixels, ActiveAndInactiveButtonColoursAndShadows) {
    const PixelImage image = editor.Render();
    // M-Filter active: amber body from (180, 100, 0) at the top to (255, 160, 0) at the bottom.
    EXPECT_TRUE(Near(At(image, 620, 83), Rgb{180, 100, 0}, 25));
    EXPECT_TRUE(Near(At(image, 620, 102), Rgb{255, 160, 0}, 25));
    // S-Filter inactive: grey from (70, 70, 70) down to (25, 25, 25).
    EXPECT_TRUE(Near(At(image, 620, 118), Rgb{70, 70, 70}, 12));
    EXPECT_TRUE(Near(At(image, 620, 137), Rgb{25, 25, 25}, 12));
    // Only the inactive button casts a shadow. A control draws inside its rectangle grown by
    // 0.75 pixels, so the shadow shows in the bottom edge row, darkening the outline there.
    EXPECT_LT(Brightness(At(image, 670, 140)), Brightness(At(image, 670, 105)) - 20);
    EXPECT_TRUE(Near(At(image, 670, 142), At(image, 590, 142), 2));
    // Captions: dark on the active button, light on the others.
    int darkInk = 0, lightInk = 0;
    for (int x = 640; x < 700; ++x) {
        darkInk += Brightness(At(image, x, 92)) < 200;
        lightInk += Brightness(At(image, x, 127)) > 450;
    }
    EXPECT_GT(darkInk, 3);
    EXPECT_GT(lightInk, 3);
}

TEST_F(EditorPixels, ResponseCurveAtZeroDecibelsRunsThroughTheMiddle) {
    FixedSource source;
    Display().SetSource(&source);
    const PixelImage image = editor.Render();
    for (float f : {30.0f, 200.0f, 5000.0f}) {
        const std::vector<int> rows = CurveRows(image, f);
        ASSERT_FALSE(rows.empty()) << f;
        EXPECT_NEAR(rows.front(), 370, 2) << f;
        EXPECT_NEAR(rows.back(), 370, 2) << f;
    }
}

TEST_F(EditorPixels, SixtyDecibelPeakIsDrawnSoftLimitedBelowTheTop) {
    FixedSource source;
    source.peak = 1000.0f;
    Display().SetSource(&source);
    const PixelImage image = editor.Render();
    const std::vector<int> rows = CurveRows(image, 1000.0f);
    ASSERT_FALSE(rows.empty());
    const float expected = display.ResponseY(24.0f + 18.0f * std::tanh(2.0f));
    EXPECT_NEAR(rows.front(), expected, 3.0f);
    EXPECT_GT(rows.front(), 312);
}

TEST_F(EditorPixels, SpectrumFlatBeforeTheFirstFrameAndMovingOnceAudioRuns) {
    const PixelImage silent = editor.Render();
    EXPECT_EQ(SpectrumPixels(silent), 0);
    editor.Process(Saw(0.5));
    const PixelImage running = editor.Render();
    EXPECT_GT(SpectrumPixels(running), 2000);
}

// ---- Reviewed pictures of the whole editor ----

class EditorGolden : public EditorPixels {};

TEST_F(EditorGolden, Default) {
    test::CompareWithGolden("editor_default", editor.Render());
}

TEST_F(EditorGolden, EachModelSelected) {
    const char* models[][2] = {{"M-Filter", "editor_model_m"},
                               {"S-Filter", "editor_model_s"},
                               {"P-Filter", "editor_model_p"},
                               {"W-Filter", "editor_model_w"}};
    for (const auto& model : models) {
        editor.Set("Model", model[0]);
        test::CompareWithGolden(model[1], editor.Render());
    }
}

TEST_F(EditorGolden, FourPole) {
    editor.Set("Poles", "4-Pole");
    test::CompareWithGolden("editor_four_pole", editor.Render());
}

TEST_F(EditorGolden, Bypassed) {
    editor.Set("Bypass", "On");
    test::CompareWithGolden("editor_bypassed", editor.Render());
}

TEST_F(EditorGolden, SawThroughTheFilter) {
    editor.Set("Model", "P-Filter");
    editor.Set("Cutoff", "800");
    editor.Set("Resonance", "80");
    editor.Process(Saw(1.0));
    test::CompareWithGolden("editor_saw", editor.Render());
}

}  // namespace
}  // namespace quendaris
