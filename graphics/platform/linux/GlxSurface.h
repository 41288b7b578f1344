#pragma once

// glad's GL header must precede every other GL header.
#include <glad/gl.h>
#include <glad/glx.h>

namespace quendaris {

// The GL side of one editor window on its own X connection: the frame-buffer configuration
// whose visual the window is created with, the context, and making it current without
// disturbing whatever context the host (or another plug-in) has on this thread.
class GlxSurface {
  public:
    explicit GlxSurface(Display* display);
    ~GlxSurface();
    GlxSurface(const GlxSurface&) = delete;
    GlxSurface& operator=(const GlxSurface&) = delete;

    // Loads GLX and picks a double-buffered RGBA configuration with depth and stencil; the
    // visual of the answer is the one to create the window with (null on failure).
    XVisualInfo* ChooseVisual();
    // A 3.3 core context for the window, or a legacy context where the extension is missing.
    // Loads the GL entry points and turns vertical sync off. False when no context could be made.
    bool CreateContext(Window window);
    void DestroyContext();
    bool IsCoreProfile() const { return mCoreProfile; }
    // Draw on another window of the same visual from now on (0: none).
    void Retarget(Window window) { mWindow = window; }

    // Nested pairs are fine; only the outermost saves and restores the previous context.
    bool MakeCurrent();
    void RestorePrevious();
    void SwapBuffers();
    // Whether the window can be shown a part of its back buffer at a time (the back buffer then
    // keeps its pixels, as nothing swaps it away).
    bool CanCopySubBuffer() const;
    // Shows the rectangle of the back buffer (rows from the bottom) in the window; false when
    // the server refused it (a rectangle beyond the back buffer GL has for the window).
    bool CopySubBuffer(int x, int y, int width, int height);

  private:
    bool LoadGlx();

    Display* mDisplay;
    int mScreen;
    GLXFBConfig mConfig = nullptr;
    XVisualInfo* mVisual = nullptr;
    GLXContext mContext = nullptr;
    Window mWindow = 0;
    bool mCoreProfile = false;

    int mDepth = 0;
    Display* mPreviousDisplay = nullptr;
    GLXDrawable mPreviousDraw = 0;
    GLXDrawable mPreviousRead = 0;
    GLXContext mPreviousContext = nullptr;
};

}  // namespace quendaris
