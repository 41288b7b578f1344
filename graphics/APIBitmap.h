#pragma once

namespace quendaris {

// Pixels a drawing backend holds for one decoded bitmap. Backends derive from it and free
// their image in the destructor; the graphics context's bitmap cache owns every instance.
class APIBitmap {
  public:
    // width, height in pixels; scale is the variant's scale (1 for "x.png", 2 for "x@2x.png").
    APIBitmap(int width, int height, int scale, float drawScale)
        : mWidth(width), mHeight(height), mScale(scale), mDrawScale(drawScale) {}
    virtual ~APIBitmap() = default;
    APIBitmap(const APIBitmap&) = delete;
    APIBitmap& operator=(const APIBitmap&) = delete;

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int Scale() const { return mScale; }
    float DrawScale() const { return mDrawScale; }

  private:
    int mWidth;
    int mHeight;
    int mScale;
    float mDrawScale;
};

}  // namespace quendaris
