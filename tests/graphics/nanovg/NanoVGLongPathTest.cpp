// Long paths: concave fills count their windings with local fans, and long polylines lose the
// points that do not change them by a fiftieth of a pixel. The picture must stay the one NanoVG
// draws for every point of the path with its own fan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "RenderHarness.h"
#include "nanovg.h"
#include "graphics/NanoVGGL3.h"

namespace quendaris::test {
namespace {

struct Point {
    float x, y;
};

// A spectrum-like area: a wiggly curve over [left, right] closed along the bottom.
std::vector<Point> WigglyArea(float left, float right, float top, float bottom, int points) {
    std::vector<Point> area;
    area.push_back({left, bottom});
    for (int i = 0; i < points; ++i) {
        float x = left + (right - left) * i / (points - 1.0f);
        float level = 0.5f + 0.3f * std::sin(i * 0.031f) + 0.12f * std::sin(i * 0.37f);
        area.push_back({x, bottom - (bottom - top) * level * 0.9f});
    }
    area.push_back({right, bottom});
    return area;
}

// A star with many points: it crosses itself, so windings of 1 and 2 meet.
std::vector<Point> CrossingStar(float cx, float cy, float radius, int points) {
    std::vector<Point> star;
    for (int i = 0; i < points; ++i) {
        float a = 2.0f * 3.14159265f * 7.0f * i / points;
        float r = radius * (0.75f + 0.25f * std::cos(i * 0.9f));
        star.push_back({cx + r * std::sin(a), cy - r * std::cos(a)});
    }
    return star;
}

void BackendPath(Graphics& g, const std::vector<Point>& polygon) {
    g.PathReset();
    g.PathMove(polygon[0].x, polygon[0].y);
    for (size_t i = 1; i < polygon.size(); ++i)
        g.PathLine(polygon[i].x, polygon[i].y);
    g.PathCloseFigure();
}

// The same polygon handed to NanoVG as one path, bypassing the backend's path handling.
void NanoVGFill(Graphics& g, const std::vector<Point>& polygon, const Color& c) {
    NVGcontext* vg = static_cast<GraphicsNanoVG&>(g).GetNVGContext();
    nvgBeginPath(vg);
    nvgMoveTo(vg, polygon[0].x, polygon[0].y);
    for (size_t i = 1; i < polygon.size(); ++i)
        nvgLineTo(vg, polygon[i].x, polygon[i].y);
    nvgClosePath(vg);
    nvgFillColor(vg, nvgRGBA(c.R, c.G, c.B, c.A));
    nvgFill(vg);
    g.PathReset();
}

struct Difference {
    int worst = 0;
    int pixels = 0;  // pixels with any channel off by more than 24
};

Difference Compare(const PixelImage& a, const PixelImage& b) {
    Difference d;
    EXPECT_EQ(a.rgba.size(), b.rgba.size());
    for (size_t i = 0; i + 3 < std::min(a.rgba.size(), b.rgba.size()); i += 4) {
        int pixel = 0;
        for (size_t c = 0; c < 4; ++c)
            pixel = std::max(pixel, std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c])));
        d.worst = std::max(d.worst, pixel);
        d.pixels += pixel > 24;
    }
    return d;
}

const Color kTranslucent(150, 70, 140, 220);

// A ring: an outer outline and a hole, both many-pointed, one fill.
void NanoVGRing(NVGcontext* vg, float cx, float cy) {
    nvgBeginPath(vg);
    for (int i = 0; i < 200; ++i) {
        float a = 2.0f * 3.14159265f * i / 200.0f;
        float r = 90.0f + 6.0f * std::sin(i * 0.7f);
        (i == 0 ? nvgMoveTo : nvgLineTo)(vg, cx + r * std::sin(a), cy - r * std::cos(a));
    }
    nvgClosePath(vg);
    for (int i = 0; i < 100; ++i) {
        float a = -2.0f * 3.14159265f * i / 100.0f;
        float r = 40.0f + 4.0f * std::cos(i * 0.5f);
        (i == 0 ? nvgMoveTo : nvgLineTo)(vg, cx + r * std::sin(a), cy - r * std::cos(a));
    }
    nvgPathWinding(vg, NVG_HOLE);
    nvgClosePath(vg);
    nvgFillPaint(vg, nvgLinearGradient(vg, cx, cy - 96, cx, cy + 96, nvgRGBA(240, 120, 30, 255),
                                       nvgRGBA(30, 90, 200, 160)));
    nvgFill(vg);
}

// NanoVG's own fan and the local fans count the same windings at every pixel centre: the
// pictures are the same to the bit, with windings of 1 and 2 meeting, a hole, a gradient and a
// rotation, at screen scales 1 and 2.
TEST(NanoVGLongPath, LocalFansCountTheWindingsOfNanoVGsFan) {
    for (float scale : {1.0f, 2.0f}) {
        Surface s(800, 400, scale);
        ASSERT_TRUE(s.Open()) << s.Error();
        NVGcontext* vg = s.G().GetNVGContext();
        auto scene = [&](Graphics& g) {
            NanoVGFill(g, WigglyArea(15, 785, 20, 140, 1000), kTranslucent);
            NanoVGFill(g, CrossingStar(120, 270, 110, 300), kTranslucent);
            NanoVGFill(g, CrossingStar(360, 270, 110, 37), kTranslucent);
            NanoVGRing(vg, 600, 270);
            nvgSave(vg);
            nvgTranslate(vg, 400, 200);
            nvgRotate(vg, 0.5f);
            NanoVGFill(g, WigglyArea(-300, 300, -60, 60, 500), Color(120, 20, 160, 60));
            nvgRestore(vg);
        };
        PixelImage local = s.Frame(scene);
        // The ring is two paths; the small star turns one way only, so NanoVG fills it as a
        // convex shape without the stencil.
        EXPECT_EQ(LocalFansOfLastFlush(vg), 5) << scale;
        UseLocalFans(vg, false);
        PixelImage own = s.Frame(scene);
        EXPECT_EQ(LocalFansOfLastFlush(vg), 0) << scale;
        EXPECT_EQ(WorstChannelDifference(local, own), 0) << scale;
        EXPECT_GT(Compare(local, s.Frame([](Graphics&) {})).pixels, 50000 * scale * scale);
        WritePng(SceneDir() + "/local-fans-x" + std::to_string(int(scale)) + ".png", local);
    }
}

// The backend's fill of a long area is NanoVG's fill of every point but where dropping points
// within a fiftieth of a pixel of the outline moved an edge.
void ExpectSameFill(Surface& s, const std::vector<Point>& polygon, const Matrix& transform) {
    PixelImage backend = s.Frame([&](Graphics& g) {
        g.SetPathTransform(transform);
        BackendPath(g, polygon);
        g.FillPath(kTranslucent, FillStyle(), nullptr);
    });
    PixelImage single = s.Frame([&](Graphics& g) {
        g.SetPathTransform(transform);
        NanoVGFill(g, polygon, kTranslucent);
    });
    Difference d = Compare(backend, single);
    EXPECT_LE(d.worst, 8);
    EXPECT_EQ(d.pixels, 0);
    EXPECT_GT(Compare(backend, s.Frame([](Graphics&) {})).pixels, 1000);  // something was drawn
}

// The editor's display panel: 1,000 points over 770 x 120 pixels, also under a fractional
// offset, mirrored and at screen scale 2.
TEST(NanoVGLongPath, WigglyAreaMatchesEveryPointFilled) {
    Surface s(800, 160);
    ASSERT_TRUE(s.Open()) << s.Error();
    ExpectSameFill(s, WigglyArea(15, 785, 20, 140, 1000), Matrix());
    ExpectSameFill(s, WigglyArea(15, 785, 20, 140, 1000), Matrix().Translate(0.37f, 0.21f));
    ExpectSameFill(s, WigglyArea(-785, -15, 20, 140, 1000), Matrix(-1, 0, 0, 1, 0.3, 0));
    Surface twice(400, 80, 2.0f);
    ASSERT_TRUE(twice.Open()) << twice.Error();
    ExpectSameFill(twice, WigglyArea(8, 393, 10, 70, 1000), Matrix());
}

TEST(NanoVGLongPath, SelfCrossingPolygonKeepsItsWindings) {
    Surface s(240, 240);
    ASSERT_TRUE(s.Open()) << s.Error();
    ExpectSameFill(s, CrossingStar(120, 120, 110, 300), Matrix());
}

// A long polyline is stroked with the points that change its line by a fiftieth of a pixel or
// more; the picture stays NanoVG's stroke of every point within a few levels.
TEST(NanoVGLongPath, LongPolylineStrokeMatchesEveryPointStroked) {
    for (float scale : {1.0f, 2.0f}) {
        Surface s(400, 120, scale);
        ASSERT_TRUE(s.Open()) << s.Error();
        std::vector<Point> curve;
        for (int i = 0; i < 700; ++i) {
            // Flat, then a smooth peak, then a straight fall: most points add nothing.
            float x = 10.0f + i * 0.54f;
            float y = i < 300 ? 60.0f : 60.0f - 40.0f * std::exp(-0.0005f * (i - 400) * (i - 400));
            if (i > 500)
                y = 60.0f + (i - 500) * 0.2f;
            curve.push_back({x, y});
        }
        const Color line(255, 255, 160, 0);
        PixelImage backend = s.Frame([&](Graphics& g) {
            g.PathReset();
            g.PathMove(curve[0].x, curve[0].y);
            for (size_t i = 1; i < curve.size(); ++i)
                g.PathLine(curve[i].x, curve[i].y);
            g.StrokePath(line, 2.5f, LineStyle(), nullptr);
        });
        PixelImage every = s.Frame([&](Graphics& g) {
            NVGcontext* vg = static_cast<GraphicsNanoVG&>(g).GetNVGContext();
            nvgBeginPath(vg);
            nvgMoveTo(vg, curve[0].x, curve[0].y);
            for (size_t i = 1; i < curve.size(); ++i)
                nvgLineTo(vg, curve[i].x, curve[i].y);
            nvgStrokeColor(vg, nvgRGBA(line.R, line.G, line.B, line.A));
            nvgStrokeWidth(vg, 2.5f);
            nvgStroke(vg);
        });
        Difference d = Compare(backend, every);
        EXPECT_LE(d.worst, 8) << scale;
        EXPECT_EQ(d.pixels, 0) << scale;
        EXPECT_GT(Compare(backend, s.Frame([](Graphics&) {})).pixels, 500);
    }
}

// A preserved path is still the whole polygon afterwards: its stroke is the polygon's outline.
TEST(NanoVGLongPath, PreservedPathStrokesTheWholePolygon) {
    Surface s(800, 160);
    ASSERT_TRUE(s.Open()) << s.Error();
    const std::vector<Point> area = WigglyArea(15, 785, 20, 140, 1000);
    const Color outline(255, 200, 40, 20);
    PixelImage backend = s.Frame([&](Graphics& g) {
        BackendPath(g, area);
        FillStyle keep;
        keep.preserve = true;
        g.FillPath(kTranslucent, keep, nullptr);
        g.StrokePath(outline, 2.0f, LineStyle(), nullptr);
    });
    PixelImage single = s.Frame([&](Graphics& g) {
        NanoVGFill(g, area, kTranslucent);
        BackendPath(g, area);
        g.StrokePath(outline, 2.0f, LineStyle(), nullptr);
    });
    Difference d = Compare(backend, single);
    EXPECT_LE(d.worst, 8);
    EXPECT_EQ(d.pixels, 0);
}

}  // namespace
}  // namespace quendaris::test
