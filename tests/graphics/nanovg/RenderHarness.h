#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/EditorDelegate.h"
#include "graphics/platform/egl/GraphicsEgl.h"
#include "graphics/platform/egl/PixelImage.h"

namespace quendaris::test {

// A GraphicsEgl of the given size, opened: the real NanoVG backend on Mesa's OpenGL with no
// window system.
class Surface {
  public:
    Surface(int width, int height, float screenScale = 1.0f);
    ~Surface();

    GraphicsEgl& G() { return *mGraphics; }
    bool Open() const { return mGraphics->WindowIsOpen(); }
    const std::string& Error() const { return mGraphics->LastError(); }

    // One frame: cleared to opaque white, then draw; answers the window's pixels.
    PixelImage Frame(const std::function<void(Graphics&)>& draw);
    // A frame without the white ground (the window starts transparent black).
    PixelImage BareFrame(const std::function<void(Graphics&)>& draw);

  private:
    EditorDelegate mDelegate{0};
    std::unique_ptr<GraphicsEgl> mGraphics;
};

// The bytes of Roboto-Regular.ttf.
const std::vector<unsigned char>& RobotoBytes();

PixelImage LoadPng(const std::string& path);
// Writes the window's pixels to the build tree's scene folder as NAME.png (straight alpha, for
// a reviewer) and compares them with the reviewed golden picture NAME.png; gtest failures describe
// the differences. QUENDARIS_UPDATE_GOLDEN=1 in the environment writes the golden instead.
void CompareWithGolden(const std::string& name, const PixelImage& drawn);
std::string SceneDir();

// 0 where a pixel has the ground colour, 1 where it has the ink colour, linear between (from
// the channel in which the two differ most).
float Coverage(const uint8_t* pixel, const uint8_t ground[3], const uint8_t ink[3]);
// Sum of Coverage over a rectangle of pixels [x0, x1) x [y0, y1).
float CoverageSum(const PixelImage& image, int x0, int y0, int x1, int y1, const uint8_t ground[3],
                  const uint8_t ink[3]);

// Largest difference of any channel between two pictures of the same size.
int WorstChannelDifference(const PixelImage& a, const PixelImage& b);

// Smallest pixel box holding every pixel differing from ground by more than threshold in any
// channel; empty (w = 0) when there is none.
struct PixelBox {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // [x0, x1) x [y0, y1)
    bool Empty() const { return x1 <= x0 || y1 <= y0; }
};
PixelBox InkBox(const PixelImage& image, int x0, int y0, int x1, int y1, const uint8_t ground[3],
                int threshold = 40);

}  // namespace quendaris::test
