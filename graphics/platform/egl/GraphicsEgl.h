#pragma once

#include <memory>
#include <string>
#include <vector>

#include "graphics/GraphicsNanoVG.h"
#include "graphics/platform/egl/EglContext.h"
#include "graphics/platform/egl/PixelImage.h"

namespace quendaris {

// A graphics context whose "window" is a framebuffer object in an off-screen EGL context: the
// whole editor draws exactly as on screen, with no window system at all. Invalidated
// rectangles are painted at once, as a window forces its paint at a display tick. Input goes
// through the Graphics entry points directly; there is no cursor and no text box (the last
// text-box request is kept for inspection).
class GraphicsEgl : public GraphicsNanoVG {
  public:
    struct TextEntryRequest {
        int paramIdx = kNoParameter;
        TextStyle style;
        Rect bounds;
        int maxLength = 0;
        std::string text;
    };

    GraphicsEgl(EditorDelegate& delegate, int width, int height, int fps = 60,
                float drawScale = 1.0f);
    ~GraphicsEgl() override;

    // The screen scale the "window" reports (1.0 by default); set it before OpenWindow.
    void SetWindowScale(float scale) { mWindowScale = scale; }
    // Why the last OpenWindow answered null.
    const std::string& LastError() const { return mError; }

    // parent is not used. Null when no OpenGL 3.3 context or NanoVG context can be made.
    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void* GetWindow() const override;

    // Marks every control dirty and runs one display tick: a full picture in the window.
    void RedrawAll();
    // The window's pixels, top row first (empty while closed).
    PixelImage ReadWindowPixels();
    // The backing framebuffer's pixels, as drawn before the copy to the window.
    PixelImage ReadBackingPixels();
    // The window as a PNG file with straight alpha.
    bool WriteWindowPng(const std::string& path);

    const TextEntryRequest* LastTextEntry() const { return mTextEntry.get(); }
    int PaintCount() const { return mPaints; }

    void MakeContextCurrent() override;
    void RestorePreviousContext() override;

    void InvalidateDeviceRects(const std::vector<Rect>& deviceRects) override;
    void CreatePlatformTextEntry(int paramIdx, const TextStyle& style, const Rect& bounds,
                                 int maxLength, const char* text) override;
    float GetPlatformWindowScale() const override { return mWindowScale; }
    void PlatformResize(bool parentHasResized) override;
    void SetPlatformCursor(int cursorType) override { (void)cursorType; }
    void HidePlatformCursor(bool hide, bool lock) override;
    void MovePlatformCursor(float x, float y) override;
    const char* GetPlatformAPIString() const override { return "egl"; }

  private:
    bool CreateWindowFramebuffer();
    void DeleteWindowFramebuffer();
    PixelImage ReadPixels(unsigned framebuffer);

    std::unique_ptr<EglContext> mContext;
    std::string mError;
    float mWindowScale = 1.0f;
    bool mOpen = false;
    unsigned mFramebuffer = 0;
    unsigned mColorBuffer = 0;
    int mFramebufferW = 0;
    int mFramebufferH = 0;
    int mCurrentDepth = 0;
    int mPaints = 0;
    std::unique_ptr<TextEntryRequest> mTextEntry;
};

}  // namespace quendaris
