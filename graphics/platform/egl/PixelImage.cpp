#include "graphics/platform/egl/PixelImage.h"

#include <glad/gl.h>

#include <cstring>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace quendaris {

PixelImage ReadFramebufferPixels(unsigned framebuffer, int x, int y, int width, int height,
                                 int framebufferHeight) {
    PixelImage image;
    image.width = width;
    image.height = height;
    image.rgba.resize(size_t(width) * size_t(height) * 4);
    GLint previousRead = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previousRead);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<uint8_t> bottomUp(image.rgba.size());
    glReadPixels(x, framebufferHeight - y - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                 bottomUp.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previousRead));
    const size_t rowBytes = size_t(width) * 4;
    for (int row = 0; row < height; ++row)
        std::memcpy(&image.rgba[size_t(row) * rowBytes],
                    &bottomUp[size_t(height - 1 - row) * rowBytes], rowBytes);
    return image;
}

PixelImage Unpremultiplied(const PixelImage& image) {
    PixelImage straight = image;
    for (size_t i = 0; i + 3 < straight.rgba.size(); i += 4) {
        const unsigned alpha = straight.rgba[i + 3];
        if (alpha == 255)
            continue;
        for (size_t c = 0; c < 3; ++c) {
            unsigned v = alpha == 0 ? 0 : (straight.rgba[i + c] * 255u + alpha / 2) / alpha;
            straight.rgba[i + c] = uint8_t(v > 255 ? 255 : v);
        }
    }
    return straight;
}

bool WritePng(const std::string& path, const PixelImage& image) {
    if (image.width <= 0 || image.height <= 0)
        return false;
    return stbi_write_png(path.c_str(), image.width, image.height, 4, image.rgba.data(),
                          image.width * 4) != 0;
}

}  // namespace quendaris
