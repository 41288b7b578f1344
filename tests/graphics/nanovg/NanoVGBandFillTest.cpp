// Long concave polygons are filled in vertical bands for speed, and long polylines lose the
// points that do not change them by a fiftieth of a pixel: the picture must stay the one
// NanoVG draws for the polygon as a single path of every point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "RenderHarness.h"
#include "nanovg.h"

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

// Same pixels as NanoVG's own fill but where a cut meets the outline: there the cut's fringe
// gives one to three pixels up to about a third too much or too little ink (the golden pictures
// allow 1 % of pixels off by more than 24). Answers the bands drawn.
int ExpectSameFill(Surface& s, const std::vector<Point>& polygon, const Matrix& transform) {
    int bands = 0;
    PixelImage banded = s.Frame([&](Graphics& g) {
        g.SetPathTransform(transform);
        BackendPath(g, polygon);
        g.FillPath(kTranslucent, FillStyle(), nullptr);
        bands = s.G().LastFillBands();
    });
    PixelImage single = s.Frame([&](Graphics& g) {
        g.SetPathTransform(transform);
        NanoVGFill(g, polygon, kTranslucent);
    });
    Difference d = Compare(banded, single);
    EXPECT_LE(d.worst, 100) << bands << " bands";
    EXPECT_LE(d.pixels, 4 * (bands - 1)) << bands << " bands";
    // Whole, it differs only where dropping points within a fiftieth of a pixel of the
    // outline moved an edge.
    if (bands == 1) {
        EXPECT_LE(d.worst, 8);
    }
    PixelImage empty = s.Frame([](Graphics&) {});
    EXPECT_GT(Compare(banded, empty).pixels, 1000);  // something was drawn at all
    return bands;
}

// The editor's display panel: 1,000 points over 770 x 120 pixels.
TEST(NanoVGBandFill, WigglyAreaMatchesTheSinglePathFill) {
    Surface s(800, 160);
    ASSERT_TRUE(s.Open()) << s.Error();
    EXPECT_GE(ExpectSameFill(s, WigglyArea(15, 785, 20, 140, 1000), Matrix()), 4);
    // Bands cut at whole device pixels under a fractional offset and a mirror image too.
    EXPECT_GE(
        ExpectSameFill(s, WigglyArea(15, 785, 20, 140, 1000), Matrix().Translate(0.37f, 0.21f)), 4);
    EXPECT_GE(ExpectSameFill(s, WigglyArea(-785, -15, 20, 140, 1000), Matrix(-1, 0, 0, 1, 0.3, 0)),
              4);
    // Switched off, the polygon goes to NanoVG whole.
    s.G().SetBandedFills(false);
    EXPECT_EQ(ExpectSameFill(s, WigglyArea(15, 785, 20, 140, 1000), Matrix()), 1);
}

TEST(NanoVGBandFill, AreaAtScreenScaleTwoMatchesTheSinglePathFill) {
    Surface s(400, 80, 2.0f);
    ASSERT_TRUE(s.Open()) << s.Error();
    EXPECT_GE(ExpectSameFill(s, WigglyArea(8, 393, 10, 70, 1000), Matrix()), 4);
}

// Where no cut can cross the outline cleanly the polygon is filled whole.
TEST(NanoVGBandFill, SelfCrossingPolygonKeepsItsWindings) {
    Surface s(240, 240);
    ASSERT_TRUE(s.Open()) << s.Error();
    ExpectSameFill(s, CrossingStar(120, 120, 110, 300), Matrix());
}

// A long polyline is stroked with the points that change its line by a fiftieth of a pixel or
// more; the picture stays NanoVG's stroke of every point within a few levels.
TEST(NanoVGBandFill, LongPolylineStrokeMatchesEveryPointStroked) {
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
TEST(NanoVGBandFill, PreservedPathStrokesTheWholePolygon) {
    Surface s(800, 160);
    ASSERT_TRUE(s.Open()) << s.Error();
    const std::vector<Point> area = WigglyArea(15, 785, 20, 140, 1000);
    const Color outline(255, 200, 40, 20);
    PixelImage banded = s.Frame([&](Graphics& g) {
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
    Difference d = Compare(banded, single);
    EXPECT_LE(d.worst, 100);
    EXPECT_LE(d.pixels, 40);
}

}  // namespace
}  // namespace quendaris::test
