#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "APIBitmap.h"
#include "Control.h"
#include "EditorHost.h"
#include "GraphicsTypes.h"
#include "Resources.h"
#include "frame/EditorGraphics.h"
#include "frame/KeyEvent.h"

namespace quendaris {

class EditorDelegate;

// The editor's drawing surface and control container. It keeps the controls in drawing order
// (index 0 is the background), routes pointer and key events to them, collects dirty
// rectangles at each display tick and redraws them with drawing operations built on the
// primitives a backend supplies. The window layer below the backend supplies the window,
// the display ticks, the text box and the cursor.
//
// Coordinates are logical pixels; CombinedScale() = draw scale x screen scale gives device
// pixels. Everything runs on the UI thread.
class Graphics : public EditorGraphics {
  public:
    using KeyHandlerFunction = std::function<bool(const KeyEvent& key, bool isUp)>;
    using DisplayTickFunction = std::function<void()>;

    Graphics(EditorDelegate& delegate, int width, int height, int fps = 60, float drawScale = 1.0f);
    ~Graphics() override;
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    // ---- EditorGraphics (OpenWindow and CloseWindow come from the window layer) ----
    int Width() const override { return mWidth; }
    int Height() const override { return mHeight; }
    float DrawScale() const override { return mDrawScale; }
    void Resize(int width, int height, float drawScale, bool needsHostResize) override;
    void SetScreenScale(float scale) override;
    void PointerPosition(float& x, float& y) const override;
    bool OnKeyDown(float x, float y, const KeyEvent& key) override;
    bool OnKeyUp(float x, float y, const KeyEvent& key) override;
    void SetParamValueFromDelegate(int paramIdx, double normalValue) override;
    void SetControlValueFromDelegate(int ctrlTag, double normalValue) override;
    void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                    const void* data) override;
    void SendMidiMsgToControls(const MidiMessage& msg) override;

    // ---- Sizes and scales ----
    int FPS() const { return mFPS; }
    float GetScreenScale() const { return mScreenScale; }
    float CombinedScale() const { return mDrawScale * mScreenScale; }
    // Screen scale rounded up to a whole number: the bitmap variant to look for.
    int RoundedScreenScale() const;
    // Size of the drawing surface in device pixels.
    int BackingWidth() const;
    int BackingHeight() const;

    // ---- Controls ----
    // Takes over the new control's reference. A tag already in use attaches nothing: the
    // control is released and null is answered.
    Control* AttachControl(Control* control, int tag = kNoTag, const char* group = "");
    Control* AddControl(Control* control, int tag = kNoTag, const char* group = "") {
        return AttachControl(control, tag, group);
    }
    // Loads the picture and places it as a BitmapControl at index 0.
    Control* SetBackgroundBitmap(const char* resourceName);
    Control* GetControl(int index) const;
    Control* GetControlWithTag(int tag) const;
    int NControls() const { return static_cast<int>(mControls.size()); }
    int GetControlIdx(const Control* control) const;
    // Releases captures, shows the cursor and deletes every control, last first.
    void RemoveAllControls();
    // Other controls bound to the same parameter as control's slot take its value.
    void SyncSiblingControls(Control* control, int slot);
    void ForAllControls(const std::function<void(Control&)>& f);
    void SetAllControlsDirty();
    void SetAllControlsClean();
    // Special controls are tested before the list; the plug-in creates none.
    void SetPopupMenuControl(Control* control) { mPopupControl = control; }
    void SetTextEntryControl(Control* control) { mTextEntryControl = control; }
    void SetCornerResizer(Control* control) { mCornerResizer = control; }
    void SetPerfDisplay(Control* control) { mPerfDisplay = control; }

    // The control and slot whose platform text box is open, or null.
    Control* GetEditedControl() const { return mEditedControl; }

    void EnableMouseOver(bool enable) { mMouseOver = enable; }
    void SetStrictDrawing(bool strict) { mStrictDrawing = strict; }
    void SetKeyHandlerFunc(KeyHandlerFunction f) { mKeyHandler = std::move(f); }
    void SetDisplayTickFunc(DisplayTickFunction f) { mDisplayTick = std::move(f); }
    void SetEditorHost(EditorHost* host) { mEditorHost = host; }
    EditorHost* GetEditorHost() const { return mEditorHost; }
    EditorDelegate* GetDelegate() const { return mDelegate; }

    // ---- Drawing operations (blend null = opaque) ----
    void PaintRect(const Color& color, const Rect& r, const Blend* blend = nullptr);
    void PaintRoundRect(const Color& color, const Rect& r, float radius,
                        const Blend* blend = nullptr);
    void PaintCircle(const Color& color, float cx, float cy, float r, const Blend* blend = nullptr);
    // A pie slice from a1 to a2 degrees (0 at twelve o'clock, clockwise).
    void PaintArc(const Color& color, float cx, float cy, float r, float a1, float a2,
                  const Blend* blend = nullptr);
    void StrokeLine(const Color& color, float x1, float y1, float x2, float y2,
                    const Blend* blend = nullptr, float thickness = 1.0f);
    void StrokeRect(const Color& color, const Rect& r, const Blend* blend = nullptr,
                    float thickness = 1.0f);
    void StrokeRoundRect(const Color& color, const Rect& r, float radius,
                         const Blend* blend = nullptr, float thickness = 1.0f);
    void StrokeArc(const Color& color, float cx, float cy, float r, float a1, float a2,
                   const Blend* blend = nullptr, float thickness = 1.0f);
    void StrokeCircle(const Color& color, float cx, float cy, float r, const Blend* blend = nullptr,
                      float thickness = 1.0f);
    // Draws the bitmap so that its point (srcX, srcY) lands on dest's top-left, clipped to
    // dest.
    void DrawBitmapFrame(const BitmapRef& bitmap, const Rect& dest, int srcX, int srcY,
                         const Blend* blend = nullptr);
    // Whole bitmap frame 'frame' (1..N) centred on dest.
    void DrawBitmap(const BitmapRef& bitmap, const Rect& dest, int frame = 1,
                    const Blend* blend = nullptr);
    // Aligned inside r by the style; an unknown font id or empty text draws nothing.
    void RenderText(const TextStyle& style, const char* str, const Rect& r,
                    const Blend* blend = nullptr);
    // Sets r to the text's bounds (for rotated text the aligned box around them) and answers
    // the width; 0 for empty text or an unknown font.
    float MeasureTextExtent(const TextStyle& style, const char* str, Rect& r) const;

    // ---- Path helpers on the primitives ----
    void PathRectShape(const Rect& r);
    void PathRoundRectShape(const Rect& r, float tl, float tr, float br, float bl);
    void PathRoundRectShape(const Rect& r, float radius) {
        PathRoundRectShape(r, radius, radius, radius, radius);
    }
    void PathCircleShape(float cx, float cy, float r);
    void PathFill(const PaintSource& paint, const FillStyle& style = FillStyle(),
                  const Blend* blend = nullptr) {
        FillPath(paint, style, blend);
    }
    void PathStroke(const PaintSource& paint, float thickness, const LineStyle& style = LineStyle(),
                    const Blend* blend = nullptr) {
        StrokePath(paint, thickness, style, blend);
    }

    // ---- Path transform (applied to paths built after the call) ----
    void PathTransformReset();
    void PathTransformTranslate(float x, float y);
    void PathTransformScale(float x, float y);
    void PathTransformRotate(float degrees);
    void PathTransformSave();
    void PathTransformRestore();
    const Matrix& GetTransform() const { return mTransform; }

    // ---- Backend primitives ----
    virtual const char* GetDrawingAPIString() const = 0;
    virtual void PathReset() = 0;
    virtual void PathMove(float x, float y) = 0;
    virtual void PathLine(float x, float y) = 0;
    // Angles in degrees, 0 at twelve o'clock, growing clockwise.
    virtual void PathArcSegment(float cx, float cy, float r, float a1, float a2,
                                Winding winding = kWindingCW) = 0;
    virtual void PathCloseFigure() = 0;
    virtual void PathCubic(float c1x, float c1y, float c2x, float c2y, float x2, float y2) = 0;
    virtual void PathQuad(float cx, float cy, float x2, float y2) = 0;
    virtual void SetPathWinding(Winding winding) = 0;
    // Both clear the path afterwards unless the style preserves it.
    virtual void FillPath(const PaintSource& paint, const FillStyle& style, const Blend* blend) = 0;
    virtual void StrokePath(const PaintSource& paint, float thickness, const LineStyle& style,
                            const Blend* blend) = 0;
    // The transform for the following drawing, in logical pixels (the backend adds the draw
    // scale).
    virtual void SetPathTransform(const Matrix& transform) = 0;
    // Scissor in logical pixels under the current transform.
    virtual void ClipToRect(const Rect& r) = 0;
    virtual void StartFrame() = 0;
    // What the frame just started draws (logical pixels); the rest of the picture stays as the
    // frames before left it. Without a call the frame may change any pixel.
    virtual void SetFrameRegion(const Rect& region) { (void)region; }
    virtual void FinishFrame() = 0;
    // Backend half of DrawBitmapFrame.
    virtual void DrawBitmapPixels(const BitmapRef& bitmap, const Rect& dest, int srcX, int srcY,
                                  const Blend* blend) = 0;
    // Draws str with the style's font, size, colour and alignment flags anchored at (x, y):
    // left/centre/right of the text at x, top/middle/bottom at y. No rotation.
    virtual void DrawTextAt(const TextStyle& style, const char* str, float x, float y,
                            const Blend* blend) = 0;
    // Bounds of str drawn as DrawTextAt would draw it; false for an unknown font id.
    virtual bool MeasureTextAt(const TextStyle& style, const char* str, float x, float y,
                               Rect& bounds) const = 0;
    // Decoded pixels of a PNG/JPEG in memory or a file; null on failure. scale is the
    // variant's scale.
    virtual std::unique_ptr<APIBitmap> LoadAPIBitmapFromMemory(const void* data, int size,
                                                               int scale) = 0;
    virtual std::unique_ptr<APIBitmap> LoadAPIBitmapFromFile(const char* path, int scale) = 0;
    // Registers font bytes under fontId; the data stays alive as long as the process-wide
    // font table (FontDataCache) holds it.
    virtual bool LoadAPIFont(const char* fontId, const void* data, int size) = 0;
    // Extension, e.g. "png": whether the backend decodes it.
    virtual bool BitmapExtSupported(const char* ext) const;
    // The drawing surface must follow a new BackingWidth/BackingHeight.
    virtual void OnBackingSizeChanged() {}

    // ---- Window layer ----
    // The native window, or null while closed.
    virtual void* GetWindow() const = 0;
    bool WindowIsOpen() const { return GetWindow() != nullptr; }
    // Asks for a repaint of these device-pixel rectangles; the window's paint handler then
    // calls DrawDirty with them in logical pixels.
    virtual void InvalidateDeviceRects(const std::vector<Rect>& deviceRects) = 0;
    // Opens the platform's single-line text box over bounds (logical pixels). paramIdx is the
    // edited parameter (-1 for none) for the character filter. On commit the window calls
    // ApplyTypedValue; on cancel it calls CancelTextEntry.
    virtual void CreatePlatformTextEntry(int paramIdx, const TextStyle& style, const Rect& bounds,
                                         int maxLength, const char* text) = 0;
    // The window's DPI scale (1.0 at 96 DPI).
    virtual float GetPlatformWindowScale() const = 0;
    // Resizes the native window to BackingWidth x BackingHeight device pixels.
    virtual void PlatformResize(bool parentHasResized) = 0;
    // cursorType is a CursorType; the window shows it.
    virtual void SetPlatformCursor(int cursorType) = 0;
    // Hides or shows the pointer; with lock it stays where it was hidden.
    virtual void HidePlatformCursor(bool hide, bool lock) = 0;
    // Moves the pointer to (x, y) in logical pixels.
    virtual void MovePlatformCursor(float x, float y) = 0;
    // Registers font bytes with the window system for its text box; true where it has none.
    virtual bool LoadPlatformFont(const char* fontId, const void* data, int size);
    // Shows menu at bounds and sets menu.chosen; false when no popup menu is available.
    virtual bool CreatePlatformPopupMenu(PopupMenu& menu, const Rect& bounds);
    virtual const char* GetPlatformAPIString() const { return ""; }

    // ---- Entry points for the window layer ----
    // One display tick: screen-scale check, CollectDirtyRects, repaint request.
    void DisplayTick();
    // Logical dirty rectangles of this tick; also marks every control clean when any is found.
    void CollectDirtyRects(std::vector<Rect>& rects);
    // Paints the controls intersecting the rectangles (logical pixels), between StartFrame
    // and FinishFrame.
    void DrawDirty(const std::vector<Rect>& rects);
    void DrawControlInRect(Control& control, const Rect& region);
    void OnPointerDown(const std::vector<PointerEvent>& events);
    void OnPointerUp(const std::vector<PointerEvent>& events);
    void OnPointerDrag(const std::vector<PointerEvent>& events);
    // True when a control took the double click (the window captures the pointer then).
    bool OnPointerDoubleClick(float x, float y, const KeyMods& mod);
    // d in whole notches.
    bool OnPointerWheel(float x, float y, const KeyMods& mod, float d);
    // True when a control is under the pointer.
    bool OnPointerOver(float x, float y, const KeyMods& mod);
    void OnPointerOut();
    void OnDrop(const char* path, float x, float y);
    void OnDropMultiple(const std::vector<const char*>& paths, float x, float y);
    void OnGesture(float x, float y, const GestureInfo& gesture);
    // A committed text box: the typed value goes to the edited control.
    void ApplyTypedValue(const char* text);
    void CancelTextEntry();
    // Hit test in drawing order from the top (see the .cpp for the rules).
    Control* FindControlAt(float x, float y, bool capture, bool hover, uint64_t pointerId = 0);
    void ReleaseCaptures();
    bool IsCaptured(const Control* control) const;
    Control* CapturedControl(uint64_t pointerId = 0) const;
    Control* HoveredControl() const { return mHoveredControl; }
    // Index in the control list of the last control found for hover, -1 for none.
    int HoveredIndex() const { return mHoveredIdx; }
    // Where the last single-pointer press happened; -1, -1 before any.
    void PressPosition(float& x, float& y) const {
        x = mPressX;
        y = mPressY;
    }
    // The clip of the control being painted, in logical pixels.
    const Rect& GetClipRect() const { return mClipRect; }
    // Asks the delegate to run the plug-in's layout on this surface.
    void LayoutUI();

    // ---- Value prompt ----
    void OpenValuePrompt(Control& control, const Rect& bounds, int slot);

    // ---- Cursor ----
    void SetCursor(int cursorType);
    int GetCursor() const { return mCursorType; }
    void HideCursor(bool hide, bool lock = true);
    bool CursorHidden() const { return mCursorHidden; }
    bool CursorLocked() const { return mCursorLocked; }

    // ---- Resources ----
    // The module whose resources are searched (Windows module handle; unused elsewhere).
    void SetModuleInstance(void* instance) { mModuleInstance = instance; }
    void* GetModuleInstance() const { return mModuleInstance; }
    // Where the resource lookup looks first; the built-in table of the module by default.
    void SetResourceTable(const ResourceTable* table) { mResources = table; }
    // A module resource, then a file at name; type is "png", "ttf" or "svg".
    ResourceLocation LocateResource(const char* name, const char* type) const;
    // frames and orientation as asked; targetScale 0 means RoundedScreenScale(). An empty
    // BitmapRef for an unsupported extension or a name found nowhere.
    BitmapRef LoadImageResource(const char* name, int nFrames = 1, bool framesHorizontal = false,
                                int targetScale = 0);
    bool LoadFontFromMemory(const char* fontId, const void* data, int size);
    bool LoadFontResource(const char* fontId, const char* name);
    // Frees every bitmap of this instance (the backend calls it before its context goes).
    void ClearBitmapCache();

  protected:
    // Number of Graphics instances alive; the process-wide caches live while it is above 0.
    static int LiveInstances();

    // Grown by 0.75 on every side, aligned outward to device pixels.
    Rect ControlDrawBounds(const Control& control) const;
    void ApplyScaleChange();
    void OpenHostContextMenu(Control& control, int paramIdx, float x, float y);
    bool KeyEventToControls(float x, float y, const KeyEvent& key, bool isUp);

    EditorDelegate* mDelegate;
    std::vector<Control*> mControls;
    std::unordered_map<int, Control*> mTagMap;
    Control* mCornerResizer = nullptr;
    Control* mPopupControl = nullptr;
    Control* mPerfDisplay = nullptr;
    Control* mTextEntryControl = nullptr;
    int mCursorType = kCursorArrow;
    int mWidth;
    int mHeight;
    int mFPS;
    float mScreenScale = 1.0f;
    float mDrawScale;
    std::unordered_map<uint64_t, Control*> mCapturedMap;
    Control* mHoveredControl = nullptr;
    int mHoveredIdx = -1;
    float mPressX = -1.0f;
    float mPressY = -1.0f;
    float mMinScale = 0.5f;
    float mMaxScale = 4.0f;
    bool mMouseOver = false;
    bool mStrictDrawing = false;
    KeyHandlerFunction mKeyHandler;
    DisplayTickFunction mDisplayTick;
    bool mCursorHidden = false;
    bool mCursorLocked = false;
    float mLastX = -1.0f;
    float mLastY = -1.0f;
    float mLockX = -1.0f;
    float mLockY = -1.0f;
    Rect mClipRect;
    Matrix mTransform;
    std::vector<Matrix> mTransformStack;

    Control* mEditedControl = nullptr;
    int mEditedSlot = -1;
    EditorHost* mEditorHost = nullptr;
    void* mModuleInstance = nullptr;
    const ResourceTable* mResources;

    // Per-instance bitmaps by (resource name, found scale); the lock guards the map.
    std::mutex mBitmapCacheLock;
    std::map<std::pair<std::string, int>, std::unique_ptr<APIBitmap>> mBitmapCache;
};

}  // namespace quendaris
