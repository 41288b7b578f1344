#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

#include "EditorFixture.h"
#include "SpectrumControl.h"
#include "SpectrumScale.h"

namespace quendaris {
namespace testing {
namespace {

// Display data under the test's control.
class FixedSource : public SpectrumSource {
  public:
    double SampleRate() const override { return rate; }
    const float* SmoothedSpectrum() const override { return spectrum.data(); }
    float DisplayCutoff() const override { return cutoff; }
    float ResponseMagnitude(float frequency) const override {
        return frequency == cutoff ? peak : flat;
    }
    DisplayState State() const override {
        return {frames, rate, cutoff, resonance, model, fourPole};
    }

    double rate = 44100.0;
    std::vector<float> spectrum = std::vector<float>(2048, 0.0f);
    float cutoff = 1000.0f;
    float flat = 1.0f;
    float peak = 1.0f;
    unsigned frames = 0;
    float resonance = 50.0f;
    int model = 0;
    bool fourPole = false;
};

struct Point {
    float x, y;
};

// The display's paint, split into the path of the spectrum area and that of the response
// curve (the two paths between the grid and the labels).
class Display : public ::testing::Test, public EditorFixture {
  protected:
    void Paint() {
        PaintOnly(kCtrlSpectrum);
        area.clear();
        curve.clear();
        std::vector<Point>* path = nullptr;
        int pathsSeen = 0;
        for (const std::string& line : graphics->log) {
            Point p{};
            if (std::sscanf(line.c_str(), "PathMove %f %f", &p.x, &p.y) == 2) {
                // The panel, border and grid lines come first: 2 + 6 paths.
                ++pathsSeen;
                path = pathsSeen == 9 ? &area : pathsSeen == 10 ? &curve : nullptr;
                if (path)
                    path->push_back(p);
            } else if (path && std::sscanf(line.c_str(), "PathLine %f %f", &p.x, &p.y) == 2) {
                path->push_back(p);
            }
        }
    }
    SpectrumControl& Control() { return As<SpectrumControl>(kCtrlSpectrum); }
    // Audio at 48 kHz through the plug-in, 512 frames per block.
    void StartAudio() {
        plugin.SetSampleRate(48000.0);
        plugin.SetBlockSize(512);
        plugin.ResetProcessing();
    }
    void RunBlocks(int blocks, double cutoff = 1840.0) {
        std::vector<double> left(512, 0.25), right(512, 0.25), outLeft(512), outRight(512);
        double* ins[] = {left.data(), right.data()};
        double* outs[] = {outLeft.data(), outRight.data()};
        plugin.GetParam(kParamCutoff)->SetValue(cutoff);
        for (int block = 0; block < blocks; ++block) {
            plugin.SetChannelConnections(kInput, 0, 2, true);
            plugin.SetChannelConnections(kOutput, 0, 2, true);
            plugin.AttachBuffers(kInput, 0, 2, ins);
            plugin.AttachBuffers(kOutput, 0, 2, outs);
            plugin.ProcessBuffers64(512);
        }
    }
    // Whether the next display tick repaints the display (and nothing else).
    bool TickRepaintsDisplay() {
        const std::vector<Rect> rects = Tick();
        EXPECT_LE(rects.size(), 1u);
        return rects.size() == 1 && rects[0] == Rect(15, 310, 785, 430).Padded(0.75f);
    }
    void UseFixedSource() { Control().SetSource(&source); }

    FixedSource source;
    std::vector<Point> area, curve;
    const SpectrumScale scale{15, 310, 785, 430};
};

TEST_F(Display, PanelGridAndColours) {
    UseFixedSource();
    Paint();
    const auto& f = graphics->fills;
    // Panel, border, 3 level + 3 frequency lines, area, outline, curve.
    ASSERT_EQ(f.size(), 11u);
    EXPECT_EQ(f[0].paint.stops[0].color, Color(255, 15, 20, 30));
    EXPECT_FALSE(f[0].stroke);
    EXPECT_EQ(f[1].paint.stops[0].color, Color(255, 30, 40, 60));
    EXPECT_EQ(f[1].thickness, 2.0f);
    for (int i = 2; i < 8; ++i) {
        EXPECT_EQ(f[size_t(i)].paint.stops[0].color, Color(255, 40, 50, 80));
        EXPECT_EQ(f[size_t(i)].thickness, 1.0f);
    }
    EXPECT_EQ(f[8].paint.stops[0].color, Color(150, 0, 130, 180));
    EXPECT_FALSE(f[8].stroke);
    EXPECT_EQ(f[9].paint.stops[0].color, Color(255, 0, 200, 255));
    EXPECT_EQ(f[9].thickness, 1.5f);
    EXPECT_EQ(f[10].paint.stops[0].color, Color(255, 255, 160, 0));
    EXPECT_EQ(f[10].thickness, 2.5f);
    // Level lines at quarters of the height; frequency lines at 100, 1k, 10k.
    EXPECT_EQ(graphics->Count("PathMove 15 340"), 1u);
    // The middle line; the unity curve below starts there too.
    EXPECT_EQ(graphics->Count("PathMove 15 370"), 2u);
    EXPECT_EQ(graphics->Count("PathMove 15 400"), 1u);
    char line[64];
    std::snprintf(line, sizeof(line), "PathMove %g 310", scale.FreqToX(1000.0f));
    EXPECT_EQ(graphics->Count(line), 1u);
}

TEST_F(Display, BeforeTheFirstFrameTheAreaLiesFlatOnTheBottomEdge) {
    UseFixedSource();
    Paint();
    ASSERT_GT(area.size(), 900u);
    for (const Point& p : area)
        EXPECT_FLOAT_EQ(p.y, 430.0f);
}

TEST_F(Display, BinsFromTwentyKilohertzUpFormTheRightEdge) {
    UseFixedSource();
    Paint();
    // Start, bins 1 ... 1023, the bottom-right corner.
    ASSERT_EQ(area.size(), 1u + 1023u + 1u);
    EXPECT_NEAR(area[1].x, scale.FreqToX(44100.0f / 2048.0f), 1e-3);
    EXPECT_LT(area[928].x, 785.0f);
    for (size_t bin = 929; bin <= 1023; ++bin)
        EXPECT_FLOAT_EQ(area[bin].x, 785.0f) << bin;
    EXPECT_FLOAT_EQ(area.back().x, 785.0f);
    EXPECT_FLOAT_EQ(area.back().y, 430.0f);
}

TEST_F(Display, BelowA40960HertzRateTheFirstBinIsSkipped) {
    source.rate = 32000.0;
    UseFixedSource();
    Paint();
    EXPECT_EQ(area.size(), 1u + 1022u + 1u);
    EXPECT_NEAR(area[1].x, scale.FreqToX(2.0f * 32000.0f / 2048.0f), 1e-3);
}

TEST_F(Display, LevelsFromTopToBottom) {
    // Bin 1 lies at 21.5 Hz, where the tilt adds almost nothing.
    source.spectrum[1] = 4096.0f;
    source.spectrum[2] = 2.048f * 0.5f;
    UseFixedSource();
    Paint();
    EXPECT_FLOAT_EQ(area[1].y, 310.0f);
    EXPECT_FLOAT_EQ(area[2].y, 430.0f);
}

TEST_F(Display, UnityResponseRunsAlongTheMiddle) {
    UseFixedSource();
    Paint();
    // 695 curve frequencies 20 * 1.01^k and the point at the cutoff.
    ASSERT_EQ(curve.size(), 696u);
    for (const Point& p : curve)
        EXPECT_FLOAT_EQ(p.y, 370.0f);
    EXPECT_FLOAT_EQ(curve.front().x, 15.0f);
}

TEST_F(Display, APeakOfSixtyDecibelsIsSoftLimitedAtTheCutoff) {
    source.peak = 1000.0f;
    UseFixedSource();
    Paint();
    const float x = scale.FreqToX(1000.0f);
    const float limited = 24.0f + 18.0f * std::tanh(2.0f);
    size_t found = 0;
    for (const Point& p : curve) {
        if (p.y < 370.0f) {
            EXPECT_NEAR(p.x, x, 1e-3);
            EXPECT_NEAR(p.y, 370.0f - limited * 60.0f / 48.0f, 1e-3);
            ++found;
        }
    }
    EXPECT_EQ(found, 1u);
    EXPECT_NEAR(limited, 41.4f, 0.05f);
}

TEST_F(Display, CutoffAtTheEndsOfTheCurve) {
    source.cutoff = 20.0f;
    UseFixedSource();
    Paint();
    EXPECT_EQ(curve.size(), 695u);
    source.cutoff = 20000.0f;
    Paint();
    ASSERT_EQ(curve.size(), 696u);
    EXPECT_FLOAT_EQ(curve.back().x, 785.0f);
}

TEST_F(Display, FrequencyLabelsCentredOnTheirLines) {
    UseFixedSource();
    Paint();
    const struct {
        const char* text;
        float f;
    } labels[] = {{"20", 20}, {"100", 100}, {"1k", 1000}, {"10k", 10000}, {"20k", 20000}};
    for (const auto& l : labels) {
        char line[64];
        // Boxes from 16 pixels above the bottom edge to 2 below it: centred at 423.
        std::snprintf(line, sizeof(line), "Text '%s' %g 423 ", l.text, scale.FreqToX(l.f));
        EXPECT_EQ(graphics->Count(line), 1u) << line;
    }
}

TEST_F(Display, TheRealEngineShowsItsOutputOnceAudioRuns) {
    Paint();
    for (const Point& p : area)
        ASSERT_FLOAT_EQ(p.y, 430.0f);

    plugin.SetSampleRate(48000.0);
    plugin.SetBlockSize(512);
    plugin.ResetProcessing();
    std::vector<double> left(512), right(512), outLeft(512), outRight(512);
    double* ins[] = {left.data(), right.data()};
    double* outs[] = {outLeft.data(), outRight.data()};
    double phase = 0.0;
    for (int block = 0; block < 40; ++block) {
        for (size_t i = 0; i < left.size(); ++i) {
            left[i] = right[i] = 0.5 * (2.0 * phase - 1.0);
            phase += 110.0 / 48000.0;
            phase -= std::floor(phase);
        }
        plugin.SetChannelConnections(kInput, 0, 2, true);
        plugin.SetChannelConnections(kOutput, 0, 2, true);
        plugin.AttachBuffers(kInput, 0, 2, ins);
        plugin.AttachBuffers(kOutput, 0, 2, outs);
        plugin.ProcessBuffers64(512);
    }
    Paint();
    size_t raised = 0;
    for (const Point& p : area)
        raised += p.y < 430.0f;
    EXPECT_GT(raised, 100u);
    // The response follows the published cutoff, not a fixed default.
    EXPECT_FLOAT_EQ(plugin.Engine().DisplayCutoff(), 1840.0f);
}

TEST_F(Display, TicksWithNothingNewRepaintNothing) {
    // The first frame draws every control.
    EXPECT_EQ(Tick().size(), 24u);
    for (int tick = 0; tick < 5; ++tick)
        EXPECT_TRUE(Tick().empty()) << tick;
}

TEST_F(Display, OnlyACompletedAnalyserFrameRepaintsWhileAudioRuns) {
    Tick();
    StartAudio();
    RunBlocks(1);
    EXPECT_TRUE(TickRepaintsDisplay());
    // 2048 samples in all: the frame is full but completes only with the next sample.
    RunBlocks(3);
    EXPECT_TRUE(Tick().empty());
    RunBlocks(1);
    EXPECT_TRUE(TickRepaintsDisplay());
    EXPECT_TRUE(Tick().empty());
    // Four more blocks complete the next frame.
    RunBlocks(3);
    EXPECT_TRUE(Tick().empty());
    RunBlocks(1);
    EXPECT_TRUE(TickRepaintsDisplay());
}

TEST_F(Display, APublishedCutoffRepaints) {
    Tick();
    StartAudio();
    RunBlocks(1);
    EXPECT_TRUE(TickRepaintsDisplay());
    RunBlocks(1, 500.0);
    EXPECT_FLOAT_EQ(plugin.Engine().DisplayCutoff(), 500.0f);
    EXPECT_TRUE(TickRepaintsDisplay());
    EXPECT_TRUE(Tick().empty());
}

TEST_F(Display, EachDisplayValueRepaintsOnce) {
    UseFixedSource();
    Tick();
    ASSERT_TRUE(Tick().empty());
    const std::function<void()> changes[] = {
        [this] { ++source.frames; },         [this] { source.rate = 96000.0; },
        [this] { source.cutoff = 2000.0f; }, [this] { source.resonance = 80.0f; },
        [this] { source.model = 2; },        [this] { source.fourPole = true; }};
    for (size_t i = 0; i < std::size(changes); ++i) {
        changes[i]();
        EXPECT_TRUE(TickRepaintsDisplay()) << i;
        EXPECT_TRUE(Tick().empty()) << i;
    }
}

TEST_F(Display, AllControlsDirtyRepaintsItWithoutNewData) {
    Tick();
    ASSERT_TRUE(Tick().empty());
    graphics->SetAllControlsDirty();
    const std::vector<Rect> rects = Tick();
    EXPECT_NE(std::find(rects.begin(), rects.end(), Rect(15, 310, 785, 430).Padded(0.75f)),
              rects.end());
    EXPECT_TRUE(Tick().empty());
}

}  // namespace
}  // namespace testing
}  // namespace quendaris
