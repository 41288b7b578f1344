#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "WindowRules.h"
#include "graphics/GraphicsNanoVG.h"

namespace quendaris {

class VSyncPoster;

// The editor's Windows window: a child of the host's window with its own OpenGL 3.3 context,
// display ticks from the vertical blank (Windows 8 and later) or a timer, the window
// procedure that turns messages into the graphics context's events, the value text box, the
// cursor and the private fonts.
class GraphicsWin : public GraphicsNanoVG {
  public:
    // Value-box states, driven by the box's messages and read at the next display tick.
    enum ParamEditState { kNone = 0, kEditing, kUpdate, kCancel, kCommit };

    static constexpr int kTextBoxId = 99;

    GraphicsWin(EditorDelegate& delegate, int width, int height, int fps = 60,
                float drawScale = 1.0f);
    ~GraphicsWin() override;

    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void* GetWindow() const override { return mPlugWnd; }

    void InvalidateDeviceRects(const std::vector<Rect>& deviceRects) override;
    void CreatePlatformTextEntry(int paramIdx, const TextStyle& style, const Rect& bounds,
                                 int maxLength, const char* text) override;
    float GetPlatformWindowScale() const override;
    void PlatformResize(bool parentHasResized) override;
    void SetPlatformCursor(int cursorType) override;
    void HidePlatformCursor(bool hide, bool lock) override;
    void MovePlatformCursor(float x, float y) override;
    bool LoadPlatformFont(const char* fontId, const void* data, int size) override;
    const char* GetPlatformAPIString() const override { return "win32"; }

    void MakeContextCurrent() override;
    void RestorePreviousContext() override;

    // One display tick: tick 0 from the timer, the posted counter from the vertical blank.
    void DisplayTick(uint64_t tick);
    bool VerticalBlankMode() const { return mVBlankMode; }
    ParamEditState EditState() const { return mEditState; }
    HWND TextBox() const { return mTextBox; }

  private:
    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TextBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleTextBoxMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    void StartDisplayTicks(HWND hwnd);
    void StopDisplayTicks();
    void Paint();
    PointerEvent MakePointerEvent(LPARAM lParam, WPARAM wParam) const;
    bool OnKeyMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnDroppedFiles(HDROP drop);
    void OnTouch(WPARAM wParam, LPARAM lParam);
    void DestroyTextBox();
    // Frees everything the open window holds; destroyWindow is false when the window is
    // already being destroyed.
    void TearDown(bool destroyWindow);
    HINSTANCE ModuleInstance() const;

    HWND mParentWnd = nullptr;
    HWND mPlugWnd = nullptr;
    HDC mDC = nullptr;
    HGLRC mGLRC = nullptr;
    HDC mPrevDC = nullptr;
    HGLRC mPrevGLRC = nullptr;
    int mContextDepth = 0;
    bool mClassAcquired = false;
    bool mTearingDown = false;

    bool mVBlankMode = false;
    std::unique_ptr<VSyncPoster> mVSync;
    winrules::TickGate mTickGate;

    bool mPlatformCursorHidden = false;
    bool mPlatformCursorLocked = false;
    POINT mLockPosition{};
    bool mTrackingLeave = false;
    bool mReleasingCapture = false;

    HWND mTextBox = nullptr;
    WNDPROC mTextBoxDefaultProc = nullptr;
    HFONT mTextBoxFont = nullptr;
    HBRUSH mTextBoxBrush = nullptr;
    TextStyle mTextBoxStyle;
    Rect mTextBoxRect;
    const Param* mEditParam = nullptr;
    ParamEditState mEditState = kNone;
};

}  // namespace quendaris
