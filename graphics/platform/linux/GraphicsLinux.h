#pragma once

#include <X11/Xlib.h>
#include <array>
#include <memory>
#include <vector>

#include "graphics/GraphicsNanoVG.h"
#include "graphics/platform/linux/ValueTextBox.h"
#include "graphics/platform/linux/X11Input.h"

namespace quendaris {

class GlxSurface;
class HostEventLoop;

// The editor window on X11: a child of the host's window on a connection of its own, drawn
// through NanoVG on a GLX context. It runs no thread: the host's run loop (from the delegate)
// drives a display tick timer, which also drains the X queue, and watches the connection.
class GraphicsLinux : public GraphicsNanoVG {
  public:
    static constexpr uint32_t kTickIntervalMs = 16;

    GraphicsLinux(EditorDelegate& delegate, int width, int height, int fps = 60,
                  float drawScale = 1.0f);
    ~GraphicsLinux() override;

    // parent is the host's X window id. Null when the window cannot be made.
    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void* GetWindow() const override;
    // A scale from the host wins over the desktop's Xft.dpi from then on.
    void SetScreenScale(float scale) override;

    void MakeContextCurrent() override;
    void RestorePreviousContext() override;

    void InvalidateDeviceRects(const std::vector<Rect>& deviceRects) override;
    void CreatePlatformTextEntry(int paramIdx, const TextStyle& style, const Rect& bounds,
                                 int maxLength, const char* text) override;
    float GetPlatformWindowScale() const override;
    void PlatformResize(bool parentHasResized) override;
    void SetPlatformCursor(int cursorType) override;
    void HidePlatformCursor(bool hide, bool lock) override;
    void MovePlatformCursor(float x, float y) override;
    const char* GetPlatformAPIString() const override { return "x11"; }

    // One round of the host's timer: pending X events, the text box outcome, a display tick.
    void OnTimer();
    // The host saw the connection readable.
    void OnConnectionReadable();

    int FramesDrawn() const { return mFramesDrawn; }
    const ValueTextBox& TextBox() const { return mTextBox; }
    // The desktop's scale: Xft.dpi / 96 from the X resource database, 1.0 when unset.
    static float DesktopScale(Display* display);

  private:
    bool CreateNativeWindow(Window parent);
    void StartHostLoop();
    void StopHostLoop();
    void ProcessEvents();
    void HandleEvent(XEvent& event);
    void HandleButtonPress(const XButtonEvent& event);
    void HandleButtonRelease(const XButtonEvent& event);
    void HandleMotion(XMotionEvent event);
    void HandleKey(XKeyEvent& event, bool down);
    void HandleTextBoxKey(KeySym keysym, const std::string& text);
    void ForwardKeyToHost(const XKeyEvent& event, bool down);
    bool FinishTextBox();
    void CloseTextBox();
    void Paint(const std::vector<Rect>& logicalRects);
    void PaintAll();
    void PaintTextBoxOnly();
    void Present();
    void DrawTextBox();
    Cursor CursorFor(int cursorType);
    void ReleaseWindow();

    Display* mDisplay = nullptr;
    Window mParent = 0;
    Window mWindow = 0;
    Colormap mColormap = 0;
    std::unique_ptr<GlxSurface> mGlx;
    bool mPresentByCopy = false;
    bool mSwapNext = false;
    bool mWindowGone = false;
    bool mParentGone = false;
    bool mInEvents = false;

    HostEventLoop* mLoop = nullptr;
    int mTimerId = 0;
    int mFdId = 0;

    float mHostScale = 0.0f;
    float mDesktopScale = 1.0f;

    DoubleClickDetector mClicks;

    std::array<Cursor, kCursorHelp + 1> mCursors{};
    Cursor mBlankCursor = 0;
    bool mPointerHidden = false;

    ValueTextBox mTextBox;
    Window mFocusBeforeTextBox = 0;
    bool mFocusTaken = false;

    int mFramesDrawn = 0;
};

}  // namespace quendaris
