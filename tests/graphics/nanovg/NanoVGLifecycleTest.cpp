// The backend's resources over an editor's life: frames drawn through the control list, the
// backing framebuffer keeping what a partial repaint leaves alone, fonts and bitmaps across a
// close and reopen, and deferred deletion of off-screen framebuffers.
#include <gtest/gtest.h>

#include <array>

#include "RenderHarness.h"
#include "graphics/Control.h"

namespace quendaris::test {
namespace {

const uint8_t kBlack[3] = {0, 0, 0};

// A control painting its rectangle in one colour.
class Swatch : public Control {
  public:
    Swatch(const Rect& r, const Color& color) : Control(r), mColor(color) {}
    void SetColor(const Color& color) { mColor = color; }
    void Paint(Graphics& g) override { g.PaintRect(mColor, GetRect()); }

  private:
    Color mColor;
};

std::array<int, 4> Box(const GraphicsNanoVG::DeviceBox& b) {
    return {b.x, b.y, b.w, b.h};
}

bool IsColor(const uint8_t* p, int r, int g, int b) {
    return p[0] == r && p[1] == g && p[2] == b;
}

TEST(NanoVGLifecycle, PartialRepaintKeepsTheRestOfThePicture) {
    Surface s(100, 60);
    ASSERT_TRUE(s.Open()) << s.Error();
    GraphicsEgl& g = s.G();
    g.AttachControl(new Swatch(Rect(0, 0, 100, 60), Color(255, 0, 0, 200)));
    auto* left = static_cast<Swatch*>(
        g.AttachControl(new Swatch(Rect(10, 10, 40, 50), Color(255, 200, 0, 0))));
    auto* right = static_cast<Swatch*>(
        g.AttachControl(new Swatch(Rect(60, 10, 90, 50), Color(255, 0, 200, 0))));
    g.RedrawAll();
    EXPECT_EQ(Box(g.LastWindowCopy()), Box({0, 0, 100, 60}));
    PixelImage first = g.ReadWindowPixels();
    EXPECT_TRUE(IsColor(first.At(20, 20), 200, 0, 0));
    EXPECT_TRUE(IsColor(first.At(70, 20), 0, 200, 0));
    EXPECT_TRUE(IsColor(first.At(50, 5), 0, 0, 200));

    // Only the right swatch changes; the next tick repaints only around it.
    right->SetColor(Color(255, 250, 250, 0));
    right->MarkDirty(false);
    int paints = g.PaintCount();
    g.DisplayTick();
    EXPECT_EQ(g.PaintCount(), paints + 1);
    PixelImage second = g.ReadWindowPixels();
    EXPECT_TRUE(IsColor(second.At(70, 20), 250, 250, 0));
    EXPECT_TRUE(IsColor(second.At(20, 20), 200, 0, 0));
    EXPECT_TRUE(IsColor(second.At(50, 5), 0, 0, 200));
    // The window keeps its pixels, so only the swatch's grown bounds went to it (GL counts rows
    // from the bottom), and the window shows what a whole repaint shows.
    EXPECT_EQ(Box(g.LastWindowCopy()), Box({59, 9, 32, 42}));
    g.RedrawAll();
    EXPECT_EQ(WorstChannelDifference(second, g.ReadWindowPixels()), 0);

    // Nothing dirty: no paint at all.
    paints = g.PaintCount();
    g.DisplayTick();
    EXPECT_EQ(g.PaintCount(), paints);
    (void)left;
}

TEST(NanoVGLifecycle, FontsAndBitmapsSurviveCloseAndReopen) {
    Surface s(120, 40);
    ASSERT_TRUE(s.Open()) << s.Error();
    GraphicsEgl& g = s.G();
    const auto& font = RobotoBytes();
    ASSERT_TRUE(g.LoadFontFromMemory("Roboto-Regular", font.data(), int(font.size())));
    const std::string tile = SceneDir() + "/reopen.png";
    PixelImage pixels{4, 4, std::vector<uint8_t>(64, 255)};
    ASSERT_TRUE(WritePng(tile, pixels));
    ASSERT_TRUE(g.LoadImageResource(tile.c_str(), 1, false, 1).IsValid());

    g.CloseWindow();
    EXPECT_FALSE(g.HasDrawingContext());
    ASSERT_NE(g.OpenWindow(nullptr), nullptr) << g.LastError();
    // The new NanoVG context knows the font again from the process-wide table alone.
    EXPECT_TRUE(g.LoadAPIFont("Roboto-Regular", nullptr, 0));
    TextStyle style(20.0f, Color(255, 0, 0, 0), "Roboto-Regular");
    PixelImage image = s.BareFrame([&](Graphics& gr) {
        gr.PaintRect(Color(255, 255, 255, 255), Rect(0, 0, 120, 40));
        gr.RenderText(style, "Again", Rect(0, 0, 120, 40));
    });
    EXPECT_FALSE(InkBox(image, 0, 0, 120, 40, kBlack, 250).Empty());
    // The bitmap is decoded anew in the new context.
    BitmapRef again = g.LoadImageResource(tile.c_str(), 1, false, 1);
    ASSERT_TRUE(again.IsValid());
    EXPECT_EQ(again.W(), 4);
}

TEST(NanoVGLifecycle, OffscreenFramebuffersAreDeletedAtTheEndOfTheFrame) {
    Surface s(40, 40);
    ASSERT_TRUE(s.Open()) << s.Error();
    GraphicsEgl& g = s.G();
    g.MakeContextCurrent();
    std::unique_ptr<APIBitmap> layer = g.CreateOffscreenBitmap(32, 16, 1);
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->Width(), 32);
    g.StartFrame();
    layer.reset();
    // Still queued while the frame that may use it is being drawn.
    EXPECT_EQ(g.PendingFramebufferDeletions(), 1u);
    g.FinishFrame();
    EXPECT_EQ(g.PendingFramebufferDeletions(), 0u);
    g.RestorePreviousContext();
}

TEST(NanoVGLifecycle, ABitmapOutlivingItsContextIsReleasedSafely) {
    Surface s(40, 40);
    ASSERT_TRUE(s.Open()) << s.Error();
    GraphicsEgl& g = s.G();
    g.MakeContextCurrent();
    std::unique_ptr<APIBitmap> layer = g.CreateOffscreenBitmap(8, 8, 1);
    g.RestorePreviousContext();
    ASSERT_NE(layer, nullptr);
    g.CloseWindow();
    layer.reset();
    EXPECT_EQ(g.PendingFramebufferDeletions(), 0u);
    ASSERT_NE(g.OpenWindow(nullptr), nullptr) << g.LastError();
    g.RedrawAll();
}

TEST(NanoVGLifecycle, AHostsOwnContextIsCurrentAgainAfterEditorWork) {
    std::unique_ptr<EglContext> host = EglContext::Create();
    ASSERT_NE(host, nullptr);
    ASSERT_TRUE(host->MakeCurrent());
    {
        Surface s(60, 40);
        ASSERT_TRUE(s.Open()) << s.Error();
        EXPECT_TRUE(host->IsCurrent());
        const auto& font = RobotoBytes();
        ASSERT_TRUE(s.G().LoadFontFromMemory("Roboto-Regular", font.data(), int(font.size())));
        const std::string tile = SceneDir() + "/host.png";
        ASSERT_TRUE(WritePng(tile, PixelImage{2, 2, std::vector<uint8_t>(16, 255)}));
        EXPECT_TRUE(s.G().LoadImageResource(tile.c_str(), 1, false, 1).IsValid());
        EXPECT_TRUE(host->IsCurrent());
        s.G().AttachControl(new Swatch(Rect(0, 0, 60, 40), Color(255, 1, 2, 3)));
        s.G().RedrawAll();
        EXPECT_TRUE(host->IsCurrent());
        EXPECT_TRUE(IsColor(s.G().ReadWindowPixels().At(30, 20), 1, 2, 3));
        EXPECT_TRUE(host->IsCurrent());
    }
    EXPECT_TRUE(host->IsCurrent());
    host->RestorePrevious();
}

TEST(NanoVGLifecycle, WithoutADrawingContextNothingIsDrawnOrLoaded) {
    EditorDelegate delegate(0);
    GraphicsEgl g(delegate, 50, 50);
    EXPECT_FALSE(g.HasDrawingContext());
    EXPECT_STREQ(g.GetDrawingAPIString(), "NanoVG | GL3");
    g.StartFrame();
    g.PaintRect(Color(), Rect(0, 0, 10, 10));
    g.FinishFrame();
    EXPECT_FALSE(g.IsDrawing());
    EXPECT_EQ(g.LoadAPIBitmapFromFile("missing.png", 1), nullptr);
    EXPECT_TRUE(g.ReadWindowPixels().rgba.empty());
}

TEST(NanoVGLifecycle, ScreenScaleChangeRecreatesTheFramebuffers) {
    Surface s(50, 30);
    ASSERT_TRUE(s.Open()) << s.Error();
    GraphicsEgl& g = s.G();
    g.AttachControl(new Swatch(Rect(0, 0, 50, 30), Color(255, 10, 20, 30)));
    g.RedrawAll();
    EXPECT_EQ(g.ReadWindowPixels().width, 50);
    g.SetWindowScale(2.0f);
    g.DisplayTick();
    PixelImage image = g.ReadWindowPixels();
    ASSERT_EQ(image.width, 100);
    ASSERT_EQ(image.height, 60);
    EXPECT_TRUE(IsColor(image.At(99, 59), 10, 20, 30));
}

}  // namespace
}  // namespace quendaris::test
