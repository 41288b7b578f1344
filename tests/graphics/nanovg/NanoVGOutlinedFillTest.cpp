// A fill whose outline is stroked next with an opaque line is drawn without its antialiasing
// fringe (an area under a curve as a row of trapezoids): the line covers the fill's edge, so
// the picture must stay the one with the fringe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "RenderHarness.h"

namespace quendaris::test {
namespace {

struct Point {
    float x, y;
};

const Color kArea(150, 0, 130, 180);
const Color kOutline(255, 0, 200, 255);

// A spectrum-like area of 40 points closed along the bottom.
void AreaPath(Graphics& g) {
    g.PathReset();
    g.PathMove(10, 90);
    for (int i = 0; i < 40; ++i)
        g.PathLine(10.0f + 4.5f * i, 50.0f - 35.0f * std::sin(i * 0.45f) * std::cos(i * 0.13f));
    g.PathLine(185.5f, 90);
    g.PathCloseFigure();
}

using Stroke = std::function<void(Graphics&)>;

// The area filled keeping its path, then stroked.
PixelImage FillThenStroke(Surface& s, const Stroke& stroke, bool& antialiased) {
    return s.Frame([&](Graphics& g) {
        g.PaintRect(Color(255, 15, 20, 30), Rect(0, 0, 200, 100));
        AreaPath(g);
        FillStyle keep;
        keep.preserve = true;
        g.FillPath(kArea, keep, nullptr);
        stroke(g);
        antialiased = s.G().LastFillAntialiased();
    });
}

// The same picture with the fill drawn on its own first (always with its fringe).
PixelImage FillAloneThenStroke(Surface& s, const Stroke& stroke) {
    return s.Frame([&](Graphics& g) {
        g.PaintRect(Color(255, 15, 20, 30), Rect(0, 0, 200, 100));
        AreaPath(g);
        g.FillPath(kArea, FillStyle(), nullptr);
        AreaPath(g);
        stroke(g);
    });
}

Stroke Line(const Color& color, float thickness) {
    return
        [color, thickness](Graphics& g) { g.StrokePath(color, thickness, LineStyle(), nullptr); };
}

TEST(NanoVGOutlinedFill, OpaqueOutlineHidesTheFringeItReplaces) {
    for (float scale : {1.0f, 2.0f}) {
        Surface s(200, 100, scale);
        ASSERT_TRUE(s.Open()) << s.Error();
        for (float thickness : {1.5f, 2.5f}) {
            bool antialiased = true;
            PixelImage outlined = FillThenStroke(s, Line(kOutline, thickness), antialiased);
            EXPECT_FALSE(antialiased) << scale << " " << thickness;
            EXPECT_TRUE(s.G().LastFillTrapezoids()) << scale << " " << thickness;
            PixelImage reference = FillAloneThenStroke(s, Line(kOutline, thickness));
            // The fringe shows through the line's soft edge by a few levels at most.
            EXPECT_LE(WorstChannelDifference(outlined, reference), 4) << scale << " " << thickness;
        }
    }
}

TEST(NanoVGOutlinedFill, EdgeStaysSoftWhereTheLineCannotCoverIt) {
    Surface s(200, 100);
    ASSERT_TRUE(s.Open()) << s.Error();
    LineStyle dashed;
    dashed.dash.count = 2;
    dashed.dash.lengths[0] = dashed.dash.lengths[1] = 4.0f;
    const std::vector<std::pair<const char*, Stroke>> strokes = {
        {"translucent", Line(Color(128, 0, 200, 255), 2.5f)},
        {"thin", Line(kOutline, 1.0f)},
        {"dashed", [&](Graphics& g) { g.StrokePath(kOutline, 2.5f, dashed, nullptr); }},
        {"gradient",
         [](Graphics& g) {
             g.StrokePath(PaintSource::LinearGradient(0, 0, 200, 0, kOutline, Color(255, 9, 9, 9)),
                          2.5f, LineStyle(), nullptr);
         }},
        {"faded",
         [](Graphics& g) {
             const Blend half(0, 0.5f);
             g.StrokePath(kOutline, 2.5f, LineStyle(), &half);
         }},
        {"path extended first",
         [](Graphics& g) {
             g.PathMove(20, 20);
             g.StrokePath(kOutline, 2.5f, LineStyle(), nullptr);
         }},
    };
    for (const auto& [name, stroke] : strokes) {
        bool antialiased = false;
        PixelImage outlined = FillThenStroke(s, stroke, antialiased);
        EXPECT_TRUE(antialiased) << name;
        EXPECT_LE(WorstChannelDifference(outlined, FillAloneThenStroke(s, stroke)), 1) << name;
    }
}

// A spectrum's area: a thousand bins on a logarithmic axis, a few to a pixel at the right end,
// jagged from bin to bin.
void DenseAreaPath(Graphics& g) {
    g.PathReset();
    g.PathMove(10, 90);
    for (int i = 1; i <= 1000; ++i) {
        const float x = 10.0f + 180.0f * std::log(float(i)) / std::log(1000.0f);
        const float jag = float((i * 7919) % 23) - 11.0f;
        g.PathLine(x, 45.0f - 25.0f * std::sin(x * 0.05f) + jag);
    }
    g.PathLine(190, 90);
    g.PathCloseFigure();
}

// An outlined area under a curve is drawn as trapezoids standing on its base: the pixels the
// stencilled fill covers, whichever way the curve runs and on whichever side of the base. Where
// several points share a pixel column (the dense area), it takes about one per column.
TEST(NanoVGOutlinedFill, TrapezoidsCoverWhatTheStencilledFillCovers) {
    const std::vector<std::pair<const char*, Matrix>> placements = {
        {"as drawn", Matrix()},
        {"mirrored", Matrix(-1, 0, 0, 1, 200, 0)},
        {"hanging", Matrix(1, 0, 0, -1, 0.5, 100.25)},
    };
    struct Area {
        const char* name;
        void (*path)(Graphics&);
        size_t mostTrapezoidsPerScale;  // 180 columns at scale 1, 360 at scale 2
    };
    const Area areas[] = {{"curve", AreaPath, 40}, {"dense", DenseAreaPath, 200}};
    for (float scale : {1.0f, 2.0f}) {
        Surface s(200, 100, scale);
        ASSERT_TRUE(s.Open()) << s.Error();
        for (const Area& area : areas) {
            for (const auto& [name, placement] : placements) {
                auto scene = [&](Graphics& g) {
                    g.PaintRect(Color(255, 15, 20, 30), Rect(0, 0, 200, 100));
                    g.SetPathTransform(placement);
                    area.path(g);
                    FillStyle keep;
                    keep.preserve = true;
                    g.FillPath(kArea, keep, nullptr);
                    g.StrokePath(kOutline, 1.5f, LineStyle(), nullptr);
                };
                const std::string what =
                    std::string(area.name) + " " + name + " " + std::to_string(int(scale));
                PixelImage trapezoids = s.Frame(scene);
                EXPECT_TRUE(s.G().LastFillTrapezoids()) << what;
                EXPECT_LE(s.G().LastTrapezoidCount(), size_t(area.mostTrapezoidsPerScale * scale))
                    << what;
                s.G().SetAttributeProgram(false);
                PixelImage stencilled = s.Frame(scene);
                s.G().SetAttributeProgram(true);
                EXPECT_FALSE(s.G().LastFillTrapezoids()) << what;
                WritePng(
                    SceneDir() + "/area-" + area.name + "-" + std::to_string(int(scale)) + ".png",
                    trapezoids);
                EXPECT_LE(WorstChannelDifference(trapezoids, stencilled), 1) << what;
            }
        }
    }
}

// A polygon that turns back on itself, or crosses its base, is no row of trapezoids.
TEST(NanoVGOutlinedFill, OtherPolygonsKeepTheStencilledFill) {
    Surface s(200, 100);
    ASSERT_TRUE(s.Open()) << s.Error();
    const std::vector<std::vector<Point>> polygons = {
        {{10, 90}, {60, 20}, {40, 40}, {120, 30}, {180, 90}},
        {{10, 50}, {60, 20}, {120, 80}, {180, 50}},
        {{10, 90}, {60, 20}, {120, 30}, {180, 80}},
    };
    for (const auto& polygon : polygons) {
        s.Frame([&](Graphics& g) {
            g.PathReset();
            g.PathMove(polygon[0].x, polygon[0].y);
            for (size_t i = 1; i < polygon.size(); ++i)
                g.PathLine(polygon[i].x, polygon[i].y);
            g.PathCloseFigure();
            FillStyle keep;
            keep.preserve = true;
            g.FillPath(kArea, keep, nullptr);
            g.StrokePath(kOutline, 2.5f, LineStyle(), nullptr);
        });
        EXPECT_FALSE(s.G().LastFillAntialiased());
        EXPECT_FALSE(s.G().LastFillTrapezoids()) << polygon[1].x;
    }
}

// Anything but a stroke draws the waiting fill first, with its fringe, in its place.
TEST(NanoVGOutlinedFill, WaitingFillIsDrawnBeforeWhatFollows) {
    Surface s(200, 100);
    ASSERT_TRUE(s.Open()) << s.Error();
    PixelImage image = s.Frame([&](Graphics& g) {
        AreaPath(g);
        FillStyle keep;
        keep.preserve = true;
        g.FillPath(kArea, keep, nullptr);
        g.PaintRect(Color(255, 250, 250, 250), Rect(60, 60, 80, 80));
    });
    EXPECT_TRUE(s.G().LastFillAntialiased());
    // The rectangle lies over the area, and the area shows beside it.
    EXPECT_EQ(image.At(70, 70)[0], 250);
    EXPECT_GT(image.At(40, 85)[3], 100);
    // A fill kept at the end of a frame is drawn too.
    PixelImage last = s.Frame([&](Graphics& g) {
        AreaPath(g);
        FillStyle keep;
        keep.preserve = true;
        g.FillPath(kArea, keep, nullptr);
    });
    EXPECT_GT(last.At(40, 85)[3], 100);
}

}  // namespace
}  // namespace quendaris::test
