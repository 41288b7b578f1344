// What the NanoVG backend puts on screen, read back from Mesa's OpenGL: each scene is written
// as a PNG into the build tree and compared with its reviewed golden picture.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "RenderHarness.h"

namespace quendaris::test {
namespace {

constexpr float kPi = 3.14159265f;
const uint8_t kWhite[3] = {255, 255, 255};
const uint8_t kNavy[3] = {20, 30, 120};
const Color kNavyColor(255, 20, 30, 120);

class NanoVGRender : public ::testing::Test {
  protected:
    void RequireOpen(Surface& surface) {
        ASSERT_TRUE(surface.Open()) << "no off-screen OpenGL: " << surface.Error();
    }
};

bool IsColor(const uint8_t* p, int r, int g, int b, int tolerance = 0) {
    return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
           std::abs(p[2] - b) <= tolerance;
}

TEST_F(NanoVGRender, PaintRectCoversExactlyItsRectangle) {
    Surface s(60, 40);
    RequireOpen(s);
    PixelImage image =
        s.Frame([](Graphics& g) { g.PaintRect(Color(255, 200, 0, 0), Rect(10, 10, 30, 25)); });
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            bool inside = x >= 10 && x < 30 && y >= 10 && y < 25;
            const uint8_t* p = image.At(x, y);
            if (inside)
                EXPECT_TRUE(IsColor(p, 200, 0, 0)) << x << "," << y;
            else
                EXPECT_TRUE(IsColor(p, 255, 255, 255)) << x << "," << y;
        }
    }
    CompareWithGolden("rect", image);
}

TEST_F(NanoVGRender, VerticalGradientHasItsStopsAtTheEndsAndTheMixBetween) {
    Surface s(40, 100);
    RequireOpen(s);
    const Color top(255, 240, 20, 0);
    const Color bottom(255, 0, 40, 220);
    PixelImage image = s.Frame([&](Graphics& g) {
        Rect r(0, 0, 40, 100);
        g.PathReset();
        g.PathRectShape(r);
        g.FillPath(PaintSource::LinearGradient(0, 0, 0, 100, top, bottom), FillStyle(), nullptr);
    });
    EXPECT_TRUE(IsColor(image.At(20, 0), 240, 20, 0, 3));
    EXPECT_TRUE(IsColor(image.At(20, 99), 0, 40, 220, 3));
    // Halfway down: the mean of the two stops.
    EXPECT_TRUE(IsColor(image.At(20, 50), 120, 30, 110, 3))
        << int(image.At(20, 50)[0]) << " " << int(image.At(20, 50)[1]) << " "
        << int(image.At(20, 50)[2]);
    // Every row is the straight mix at its pixel centre, the same across the row.
    for (int y = 0; y < 100; ++y) {
        float t = (y + 0.5f) / 100.0f;
        int r = int(std::lround(240 * (1 - t)));
        int gch = int(std::lround(20 * (1 - t) + 40 * t));
        int b = int(std::lround(220 * t));
        EXPECT_TRUE(IsColor(image.At(5, y), r, gch, b, 3)) << "row " << y;
        EXPECT_TRUE(IsColor(image.At(35, y), r, gch, b, 3)) << "row " << y;
    }
    CompareWithGolden("gradient", image);
}

TEST_F(NanoVGRender, CirclesAndRoundRectanglesHaveTheirArea) {
    Surface s(200, 100);
    RequireOpen(s);
    PixelImage image = s.Frame([](Graphics& g) {
        g.PaintCircle(kNavyColor, 50, 50, 30);
        g.PaintRoundRect(kNavyColor, Rect(110, 20, 190, 80), 15);
    });
    // Area by coverage, antialiased edges included.
    EXPECT_NEAR(CoverageSum(image, 0, 0, 100, 100, kWhite, kNavy), kPi * 30 * 30,
                0.01f * kPi * 900);
    const float roundRectArea = 80 * 60 - (4 - kPi) * 15 * 15;
    EXPECT_NEAR(CoverageSum(image, 100, 0, 200, 100, kWhite, kNavy), roundRectArea,
                0.01f * roundRectArea);
    // Inside and outside near the edges.
    EXPECT_TRUE(IsColor(image.At(50, 22), 20, 30, 120, 2));   // 27.5 from the centre
    EXPECT_TRUE(IsColor(image.At(50, 17), 255, 255, 255));    // 32.5 from the centre
    EXPECT_TRUE(IsColor(image.At(72, 72), 255, 255, 255));    // on the diagonal, 31.8 away
    EXPECT_TRUE(IsColor(image.At(110, 21), 255, 255, 255));   // the rounded-off corner
    EXPECT_TRUE(IsColor(image.At(110, 50), 20, 30, 120, 2));  // straight edge
    EXPECT_TRUE(IsColor(image.At(150, 20), 20, 30, 120, 2));
    CompareWithGolden("shapes", image);
}

TEST_F(NanoVGRender, StrokesHaveTheirThickness) {
    Surface s(120, 100);
    RequireOpen(s);
    PixelImage image = s.Frame([](Graphics& g) {
        g.StrokeLine(kNavyColor, 10, 20, 110, 20, nullptr, 4.0f);
        g.StrokeLine(kNavyColor, 20, 30, 20, 90, nullptr, 1.0f);
        g.StrokeRect(kNavyColor, Rect(40, 40, 100, 80), nullptr, 2.0f);
        g.StrokeCircle(kNavyColor, 70, 60, 10, nullptr, 3.0f);
    });
    // A 4-pixel line centred on y = 20 fills rows 18 to 21 and nothing else.
    for (int y = 12; y < 28; ++y) {
        float column = CoverageSum(image, 60, y, 61, y + 1, kWhite, kNavy);
        EXPECT_NEAR(column, (y >= 18 && y < 22) ? 1.0f : 0.0f, 0.02f) << "row " << y;
    }
    // A 1-pixel line on x = 20 straddles two pixel columns; its ink adds up to one pixel.
    EXPECT_NEAR(CoverageSum(image, 15, 60, 25, 61, kWhite, kNavy), 1.0f, 0.05f);
    // 2-pixel rectangle outline: one pixel either side of x = 40.
    EXPECT_NEAR(CoverageSum(image, 36, 60, 44, 61, kWhite, kNavy), 2.0f, 0.05f);
    EXPECT_TRUE(IsColor(image.At(39, 60), 20, 30, 120, 2));
    EXPECT_TRUE(IsColor(image.At(40, 60), 20, 30, 120, 2));
    // Ring of width 3 around radius 10: area 2 pi r w.
    EXPECT_NEAR(CoverageSum(image, 55, 45, 85, 75, kWhite, kNavy), 2 * kPi * 10 * 3,
                0.03f * 2 * kPi * 30);
    CompareWithGolden("strokes", image);
}

TEST_F(NanoVGRender, ArcsStartAtTwelveOClockAndRunClockwise) {
    Surface s(160, 80);
    RequireOpen(s);
    PixelImage image = s.Frame([](Graphics& g) {
        g.PaintArc(kNavyColor, 40, 40, 30, 0, 90);                     // the top-right quarter
        g.StrokeArc(kNavyColor, 120, 40, 30, 90, 180, nullptr, 4.0f);  // three to six o'clock
    });
    EXPECT_TRUE(IsColor(image.At(55, 25), 20, 30, 120, 2));  // top right of the centre
    EXPECT_TRUE(IsColor(image.At(25, 25), 255, 255, 255));   // top left
    EXPECT_TRUE(IsColor(image.At(55, 55), 255, 255, 255));   // bottom right
    EXPECT_TRUE(IsColor(image.At(25, 55), 255, 255, 255));   // bottom left
    EXPECT_NEAR(CoverageSum(image, 0, 0, 80, 80, kWhite, kNavy), kPi * 900 / 4,
                0.02f * kPi * 900 / 4);
    // The stroked arc passes three o'clock and six o'clock, not twelve or nine.
    EXPECT_TRUE(IsColor(image.At(149, 40), 20, 30, 120, 2));
    EXPECT_TRUE(IsColor(image.At(120, 69), 20, 30, 120, 2));
    EXPECT_TRUE(IsColor(image.At(120, 10), 255, 255, 255));
    EXPECT_TRUE(IsColor(image.At(90, 40), 255, 255, 255));
    // Its middle (half past four) is on the circle at 135 degrees.
    float mx = 120 + 30 * std::sin(135 * kPi / 180);
    float my = 40 - 30 * std::cos(135 * kPi / 180);
    EXPECT_TRUE(IsColor(image.At(int(mx), int(my)), 20, 30, 120, 40));
    CompareWithGolden("arcs", image);
}

TEST_F(NanoVGRender, BlendWeightQuartersTheAlpha) {
    Surface s(40, 20);
    RequireOpen(s);
    Blend quarter(0, 0.25f);
    PixelImage image = s.BareFrame([&](Graphics& g) {
        g.PaintRect(Color(255, 255, 255, 255), Rect(0, 0, 20, 20), &quarter);
        g.PaintRect(Color(255, 0, 0, 0), Rect(20, 0, 40, 20));
        g.PaintRect(Color(255, 255, 255, 255), Rect(20, 0, 40, 20), &quarter);
    });
    // Over nothing: a quarter of full alpha (premultiplied white).
    const uint8_t* alone = image.At(10, 10);
    EXPECT_NEAR(alone[3], 64, 1);
    EXPECT_NEAR(alone[0], 64, 1);
    // Over opaque black: a quarter of the way to white.
    const uint8_t* over = image.At(30, 10);
    EXPECT_NEAR(over[0], 64, 1);
    EXPECT_EQ(over[3], 255);
    CompareWithGolden("blend", image);
}

TEST_F(NanoVGRender, ClipConfinesDrawing) {
    Surface s(60, 40);
    RequireOpen(s);
    PixelImage image = s.Frame([](Graphics& g) {
        g.ClipToRect(Rect(15, 10, 35, 30));
        g.PaintCircle(kNavyColor, 30, 20, 40);
        g.StrokeLine(kNavyColor, 0, 20, 60, 20, nullptr, 3.0f);
    });
    PixelBox ink = InkBox(image, 0, 0, 60, 40, kWhite);
    EXPECT_EQ(ink.x0, 15);
    EXPECT_EQ(ink.y0, 10);
    EXPECT_EQ(ink.x1, 35);
    EXPECT_EQ(ink.y1, 30);
    EXPECT_TRUE(IsColor(image.At(20, 15), 20, 30, 120, 2));
    CompareWithGolden("clip", image);
}

TEST_F(NanoVGRender, TextLandsInsideItsRectangleForEveryAlignment) {
    Surface s(330, 210);
    RequireOpen(s);
    const auto& font = RobotoBytes();
    ASSERT_FALSE(font.empty());
    ASSERT_TRUE(s.G().LoadFontFromMemory("Roboto-Regular", font.data(), int(font.size())));
    auto cell = [](int column, int row) {
        return Rect(10.0f + column * 105, 10.0f + row * 65, 110.0f + column * 105,
                    70.0f + row * 65);
    };
    PixelImage image = s.Frame([&](Graphics& g) {
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < 3; ++column) {
                Rect r = cell(column, row);
                g.StrokeRect(Color(255, 200, 200, 200), r);
                TextStyle style(16.0f, kNavyColor, "Roboto-Regular", column, row);
                g.RenderText(style, "Quendaris", r);
            }
        }
    });
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            Rect r = cell(column, row);
            SCOPED_TRACE("alignment " + std::to_string(column) + "/" + std::to_string(row));
            PixelBox ink =
                InkBox(image, int(r.L) + 1, int(r.T) + 1, int(r.R) - 1, int(r.B) - 1, kWhite, 80);
            ASSERT_FALSE(ink.Empty());
            // About 75 pixels wide at 16 px; the word's left/centre/right meets the anchor.
            EXPECT_GT(ink.x1 - ink.x0, 50);
            EXPECT_LT(ink.x1 - ink.x0, 95);
            if (column == kAlignNear) {
                EXPECT_NEAR(ink.x0, r.L, 3);
            }
            if (column == kAlignCentre) {
                EXPECT_NEAR(0.5f * (ink.x0 + ink.x1), r.MW(), 2);
            }
            if (column == kAlignFar) {
                EXPECT_NEAR(ink.x1, r.R, 3);
            }
            // Top: the line's top at T, so the capitals start a few pixels lower; bottom: the
            // descender line at B, with the tail of the Q just above it.
            if (row == kVAlignTop) {
                EXPECT_NEAR(ink.y0, r.T + 3, 3);
            }
            if (row == kVAlignMiddle) {
                EXPECT_NEAR(0.5f * (ink.y0 + ink.y1), r.MH(), 3);
            }
            if (row == kVAlignBottom) {
                EXPECT_NEAR(ink.y1, r.B - 2, 3);
            }
        }
    }
    CompareWithGolden("text", image);
}

TEST_F(NanoVGRender, UnknownFontDrawsNothing) {
    Surface s(120, 40);
    RequireOpen(s);
    const auto& font = RobotoBytes();
    ASSERT_TRUE(s.G().LoadFontFromMemory("Roboto-Regular", font.data(), int(font.size())));
    TextStyle unknown(16.0f, kNavyColor, "No-Such-Font");
    PixelImage image =
        s.Frame([&](Graphics& g) { g.RenderText(unknown, "Quendaris", Rect(0, 0, 120, 40)); });
    EXPECT_TRUE(InkBox(image, 0, 0, 120, 40, kWhite, 0).Empty());
    Rect bounds(1, 2, 3, 4);
    EXPECT_EQ(s.G().MeasureTextExtent(unknown, "Quendaris", bounds), 0.0f);
    TextStyle known(16.0f, kNavyColor, "Roboto-Regular");
    Rect measured(0, 0, 120, 40);
    float width = s.G().MeasureTextExtent(known, "Quendaris", measured);
    EXPECT_GT(width, 50.0f);
    EXPECT_NEAR(measured.W(), width, 0.01f);
}

TEST_F(NanoVGRender, ImagesAreDrawnAtTheirLogicalSize) {
    const std::string dir = SceneDir();
    // A 16 x 8 picture at scale 1 and a 40 x 20 one that exists only as its @2x variant.
    PixelImage tile{16, 8, {}};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            for (uint8_t v :
                 {uint8_t(x < 8 ? 230 : 20), uint8_t(y < 4 ? 160 : 60), uint8_t(90), uint8_t(255)})
                tile.rgba.push_back(v);
    PixelImage doubled{40, 20, std::vector<uint8_t>(40 * 20 * 4, 0)};
    for (size_t i = 0; i < doubled.rgba.size(); i += 4) {
        doubled.rgba[i + 2] = 200;
        doubled.rgba[i + 3] = 255;
    }
    ASSERT_TRUE(WritePng(dir + "/tile.png", tile));
    ASSERT_TRUE(WritePng(dir + "/panel@2x.png", doubled));

    Surface s(80, 40);
    RequireOpen(s);
    BitmapRef one = s.G().LoadImageResource((dir + "/tile.png").c_str(), 1, false, 1);
    BitmapRef two = s.G().LoadImageResource((dir + "/panel.png").c_str(), 1, false, 2);
    ASSERT_TRUE(one.IsValid());
    ASSERT_TRUE(two.IsValid());
    EXPECT_EQ(one.W(), 16);
    EXPECT_EQ(two.W(), 20);
    EXPECT_EQ(two.H(), 10);
    PixelImage image = s.Frame([&](Graphics& g) {
        g.DrawBitmap(one, Rect(10, 10, 26, 18));
        g.DrawBitmap(two, Rect(40, 10, 60, 20));
    });
    // The scale-1 picture lands pixel for pixel.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            EXPECT_TRUE(IsColor(image.At(10 + x, 10 + y), x < 8 ? 230 : 20, y < 4 ? 160 : 60, 90))
                << x << "," << y;
    // The @2x picture covers 20 x 10 logical pixels.
    PixelBox blue = InkBox(image, 30, 0, 80, 40, kWhite);
    EXPECT_EQ(blue.x0, 40);
    EXPECT_EQ(blue.x1, 60);
    EXPECT_EQ(blue.y0, 10);
    EXPECT_EQ(blue.y1, 20);
    CompareWithGolden("image", image);
}

TEST_F(NanoVGRender, BlitAndImagePatternCopiesGiveTheSamePixels) {
    Surface s(200, 120);
    RequireOpen(s);
    const auto& font = RobotoBytes();
    ASSERT_TRUE(s.G().LoadFontFromMemory("Roboto-Regular", font.data(), int(font.size())));
    auto scene = [](Graphics& g) {
        g.PathReset();
        g.PathRectShape(Rect(0, 0, 200, 120));
        g.FillPath(PaintSource::LinearGradient(0, 0, 200, 120, Color(255, 250, 200, 40),
                                               Color(255, 30, 60, 160)),
                   FillStyle(), nullptr);
        g.PaintCircle(Color(160, 255, 255, 255), 60, 60, 40);
        g.StrokeArc(Color(255, 10, 10, 10), 140, 60, 40, 225, 495, nullptr, 5.0f);
        g.RenderText(TextStyle(18.0f, Color(255, 0, 0, 0), "Roboto-Regular"), "Copy",
                     Rect(100, 40, 180, 80));
    };
    s.G().SetFrameCopy(GraphicsNanoVG::FrameCopy::kBlit);
    PixelImage blit = s.Frame(scene);
    s.G().SetFrameCopy(GraphicsNanoVG::FrameCopy::kImagePattern);
    PixelImage pattern = s.Frame(scene);
    EXPECT_LE(WorstChannelDifference(blit, pattern), 1);
    EXPECT_EQ(blit.rgba, s.G().ReadBackingPixels().rgba);
}

TEST_F(NanoVGRender, DrawsInDevicePixelsAtScreenScaleTwo) {
    Surface s(40, 30, 2.0f);
    RequireOpen(s);
    EXPECT_EQ(s.G().BackingWidth(), 80);
    PixelImage image =
        s.Frame([](Graphics& g) { g.PaintRect(Color(255, 200, 0, 0), Rect(10, 10, 30, 20)); });
    ASSERT_EQ(image.width, 80);
    ASSERT_EQ(image.height, 60);
    PixelBox red = InkBox(image, 0, 0, 80, 60, kWhite);
    EXPECT_EQ(red.x0, 20);
    EXPECT_EQ(red.y0, 20);
    EXPECT_EQ(red.x1, 60);
    EXPECT_EQ(red.y1, 40);
}

}  // namespace
}  // namespace quendaris::test

namespace quendaris::test {
namespace {

PixelImage Picture(int w, int h, uint8_t alpha) {
    PixelImage p{w, h, {}};
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (uint8_t v :
                 {uint8_t(x * 255 / w), uint8_t(y * 255 / h), uint8_t((x ^ y) * 8), alpha})
                p.rgba.push_back(v);
    return p;
}

// Every kind of paint: solid convex and concave fills (the stencil pass), linear and radial
// gradients, a picture drawn as an image fill, text, strokes, partial alpha and a clip.
TEST(NanoVGAttributeProgram, GivesTheSamePixelsAsNanoVGsOwnProgram) {
    const std::string dir = SceneDir();
    ASSERT_TRUE(WritePng(dir + "/paint.png", Picture(40, 30, 200)));
    Surface s(200, 140);
    ASSERT_TRUE(s.Open()) << s.Error();
    const auto& font = RobotoBytes();
    ASSERT_TRUE(s.G().LoadFontFromMemory("Roboto-Regular", font.data(), int(font.size())));
    BitmapRef picture = s.G().LoadImageResource((dir + "/paint.png").c_str(), 1, false, 1);
    ASSERT_TRUE(picture.IsValid());
    auto scene = [&](Graphics& g) {
        g.PaintRect(Color(255, 20, 24, 30), Rect(0, 0, 200, 140));
        g.PathReset();
        g.PathMove(10, 130);
        for (int i = 0; i <= 90; ++i)
            g.PathLine(10.0f + 2.0f * i, 70.0f + 40.0f * std::sin(i * 0.4f));
        g.PathLine(190, 130);
        g.PathCloseFigure();
        FillStyle keep;
        keep.preserve = true;
        g.FillPath(Color(150, 0, 130, 180), keep, nullptr);
        g.StrokePath(Color(255, 0, 200, 255), 1.5f, LineStyle(), nullptr);
        g.PathReset();
        g.PathRoundRectShape(Rect(10, 10, 90, 40), 6);
        g.FillPath(PaintSource::LinearGradient(10, 10, 10, 40, Color(255, 200, 210, 220),
                                               Color(255, 40, 44, 50)),
                   FillStyle(), nullptr);
        g.PathReset();
        g.PathCircleShape(130, 30, 22);
        g.FillPath(PaintSource::RadialGradient(130, 30, 22, Color(255, 255, 240, 120),
                                               Color(255, 120, 40, 10)),
                   FillStyle(), nullptr);
        const Blend half(0, 0.5f);
        g.DrawBitmap(picture, Rect(150, 60, 190, 90), 1, &half);
        g.StrokeArc(Color(255, 240, 150, 40), 60, 90, 25, -135, 90, nullptr, 4);
        g.RenderText(TextStyle(16.0f, Color(255, 230, 230, 235), "Roboto-Regular"), "Paint",
                     Rect(100, 100, 190, 130));
        g.ClipToRect(Rect(20, 20, 60, 60));
        g.PaintCircle(Color(128, 250, 250, 250), 40, 40, 30);
    };
    s.G().SetAttributeProgram(false);
    PixelImage single = s.Frame(scene);
    s.G().SetAttributeProgram(true);
    PixelImage attributes = s.Frame(scene);
    EXPECT_LE(WorstChannelDifference(single, attributes), 1);
    // The scene drew what it says: text, the gradient's light top, the clipped circle's edge.
    const uint8_t ground[3] = {20, 24, 30};
    EXPECT_LT(InkBox(attributes, 100, 100, 190, 130, ground).x0, 190);
    EXPECT_GT(attributes.At(50, 12)[0], 150);
    EXPECT_EQ(attributes.At(61, 40)[0], single.At(61, 40)[0]);
}

// Rows of knob-like controls, each a gradient disc under a translucent pointer, a label that
// overlaps the disc and a tick that touches its edge, with neighbours whose edges just meet. The
// draws of one kind of paint are regrouped across controls; wherever two draws share a pixel their
// order must hold.
TEST(NanoVGAttributeProgram, RegroupedDrawsKeepTheOrderWhereverTheyOverlap) {
    const auto& font = RobotoBytes();
    for (float scale : {1.0f, 2.0f}) {
        Surface s(160, 100, scale);
        ASSERT_TRUE(s.Open()) << s.Error();
        ASSERT_TRUE(s.G().LoadFontFromMemory("Roboto-Regular", font.data(), int(font.size())));
        auto scene = [&](Graphics& g) {
            g.PaintRect(Color(255, 30, 32, 36), Rect(0, 0, 160, 100));
            for (int row = 0; row < 2; ++row) {
                for (int col = 0; col < 4; ++col) {
                    // Discs 36 wide, 36.5 apart: only their fringes meet.
                    const float cx = 20.0f + 36.5f * col, cy = 24.0f + 48.0f * row;
                    g.PathReset();
                    g.PathCircleShape(cx, cy, 18.0f);
                    g.FillPath(PaintSource::LinearGradient(cx, cy - 18, cx, cy + 18,
                                                           Color(230, 200, 90, 60),
                                                           Color(230, 40, 60, 160)),
                               FillStyle(), nullptr);
                    // A tick that only the disc's antialiased edge reaches.
                    g.PaintRect(Color(120, 90, 220, 120),
                                Rect(cx - 2, cy - 23, cx + 2, cy - 17.8f));
                    g.StrokeLine(Color(160, 250, 250, 250), cx, cy, cx + 10.0f, cy - 12.0f, nullptr,
                                 3.0f);
                    g.RenderText(TextStyle(12.0f, Color(200, 240, 230, 120), "Roboto-Regular"),
                                 ("K" + std::to_string(col)).c_str(),
                                 Rect(cx - 18, cy + 8, cx + 18, cy + 24));
                }
            }
            // Draws far off the surface, or at no number, keep their places safely.
            g.PaintRect(Color(255, 250, 0, 0), Rect(3e9f, 3e9f, 4e9f, 4e9f));
            g.StrokeLine(Color(255, 0, 250, 0), std::nanf(""), 10, 50, 60, nullptr, 2.0f);
        };
        s.G().SetAttributeProgram(false);
        PixelImage inOrder = s.Frame(scene);
        s.G().SetAttributeProgram(true);
        PixelImage regrouped = s.Frame(scene);
        WritePng(SceneDir() + "/regrouped-x" + std::to_string(int(scale)) + ".png", regrouped);
        EXPECT_LE(WorstChannelDifference(inOrder, regrouped), 1) << "scale " << scale;
    }
}

TEST(NanoVGBitmapCopy, OpaqueBitmapsCopiedPixelForPixelMatchTheFill) {
    const std::string dir = SceneDir();
    ASSERT_TRUE(WritePng(dir + "/opaque.png", Picture(64, 48, 255)));
    ASSERT_TRUE(WritePng(dir + "/translucent.png", Picture(16, 16, 128)));
    Surface s(100, 70);
    ASSERT_TRUE(s.Open()) << s.Error();
    BitmapRef opaque = s.G().LoadImageResource((dir + "/opaque.png").c_str(), 1, false, 1);
    BitmapRef translucent =
        s.G().LoadImageResource((dir + "/translucent.png").c_str(), 1, false, 1);
    ASSERT_TRUE(opaque.IsValid() && translucent.IsValid());
    EXPECT_TRUE(static_cast<GraphicsNanoVG::Bitmap*>(opaque.bitmap)->Opaque());
    EXPECT_FALSE(static_cast<GraphicsNanoVG::Bitmap*>(translucent.bitmap)->Opaque());
    auto scene = [&](Graphics& g) {
        g.PaintCircle(Color(255, 250, 0, 0), 50, 35, 30);
        g.DrawBitmapFrame(opaque, Rect(8, 8, 56, 40), 4, 6);
        g.DrawBitmapFrame(translucent, Rect(40, 30, 56, 46), 0, 0);
        g.ClipToRect(Rect(60, 20, 90, 60));
        g.DrawBitmapFrame(opaque, Rect(50, 10, 98, 58), 0, 0);
        g.PaintCircle(Color(200, 0, 0, 250), 75, 50, 8);
    };
    s.G().SetBitmapBlit(false);
    PixelImage filled = s.Frame(scene);
    s.G().SetBitmapBlit(true);
    PixelImage copied = s.Frame(scene);
    EXPECT_LE(WorstChannelDifference(filled, copied), 1);
    // Drawing order holds: the copied picture covers the red circle drawn before it, the blue
    // circle drawn after it covers the picture, and the clip confines the second copy.
    const uint8_t* picture = copied.At(30, 30);
    EXPECT_EQ(picture[0], uint8_t((30 - 8 + 4) * 255 / 64));
    EXPECT_TRUE(copied.At(75, 50)[2] > 200 && copied.At(75, 50)[0] < 60);
    EXPECT_EQ(copied.At(59, 35)[0], 250);
    CompareWithGolden("bitmaps", copied);
}

TEST(NanoVGBitmapCopy, DoubleScaleVariantIsCopiedAtScreenScaleTwo) {
    const std::string dir = SceneDir();
    ASSERT_TRUE(WritePng(dir + "/sharp@2x.png", Picture(60, 40, 255)));
    Surface s(50, 30, 2.0f);
    ASSERT_TRUE(s.Open()) << s.Error();
    BitmapRef sharp = s.G().LoadImageResource((dir + "/sharp.png").c_str(), 1, false, 0);
    ASSERT_TRUE(sharp.IsValid());
    EXPECT_EQ(sharp.W(), 30);
    auto scene = [&](Graphics& g) {
        g.ClipToRect(Rect(5, 5, 40, 25));
        g.DrawBitmapFrame(sharp, Rect(5, 5, 35, 25), 0, 0);
    };
    s.G().SetBitmapBlit(false);
    PixelImage filled = s.Frame(scene);
    s.G().SetBitmapBlit(true);
    PixelImage copied = s.Frame(scene);
    EXPECT_EQ(filled.rgba, copied.rgba);
    // Device pixels take the @2x picture's pixels one for one.
    EXPECT_EQ(copied.At(10 + 7, 10 + 3)[0], uint8_t(7 * 255 / 60));
    EXPECT_EQ(copied.At(10 + 7, 10 + 3)[1], uint8_t(3 * 255 / 40));
}

}  // namespace
}  // namespace quendaris::test

namespace quendaris::test {
namespace {

const uint8_t kGround[3] = {255, 255, 255};
const uint8_t kInk[3] = {20, 30, 120};

TEST(NanoVGPaths, QuadraticCurvesAndHoles) {
    Surface s(240, 100);
    ASSERT_TRUE(s.Open()) << s.Error();
    const Color ink(255, 20, 30, 120);
    PixelImage image = s.Frame([&](Graphics& g) {
        // Quadratic from (10, 80) over (40, 0) to (70, 80): its top, at t = 1/2, is (40, 40).
        g.PathReset();
        g.PathMove(10, 80);
        g.PathQuad(40, 0, 70, 80);
        g.StrokePath(ink, 2.0f, LineStyle(), nullptr);
        // A ring: outer circle solid, inner circle marked as a hole.
        g.PathReset();
        g.PathCircleShape(120, 50, 30);
        g.PathCircleShape(120, 50, 15);
        g.SetPathWinding(kWindingCCW);
        g.FillPath(ink, FillStyle(), nullptr);
        // The same ring by the even-odd rule.
        g.PathReset();
        g.PathCircleShape(195, 50, 30);
        g.PathCircleShape(195, 50, 15);
        FillStyle evenOdd;
        evenOdd.rule = kFillEvenOdd;
        g.FillPath(ink, evenOdd, nullptr);
    });
    EXPECT_GT(CoverageSum(image, 38, 39, 42, 42, kGround, kInk), 4.0f);  // on the curve's top
    EXPECT_NEAR(CoverageSum(image, 30, 20, 50, 35, kGround, kInk), 0.0f, 0.5f);  // above it
    for (float cx : {120.0f, 195.0f}) {
        EXPECT_NEAR(CoverageSum(image, int(cx) - 5, 45, int(cx) + 5, 55, kGround, kInk), 0.0f,
                    0.1f);
        EXPECT_NEAR(CoverageSum(image, int(cx) - 30, 20, int(cx) + 30, 80, kGround, kInk),
                    kPi * (900 - 225), 0.02f * kPi * 675);
    }
    CompareWithGolden("paths", image);
}

TEST(NanoVGPaths, RadialGradientRunsFromCentreToRadius) {
    Surface s(80, 80);
    ASSERT_TRUE(s.Open()) << s.Error();
    PixelImage image = s.Frame([](Graphics& g) {
        g.PathReset();
        g.PathRectShape(Rect(0, 0, 80, 80));
        g.FillPath(
            PaintSource::RadialGradient(40, 40, 30, Color(255, 255, 0, 0), Color(255, 0, 0, 255)),
            FillStyle(), nullptr);
    });
    EXPECT_GT(image.At(40, 40)[0], 240);
    EXPECT_LT(image.At(40, 40)[2], 15);
    EXPECT_LT(image.At(2, 2)[0], 5);  // beyond the radius: the outer colour
    EXPECT_GT(image.At(2, 2)[2], 250);
    const uint8_t* half = image.At(55, 40);  // 15.5 from the centre, about half way
    EXPECT_NEAR(half[0], 127, 20);
    EXPECT_NEAR(half[2], 127, 20);
}

}  // namespace
}  // namespace quendaris::test
