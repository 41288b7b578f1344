#include "RenderHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace quendaris::test {

Surface::Surface(int width, int height, float screenScale)
    : mGraphics(std::make_unique<GraphicsEgl>(mDelegate, width, height)) {
    mGraphics->SetWindowScale(screenScale);
    mGraphics->OpenWindow(nullptr);
}

Surface::~Surface() {
    mGraphics->CloseWindow();
}

PixelImage Surface::BareFrame(const std::function<void(Graphics&)>& draw) {
    GraphicsEgl& g = *mGraphics;
    g.MakeContextCurrent();
    g.StartFrame();
    g.SetPathTransform(Matrix());
    draw(g);
    g.FinishFrame();
    g.RestorePreviousContext();
    return g.ReadWindowPixels();
}

PixelImage Surface::Frame(const std::function<void(Graphics&)>& draw) {
    return BareFrame([&](Graphics& g) {
        g.PaintRect(Color(255, 255, 255, 255), Rect(0, 0, float(g.Width()), float(g.Height())));
        draw(g);
    });
}

const std::vector<unsigned char>& RobotoBytes() {
    static const std::vector<unsigned char> bytes = [] {
        std::ifstream file(QUENDARIS_ROBOTO_FONT, std::ios::binary);
        return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
    }();
    return bytes;
}

PixelImage LoadPng(const std::string& path) {
    PixelImage image;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 4);
    if (!pixels)
        return PixelImage();
    image.rgba.assign(pixels, pixels + size_t(image.width) * size_t(image.height) * 4);
    stbi_image_free(pixels);
    return image;
}

std::string SceneDir() {
    mkdir(QUENDARIS_SCENE_DIR, 0755);
    return QUENDARIS_SCENE_DIR;
}

// Antialiased edges move by a fraction of a pixel between Mesa versions: a pixel counts as
// different only beyond a channel difference of 24, and 1% of the pixels may differ.
void CompareWithGolden(const std::string& name, const PixelImage& drawn) {
    const PixelImage image = Unpremultiplied(drawn);
    const std::string scene = SceneDir() + "/" + name + ".png";
    ASSERT_TRUE(WritePng(scene, image)) << scene;
    const std::string golden = std::string(QUENDARIS_GOLDEN_DIR) + "/" + name + ".png";
    const char* update = std::getenv("QUENDARIS_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        ASSERT_TRUE(WritePng(golden, image)) << golden;
        return;
    }
    PixelImage expected = LoadPng(golden);
    ASSERT_GT(expected.width, 0) << "no golden picture " << golden << "; the scene is " << scene;
    ASSERT_EQ(expected.width, image.width);
    ASSERT_EQ(expected.height, image.height);
    size_t different = 0;
    int worst = 0;
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        int d = 0;
        for (size_t c = 0; c < 4; ++c)
            d = std::max(d, std::abs(int(image.rgba[i + c]) - int(expected.rgba[i + c])));
        worst = std::max(worst, d);
        if (d > 24)
            ++different;
    }
    const size_t pixels = image.rgba.size() / 4;
    EXPECT_LE(different * 100, pixels) << name << ": " << different << " of " << pixels
                                       << " pixels differ (worst channel difference " << worst
                                       << "); compare " << scene << " with " << golden;
}

float Coverage(const uint8_t* pixel, const uint8_t ground[3], const uint8_t ink[3]) {
    int channel = 0;
    for (int c = 1; c < 3; ++c)
        if (std::abs(ink[c] - ground[c]) > std::abs(ink[channel] - ground[channel]))
            channel = c;
    float span = float(ink[channel]) - float(ground[channel]);
    if (span == 0.0f)
        return 0.0f;
    return std::clamp((float(pixel[channel]) - float(ground[channel])) / span, 0.0f, 1.0f);
}

float CoverageSum(const PixelImage& image, int x0, int y0, int x1, int y1, const uint8_t ground[3],
                  const uint8_t ink[3]) {
    float sum = 0.0f;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            sum += Coverage(image.At(x, y), ground, ink);
    return sum;
}

int WorstChannelDifference(const PixelImage& a, const PixelImage& b) {
    EXPECT_EQ(a.rgba.size(), b.rgba.size());
    int worst = 0;
    for (size_t i = 0; i < std::min(a.rgba.size(), b.rgba.size()); ++i)
        worst = std::max(worst, std::abs(int(a.rgba[i]) - int(b.rgba[i])));
    return worst;
}

PixelBox InkBox(const PixelImage& image, int x0, int y0, int x1, int y1, const uint8_t ground[3],
                int threshold) {
    PixelBox box{x1, y1, x0, y0};
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = image.At(x, y);
            bool ink = false;
            for (int c = 0; c < 3; ++c)
                ink = ink || std::abs(int(p[c]) - int(ground[c])) > threshold;
            if (ink) {
                box.x0 = std::min(box.x0, x);
                box.y0 = std::min(box.y0, y);
                box.x1 = std::max(box.x1, x + 1);
                box.y1 = std::max(box.y1, y + 1);
            }
        }
    }
    return box.Empty() ? PixelBox() : box;
}

}  // namespace quendaris::test
