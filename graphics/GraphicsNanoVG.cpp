#include "GraphicsNanoVG.h"

#include "FontDataCache.h"
#include "NanoVGGL3.h"

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
#include <utility>

namespace quendaris {
namespace {

constexpr float kPi = 3.1415927f;
// Polylines with fewer points are drawn as they are; longer ones lose the points that lie
// within this many device pixels of the line through the points kept.
constexpr size_t kSimplifyMinPoints = 64;
constexpr double kSimplifyTolerance = 0.02;

// Squared distance from p to the segment a-b.
float SegmentDistanceSquared(const float* p, const float* a, const float* b) {
    const float dx = b[0] - a[0];
    const float dy = b[1] - a[1];
    const float length = dx * dx + dy * dy;
    float t = length > 0.0f ? ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    const float ex = a[0] + t * dx - p[0];
    const float ey = a[1] + t * dy - p[1];
    return ex * ex + ey * ey;
}

// Douglas-Peucker on the polyline `points` (x, y pairs): drops the points that lie within
// `tolerance` of the line through the points kept, ends kept.
void SimplifyPolyline(std::vector<float>& points, float tolerance, std::vector<char>& keep,
                      std::vector<std::pair<size_t, size_t>>& spans) {
    const size_t n = points.size() / 2;
    if (n < 3)
        return;
    keep.assign(n, 0);
    keep[0] = keep[n - 1] = 1;
    spans.clear();
    spans.emplace_back(0, n - 1);
    const float limit = tolerance * tolerance;
    while (!spans.empty()) {
        const auto [first, last] = spans.back();
        spans.pop_back();
        float worst = -1.0f;
        size_t at = first;
        for (size_t i = first + 1; i < last; ++i) {
            const float d =
                SegmentDistanceSquared(&points[2 * i], &points[2 * first], &points[2 * last]);
            if (d > worst) {
                worst = d;
                at = i;
            }
        }
        if (worst > limit) {
            keep[at] = 1;
            spans.emplace_back(first, at);
            spans.emplace_back(at, last);
        }
    }
    size_t kept = 0;
    for (size_t i = 0; i < n; ++i) {
        if (keep[i]) {
            points[2 * kept] = points[2 * i];
            points[2 * kept + 1] = points[2 * i + 1];
            ++kept;
        }
    }
    points.resize(2 * kept);
}

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
    mVG = CreateNanoVGContext(NVG_ANTIALIAS | (stencilStrokes ? NVG_STENCIL_STROKES : 0));
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

void GraphicsNanoVG::SetAttributeProgram(bool enable) {
    UseAttributeProgram(mVG, enable);
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
    mWindowCurrent = false;
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
    mFrameRegionSet = false;
    mPendingFill.pending = false;
    int logicalW = static_cast<int>(Width() * DrawScale());
    int logicalH = static_cast<int>(Height() * DrawScale());
    glViewport(0, 0, BackingWidth(), BackingHeight());
    // Bound directly: nvgluBindFramebuffer keeps a process-wide "default" framebuffer that
    // would be wrong for a second window.
    glBindFramebuffer(GL_FRAMEBUFFER, mBacking->fbo);
    nvgBeginFrame(mVG, static_cast<float>(logicalW), static_cast<float>(logicalH),
                  GetScreenScale());
    mTransform = Matrix();
    mHasClip = false;
    mScissor = NVGscissor{{0, 0, 0, 0, 0, 0}, {-1.0f, -1.0f}};
    PathReset();
}

// Whole device pixels, clamped to the backing framebuffer; a region that is not a number
// leaves the frame free to change any pixel.
void GraphicsNanoVG::SetFrameRegion(const Rect& region) {
    if (!std::isfinite(region.L) || !std::isfinite(region.T) || !std::isfinite(region.R) ||
        !std::isfinite(region.B))
        return;
    const float s = CombinedScale();
    const int w = BackingWidth();
    const int h = BackingHeight();
    auto clamp = [](float v, int limit) {
        return static_cast<int>(std::clamp(v, 0.0f, static_cast<float>(limit)));
    };
    const int x0 = clamp(std::floor(region.L * s), w);
    const int x1 = clamp(std::ceil(region.R * s), w);
    const int top = clamp(std::floor(region.T * s), h);
    const int bottom = clamp(std::ceil(region.B * s), h);
    mFrameRegion = DeviceBox{x0, h - bottom, std::max(0, x1 - x0), std::max(0, bottom - top)};
    mFrameRegionSet = true;
}

void GraphicsNanoVG::SetWindowKeepsPixels(bool keeps) {
    mWindowKeepsPixels = keeps;
    mWindowCurrent = false;
}

void GraphicsNanoVG::FinishFrame() {
    if (!mVG || !mDrawing)
        return;
    DrawPendingFill();
    nvgEndFrame(mVG);
    CopyBackingToWindow();
    mDrawing = false;
    DeleteQueuedFramebuffers();
}

// The window gets the backing framebuffer's pixels. A blit gives the same pixels as filling the
// whole view with an image pattern of the backing image (both copy premultiplied texels 1:1
// onto a cleared target), but on software GL it costs well under a millisecond where the
// pattern fill takes 30 to 50 times as long. A blit replaces every pixel, so the window is
// cleared only for the pattern fill (a whole-window clear costs about 2 ms on software GL).
// Where the window keeps its pixels, only the frame's region has changed since the last copy:
// a display repainting 60 times a second then copies its own rectangle, not the editor.
void GraphicsNanoVG::CopyBackingToWindow() {
    int w = BackingWidth();
    int h = BackingHeight();
    mLastWindowCopy = DeviceBox{0, 0, w, h};
    if (mFrameCopy == FrameCopy::kBlit) {
        if (mWindowKeepsPixels && mWindowCurrent && mFrameRegionSet)
            mLastWindowCopy = mFrameRegion;
        mWindowCurrent = mWindowKeepsPixels;
        const DeviceBox& b = mLastWindowCopy;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, mBacking->fbo);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, mWindowFramebuffer);
        glBlitFramebuffer(b.x, b.y, b.x + b.w, b.y + b.h, b.x, b.y, b.x + b.w, b.y + b.h,
                          GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, mWindowFramebuffer);
        return;
    }
    mWindowCurrent = false;
    glBindFramebuffer(GL_FRAMEBUFFER, mWindowFramebuffer);
    glViewport(0, 0, w, h);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
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
    DrawPendingFill();
    mHasPoint = false;
    mSubPaths = 0;
    mPolygon.clear();
    mPolygonOnly = true;
    mPolygonClosed = false;
    mPolygonSimplified = false;
    if (mVG)
        nvgBeginPath(mVG);
}

void GraphicsNanoVG::PathMove(float x, float y) {
    DrawPendingFill();
    if (!mVG)
        return;
    nvgMoveTo(mVG, x, y);
    mPolygonOnly = mPolygonOnly && mSubPaths == 0;
    if (mPolygonOnly) {
        mPolygon.push_back(x);
        mPolygon.push_back(y);
    }
    ++mSubPaths;
    NoteCurrentPoint(x, y);
    mStartX = x;
    mStartY = y;
}

void GraphicsNanoVG::PathLine(float x, float y) {
    DrawPendingFill();
    if (!mVG)
        return;
    nvgLineTo(mVG, x, y);
    mPolygonOnly = mPolygonOnly && mSubPaths == 1 && !mPolygonClosed;
    if (mPolygonOnly) {
        mPolygon.push_back(x);
        mPolygon.push_back(y);
    }
    NoteCurrentPoint(x, y);
}

void GraphicsNanoVG::PathArcSegment(float cx, float cy, float r, float a1, float a2,
                                    Winding winding) {
    DrawPendingFill();
    if (!mVG)
        return;
    float start = ToNanoVGAngle(a1);
    float end = ToNanoVGAngle(a2);
    nvgArc(mVG, cx, cy, r, start, end, winding == kWindingCW ? NVG_CW : NVG_CCW);
    mPolygonOnly = false;
    if (!mHasPoint) {
        ++mSubPaths;
        mStartX = cx + r * std::cos(start);
        mStartY = cy + r * std::sin(start);
    }
    NoteCurrentPoint(cx + r * std::cos(end), cy + r * std::sin(end));
}

void GraphicsNanoVG::PathCloseFigure() {
    DrawPendingFill();
    if (!mVG)
        return;
    nvgClosePath(mVG);
    mPolygonClosed = true;
    NoteCurrentPoint(mStartX, mStartY);
}

void GraphicsNanoVG::PathCubic(float c1x, float c1y, float c2x, float c2y, float x2, float y2) {
    DrawPendingFill();
    if (!mVG)
        return;
    nvgBezierTo(mVG, c1x, c1y, c2x, c2y, x2, y2);
    mPolygonOnly = false;
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
    DrawPendingFill();
    mPolygonOnly = false;
    if (mVG)
        nvgPathWinding(mVG, winding == kWindingCW ? NVG_SOLID : NVG_HOLE);
}

void GraphicsNanoVG::FillPath(const PaintSource& paint, const FillStyle& style,
                              const Blend* blend) {
    if (!mVG)
        return;
    DrawPendingFill();
    if (style.preserve) {
        mPendingFill.pending = true;
        mPendingFill.paint = paint;
        mPendingFill.rule = style.rule;
        mPendingFill.weight = BlendWeight(blend);
        return;
    }
    DrawFill(paint, style.rule, BlendWeight(blend), true);
    PathReset();
}

void GraphicsNanoVG::DrawPendingFill() {
    if (!mPendingFill.pending)
        return;
    mPendingFill.pending = false;
    DrawFill(mPendingFill.paint, mPendingFill.rule, mPendingFill.weight, true);
}

// Draws the current path's fill and leaves the path as it was.
void GraphicsNanoVG::DrawFill(const PaintSource& paint, int rule, float weight, bool antialias) {
    // Sub-paths keep their windings (solid unless marked as holes): the non-zero rule. NanoVG
    // has no even-odd rule; with several sub-paths the last becomes a hole, the even-odd picture
    // of a shape with a cut-out, and a single sub-path stays solid (as a hole it would vanish).
    if (rule == kFillEvenOdd && mSubPaths > 1)
        nvgPathWinding(mVG, NVG_HOLE);
    SimplifyPolygon();
    mLastFillAntialiased = antialias;
    mLastFillTrapezoids = !antialias && paint.type == kPaintSolid && paint.nStops > 0 &&
                          FillAreaAsTrapezoids(ToNanoVGColor(paint.stops[0].color, weight));
    if (mLastFillTrapezoids)
        return;
    nvgFillPaint(mVG, ToNanoVGPaint(mVG, paint, weight));
    nvgShapeAntiAlias(mVG, antialias ? 1 : 0);
    nvgFill(mVG);
    nvgShapeAntiAlias(mVG, 1);
}

// A polygon that leaves a horizontal base line, runs through points of never decreasing (or
// never increasing) x on one side of it and comes back to it is a row of trapezoids standing on
// the base (an area under a curve). Without its fringe it is drawn as just those, in one draw
// and without NanoVG's stencil passes; on software GL each stencil pass changes state at the
// cost of many small draws.
bool GraphicsNanoVG::FillAreaAsTrapezoids(const NVGcolor& color) {
    const size_t n = mPolygon.size() / 2;
    if (!mPolygonOnly || mSubPaths != 1 || n < 4 || !AttributeProgramInUse(mVG))
        return false;
    float xform[6];
    nvgCurrentTransform(mVG, xform);
    if (xform[1] != 0.0f || xform[2] != 0.0f)
        return false;
    const float base = mPolygon[1];
    if (mPolygon[2 * n - 1] != base)
        return false;
    int direction = 0;  // of x along the polygon
    int side = 0;       // of the points off the base
    for (size_t i = 1; i < n; ++i) {
        const float dx = mPolygon[2 * i] - mPolygon[2 * i - 2];
        const float dy = mPolygon[2 * i + 1] - base;
        const int d = (dx > 0.0f) - (dx < 0.0f);
        const int e = (dy > 0.0f) - (dy < 0.0f);
        if ((d != 0 && direction != 0 && d != direction) || (e != 0 && side != 0 && e != side))
            return false;
        direction = d != 0 ? d : direction;
        side = e != 0 ? e : side;
    }
    const float baseY = xform[3] * base + xform[5];
    mArea.clear();
    for (size_t i = 0; i < n; ++i) {
        mArea.push_back(xform[0] * mPolygon[2 * i] + xform[4]);
        mArea.push_back(xform[3] * mPolygon[2 * i + 1] + xform[5]);
    }
    MergePointsBetweenPixelCentres(GetScreenScale());
    mTriangles.clear();
    for (size_t i = 0; i + 3 < mArea.size(); i += 2) {
        const float x0 = mArea[i], y0 = mArea[i + 1], x1 = mArea[i + 2], y1 = mArea[i + 3];
        if (x0 == x1)
            continue;
        AddFrontFacingTriangle(x0, y0, x1, y1, x1, baseY);
        AddFrontFacingTriangle(x0, y0, x1, baseY, x0, baseY);
    }
    if (!mTriangles.empty())
        DrawSolidTriangles(mVG, color, mScissor, mTriangles.data(),
                           static_cast<int>(mTriangles.size() / 2));
    return true;
}

// A fill without antialiasing covers a pixel when its centre is inside, so of the area's top
// edge only its heights at the pixel columns' centres count. Where two or more points fall
// between the same two neighbouring centres (a spectrum has several bins to a pixel at its top
// end), the edge between those centres is replaced by the straight line through its heights at
// them: the same pixels with far fewer, wider trapezoids. The base's two end points stay.
void GraphicsNanoVG::MergePointsBetweenPixelCentres(float pixelsPerUnit) {
    const size_t n = mArea.size() / 2;
    auto x = [this](size_t i) { return mArea[2 * i]; };
    auto y = [this](size_t i) { return mArea[2 * i + 1]; };
    // Points of one gap share the index of the pixel centre at or before them.
    auto gap = [&](size_t i) { return std::floor(x(i) * pixelsPerUnit - 0.5f); };
    // The edge's height where the segment from point i to point j crosses the pixel centre of
    // gap column g.
    auto heightAt = [&](size_t i, size_t j, float column) {
        const float cx = (column + 0.5f) / pixelsPerUnit;
        const float t = (cx - x(i)) / (x(j) - x(i));
        return std::pair<float, float>(cx, y(i) + t * (y(j) - y(i)));
    };
    mMerged.clear();
    mMerged.push_back(x(0));
    mMerged.push_back(y(0));
    size_t i = 1;
    while (i + 1 < n) {
        size_t last = i;
        while (last + 2 < n && gap(last + 1) == gap(i))
            ++last;
        const bool alone = last == i || gap(i - 1) == gap(i) || gap(last + 1) == gap(i);
        if (alone) {
            for (size_t k = i; k <= last; ++k) {
                mMerged.push_back(x(k));
                mMerged.push_back(y(k));
            }
        } else {
            const float g = gap(i);
            const bool rising = x(i) > x(i - 1);
            const auto entry = heightAt(i - 1, i, rising ? g : g + 1.0f);
            const auto exit = heightAt(last, last + 1, rising ? g + 1.0f : g);
            for (const auto& point : {entry, exit}) {
                mMerged.push_back(point.first);
                mMerged.push_back(point.second);
            }
        }
        i = last + 1;
    }
    mMerged.push_back(x(n - 1));
    mMerged.push_back(y(n - 1));
    mArea.swap(mMerged);
}

// NanoVG draws with back faces culled; its front faces turn counter-clockwise on the screen.
void GraphicsNanoVG::AddFrontFacingTriangle(float ax, float ay, float bx, float by, float cx,
                                            float cy) {
    if ((bx - ax) * (cy - ay) - (cx - ax) * (by - ay) > 0.0f) {
        std::swap(bx, cx);
        std::swap(by, cy);
    }
    for (float v : {ax, ay, bx, by, cx, cy})
        mTriangles.push_back(v);
}

// An opaque solid line stroked along the fill's outline covers the fill's fringe (half a device
// pixel either side of the edge) where it is opaque itself: within half its width less half a
// pixel of its middle. From 1.5 device pixels on, what the fringe would add shows through the
// line's own soft edge by a few levels at most.
bool GraphicsNanoVG::StrokeCoversFillEdge(const PaintSource& paint, float thickness,
                                          const LineStyle& style, const Blend* blend) const {
    const Matrix& m = mTransform;
    if (paint.type != kPaintSolid || paint.nStops < 1 || paint.stops[0].color.A != 255 ||
        BlendWeight(blend) < 1.0f || style.dash.count > 0 || m.xy != 0.0 || m.yx != 0.0 ||
        std::fabs(m.xx) != std::fabs(m.yy))
        return false;
    return thickness * std::fabs(m.xx) * CombinedScale() >= 1.5;
}

void GraphicsNanoVG::StrokePath(const PaintSource& paint, float thickness, const LineStyle& style,
                                const Blend* blend) {
    if (!mVG)
        return;
    if (mPendingFill.pending) {
        mPendingFill.pending = false;
        DrawFill(mPendingFill.paint, mPendingFill.rule, mPendingFill.weight,
                 !StrokeCoversFillEdge(paint, thickness, style, blend));
    }
    nvgLineCap(mVG, style.cap == kCapRound    ? NVG_ROUND
                    : style.cap == kCapSquare ? NVG_SQUARE
                                              : NVG_BUTT);
    nvgLineJoin(mVG, style.join == kJoinRound   ? NVG_ROUND
                     : style.join == kJoinBevel ? NVG_BEVEL
                                                : NVG_MITER);
    nvgMiterLimit(mVG, style.miterLimit);
    nvgStrokeWidth(mVG, thickness);
    nvgStrokePaint(mVG, ToNanoVGPaint(mVG, paint, BlendWeight(blend)));
    SimplifyPolygon();
    nvgStroke(mVG);
    if (!style.preserve)
        PathReset();
}

void GraphicsNanoVG::SetPathTransform(const Matrix& m) {
    DrawPendingFill();
    mTransform = m;
    if (!mPolygon.empty())
        mPolygonOnly = false;
    if (!mVG)
        return;
    nvgResetTransform(mVG);
    nvgScale(mVG, DrawScale(), DrawScale());
    nvgTransform(mVG, static_cast<float>(m.xx), static_cast<float>(m.yx), static_cast<float>(m.xy),
                 static_cast<float>(m.yy), static_cast<float>(m.tx), static_cast<float>(m.ty));
}

void GraphicsNanoVG::ClipToRect(const Rect& r) {
    DrawPendingFill();
    mClip = r;
    mClipTransform = mTransform;
    mHasClip = true;
    if (mVG)
        nvgScissor(mVG, r.L, r.T, r.W(), r.H());
    NoteScissor();
}

// The scissor as nvgScissor has just set it, for the draws made outside NanoVG's paths.
void GraphicsNanoVG::NoteScissor() {
    const float w = std::max(0.0f, mClip.W());
    const float h = std::max(0.0f, mClip.H());
    nvgTransformIdentity(mScissor.xform);
    mScissor.xform[4] = mClip.L + w * 0.5f;
    mScissor.xform[5] = mClip.T + h * 0.5f;
    float current[6];
    nvgCurrentTransform(mVG, current);
    nvgTransformMultiply(mScissor.xform, current);
    mScissor.extent[0] = w * 0.5f;
    mScissor.extent[1] = h * 0.5f;
}

// Long polygons of straight lines lose the points that a line through their kept neighbours
// passes within a fiftieth of a device pixel of (runs along a straight edge, flat stretches of
// a curve): the outline moves by less than that, a few levels of an antialiased edge, and
// software GL pays for every triangle.
void GraphicsNanoVG::SimplifyPolygon() {
    const Matrix& m = mTransform;
    if (mPolygonSimplified || !mPolygonOnly || mSubPaths != 1 ||
        mPolygon.size() < 2 * kSimplifyMinPoints || m.xy != 0.0 || m.yx != 0.0)
        return;
    const double scale = std::max(std::fabs(m.xx), std::fabs(m.yy)) * CombinedScale();
    if (!(scale > 0.0))
        return;
    mPolygonSimplified = true;
    const size_t before = mPolygon.size();
    SimplifyPolyline(mPolygon, static_cast<float>(kSimplifyTolerance / scale), mKeep, mSpans);
    if (mPolygon.size() != before)
        ReplayPolygon();
}

void GraphicsNanoVG::ReplayPolygon() {
    nvgBeginPath(mVG);
    nvgMoveTo(mVG, mPolygon[0], mPolygon[1]);
    for (size_t i = 2; i < mPolygon.size(); i += 2)
        nvgLineTo(mVG, mPolygon[i], mPolygon[i + 1]);
    if (mPolygonClosed)
        nvgClosePath(mVG);
}

// ---- Bitmaps ----

// NanoVG's scissor discards fragments in the shader, so a fill still costs its whole area: the
// rectangle is cut to the clip first (same pixels, a partial repaint pays only for its part of
// the background).
void GraphicsNanoVG::DrawBitmapPixels(const BitmapRef& bitmap, const Rect& dest, int srcX, int srcY,
                                      const Blend* blend) {
    DrawPendingFill();
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
    DrawPendingFill();
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
