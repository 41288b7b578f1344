// Frame cost of the NanoVG backend on Mesa's software OpenGL (llvmpipe), off-screen through
// EGL: a full frame of an editor-like scene at 800 x 580, and a frame that repaints only its
// display panel (the part that redraws at the display rate while the editor is open).
#include <benchmark/benchmark.h>

#include <glad/gl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "frame/EditorDelegate.h"
#include "graphics/Control.h"
#include "graphics/platform/egl/GraphicsEgl.h"

namespace quendaris {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 580;

TextStyle LabelStyle(float size) {
    return TextStyle(size, Color(255, 230, 230, 235), "Roboto-Regular");
}

// A rotary knob: gradient body, value ring, pointer and value text.
class BenchKnob : public Control {
  public:
    BenchKnob(const Rect& r, double value) : Control(r), mValue(value) {}
    void Paint(Graphics& g) override {
        const Rect& r = GetRect();
        float cx = r.MW();
        float cy = r.T + 45;
        g.PathReset();
        g.PathCircleShape(cx, cy, 32);
        g.FillPath(PaintSource::LinearGradient(cx, cy - 32, cx, cy + 32, Color(255, 110, 115, 125),
                                               Color(255, 35, 38, 44)),
                   FillStyle(), nullptr);
        g.StrokeArc(Color(255, 60, 60, 66), cx, cy, 38, -135, 135, nullptr, 4);
        float end = float(-135 + 270 * mValue);
        g.StrokeArc(Color(255, 240, 150, 40), cx, cy, 38, -135, end, nullptr, 4);
        float a = end * 3.14159265f / 180.0f;
        g.StrokeLine(Color(255, 240, 240, 240), cx + 12 * std::sin(a), cy - 12 * std::cos(a),
                     cx + 28 * std::sin(a), cy - 28 * std::cos(a), nullptr, 3);
        char text[32];
        std::snprintf(text, sizeof(text), "%.1f %%", 100 * mValue);
        g.RenderText(LabelStyle(14), text, Rect(r.L, r.B - 24, r.R, r.B));
    }

  private:
    double mValue;
};

// A push button: gradient round rectangle with an outline and a caption.
class BenchButton : public Control {
  public:
    BenchButton(const Rect& r, const char* caption) : Control(r), mCaption(caption) {}
    void Paint(Graphics& g) override {
        const Rect& r = GetRect();
        g.PathReset();
        g.PathRoundRectShape(r, 5);
        g.FillPath(PaintSource::LinearGradient(r.L, r.T, r.L, r.B, Color(255, 90, 95, 105),
                                               Color(255, 45, 48, 55)),
                   FillStyle(), nullptr);
        g.StrokeRoundRect(Color(255, 20, 20, 22), r, 5, nullptr, 1.5f);
        g.RenderText(LabelStyle(13), mCaption.c_str(), r);
    }

  private:
    std::string mCaption;
};

// A spectrum-like display: a filled 1,000-point area and a 700-point curve over it. The area
// is one sub-path, or the same points cut into vertical bands (sub-paths of one fill): NanoVG
// fills with a triangle fan from each sub-path's first point, and a wiggly curve far from that
// point folds the fan over itself many times.
class BenchPanel : public Control {
  public:
    BenchPanel(const Rect& r, int bands) : Control(r), mBands(bands) {}
    void Paint(Graphics& g) override {
        const Rect& r = GetRect();
        ++mFrame;
        g.PaintRect(Color(255, 18, 20, 24), r);
        g.PathReset();
        const int perBand = (kAreaPoints + mBands - 1) / mBands;
        for (int first = 0; first < kAreaPoints; first += perBand) {
            int last = std::min(kAreaPoints - 1, first + perBand);
            g.PathMove(AreaX(r, first), r.B);
            for (int i = first; i <= last; ++i)
                g.PathLine(AreaX(r, i), AreaY(r, i));
            g.PathLine(AreaX(r, last), r.B);
            g.PathCloseFigure();
        }
        g.FillPath(Color(150, 70, 140, 220), FillStyle(), nullptr);
        g.PathReset();
        for (int i = 0; i < 700; ++i) {
            float x = r.L + r.W() * i / 699.0f;
            float y = r.T + r.H() * (0.4f + 0.25f * std::cos(i * 0.02f + mFrame * 0.05f));
            if (i == 0)
                g.PathMove(x, y);
            else
                g.PathLine(x, y);
        }
        g.StrokePath(Color(255, 250, 190, 60), 2.0f, LineStyle(), nullptr);
    }

  private:
    static constexpr int kAreaPoints = 1000;

    static float AreaX(const Rect& r, int i) { return r.L + r.W() * i / (kAreaPoints - 1.0f); }
    float AreaY(const Rect& r, int i) const {
        float level = 0.5f + 0.3f * std::sin(i * 0.031f + mFrame * 0.1f) +
                      0.12f * std::sin(i * 0.37f + mFrame * 0.23f);
        return r.B - r.H() * level * 0.9f;
    }

    int mBands;
    int mFrame = 0;
};

// A 799 x 651 background picture, written once as a PNG file.
std::string BackgroundPicture() {
    static const std::string path = [] {
        PixelImage image{799, 651, {}};
        image.rgba.reserve(799 * 651 * 4);
        for (int y = 0; y < 651; ++y) {
            for (int x = 0; x < 799; ++x) {
                image.rgba.push_back(uint8_t(40 + (x * 30) / 799));
                image.rgba.push_back(uint8_t(44 + ((x ^ y) & 15)));
                image.rgba.push_back(uint8_t(52 + (y * 40) / 651));
                image.rgba.push_back(255);
            }
        }
        std::string file =
            (std::filesystem::temp_directory_path() / "quendaris-bench-back.png").string();
        WritePng(file, image);
        return file;
    }();
    return path;
}

struct EditorScene {
    EditorDelegate delegate{0};
    GraphicsEgl graphics{delegate, kWidth, kHeight};
    BenchPanel* panel = nullptr;

    bool Open(int bands) {
        if (!graphics.OpenWindow(nullptr))
            return false;
        graphics.LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf");
        graphics.SetBackgroundBitmap(BackgroundPicture().c_str());
        for (int i = 0; i < 6; ++i)
            graphics.AttachControl(
                new BenchKnob(Rect(20.0f + i * 130, 40, 120.0f + i * 130, 140), 0.15 * (i + 1)));
        for (int i = 0; i < 10; ++i)
            graphics.AttachControl(
                new BenchButton(Rect(20.0f + i * 77, 170, 90.0f + i * 77, 196), "Button"));
        panel = static_cast<BenchPanel*>(
            graphics.AttachControl(new BenchPanel(Rect(15, 420, 785, 540), bands)));
        graphics.RedrawAll();
        return true;
    }

    void Finish() {
        graphics.MakeContextCurrent();
        glFinish();
        graphics.RestorePreviousContext();
    }
};

// CPU time of the whole process, software GL's rasterizer threads included: what a frame costs
// the machine, whatever else is running on it.
double ProcessCpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

void RunFrames(benchmark::State& state, bool fullFrame, int bands = 1) {
    EditorScene scene;
    if (!scene.Open(bands)) {
        state.SkipWithError(("no off-screen OpenGL: " + scene.graphics.LastError()).c_str());
        return;
    }
    scene.Finish();
    const double cpuStart = ProcessCpuMilliseconds();
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (fullFrame)
            scene.graphics.SetAllControlsDirty();
        else
            scene.panel->MarkDirty(false);
        scene.graphics.DisplayTick();
        scene.Finish();
    }
    std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    const double frames = double(state.iterations());
    state.counters["ms_per_frame"] = elapsed.count() / frames;
    state.counters["cpu_ms_per_frame"] = (ProcessCpuMilliseconds() - cpuStart) / frames;
}

void BM_FrameFull(benchmark::State& state) {
    RunFrames(state, true);
}

void BM_FramePanel(benchmark::State& state) {
    RunFrames(state, false);
}

// The same panel with its area in ten bands of 100 points.
void BM_FramePanelBands(benchmark::State& state) {
    RunFrames(state, false, 10);
}

BENCHMARK(BM_FrameFull)->Name("Frame/Full")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramePanel)->Name("Frame/Panel")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramePanelBands)
    ->Name("Frame/PanelBands")
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quendaris
