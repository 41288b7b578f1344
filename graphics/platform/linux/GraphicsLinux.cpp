#include "GraphicsLinux.h"

#include "GlxSurface.h"

#include <X11/Xatom.h>
#include <X11/Xresource.h>
#include <X11/cursorfont.h>
#include <X11/keysym.h>
#include <cmath>
#include <cstdlib>

#include "XErrorTrap.h"
#include "frame/EditorDelegate.h"
#include "frame/HostEventLoop.h"

namespace quendaris {

namespace {

constexpr long kXEmbedVersion = 0;
constexpr long kXEmbedMapped = 1;

constexpr long kEventMask = ExposureMask | StructureNotifyMask | ButtonPressMask |
                            ButtonReleaseMask | PointerMotionMask | EnterWindowMask |
                            LeaveWindowMask | KeyPressMask | KeyReleaseMask | FocusChangeMask;

// X cursor-font shapes for the cursor types, in type order.
constexpr unsigned kCursorShapes[] = {XC_left_ptr,
                                      XC_xterm,
                                      XC_watch,
                                      XC_crosshair,
                                      XC_sb_up_arrow,
                                      XC_bottom_right_corner,
                                      XC_bottom_left_corner,
                                      XC_sb_h_double_arrow,
                                      XC_sb_v_double_arrow,
                                      XC_fleur,
                                      XC_X_cursor,
                                      XC_hand2,
                                      XC_watch,
                                      XC_question_arrow};

// The character a key symbol stands for, or 0: Latin-1 keysyms are their code points, and
// Unicode keysyms carry theirs in the low bits.
char32_t CharacterOfKeysym(KeySym keysym) {
    if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
        return static_cast<char32_t>(keysym);
    if ((keysym & 0xFF000000) == 0x01000000)
        return static_cast<char32_t>(keysym & 0x00FFFFFF);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return static_cast<char32_t>('0' + (keysym - XK_KP_0));
    switch (keysym) {
        case XK_KP_Decimal:
            return '.';
        case XK_KP_Add:
            return '+';
        case XK_KP_Subtract:
            return '-';
        case XK_KP_Multiply:
            return '*';
        case XK_KP_Divide:
            return '/';
        case XK_KP_Space:
            return ' ';
        default:
            return 0;
    }
}

std::string Utf8(char32_t c) {
    std::string out;
    if (c == 0 || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

ValueTextBox::Filter FilterForParam(const Param* param) {
    if (!param)
        return ValueTextBox::Filter::kAny;
    return param->Type() == kTypeDouble ? ValueTextBox::Filter::kDecimal
                                        : ValueTextBox::Filter::kInteger;
}

}  // namespace

GraphicsLinux::GraphicsLinux(EditorDelegate& delegate, int width, int height, int fps,
                             float drawScale)
    : GraphicsNanoVG(delegate, width, height, fps, drawScale) {}

GraphicsLinux::~GraphicsLinux() {
    CloseWindow();
}

float GraphicsLinux::DesktopScale(Display* display) {
    const char* resources = display ? XResourceManagerString(display) : nullptr;
    if (!resources)
        return 1.0f;
    XrmInitialize();
    XrmDatabase database = XrmGetStringDatabase(resources);
    if (!database)
        return 1.0f;
    char* type = nullptr;
    XrmValue value{};
    float scale = 1.0f;
    if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
        const double dpi = std::atof(value.addr);
        // Out-of-range values come from broken desktops; they would make the editor unusable.
        if (dpi >= 48.0 && dpi <= 960.0)
            scale = static_cast<float>(dpi / 96.0);
    }
    XrmDestroyDatabase(database);
    return scale;
}

void* GraphicsLinux::OpenWindow(void* parent) {
    if (mDisplay)
        CloseWindow();
    const auto parentId = static_cast<Window>(reinterpret_cast<uintptr_t>(parent));
    if (!parentId)
        return nullptr;
    mDisplay = XOpenDisplay(nullptr);
    if (!mDisplay)
        return nullptr;
    mDesktopScale = DesktopScale(mDisplay);
    if (!CreateNativeWindow(parentId)) {
        ReleaseWindow();
        return nullptr;
    }
    MakeContextCurrent();
    const bool drawing = CreateDrawingContext();
    // Shown a changed rectangle at a time, the back buffer is never swapped away and keeps its
    // pixels: a display repainting 60 times a second sends the X server its own rectangle
    // instead of the whole editor.
    mPresentByCopy = mGlx->CanCopySubBuffer();
    SetWindowKeepsPixels(mPresentByCopy);
    Graphics::SetScreenScale(GetPlatformWindowScale());
    LayoutUI();
    SetAllControlsDirty();
    RestorePreviousContext();
    if (!drawing) {
        CloseWindow();
        return nullptr;
    }
    StartHostLoop();
    if (mDelegate)
        mDelegate->OnUIOpen();
    // The first frame needs no event: the window is viewable once the server has mapped it.
    XSync(mDisplay, False);
    OnTimer();
    return GetWindow();
}

bool GraphicsLinux::CreateNativeWindow(Window parent) {
    XErrorTrap trap(mDisplay);
    XWindowAttributes parentAttributes{};
    if (!XGetWindowAttributes(mDisplay, parent, &parentAttributes) || trap.Failed())
        return false;
    mParent = parent;
    mGlx = std::make_unique<GlxSurface>(mDisplay);
    XVisualInfo* visual = mGlx->ChooseVisual();
    if (!visual)
        return false;
    // The visual of the GL configuration with a colormap of its own and a border pixel:
    // anything else gives BadMatch under some drivers and parents.
    mColormap = XCreateColormap(mDisplay, parentAttributes.root, visual->visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = mColormap;
    attributes.border_pixel = 0;
    attributes.background_pixmap = None;
    attributes.event_mask = kEventMask;
    mWindow = XCreateWindow(mDisplay, parent, 0, 0, static_cast<unsigned>(BackingWidth()),
                            static_cast<unsigned>(BackingHeight()), 0, visual->depth, InputOutput,
                            visual->visual, CWColormap | CWBorderPixel | CWBackPixmap | CWEventMask,
                            &attributes);
    if (trap.Failed()) {
        mWindow = 0;
        return false;
    }
    // The host's window going away shows up as a DestroyNotify on this connection.
    XSelectInput(mDisplay, parent, StructureNotifyMask);
    XStoreName(mDisplay, mWindow, "QUENDARIS");
    const Atom xembedInfo = XInternAtom(mDisplay, "_XEMBED_INFO", False);
    const long info[2] = {kXEmbedVersion, kXEmbedMapped};
    XChangeProperty(mDisplay, mWindow, xembedInfo, xembedInfo, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(info), 2);
    XDefineCursor(mDisplay, mWindow, CursorFor(kCursorArrow));
    XMapWindow(mDisplay, mWindow);
    if (trap.Failed())
        return false;
    return mGlx->CreateContext(mWindow);
}

void GraphicsLinux::StartHostLoop() {
    mLoop = mDelegate ? mDelegate->GetHostEventLoop() : nullptr;
    if (!mLoop)
        return;
    mTimerId = mLoop->AddTimer(kTickIntervalMs, [this] { OnTimer(); });
    mFdId = mLoop->AddFdHandler(ConnectionNumber(mDisplay), [this] { OnConnectionReadable(); });
}

void GraphicsLinux::StopHostLoop() {
    if (mLoop) {
        if (mTimerId)
            mLoop->Remove(mTimerId);
        if (mFdId)
            mLoop->Remove(mFdId);
    }
    mLoop = nullptr;
    mTimerId = 0;
    mFdId = 0;
}

void GraphicsLinux::CloseWindow() {
    if (!mDisplay)
        return;
    StopHostLoop();
    if (mTextBox.IsOpen())
        CloseTextBox();
    // Learn whether the host has destroyed its window (and ours with it) before touching it.
    XSync(mDisplay, False);
    while (XPending(mDisplay)) {
        XEvent event;
        XNextEvent(mDisplay, &event);
        if (event.type == DestroyNotify)
            HandleEvent(event);
    }
    if (mGlx && mWindowGone) {
        // Our drawable is gone; GL still needs a current context to free its objects, so a
        // stand-in window of the same visual takes its place.
        XVisualInfo* visual = mGlx->ChooseVisual();
        XSetWindowAttributes attributes{};
        attributes.colormap = mColormap;
        attributes.border_pixel = 0;
        XErrorTrap trap(mDisplay);
        mWindow =
            XCreateWindow(mDisplay, DefaultRootWindow(mDisplay), 0, 0, 1, 1, 0, visual->depth,
                          InputOutput, visual->visual, CWColormap | CWBorderPixel, &attributes);
        mGlx->Retarget(trap.Failed() ? 0 : mWindow);
        mWindowGone = trap.Failed();
    }
    const bool current = mGlx && mGlx->MakeCurrent();
    RemoveAllControls();
    if (current) {
        ClearBitmapCache();
        DestroyDrawingContext();
        mGlx->RestorePrevious();
    }
    ReleaseWindow();
}

void GraphicsLinux::ReleaseWindow() {
    if (mGlx)
        mGlx->DestroyContext();
    {
        XErrorTrap trap(mDisplay);
        XUngrabPointer(mDisplay, CurrentTime);
        if (mWindow && !mWindowGone)
            XDestroyWindow(mDisplay, mWindow);
        for (Cursor& cursor : mCursors) {
            if (cursor)
                XFreeCursor(mDisplay, cursor);
            cursor = 0;
        }
        if (mBlankCursor)
            XFreeCursor(mDisplay, mBlankCursor);
        mBlankCursor = 0;
        if (mColormap)
            XFreeColormap(mDisplay, mColormap);
        mColormap = 0;
    }
    // Drivers may still run callbacks on the connection until the context is gone.
    mGlx.reset();
    XCloseDisplay(mDisplay);
    mDisplay = nullptr;
    mWindow = 0;
    mParent = 0;
    mWindowGone = false;
    mParentGone = false;
    mPointerHidden = false;
}

void* GraphicsLinux::GetWindow() const {
    return mDisplay && mWindow ? reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)) : nullptr;
}

void GraphicsLinux::SetScreenScale(float scale) {
    if (scale > 0.0f)
        mHostScale = scale;
    Graphics::SetScreenScale(scale);
}

float GraphicsLinux::GetPlatformWindowScale() const {
    return mHostScale > 0.0f ? mHostScale : mDesktopScale;
}

void GraphicsLinux::MakeContextCurrent() {
    if (mGlx)
        mGlx->MakeCurrent();
}

void GraphicsLinux::RestorePreviousContext() {
    if (mGlx)
        mGlx->RestorePrevious();
}

void GraphicsLinux::OnTimer() {
    if (!mDisplay)
        return;
    ProcessEvents();
    if (FinishTextBox())
        return;
    DisplayTick();
}

void GraphicsLinux::OnConnectionReadable() {
    ProcessEvents();
}

void GraphicsLinux::ProcessEvents() {
    if (!mDisplay || mInEvents)
        return;
    mInEvents = true;
    while (mDisplay && XPending(mDisplay)) {
        XEvent event;
        XNextEvent(mDisplay, &event);
        HandleEvent(event);
    }
    mInEvents = false;
}

void GraphicsLinux::HandleEvent(XEvent& event) {
    switch (event.type) {
        case Expose:
            if (event.xexpose.window == mWindow && event.xexpose.count == 0)
                PaintAll();
            break;
        case DestroyNotify:
            // A destroyed parent takes our window with it.
            if (event.xdestroywindow.window == mParent) {
                mParentGone = true;
                mWindowGone = true;
            } else if (event.xdestroywindow.window == mWindow) {
                mWindowGone = true;
            }
            break;
        case ButtonPress:
            HandleButtonPress(event.xbutton);
            break;
        case ButtonRelease:
            HandleButtonRelease(event.xbutton);
            break;
        case MotionNotify:
            HandleMotion(event.xmotion);
            break;
        case LeaveNotify:
            if (event.xcrossing.mode == NotifyNormal && event.xcrossing.window == mWindow)
                OnPointerOut();
            break;
        case KeyPress:
            HandleKey(event.xkey, true);
            break;
        case KeyRelease:
            HandleKey(event.xkey, false);
            break;
        case FocusOut:
            if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyPointer &&
                mTextBox.GetState() == ValueTextBox::State::kEditing)
                mTextBox.Commit();
            break;
        default:
            break;
    }
}

void GraphicsLinux::HandleButtonPress(const XButtonEvent& event) {
    const float scale = CombinedScale();
    const float x = static_cast<float>(event.x) / scale;
    const float y = static_cast<float>(event.y) / scale;
    if (event.button == Button4 || event.button == Button5) {
        if (mTextBox.IsOpen())
            mTextBox.Cancel();
        else
            OnPointerWheel(x, y, ModsFromState(event.state),
                           event.button == Button4 ? 1.0f : -1.0f);
        return;
    }
    if (event.button > Button3)
        return;
    // A click anywhere while the box is open ends the edit, keeping what was typed.
    if (mTextBox.IsOpen()) {
        mTextBox.Commit();
        return;
    }
    const bool left = event.button == Button1;
    const bool right = event.button == Button3;
    const KeyMods mods = ModsFromState(event.state, left, right);
    mLastX = x;
    mLastY = y;
    if (event.button != Button2 && mClicks.Press(event.button, event.time, event.x, event.y)) {
        OnPointerDoubleClick(x, y, mods);
        return;
    }
    PointerEvent press;
    press.x = x;
    press.y = y;
    press.mods = mods;
    OnPointerDown({press});
}

void GraphicsLinux::HandleButtonRelease(const XButtonEvent& event) {
    if (event.button != Button1 && event.button != Button3)
        return;
    const float scale = CombinedScale();
    PointerEvent release;
    release.x = static_cast<float>(event.x) / scale;
    release.y = static_cast<float>(event.y) / scale;
    release.mods = ModsFromState(event.state & ~(Button1Mask | Button3Mask),
                                 event.button == Button1, event.button == Button3);
    OnPointerUp({release});
}

void GraphicsLinux::HandleMotion(XMotionEvent event) {
    // Only the latest position matters; older motion in the queue is skipped.
    XEvent next;
    while (XCheckTypedWindowEvent(mDisplay, mWindow, MotionNotify, &next))
        event = next.xmotion;
    const float scale = CombinedScale();
    const float x = static_cast<float>(event.x) / scale;
    const float y = static_cast<float>(event.y) / scale;
    const bool dragging = (event.state & (Button1Mask | Button3Mask)) != 0;
    if (!dragging || mTextBox.IsOpen()) {
        mLastX = x;
        mLastY = y;
        if (!mTextBox.IsOpen())
            OnPointerOver(x, y, ModsFromState(event.state));
        return;
    }
    PointerEvent drag;
    drag.x = x;
    drag.y = y;
    drag.dX = x - mLastX;
    drag.dY = y - mLastY;
    drag.mods = ModsFromState(event.state);
    mLastX = x;
    mLastY = y;
    OnPointerDrag({drag});
}

void GraphicsLinux::HandleKey(XKeyEvent& event, bool down) {
    char buffer[16];
    KeySym keysym = NoSymbol;
    const int length = XLookupString(&event, buffer, sizeof(buffer), &keysym, nullptr);
    const std::string text = Utf8(CharacterOfKeysym(keysym));
    if (mTextBox.IsOpen()) {
        if (down)
            HandleTextBoxKey(keysym, text);
        return;
    }
    // Composed sequences of several characters are the host's business.
    if (length > 1) {
        ForwardKeyToHost(event, down);
        return;
    }
    KeyEvent key;
    key.vk = VirtualKeyFromKeysym(keysym);
    if (text.size() < sizeof(key.utf8))
        for (size_t i = 0; i < text.size(); ++i)
            key.utf8[i] = text[i];
    key.shift = (event.state & ShiftMask) != 0;
    key.ctrl = (event.state & ControlMask) != 0;
    key.alt = (event.state & Mod1Mask) != 0;
    const float scale = CombinedScale();
    const float x = static_cast<float>(event.x) / scale;
    const float y = static_cast<float>(event.y) / scale;
    const bool handled = down ? OnKeyDown(x, y, key) : OnKeyUp(x, y, key);
    if (!handled)
        ForwardKeyToHost(event, down);
}

// Keys the editor has no use for go to the host's window, so its shortcuts (the space bar for
// the transport) keep working while the pointer is over the editor.
void GraphicsLinux::ForwardKeyToHost(const XKeyEvent& event, bool down) {
    if (mParentGone || !mParent)
        return;
    XEvent copy{};
    copy.xkey = event;
    copy.xkey.window = mParent;
    copy.xkey.subwindow = None;
    XErrorTrap trap(mDisplay);
    XSendEvent(mDisplay, mParent, True, down ? KeyPressMask : KeyReleaseMask, &copy);
}

void GraphicsLinux::HandleTextBoxKey(KeySym keysym, const std::string& text) {
    bool changed = false;
    switch (keysym) {
        case XK_Return:
        case XK_KP_Enter:
            mTextBox.Commit();
            return;
        case XK_Escape:
            mTextBox.Cancel();
            return;
        case XK_BackSpace:
            changed = mTextBox.Backspace();
            break;
        default:
            changed = !text.empty() && mTextBox.Type(text);
            break;
    }
    if (changed)
        PaintTextBoxOnly();
}

void GraphicsLinux::CreatePlatformTextEntry(int paramIdx, const TextStyle& style,
                                            const Rect& bounds, int maxLength, const char* text) {
    if (mTextBox.IsOpen() || !mDisplay)
        return;
    const Param* param = mDelegate && paramIdx >= 0 ? mDelegate->GetParam(paramIdx) : nullptr;
    mTextBox.Open(text, maxLength, FilterForParam(param), bounds, style);
    // Typing needs the keyboard; it goes back to whoever had it when the box closes.
    XErrorTrap trap(mDisplay);
    int revert = 0;
    XGetInputFocus(mDisplay, &mFocusBeforeTextBox, &revert);
    XSetInputFocus(mDisplay, mWindow, RevertToParent, CurrentTime);
    mFocusTaken = !trap.Failed();
    PaintTextBoxOnly();
}

// The outcome of a finished text box, handled at the display tick; true when there was one.
bool GraphicsLinux::FinishTextBox() {
    const ValueTextBox::State state = mTextBox.GetState();
    if (state == ValueTextBox::State::kCommit) {
        const std::string text = mTextBox.CommitText();
        CloseTextBox();
        ApplyTypedValue(text.c_str());
        return true;
    }
    if (state == ValueTextBox::State::kCancel) {
        CloseTextBox();
        CancelTextEntry();
        return true;
    }
    return false;
}

void GraphicsLinux::CloseTextBox() {
    mTextBox.Close();
    if (mFocusTaken && !mParentGone && mFocusBeforeTextBox != mWindow) {
        XErrorTrap trap(mDisplay);
        XSetInputFocus(mDisplay, mFocusBeforeTextBox, RevertToParent, CurrentTime);
    }
    mFocusTaken = false;
    mFocusBeforeTextBox = 0;
    // The box was drawn over the controls: they draw themselves again.
    SetAllControlsDirty();
}

void GraphicsLinux::InvalidateDeviceRects(const std::vector<Rect>& deviceRects) {
    const float scale = CombinedScale();
    std::vector<Rect> logical;
    logical.reserve(deviceRects.size());
    for (const Rect& r : deviceRects)
        logical.emplace_back(std::floor(r.L) / scale, std::floor(r.T) / scale,
                             std::ceil(r.R) / scale, std::ceil(r.B) / scale);
    Paint(logical);
}

void GraphicsLinux::Paint(const std::vector<Rect>& logicalRects) {
    if (!mGlx || mWindowGone || !HasDrawingContext() || !mGlx->MakeCurrent())
        return;
    DrawDirty(logicalRects);
    if (mTextBox.IsOpen())
        DrawTextBox();
    Present();
    mGlx->RestorePrevious();
    ++mFramesDrawn;
}

void GraphicsLinux::PaintAll() {
    Paint({Rect(0.0f, 0.0f, static_cast<float>(Width()), static_cast<float>(Height()))});
}

void GraphicsLinux::PaintTextBoxOnly() {
    if (!mGlx || mWindowGone || !HasDrawingContext() || !mGlx->MakeCurrent())
        return;
    DrawTextBox();
    Present();
    mGlx->RestorePrevious();
    ++mFramesDrawn;
}

// Drawn into the backing picture over the prompt rectangle in the text-entry colours, so the
// controls beneath come back by redrawing them when the box closes.
void GraphicsLinux::DrawTextBox() {
    const Rect& box = mTextBox.Bounds();
    TextStyle style = mTextBox.Style();
    style.fgColor = style.entryFgColor;
    constexpr float kInset = 2.0f;
    const Rect inner(box.L + kInset, box.T, box.R - kInset, box.B);
    const char* text = mTextBox.Text().c_str();
    Rect extent = inner;
    const bool hasText = MeasureTextExtent(style, text, extent) > 0.0f;
    StartFrame();
    PaintRect(style.entryBgColor, box);
    if (hasText && mTextBox.AllSelected()) {
        Color selection = style.entryFgColor;
        selection.A = 64;
        PaintRect(selection, Rect(extent.L, inner.T + 1.0f, extent.R, inner.B - 1.0f));
    }
    RenderText(style, text, inner);
    const float caretX = hasText                     ? extent.R
                         : style.align == kAlignNear ? inner.L
                         : style.align == kAlignFar  ? inner.R
                                                     : inner.MW();
    StrokeLine(style.entryFgColor, caretX, inner.T + 3.0f, caretX, inner.B - 3.0f);
    FinishFrame();
}

// GL learns a window's new size only at a swap, so after a resize the frame is swapped, and
// the back buffer, undefined after a swap, is copied whole in the frame after. A copy the
// server refuses (the window changed size behind our back) is shown by a swap too.
void GraphicsLinux::Present() {
    const DeviceBox& copied = LastWindowCopy();
    if (mPresentByCopy && !mSwapNext && mGlx->CopySubBuffer(copied.x, copied.y, copied.w, copied.h))
        return;
    mGlx->SwapBuffers();
    mSwapNext = false;
    WindowPixelsLost();
}

void GraphicsLinux::PlatformResize(bool) {
    if (!mDisplay || !mWindow || mWindowGone)
        return;
    mSwapNext = true;
    XErrorTrap trap(mDisplay);
    XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(BackingWidth()),
                  static_cast<unsigned>(BackingHeight()));
}

Cursor GraphicsLinux::CursorFor(int cursorType) {
    if (cursorType < 0 || cursorType > kCursorHelp)
        cursorType = kCursorArrow;
    Cursor& cursor = mCursors[static_cast<size_t>(cursorType)];
    if (!cursor)
        cursor = XCreateFontCursor(mDisplay, kCursorShapes[cursorType]);
    return cursor;
}

void GraphicsLinux::SetPlatformCursor(int cursorType) {
    if (mDisplay && mWindow && !mWindowGone && !mPointerHidden)
        XDefineCursor(mDisplay, mWindow, CursorFor(cursorType));
}

// The graphics context keeps the lock position and moves the pointer back while dragging.
void GraphicsLinux::HidePlatformCursor(bool hide, bool) {
    if (!mDisplay || !mWindow || mWindowGone)
        return;
    if (hide && !mPointerHidden) {
        if (!mBlankCursor) {
            const char empty = 0;
            Pixmap pixmap = XCreateBitmapFromData(mDisplay, mWindow, &empty, 1, 1);
            XColor black{};
            mBlankCursor = XCreatePixmapCursor(mDisplay, pixmap, pixmap, &black, &black, 0, 0);
            XFreePixmap(mDisplay, pixmap);
        }
        XDefineCursor(mDisplay, mWindow, mBlankCursor);
        mPointerHidden = true;
    } else if (!hide && mPointerHidden) {
        mPointerHidden = false;
        XDefineCursor(mDisplay, mWindow, CursorFor(mCursorType));
    }
}

void GraphicsLinux::MovePlatformCursor(float x, float y) {
    if (!mDisplay || !mWindow || mWindowGone)
        return;
    const float scale = CombinedScale();
    XWarpPointer(mDisplay, None, mWindow, 0, 0, 0, 0, static_cast<int>(x * scale),
                 static_cast<int>(y * scale));
    mLastX = x;
    mLastY = y;
    XFlush(mDisplay);
}

}  // namespace quendaris
