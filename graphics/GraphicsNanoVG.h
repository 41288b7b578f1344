#pragma once

#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "Graphics.h"
#include "nanovg.h"

struct NVGcontext;
struct NVGLUframebuffer;

namespace quendaris {

// The drawing backend: NanoVG on an OpenGL 3 core context. Every frame is drawn into an
// off-screen backing framebuffer, which FinishFrame copies to the window's framebuffer, so a
// partial repaint keeps the rest of the picture.
//
// The window layer below creates the GL context, then calls CreateDrawingContext with it
// current, and DestroyDrawingContext (again current) before the GL context goes. It fills in
// MakeContextCurrent/RestorePreviousContext so that GL work outside a paint (bitmap and font
// uploads, framebuffer re-creation) happens on its context and leaves a host's own context
// current afterwards.
class GraphicsNanoVG : public Graphics {
  public:
    // How FinishFrame moves the backing framebuffer to the window.
    enum class FrameCopy {
        kBlit,          // glBlitFramebuffer
        kImagePattern,  // a NanoVG fill of the whole view with the backing image
    };

    // A bitmap in this backend's NanoVG context; an off-screen one owns its framebuffer.
    class Bitmap : public APIBitmap {
      public:
        Bitmap(GraphicsNanoVG& owner, int image, int width, int height, int scale, float drawScale,
               NVGLUframebuffer* framebuffer = nullptr);
        ~Bitmap() override;

        int Image() const { return mImage; }
        NVGcontext* Context() const { return mContext; }
        NVGLUframebuffer* Framebuffer() const { return mFramebuffer; }
        // Every pixel fully opaque (checked once, after upload).
        bool Opaque() const { return mOpaque; }
        void SetOpaque(bool opaque) { mOpaque = opaque; }
        // A framebuffer reading the bitmap's texture, made on first use (GL current).
        unsigned ReadFramebuffer();
        // Frees the GL resources now (GL current), leaving an empty bitmap: its NanoVG context
        // is about to go.
        void Detach();

      private:
        GraphicsNanoVG& mOwner;
        NVGcontext* mContext;
        int mImage;
        NVGLUframebuffer* mFramebuffer;
        bool mOpaque = false;
        unsigned mReadFramebuffer = 0;
    };

    GraphicsNanoVG(EditorDelegate& delegate, int width, int height, int fps = 60,
                   float drawScale = 1.0f);
    ~GraphicsNanoVG() override;

    // With the window's GL context current and its framebuffer bound: creates the NanoVG
    // context (antialiased) and the backing framebuffer, remembering the bound framebuffer as
    // the window's. Stencil strokes blend a translucent stroke once where it crosses itself, but
    // cost each stroke about four times as much on software GL. False (and nothing drawn later)
    // when NanoVG cannot start.
    bool CreateDrawingContext(bool stencilStrokes = false);
    // With the GL context current: frees the bitmaps, the framebuffers and the NanoVG context.
    void DestroyDrawingContext();
    bool HasDrawingContext() const { return mVG != nullptr; }
    NVGcontext* GetNVGContext() const { return mVG; }

    // Hooks for the window layer; the default does nothing (the caller keeps a context current).
    virtual void MakeContextCurrent() {}
    virtual void RestorePreviousContext() {}

    void SetFrameCopy(FrameCopy copy) { mFrameCopy = copy; }
    // Opaque bitmaps drawn pixel for pixel are copied with glBlitFramebuffer (same pixels as the
    // image-pattern fill, a small fraction of its cost on software GL); off draws every bitmap
    // as a NanoVG fill.
    void SetBitmapBlit(bool enable) { mBitmapBlit = enable; }
    // NanoVG draws with programs that suit software GL, one per kind of paint (same pixels, a
    // fraction of the cost there); off draws with NanoVG's own. Needs the drawing context.
    void SetAttributeProgram(bool enable);
    FrameCopy GetFrameCopy() const { return mFrameCopy; }
    // GL name of the backing framebuffer (0 when there is none).
    unsigned BackingFramebuffer() const;
    unsigned WindowFramebuffer() const { return mWindowFramebuffer; }
    bool IsDrawing() const { return mDrawing; }
    // Whether the last fill drawn had its antialiasing fringe.
    bool LastFillAntialiased() const { return mLastFillAntialiased; }
    // Whether the last fill was drawn as a row of trapezoids (an area under a curve).
    bool LastFillTrapezoids() const { return mLastFillTrapezoids; }
    // How many trapezoids the last fill drawn as trapezoids took.
    size_t LastTrapezoidCount() const { return mTriangles.size() / 12; }

    // An empty bitmap of width x height device pixels with a framebuffer of its own (layers).
    // Its framebuffer is deleted at the end of the frame after the bitmap goes.
    std::unique_ptr<APIBitmap> CreateOffscreenBitmap(int width, int height, int scale);
    size_t PendingFramebufferDeletions() const;

    // ---- Backend primitives ----
    const char* GetDrawingAPIString() const override { return "NanoVG | GL3"; }
    void PathReset() override;
    void PathMove(float x, float y) override;
    void PathLine(float x, float y) override;
    void PathArcSegment(float cx, float cy, float r, float a1, float a2,
                        Winding winding = kWindingCW) override;
    void PathCloseFigure() override;
    void PathCubic(float c1x, float c1y, float c2x, float c2y, float x2, float y2) override;
    void PathQuad(float cx, float cy, float x2, float y2) override;
    void SetPathWinding(Winding winding) override;
    void FillPath(const PaintSource& paint, const FillStyle& style, const Blend* blend) override;
    void StrokePath(const PaintSource& paint, float thickness, const LineStyle& style,
                    const Blend* blend) override;
    void SetPathTransform(const Matrix& transform) override;
    void ClipToRect(const Rect& r) override;
    void StartFrame() override;
    void SetFrameRegion(const Rect& region) override;
    void FinishFrame() override;
    void DrawBitmapPixels(const BitmapRef& bitmap, const Rect& dest, int srcX, int srcY,
                          const Blend* blend) override;
    void DrawTextAt(const TextStyle& style, const char* str, float x, float y,
                    const Blend* blend) override;
    bool MeasureTextAt(const TextStyle& style, const char* str, float x, float y,
                       Rect& bounds) const override;
    std::unique_ptr<APIBitmap> LoadAPIBitmapFromMemory(const void* data, int size,
                                                       int scale) override;
    std::unique_ptr<APIBitmap> LoadAPIBitmapFromFile(const char* path, int scale) override;
    bool LoadAPIFont(const char* fontId, const void* data, int size) override;
    void OnBackingSizeChanged() override;

    // Device pixels of the window, rows counted from the bottom as GL counts them.
    struct DeviceBox {
        int x = 0, y = 0, w = 0, h = 0;
    };
    // What the last FinishFrame copied to the window: all of it, or only the frame's region
    // where the window keeps its pixels between frames.
    const DeviceBox& LastWindowCopy() const { return mLastWindowCopy; }

  protected:
    // For a window layer whose window is itself a framebuffer object that it re-creates.
    void SetWindowFramebuffer(unsigned framebuffer) { mWindowFramebuffer = framebuffer; }
    // The window keeps its pixels from one frame to the next (an off-screen target, or a window
    // presented by copying part of its back buffer), so a frame copies only what it drew. A
    // window presented by swapping buffers gets the whole picture every frame.
    void SetWindowKeepsPixels(bool keeps);
    // The window's pixels are gone (a new or resized target): the next frame copies them all.
    void WindowPixelsLost() { mWindowCurrent = false; }

  private:
    void RecreateBackingFramebuffer();
    void DeleteBackingFramebuffer();
    void DeleteQueuedFramebuffers();
    void QueueFramebufferDeletion(NVGLUframebuffer* framebuffer);
    std::unique_ptr<APIBitmap> WrapImage(int image, int scale);
    // Selects the font, size and alignment of style; false for a font unknown to NanoVG.
    bool SelectFont(const TextStyle& style) const;
    void CopyBackingToWindow();
    bool BlitBitmap(Bitmap& bitmap, const Rect& dest, int srcX, int srcY, const Rect& area);
    bool IsOpaqueImage(int image) const;
    void NoteCurrentPoint(float x, float y);
    void ReplayPolygon();
    void SimplifyPolygon();
    // A fill that keeps its path waits for the next primitive: when that strokes the same path
    // with an opaque line that covers the fill's edge, the fill is drawn without its
    // antialiasing fringe (on software GL the fringe of a long outline is half the fill's cost).
    void DrawPendingFill();
    void DrawFill(const PaintSource& paint, int rule, float weight, bool antialias);
    bool FillAreaAsTrapezoids(const NVGcolor& color);
    void AddFrontFacingTriangle(float ax, float ay, float bx, float by, float cx, float cy);
    void MergePointsBetweenPixelCentres(float pixelsPerUnit);
    void NoteScissor();
    bool StrokeCoversFillEdge(const PaintSource& paint, float thickness, const LineStyle& style,
                              const Blend* blend) const;

    NVGcontext* mVG = nullptr;
    NVGLUframebuffer* mBacking = nullptr;
    unsigned mWindowFramebuffer = 0;
    bool mDrawing = false;
    FrameCopy mFrameCopy = FrameCopy::kBlit;
    bool mWindowKeepsPixels = false;
    bool mWindowCurrent = false;  // the window has the backing's pixels of the last frame
    bool mFrameRegionSet = false;
    DeviceBox mFrameRegion;
    DeviceBox mLastWindowCopy;
    bool mBitmapBlit = true;

    // The transform and clip in force, as the graphics context last set them.
    Matrix mTransform;
    Rect mClip;
    Matrix mClipTransform;
    bool mHasClip = false;

    // Current point and start of the sub-path, for quadratic curves.
    bool mHasPoint = false;
    float mPointX = 0.0f;
    float mPointY = 0.0f;
    float mStartX = 0.0f;
    float mStartY = 0.0f;
    int mSubPaths = 0;

    // The current path while it is one polygon of straight lines in one transform (x, y pairs).
    std::vector<float> mPolygon;
    bool mPolygonOnly = false;
    bool mPolygonClosed = false;
    bool mPolygonSimplified = false;
    std::vector<char> mKeep;
    std::vector<std::pair<size_t, size_t>> mSpans;
    bool mLastFillAntialiased = true;
    bool mLastFillTrapezoids = false;
    std::vector<float> mTriangles;
    std::vector<float> mArea;    // FillAreaAsTrapezoids' polygon in frame coordinates
    std::vector<float> mMerged;  // and its scratch
    NVGscissor mScissor{{0, 0, 0, 0, 0, 0}, {-1.0f, -1.0f}};

    struct PendingFill {
        bool pending = false;
        PaintSource paint;
        int rule = kFillWinding;
        float weight = 1.0f;
    } mPendingFill;

    mutable std::mutex mDeletionLock;
    std::vector<NVGLUframebuffer*> mDeletionQueue;
    // Every bitmap made in the current NanoVG context and not yet deleted.
    std::set<Bitmap*> mLiveBitmaps;
};

}  // namespace quendaris
