// Replaces the global allocator to count allocations, so it is a program of its own.
#include <atomic>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "BrisvaleLayout.h"
#include "EditorFixture.h"
#include "SpectrumControl.h"

namespace {
std::atomic<long> gAllocations{0};
}  // namespace

void* operator new(std::size_t size) {
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace quendaris {
namespace testing {
namespace {

// A backend that draws nothing and keeps nothing, so every allocation counted is the display's.
class SilentGraphics : public RecordingGraphics {
  public:
    using RecordingGraphics::RecordingGraphics;
    void PathReset() override {}
    void PathMove(float, float) override {}
    void PathLine(float, float) override {}
    void PathArcSegment(float, float, float, float, float, Winding) override {}
    void PathCloseFigure() override {}
    void FillPath(const PaintSource&, const FillStyle&, const Blend*) override {}
    void StrokePath(const PaintSource&, float, const LineStyle&, const Blend*) override {}
    void ClipToRect(const Rect&) override {}
    void DrawTextAt(const TextStyle&, const char*, float, float, const Blend*) override {}
};

TEST(DisplayAllocation, AFrameOfTheDisplayAllocatesNothing) {
    EditingBrisvale plugin;
    SilentGraphics graphics(plugin);
    graphics.fonts.insert("Roboto-Regular");
    LayoutBrisvale(graphics);
    Control& display = *graphics.GetControl(kCtrlSpectrum);
    ASSERT_NE(dynamic_cast<SpectrumControl&>(display).Source(), nullptr);
    display.Paint(graphics);
    const long before = gAllocations.load();
    for (int frame = 0; frame < 10; ++frame)
        display.Paint(graphics);
    EXPECT_EQ(gAllocations.load() - before, 0);
}

}  // namespace
}  // namespace testing
}  // namespace quendaris
