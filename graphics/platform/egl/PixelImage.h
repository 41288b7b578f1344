#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quendaris {

// Eight-bit RGBA pixels, rows from the top.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;

    const uint8_t* At(int x, int y) const {
        return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4];
    }
};

// Reads a rectangle of the framebuffer object `framebuffer` (0 for the current default), given
// with its top-left corner in a framebuffer of height `framebufferHeight`; GL counts rows from the
// bottom, the image from the top. Needs a current GL context.
PixelImage ReadFramebufferPixels(unsigned framebuffer, int x, int y, int width, int height,
                                 int framebufferHeight);

// GL blends premultiplied colours, PNG files hold straight ones: the colours divided by alpha
// (transparent pixels become transparent black).
PixelImage Unpremultiplied(const PixelImage& image);

// Writes the image as a PNG file (bytes as they are); false when the file cannot be written.
bool WritePng(const std::string& path, const PixelImage& image);

}  // namespace quendaris
