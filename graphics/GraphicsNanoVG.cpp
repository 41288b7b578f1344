#include "GraphicsNanoVG.h"

#include "FontDataCache.h"

#include <glad/gl.h>
#include "nanovg.h"
#include "nanovg_gl.h"
// The framebuffer helpers are C functions but their header does not say so.
extern "C" {
#include "nanovg_gl_utils.h"
}

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quendaris {
namespace {

constexpr float kPi = 3.1415927f;

bool SameMatrix(const Matrix& a, const Matrix& b) {
    return a.xx == b.xx && a.yx == b.yx && a.xy == b.xy && a.yy == b.yy && a.tx == b.tx &&
           a.ty == b.ty;
}

bool IsWhole(double v) {
    return std::fabs(v - std::round(v)) < 1e-4;
}

float ToNanoVGAngle(float degrees) {
    return (degrees - 90.0f) * kPi / 180.0f;
}

NVGcolor ToNanoVGColor(const Color& c, float weight) {
    return nvgRGBAf(c.R / 255.0f, c.G / 255.0f, c.B / 255.0f, c.A * weight / 255.0f);
}

int ToNanoVGAlign(const TextStyle& style) {
    int flags = style.align == kAlignNear  ? NVG_ALIGN_LEFT
                : style.align == kAlignFar ? NVG_ALIGN_RIGHT
                                           : NVG_ALIGN_CENTER;
    flags |= style.valign == kVAlignTop      ? NVG_ALIGN_TOP
             : style.valign == kVAlignBottom ? NVG_ALIGN_BOTTOM
                                             : NVG_ALIGN_MIDDLE;
    return flags;
}

// A gradient as NanoVG's two-colour gradients draw it: first and last stop.
NVGpaint ToNanoVGPaint(NVGcontext* vg, const PaintSource& paint, float weight) {
    if (paint.type == kPaintSolid || paint.nStops < 2) {
        NVGpaint p{};
        nvgTransformIdentity(p.xform);
        p.feather = 1.0f;
        p.innerColor = p.outerColor =
            ToNanoVGColor(paint.nStops > 0 ? paint.stops[0].color : Color(), weight);
        return p;
    }
    NVGcolor first = ToNanoVGColor(paint.stops[0].color, weight);
    NVGcolor last = ToNanoVGColor(paint.stops[paint.nStops - 1].color, weight);
    float x1, y1, x2, y2;
    paint.GradientPoints(x1, y1, x2, y2);
    if (paint.type == kPaintRadial) {
        float r = std::hypot(x2 - x1, y2 - y1);
        return nvgRadialGradient(vg, x1, y1, 0.0f, r, first, last);
    }
    return nvgLinearGradient(vg, x1, y1, x2, y2, first, last);
}

}  // namespace

// ---- Bitmap ----

GraphicsNanoVG::Bitmap::Bitmap(GraphicsNanoVG& owner, int image, int width, int height, int scale,
                               float drawScale, NVGLUframebuffer* framebuffer)
    : APIBitmap(width, height, scale, drawScale),
      mOwner(owner),
      mContext(owner.GetNVGContext()),
      mImage(image),
      mFramebuffer(framebuffer) {
    mOwner.mLiveBitmaps.insert(this);
}

// An off-screen framebuffer may still be read by the frame being drawn: it goes at the frame's
// end.
GraphicsNanoVG::Bitmap::~Bitmap() {
    if (!mContext)
        return;
    mOwner.mLiveBitmaps.erase(this);
    if (mReadFramebuffer)
        glDeleteFramebuffers(1, &mReadFramebuffer);
    if (mFramebuffer)
        mOwner.QueueFramebufferDeletion(mFramebuffer);
    else if (mImage > 0)
        nvgDeleteImage(mContext, mImage);
}

void GraphicsNanoVG::Bitmap::Detach() {
    if (!mContext)
        return;
    if (mReadFramebuffer)
        glDeleteFramebuffers(1, &mReadFramebuffer);
    if (mFramebuffer)
        nvgluDeleteFramebuffer(mFramebuffer);
    else if (mImage > 0)
        nvgDeleteImage(mContext, mImage);
    mReadFramebuffer = 0;
    mFramebuffer = nullptr;
    mImage = 0;
    mContext = nullptr;
}

unsigned GraphicsNanoVG::Bitmap::ReadFramebuffer() {
    if (mReadFramebuffer == 0 && mContext) {
        GLint previous = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
        glGenFramebuffers(1, &mReadFramebuffer);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, mReadFramebuffer);
        glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                               nvglImageHandleGL3(mContext, mImage), 0);
        if (glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            glDeleteFramebuffers(1, &mReadFramebuffer);
            mReadFramebuffer = 0;
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
    }
    return mReadFramebuffer;
}

// ---- Life cycle ----

GraphicsNanoVG::GraphicsNanoVG(EditorDelegate& delegate, int width, int height, int fps,
                               float drawScale)
    : Graphics(delegate, width, height, fps, drawScale) {}

GraphicsNanoVG::~GraphicsNanoVG() {
    if (mVG) {
        MakeContextCurrent();
        DestroyDrawingContext();
        RestorePreviousContext();
    }
}

bool GraphicsNanoVG::CreateDrawingContext(bool stencilStrokes) {
    if (mVG)
        return true;
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    mWindowFramebuffer = static_cast<unsigned>(bound);
    mVG = nvgCreateGL3(NVG_ANTIALIAS | (stencilStrokes ? NVG_STENCIL_STROKES : 0));
    if (!mVG)
        return false;
    RecreateBackingFramebuffer();
    if (!mBacking) {
        nvgDeleteGL3(mVG);
        mVG = nullptr;
    }
    return mVG != nullptr;
}

void GraphicsNanoVG::DestroyDrawingContext() {
    if (!mVG)
        return;
    ClearBitmapCache();
    for (Bitmap* bitmap : mLiveBitmaps)
        bitmap->Detach();
    mLiveBitmaps.clear();
    DeleteBackingFramebuffer();
    DeleteQueuedFramebuffers();
    nvgDeleteGL3(mVG);
    mVG = nullptr;
    mDrawing = false;
}

unsigned GraphicsNanoVG::BackingFramebuffer() const {
    return mBacking ? mBacking->fbo : 0;
}

void GraphicsNanoVG::OnBackingSizeChanged() {
    if (!mVG)
        return;
    MakeContextCurrent();
    RecreateBackingFramebuffer();
    RestorePreviousContext();
}

void GraphicsNanoVG::RecreateBackingFramebuffer() {
    DeleteBackingFramebuffer();
    int w = BackingWidth();
    int h = BackingHeight();
    if (w <= 0 || h <= 0)
        return;
    mBacking = nvgluCreateFramebuffer(mVG, w, h, 0);
    if (!mBacking)
        return;
    // Fresh storage is undefined: start from transparent black with a clear stencil.
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_FRAMEBUFFER, mBacking->fbo);
    glViewport(0, 0, w, h);
    glClearColor(0, 0, 0, 0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
}

void GraphicsNanoVG::DeleteBackingFramebuffer() {
    if (mBacking)
        nvgluDeleteFramebuffer(mBacking);
    mBacking = nullptr;
}

// ---- Off-screen bitmaps ----

std::unique_ptr<APIBitmap> GraphicsNanoVG::CreateOffscreenBitmap(int width, int height, int scale) {
    if (!mVG || width <= 0 || height <= 0)
        return nullptr;
    MakeContextCurrent();
    NVGLUframebuffer* fb = nvgluCreateFramebuffer(mVG, width, height, 0);
    RestorePreviousContext();
    if (!fb)
        return nullptr;
    return std::make_unique<Bitmap>(*this, fb->image, width, height, scale, DrawScale(), fb);
}

void GraphicsNanoVG::QueueFramebufferDeletion(NVGLUframebuffer* framebuffer) {
    std::lock_guard<std::mutex> guard(mDeletionLock);
    mDeletionQueue.push_back(framebuffer);
}

size_t GraphicsNanoVG::PendingFramebufferDeletions() const {
    std::lock_guard<std::mutex> guard(mDeletionLock);
    return mDeletionQueue.size();
}

void GraphicsNanoVG::DeleteQueuedFramebuffers() {
    std::vector<NVGLUframebuffer*> queued;
    {
        std::lock_guard<std::mutex> guard(mDeletionLock);
        queued.swap(mDeletionQueue);
    }
    for (NVGLUframebuffer* fb : queued)
        nvgluDeleteFramebuffer(fb);
}

// ---- Frames ----

void GraphicsNanoVG::StartFrame() {
    if (!mVG || !mBacking)
        return;
    mDrawing = true;
    int logicalW = static_cast<int>(Width() * DrawScale());
    int logicalH = static_cast<int>(Height() * DrawScale());
    glViewport(0, 0, BackingWidth(), BackingHeight());
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    // Bound directly: nvgluBindFramebuffer keeps a process-wide "default" framebuffer that
    // would be wrong for a second window.
    glBindFramebuffer(GL_FRAMEBUFFER, mBacking->fbo);
    nvgBeginFrame(mVG, static_cast<float>(logicalW), static_cast<float>(logicalH),
                  GetScreenScale());
    mTransform = Matrix();
    mHasClip = false;
    PathReset();
}

void GraphicsNanoVG::FinishFrame() {
    if (!mVG || !mDrawing)
        return;
    nvgEndFrame(mVG);
    CopyBackingToWindow();
    mDrawing = false;
    DeleteQueuedFramebuffers();
}

// The window gets the backing framebuffer's pixels. A blit gives the same pixels as filling the
// whole view with an image pattern of the backing image (both copy premultiplied texels 1:1
// onto a cleared target), but on software GL it costs well under a millisecond where the
// pattern fill takes 30 to 50 times as long.
void GraphicsNanoVG::CopyBackingToWindow() {
    int w = BackingWidth();
    int h = BackingHeight();
    if (mFrameCopy == FrameCopy::kBlit) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, mBacking->fbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, mWindowFramebuffer);
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, mWindowFramebuffer);
        return;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, mWindowFramebuffer);
    float logicalW = static_cast<float>(static_cast<int>(Width() * DrawScale()));
    float logicalH = static_cast<float>(static_cast<int>(Height() * DrawScale()));
    nvgBeginFrame(mVG, logicalW, logicalH, GetScreenScale());
    NVGpaint image = nvgImagePattern(mVG, 0, 0, logicalW, logicalH, 0, mBacking->image, 1.0f);
    nvgBeginPath(mVG);
    nvgRect(mVG, 0, 0, logicalW, logicalH);
    nvgFillPaint(mVG, image);
    nvgFill(mVG);
    nvgEndFrame(mVG);
}

// ---- Paths ----

void GraphicsNanoVG::NoteCurrentPoint(float x, float y) {
    mHasPoint = true;
    mPointX = x;
    mPointY = y;
}

void GraphicsNanoVG::PathReset() {
    mHasPoint = false;
    mSubPaths = 0;
    if (mVG)
        nvgBeginPath(mVG);
}

void GraphicsNanoVG::PathMove(float x, float y) {
    if (!mVG)
        return;
    nvgMoveTo(mVG, x, y);
    ++mSubPaths;
    NoteCurrentPoint(x, y);
    mStartX = x;
    mStartY = y;
}

void GraphicsNanoVG::PathLine(float x, float y) {
    if (!mVG)
        return;
    nvgLineTo(mVG, x, y);
    NoteCurrentPoint(x, y);
}

void GraphicsNanoVG::PathArcSegment(float cx, float cy, float r, float a1, float a2,
                                    Winding winding) {
    if (!mVG)
        return;
    float start = ToNanoVGAngle(a1);
    float end = ToNanoVGAngle(a2);
    nvgArc(mVG, cx, cy, r, start, end, winding == kWindingCW ? NVG_CW : NVG_CCW);
    if (!mHasPoint) {
        ++mSubPaths;
        mStartX = cx + r * std::cos(start);
        mStartY = cy + r * std::sin(start);
    }
    NoteCurrentPoint(cx + r * std::cos(end), cy + r * std::sin(end));
}

void GraphicsNanoVG::PathCloseFigure() {
    if (!mVG)
        return;
    nvgClosePath(mVG);
    NoteCurrentPoint(mStartX, mStartY);
}

void GraphicsNanoVG::PathCubic(float c1x, float c1y, float c2x, float c2y, float x2, float y2) {
    if (!mVG)
        return;
    nvgBezierTo(mVG, c1x, c1y, c2x, c2y, x2, y2);
    NoteCurrentPoint(x2, y2);
}

// The cubic with the same curve: control points two thirds of the way from each end towards
// the quadratic's control point.
void GraphicsNanoVG::PathQuad(float cx, float cy, float x2, float y2) {
    if (!mVG)
        return;
    float x0 = mHasPoint ? mPointX : cx;
    float y0 = mHasPoint ? mPointY : cy;
    if (!mHasPoint)
        PathMove(x0, y0);
    PathCubic(x0 + 2.0f / 3.0f * (cx - x0), y0 + 2.0f / 3.0f * (cy - y0),
              x2 + 2.0f / 3.0f * (cx - x2), y2 + 2.0f / 3.0f * (cy - y2), x2, y2);
}

void GraphicsNanoVG::SetPathWinding(Winding winding) {
    if (mVG)
        nvgPathWinding(mVG, winding == kWindingCW ? NVG_SOLID : NVG_HOLE);
}

void GraphicsNanoVG::FillPath(const PaintSource& paint, const FillStyle& style,
                              const Blend* blend) {
    if (!mVG)
        return;
    // Sub-paths keep their windings (solid unless marked as holes): the non-zero rule. NanoVG
    // has no even-odd rule; with several sub-paths the last becomes a hole, the even-odd picture
    // of a shape with a cut-out, and a single sub-path stays solid (as a hole it would vanish).
    if (style.rule == kFillEvenOdd && mSubPaths > 1)
        nvgPathWinding(mVG, NVG_HOLE);
    nvgFillPaint(mVG, ToNanoVGPaint(mVG, paint, BlendWeight(blend)));
    nvgFill(mVG);
    if (!style.preserve)
        PathReset();
}

void GraphicsNanoVG::StrokePath(const PaintSource& paint, float thickness, const LineStyle& style,
                                const Blend* blend) {
    if (!mVG)
        return;
    nvgLineCap(mVG, style.cap == kCapRound    ? NVG_ROUND
                    : style.cap == kCapSquare ? NVG_SQUARE
                                              : NVG_BUTT);
    nvgLineJoin(mVG, style.join == kJoinRound   ? NVG_ROUND
                     : style.join == kJoinBevel ? NVG_BEVEL
                                                : NVG_MITER);
    nvgMiterLimit(mVG, style.miterLimit);
    nvgStrokeWidth(mVG, thickness);
    nvgStrokePaint(mVG, ToNanoVGPaint(mVG, paint, BlendWeight(blend)));
    nvgStroke(mVG);
    if (!style.preserve)
        PathReset();
}

void GraphicsNanoVG::SetPathTransform(const Matrix& m) {
    mTransform = m;
    if (!mVG)
        return;
    nvgResetTransform(mVG);
    nvgScale(mVG, DrawScale(), DrawScale());
    nvgTransform(mVG, static_cast<float>(m.xx), static_cast<float>(m.yx), static_cast<float>(m.xy),
                 static_cast<float>(m.yy), static_cast<float>(m.tx), static_cast<float>(m.ty));
}

void GraphicsNanoVG::ClipToRect(const Rect& r) {
    mClip = r;
    mClipTransform = mTransform;
    mHasClip = true;
    if (mVG)
        nvgScissor(mVG, r.L, r.T, r.W(), r.H());
}

// ---- Bitmaps ----

// NanoVG's scissor discards fragments in the shader, so a fill still costs its whole area: the
// rectangle is cut to the clip first (same pixels, a partial repaint pays only for its part of
// the background).
void GraphicsNanoVG::DrawBitmapPixels(const BitmapRef& bitmap, const Rect& dest, int srcX, int srcY,
                                      const Blend* blend) {
    auto* b = dynamic_cast<Bitmap*>(bitmap.bitmap);
    if (!mVG || !mDrawing || !b || b->Context() != mVG)
        return;
    Rect area = dest;
    if (mHasClip && SameMatrix(mClipTransform, mTransform)) {
        area = dest.Intersect(mClip);
        if (area.Empty())
            return;
    }
    float weight = BlendWeight(blend);
    if (mBitmapBlit && weight >= 1.0f && BlitBitmap(*b, dest, srcX, srcY, area))
        return;
    float scale = static_cast<float>(b->Scale() > 0 ? b->Scale() : 1);
    float w = b->Width() / scale;
    float h = b->Height() / scale;
    NVGpaint pattern =
        nvgImagePattern(mVG, dest.L - srcX, dest.T - srcY, w, h, 0.0f, b->Image(), weight);
    nvgBeginPath(mVG);
    nvgRect(mVG, area.L, area.T, area.W(), area.H());
    nvgFillPaint(mVG, pattern);
    nvgFill(mVG);
    PathReset();
}

// An opaque bitmap whose pixels map one to one onto whole device pixels is copied straight into
// the backing framebuffer: NanoVG's pending drawing is flushed first and the frame resumes with
// the same transform and clip, so the order of drawing stays as it was. Answers false (nothing
// done) when the bitmap cannot be copied that way.
bool GraphicsNanoVG::BlitBitmap(Bitmap& b, const Rect& dest, int srcX, int srcY, const Rect& area) {
    const Matrix& m = mTransform;
    const double s = CombinedScale();
    if (!b.Opaque() || m.xx != 1.0 || m.yy != 1.0 || m.xy != 0.0 || m.yx != 0.0 ||
        static_cast<double>(b.Scale()) != s)
        return false;
    const double ox = (dest.L - srcX + m.tx) * s;
    const double oy = (dest.T - srcY + m.ty) * s;
    const double x0 = (area.L + m.tx) * s;
    const double y0 = (area.T + m.ty) * s;
    const double x1 = (area.R + m.tx) * s;
    const double y1 = (area.B + m.ty) * s;
    if (!IsWhole(ox) || !IsWhole(oy) || !IsWhole(x0) || !IsWhole(y0) || !IsWhole(x1) ||
        !IsWhole(y1))
        return false;
    // Beyond its edges the pattern would repeat the edge pixels; a copy has none to give.
    if (x0 < ox || y0 < oy || x1 > ox + b.Width() || y1 > oy + b.Height())
        return false;
    const int h = BackingHeight();
    const int dx0 = std::max(0, static_cast<int>(std::lround(x0)));
    const int dy0 = std::max(0, static_cast<int>(std::lround(y0)));
    const int dx1 = std::min(BackingWidth(), static_cast<int>(std::lround(x1)));
    const int dy1 = std::min(h, static_cast<int>(std::lround(y1)));
    if (dx1 <= dx0 || dy1 <= dy0)
        return true;
    GLuint source = b.ReadFramebuffer();
    if (source == 0)
        return false;
    const int sx = dx0 - static_cast<int>(std::lround(ox));
    const int sy = dy0 - static_cast<int>(std::lround(oy));

    nvgEndFrame(mVG);
    // The texture's first row is the picture's top; the framebuffer's first row is its bottom.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, mBacking->fbo);
    glBlitFramebuffer(sx, sy, sx + (dx1 - dx0), sy + (dy1 - dy0), dx0, h - dy0, dx1, h - dy1,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, mBacking->fbo);
    nvgBeginFrame(mVG, static_cast<float>(static_cast<int>(Width() * DrawScale())),
                  static_cast<float>(static_cast<int>(Height() * DrawScale())), GetScreenScale());
    Matrix transform = mTransform;
    SetPathTransform(transform);
    if (mHasClip) {
        Matrix clipTransform = mClipTransform;
        SetPathTransform(clipTransform);
        nvgScissor(mVG, mClip.L, mClip.T, mClip.W(), mClip.H());
        SetPathTransform(transform);
    }
    PathReset();
    return true;
}

bool GraphicsNanoVG::IsOpaqueImage(int image) const {
    int w = 0;
    int h = 0;
    nvgImageSize(mVG, image, &w, &h);
    if (w <= 0 || h <= 0)
        return false;
    std::vector<unsigned char> pixels(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, nvglImageHandleGL3(mVG, image));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    for (size_t i = 3; i < pixels.size(); i += 4)
        if (pixels[i] != 255)
            return false;
    return true;
}

std::unique_ptr<APIBitmap> GraphicsNanoVG::WrapImage(int image, int scale) {
    if (image <= 0)
        return nullptr;
    int w = 0;
    int h = 0;
    nvgImageSize(mVG, image, &w, &h);
    auto bitmap = std::make_unique<Bitmap>(*this, image, w, h, scale, DrawScale());
    bitmap->SetOpaque(IsOpaqueImage(image));
    return bitmap;
}

std::unique_ptr<APIBitmap> GraphicsNanoVG::LoadAPIBitmapFromMemory(const void* data, int size,
                                                                   int scale) {
    if (!mVG || !data || size <= 0)
        return nullptr;
    MakeContextCurrent();
    int image =
        nvgCreateImageMem(mVG, 0, static_cast<unsigned char*>(const_cast<void*>(data)), size);
    std::unique_ptr<APIBitmap> bitmap = WrapImage(image, scale);
    RestorePreviousContext();
    return bitmap;
}

std::unique_ptr<APIBitmap> GraphicsNanoVG::LoadAPIBitmapFromFile(const char* path, int scale) {
    if (!mVG || !path)
        return nullptr;
    MakeContextCurrent();
    std::unique_ptr<APIBitmap> bitmap = WrapImage(nvgCreateImage(mVG, path, 0), scale);
    RestorePreviousContext();
    return bitmap;
}

// ---- Text ----

// NanoVG reads the bytes in place: they come from the process-wide font table, which outlives
// this context, and a context made later (the editor opened again) registers them again.
bool GraphicsNanoVG::LoadAPIFont(const char* fontId, const void* data, int size) {
    if (!mVG || !fontId || !fontId[0])
        return false;
    if (nvgFindFont(mVG, fontId) >= 0)
        return true;
    FontDataCache& table = FontDataCache::Instance();
    const FontDataCache::Bytes* bytes = table.Find(fontId);
    if (!bytes && data && size > 0)
        bytes = table.Store(fontId, data, static_cast<size_t>(size));
    if (!bytes || bytes->empty())
        return false;
    MakeContextCurrent();
    int font = nvgCreateFontMem(mVG, fontId, const_cast<unsigned char*>(bytes->data()),
                                static_cast<int>(bytes->size()), 0);
    RestorePreviousContext();
    return font >= 0;
}

bool GraphicsNanoVG::SelectFont(const TextStyle& style) const {
    if (!mVG)
        return false;
    int font = nvgFindFont(mVG, style.fontId);
    if (font < 0)
        return false;
    nvgFontSize(mVG, style.size);
    nvgTextLetterSpacing(mVG, 0.0f);
    nvgFontFaceId(mVG, font);
    nvgTextAlign(mVG, ToNanoVGAlign(style));
    return true;
}

void GraphicsNanoVG::DrawTextAt(const TextStyle& style, const char* str, float x, float y,
                                const Blend* blend) {
    if (!str || !str[0] || !SelectFont(style))
        return;
    nvgFillColor(mVG, ToNanoVGColor(style.fgColor, BlendWeight(blend)));
    nvgText(mVG, x, y, str, nullptr);
}

bool GraphicsNanoVG::MeasureTextAt(const TextStyle& style, const char* str, float x, float y,
                                   Rect& bounds) const {
    if (!SelectFont(style))
        return false;
    float b[4] = {x, y, x, y};
    if (str && str[0])
        nvgTextBounds(mVG, x, y, str, nullptr, b);
    bounds = Rect(b[0], b[1], b[2], b[3]);
    return true;
}

}  // namespace quendaris
