#include "GraphicsWin.h"

#include <shellapi.h>
#include <versionhelpers.h>
#include <windowsx.h>

#include <cmath>
#include <string>
#include <vector>

#include "TextConversion.h"
#include "VSyncPoster.h"
#include "WglContext.h"
#include "WinFont.h"
#include "WindowClass.h"
#include "frame/EditorDelegate.h"

namespace quendaris {
namespace {

constexpr wchar_t kWindowTitle[] = L"QUENDARIS";
constexpr DWORD kRegionDataLimit = 1024;
constexpr int kMaxTypedChars = 256;
constexpr int kMaxDroppedPathChars = 1024;

int gLiveWindows = 0;  // GraphicsWin instances; the last one clears the private fonts

float SignedLow(LPARAM lParam) {
    return float(GET_X_LPARAM(lParam));
}
float SignedHigh(LPARAM lParam) {
    return float(GET_Y_LPARAM(lParam));
}

bool KeyIsDown(int vk) {
    return (GetKeyState(vk) & 0x8000) != 0;
}

LPCSTR SystemCursorFor(int cursorType) {
    switch (cursorType) {
        case kCursorIBeam:
            return IDC_IBEAM;
        case kCursorWait:
            return IDC_WAIT;
        case kCursorCross:
            return IDC_CROSS;
        case kCursorUpArrow:
            return IDC_UPARROW;
        case kCursorSizeNWSE:
            return IDC_SIZENWSE;
        case kCursorSizeNESW:
            return IDC_SIZENESW;
        case kCursorSizeWE:
            return IDC_SIZEWE;
        case kCursorSizeNS:
            return IDC_SIZENS;
        case kCursorSizeAll:
            return IDC_SIZEALL;
        case kCursorNo:
            return IDC_NO;
        case kCursorHand:
            return IDC_HAND;
        case kCursorAppStarting:
            return IDC_APPSTARTING;
        case kCursorHelp:
            return IDC_HELP;
        default:
            return IDC_ARROW;
    }
}

COLORREF ColorRefOf(const Color& color) {
    return RGB(color.R, color.G, color.B);
}

// Grows a window by (dw, dh) keeping its top-left corner.
void GrowWindow(HWND window, int dw, int dh) {
    RECT r;
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, 0, 0, r.right - r.left + dw, r.bottom - r.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool IsPlainChild(HWND window) {
    return window && (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) &&
           !(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

}  // namespace

GraphicsWin::GraphicsWin(EditorDelegate& delegate, int width, int height, int fps, float drawScale)
    : GraphicsNanoVG(delegate, width, height, fps, drawScale) {
    ++gLiveWindows;
}

GraphicsWin::~GraphicsWin() {
    CloseWindow();
    if (--gLiveWindows == 0)
        ClearPrivateFonts();
}

HINSTANCE GraphicsWin::ModuleInstance() const {
    if (GetModuleInstance())
        return static_cast<HINSTANCE>(GetModuleInstance());
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&gLiveWindows), &module);
    return module;
}

// ---- Opening and closing ---------------------------------------------------------------------

void* GraphicsWin::OpenWindow(void* parent) {
    mParentWnd = static_cast<HWND>(parent);
    int k = int(WindowDpiScale(mParentWnd));
    if (k < 1)
        k = 1;
    int x = 0;
    int y = 0;
    int w = int(float(Width()) * DrawScale()) * k;
    int h = int(float(Height()) * DrawScale()) * k;
    if (mPlugWnd) {
        RECT r;
        GetWindowRect(mPlugWnd, &r);
        MapWindowPoints(HWND_DESKTOP, GetParent(mPlugWnd), reinterpret_cast<POINT*>(&r), 2);
        x = r.left;
        y = r.top;
        w = r.right - r.left;
        h = r.bottom - r.top;
        CloseWindow();
    }

    HINSTANCE instance = ModuleInstance();
    if (!WindowClass::Acquire(instance, &GraphicsWin::WndProc))
        return nullptr;
    mClassAcquired = true;
    mVBlankMode = IsWindows8OrGreater();
    HWND hwnd = CreateWindowExW(0, kEditorWindowClass, kWindowTitle,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, y, w,
                                h, mParentWnd, nullptr, instance, this);
    if (!hwnd) {
        WindowClass::Release(instance);
        mClassAcquired = false;
        return nullptr;
    }
    mDC = GetDC(hwnd);

    // The host's own context, if any, comes back when the editor is set up.
    mPrevDC = wglGetCurrentDC();
    mPrevGLRC = wglGetCurrentContext();
    if (wgl::SetEditorPixelFormat(mDC))
        mGLRC = wgl::CreateEditorContext(mDC);
    if (mGLRC) {
        ++mContextDepth;
        CreateDrawingContext(false);
        SetScreenScale(GetPlatformWindowScale());
        LayoutUI();
    }
    if (mPlugWnd)
        SetAllControlsDirty();
    if (mGLRC) {
        --mContextDepth;
        wglMakeCurrent(mPrevDC, mPrevGLRC);
    }
    mPrevDC = nullptr;
    mPrevGLRC = nullptr;
    if (!mPlugWnd)
        return nullptr;
    GetDelegate()->OnUIOpen();
    return mPlugWnd;
}

void GraphicsWin::CloseWindow() {
    if (mPlugWnd && !mTearingDown)
        TearDown(true);
}

void GraphicsWin::TearDown(bool destroyWindow) {
    mTearingDown = true;
    StopDisplayTicks();
    DestroyTextBox();
    if (mGLRC) {
        MakeContextCurrent();
        RemoveAllControls();
        DestroyDrawingContext();
        RestorePreviousContext();
        wglDeleteContext(mGLRC);
        mGLRC = nullptr;
    } else {
        RemoveAllControls();
    }
    if (mPlatformCursorHidden)
        HidePlatformCursor(false, false);
    HWND hwnd = mPlugWnd;
    if (mDC)
        ReleaseDC(hwnd, mDC);
    mDC = nullptr;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    mPlugWnd = nullptr;
    if (destroyWindow)
        DestroyWindow(hwnd);
    if (mClassAcquired)
        WindowClass::Release(ModuleInstance());
    mClassAcquired = false;
    mTrackingLeave = false;
    mTickGate = winrules::TickGate();
    mTearingDown = false;
}

void GraphicsWin::StartDisplayTicks(HWND hwnd) {
    if (mVBlankMode) {
        mVSync = std::make_unique<VSyncPoster>(hwnd, winrules::kVSyncTickMessage,
                                               VSyncPoster::FromGdi32());
        if (mVSync->Start())
            return;
        mVSync.reset();
        mVBlankMode = false;
    }
    SetTimer(hwnd, winrules::kDisplayTimerId, winrules::TimerIntervalMs(FPS()), nullptr);
}

void GraphicsWin::StopDisplayTicks() {
    if (mVSync) {
        mVSync->Stop();
        mVSync.reset();
    } else if (mPlugWnd) {
        KillTimer(mPlugWnd, winrules::kDisplayTimerId);
    }
}

// ---- OpenGL context --------------------------------------------------------------------------

void GraphicsWin::MakeContextCurrent() {
    if (!mGLRC)
        return;
    // Nested calls keep the host's pair saved by the outermost one.
    if (mContextDepth++ == 0) {
        mPrevDC = wglGetCurrentDC();
        mPrevGLRC = wglGetCurrentContext();
    }
    wglMakeCurrent(mDC, mGLRC);
}

void GraphicsWin::RestorePreviousContext() {
    if (!mGLRC || mContextDepth == 0)
        return;
    if (--mContextDepth > 0)
        return;
    wglMakeCurrent(mPrevDC, mPrevGLRC);
    mPrevDC = nullptr;
    mPrevGLRC = nullptr;
}

// ---- Display ticks and painting ----------------------------------------------------------------

void GraphicsWin::DisplayTick(uint64_t tick) {
    if (mVBlankMode && mVSync && !mTickGate.Accept(tick, mVSync->PostedCount()))
        return;
    if (mTextBox && mEditState != kNone) {
        if (mEditState == kCancel) {
            DestroyTextBox();
            CancelTextEntry();
        } else if (mEditState == kCommit) {
            wchar_t text[kMaxTypedChars + 1] = {};
            GetWindowTextW(mTextBox, text, kMaxTypedChars + 1);
            std::string typed = WideToUtf8(text);
            DestroyTextBox();
            ApplyTypedValue(typed.c_str());
        }
        mEditState = kNone;
        return;
    }
    uint64_t postedBefore = mVSync ? mVSync->PostedCount() : 0;
    Graphics::DisplayTick();
    if (mVSync)
        mTickGate.AfterPaint(postedBefore, mVSync->PostedCount());
}

void GraphicsWin::InvalidateDeviceRects(const std::vector<Rect>& deviceRects) {
    if (!mPlugWnd)
        return;
    for (const Rect& r : deviceRects) {
        RECT device{LONG(std::floor(r.L)), LONG(std::floor(r.T)), LONG(std::ceil(r.R)),
                    LONG(std::ceil(r.B))};
        InvalidateRect(mPlugWnd, &device, FALSE);
    }
    if (mTextBox) {
        RECT box;
        GetWindowRect(mTextBox, &box);
        MapWindowPoints(HWND_DESKTOP, mPlugWnd, reinterpret_cast<POINT*>(&box), 2);
        ValidateRect(mPlugWnd, &box);
        mEditState = kUpdate;
    }
    UpdateWindow(mPlugWnd);
}

void GraphicsWin::Paint() {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int kind = GetUpdateRgn(mPlugWnd, region, FALSE);
    std::vector<RECT> deviceRects;
    if (kind == SIMPLEREGION) {
        RECT box;
        GetRgnBox(region, &box);
        deviceRects.push_back(box);
    } else if (kind == COMPLEXREGION) {
        DWORD needed = GetRegionData(region, 0, nullptr);
        std::vector<char> buffer(kRegionDataLimit);
        auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
        if (needed > 0 && needed <= kRegionDataLimit &&
            GetRegionData(region, kRegionDataLimit, data)) {
            auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
            deviceRects.assign(rects, rects + data->rdh.nCount);
        } else {
            RECT box;
            GetRgnBox(region, &box);
            deviceRects.push_back(box);
        }
    }
    DeleteObject(region);

    float s = CombinedScale();
    std::vector<Rect> logical;
    for (const RECT& r : deviceRects) {
        logical.push_back(Rect(std::floor(float(r.left)) / s, std::floor(float(r.top)) / s,
                               std::ceil(float(r.right)) / s, std::ceil(float(r.bottom)) / s));
    }
    PAINTSTRUCT ps;
    BeginPaint(mPlugWnd, &ps);
    if (!logical.empty() && mGLRC) {
        MakeContextCurrent();
        DrawDirty(logical);
        SwapBuffers(mDC);
        RestorePreviousContext();
    }
    EndPaint(mPlugWnd, &ps);
    ValidateRect(mPlugWnd, nullptr);
}

// ---- Window services -------------------------------------------------------------------------

float GraphicsWin::GetPlatformWindowScale() const {
    // While a pointer is captured the scale stays as it is, so a drag never changes it.
    if (GetCapture())
        return GetScreenScale();
    return WindowDpiScale(mPlugWnd ? mPlugWnd : mParentWnd);
}

void GraphicsWin::PlatformResize(bool parentHasResized) {
    if (!mPlugWnd)
        return;
    RECT current;
    GetWindowRect(mPlugWnd, &current);
    int w = BackingWidth();
    int h = BackingHeight();
    int dw = w - (current.right - current.left);
    int dh = h - (current.bottom - current.top);
    SetWindowPos(mPlugWnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (parentHasResized || (dw == 0 && dh == 0))
        return;
    HWND parent = GetParent(mPlugWnd);
    HWND grandparent = parent ? GetParent(parent) : nullptr;
    if (IsPlainChild(parent) && IsPlainChild(grandparent)) {
        GrowWindow(parent, dw, dh);
        GrowWindow(grandparent, dw, dh);
    }
}

void GraphicsWin::SetPlatformCursor(int cursorType) {
    if (!mPlatformCursorHidden)
        ::SetCursor(LoadCursorA(nullptr, SystemCursorFor(cursorType)));
}

void GraphicsWin::HidePlatformCursor(bool hide, bool lock) {
    if (hide == mPlatformCursorHidden)
        return;
    mPlatformCursorHidden = hide;
    if (hide) {
        mPlatformCursorLocked = lock;
        if (lock)
            GetCursorPos(&mLockPosition);
        while (ShowCursor(FALSE) >= 0) {
        }
    } else {
        if (mPlatformCursorLocked)
            SetCursorPos(mLockPosition.x, mLockPosition.y);
        mPlatformCursorLocked = false;
        while (ShowCursor(TRUE) < 0) {
        }
    }
}

void GraphicsWin::MovePlatformCursor(float x, float y) {
    if (!mPlugWnd)
        return;
    float s = CombinedScale();
    POINT p{LONG(x * s), LONG(y * s)};
    ClientToScreen(mPlugWnd, &p);
    SetCursorPos(p.x, p.y);
}

bool GraphicsWin::LoadPlatformFont(const char* fontId, const void* data, int size) {
    return RegisterPrivateFont(fontId, data, size);
}

// ---- Text box --------------------------------------------------------------------------------

void GraphicsWin::CreatePlatformTextEntry(int paramIdx, const TextStyle& style, const Rect& bounds,
                                          int maxLength, const char* text) {
    if (mTextBox || !mPlugWnd)
        return;
    float s = CombinedScale();
    DWORD align = style.align == kAlignNear  ? ES_LEFT
                  : style.align == kAlignFar ? ES_RIGHT
                                             : ES_CENTER;
    winrules::BoxGeometry box =
        winrules::ValueBoxGeometry(bounds.L, bounds.T, bounds.R, bounds.B, s);
    std::wstring wide = Utf8ToWide(text);
    mTextBox =
        CreateWindowExW(0, L"EDIT", wide.c_str(),
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | ES_MULTILINE |
                            ES_AUTOHSCROLL | align,
                        box.x, box.y, box.width, box.height, mPlugWnd,
                        reinterpret_cast<HMENU>(INT_PTR(kTextBoxId)), ModuleInstance(), nullptr);
    if (!mTextBox)
        return;
    mTextBoxFont = CreateTextBoxFont(style.fontId, int(s * style.size));
    mTextBoxBrush = CreateSolidBrush(ColorRefOf(style.entryBgColor));
    mEditParam = paramIdx >= 0 ? GetDelegate()->GetParam(paramIdx) : nullptr;
    mTextBoxStyle = style;
    mTextBoxRect = bounds;

    if (maxLength > 0)
        SendMessageW(mTextBox, EM_LIMITTEXT, WPARAM(maxLength), 0);
    SendMessageW(mTextBox, WM_SETFONT, WPARAM(mTextBoxFont), 0);
    SendMessageW(mTextBox, EM_SETSEL, 0, -1);
    if (style.valign == kVAlignMiddle) {
        RECT format;
        SendMessageW(mTextBox, EM_GETRECT, 0, LPARAM(&format));
        format.top = winrules::CentredLineOffset(box.height, s, style.size);
        format.bottom = box.height;
        SendMessageW(mTextBox, EM_SETRECT, 0, LPARAM(&format));
    }
    SetWindowLongPtrW(mTextBox, GWLP_USERDATA, LONG_PTR(this));
    mTextBoxDefaultProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(mTextBox, GWLP_WNDPROC, LONG_PTR(&GraphicsWin::TextBoxProc)));
    SetFocus(mTextBox);
}

void GraphicsWin::DestroyTextBox() {
    if (!mTextBox)
        return;
    HWND box = mTextBox;
    mTextBox = nullptr;
    SetWindowLongPtrW(box, GWLP_WNDPROC, LONG_PTR(mTextBoxDefaultProc));
    DestroyWindow(box);
    mTextBoxDefaultProc = nullptr;
    if (mTextBoxFont)
        DeleteObject(mTextBoxFont);
    if (mTextBoxBrush)
        DeleteObject(mTextBoxBrush);
    mTextBoxFont = nullptr;
    mTextBoxBrush = nullptr;
    mEditParam = nullptr;
    // Keys go back to the editor, not to nowhere.
    if (mPlugWnd && !mTearingDown)
        SetFocus(mPlugWnd);
}

LRESULT CALLBACK GraphicsWin::TextBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<GraphicsWin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || !self->mTextBoxDefaultProc)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->HandleTextBoxMessage(hwnd, msg, wParam, lParam);
}

LRESULT GraphicsWin::HandleTextBoxMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = mTextBoxDefaultProc;
    switch (msg) {
        case WM_SETFOCUS:
            mEditState = kEditing;
            break;
        case WM_KILLFOCUS:
            mEditState = kCommit;
            break;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                mEditState = kCommit;
                return 0;
            }
            if (wParam == VK_ESCAPE) {
                mEditState = kCancel;
                return 0;
            }
            break;
        case WM_CHAR:
            // The Return and Escape characters that follow the swallowed keys go too.
            if (wParam == '\r' || wParam == 0x1B ||
                !winrules::AcceptsTypedChar(uint32_t(wParam), mEditParam))
                return 0;
            break;
        case WM_GETDLGCODE:
            if (wParam == VK_RETURN)
                return CallWindowProcW(own, hwnd, msg, wParam, lParam) | DLGC_WANTALLKEYS;
            break;
        case WM_COMMAND:
            if (HIWORD(wParam) == 1) {
                mEditState = kCommit;
                return 0;
            }
            break;
        default:
            break;
    }
    return CallWindowProcW(own, hwnd, msg, wParam, lParam);
}

// ---- Input -------------------------------------------------------------------------------------

PointerEvent GraphicsWin::MakePointerEvent(LPARAM lParam, WPARAM wParam) const {
    float s = CombinedScale();
    PointerEvent e;
    e.x = SignedLow(lParam) / s;
    e.y = SignedHigh(lParam) / s;
    e.mods =
        KeyMods((wParam & MK_LBUTTON) != 0, (wParam & MK_RBUTTON) != 0, (wParam & MK_SHIFT) != 0,
                (wParam & MK_CONTROL) != 0, (GetKeyState(VK_MENU) & 0x8000) != 0);
    return e;
}

bool GraphicsWin::OnKeyMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(mPlugWnd, &p);
    float s = CombinedScale();
    BYTE state[256];
    GetKeyboardState(state);
    wchar_t chars[8] = {};
    UINT scanCode = (UINT(lParam) >> 16) & 0xFF;
    // Flag 4 keeps a pending dead key for the host's own translation.
    int count = ToUnicodeEx(UINT(wParam), scanCode, state, chars, 8, 4, GetKeyboardLayout(0));
    if (count > 1)
        return false;
    KeyEvent key;
    key.vk = int(wParam);
    if (count == 1) {
        std::string utf8 = WideToUtf8(chars, 1);
        for (size_t i = 0; i < utf8.size() && i + 1 < sizeof(key.utf8); ++i)
            key.utf8[i] = utf8[i];
    }
    key.shift = KeyIsDown(VK_SHIFT);
    key.ctrl = KeyIsDown(VK_CONTROL);
    key.alt = KeyIsDown(VK_MENU);
    float x = float(p.x) / s;
    float y = float(p.y) / s;
    return msg == WM_KEYDOWN ? OnKeyDown(x, y, key) : OnKeyUp(x, y, key);
}

void GraphicsWin::OnDroppedFiles(HDROP drop) {
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    POINT p{};
    DragQueryPoint(drop, &p);
    std::vector<std::string> paths;
    for (UINT i = 0; i < count; ++i) {
        wchar_t path[kMaxDroppedPathChars + 1] = {};
        DragQueryFileW(drop, i, path, kMaxDroppedPathChars + 1);
        paths.push_back(WideToUtf8(path));
    }
    DragFinish(drop);
    float s = CombinedScale();
    if (paths.size() == 1) {
        OnDrop(paths[0].c_str(), float(p.x) / s, float(p.y) / s);
    } else if (paths.size() > 1) {
        std::vector<const char*> list;
        for (const std::string& path : paths)
            list.push_back(path.c_str());
        OnDropMultiple(list, float(p.x) / s, float(p.y) / s);
    }
}

void GraphicsWin::OnTouch(WPARAM wParam, LPARAM lParam) {
    UINT count = LOWORD(wParam);
    std::vector<TOUCHINPUT> inputs(count);
    auto handle = reinterpret_cast<HTOUCHINPUT>(lParam);
    if (count == 0 || !GetTouchInputInfo(handle, count, inputs.data(), sizeof(TOUCHINPUT)))
        return;
    CloseTouchInputHandle(handle);
    POINT origin{0, 0};
    ClientToScreen(mPlugWnd, &origin);
    float s = CombinedScale();
    std::vector<PointerEvent> down, move, up;
    for (const TOUCHINPUT& input : inputs) {
        PointerEvent e;
        e.x = (float(input.x) / 100.0f - float(origin.x)) / s;
        e.y = (float(input.y) / 100.0f - float(origin.y)) / s;
        e.mods.pointerId = uint64_t(input.dwID);
        if (input.dwMask & TOUCHINPUTMASKF_CONTACTAREA)
            e.mods.touchRadius = float(input.cxContact) / 100.0f / s;
        if (input.dwFlags & TOUCHEVENTF_DOWN) {
            down.push_back(e);
        } else if (input.dwFlags & TOUCHEVENTF_UP) {
            up.push_back(e);
        } else if (input.dwFlags & TOUCHEVENTF_MOVE) {
            move.push_back(e);
        }
    }
    if (!down.empty())
        OnPointerDown(down);
    if (!move.empty())
        OnPointerDrag(move);
    if (!up.empty())
        OnPointerUp(up);
}

// ---- Window procedure --------------------------------------------------------------------------

LRESULT CALLBACK GraphicsWin::WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<GraphicsWin*>(create->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, LONG_PTR(self));
        self->mPlugWnd = hwnd;
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto* self = reinterpret_cast<GraphicsWin*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || self->mPlugWnd != hwnd)
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    return self->HandleMessage(hwnd, msg, wParam, lParam);
}

LRESULT GraphicsWin::HandleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    bool synthetic = winrules::IsFromPenOrTouch(uintptr_t(GetMessageExtraInfo()));
    // While the value box is being edited the editor stays out of the way; a click on the
    // editor itself abandons the edit.
    if (mTextBox && mEditState == kEditing && msg != WM_DESTROY && msg != WM_CTLCOLOREDIT) {
        if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) {
            mEditState = kCancel;
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    switch (msg) {
        case WM_CREATE:
            StartDisplayTicks(hwnd);
            SetFocus(hwnd);
            DragAcceptFiles(hwnd, TRUE);
            return 0;
        case WM_TIMER:
            if (wParam == winrules::kDisplayTimerId) {
                DisplayTick(0);
                return 0;
            }
            break;
        case winrules::kVSyncTickMessage:
            DisplayTick(uint64_t(wParam));
            return 0;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            return 0;

        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            if (synthetic)
                return 0;
            if (mTextBox) {
                mEditState = kCommit;
                return 0;
            }
            PointerEvent e = MakePointerEvent(lParam, wParam);
            mLastX = e.x;
            mLastY = e.y;
            SetFocus(hwnd);
            SetCapture(hwnd);
            OnPointerDown({e});
            return 0;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            // The middle button captures on its press too, so its release must let go.
            PointerEvent e = MakePointerEvent(lParam, wParam);
            mLastX = e.x;
            mLastY = e.y;
            mReleasingCapture = true;
            ReleaseCapture();
            mReleasingCapture = false;
            OnPointerUp({e});
            return 0;
        }
        case WM_CAPTURECHANGED:
            // Another window took the pointer mid-drag (a host dialog, a task switch): the
            // gesture ends here so the host sees every begun edit ended.
            if (!mReleasingCapture && HWND(lParam) != hwnd && CapturedControl()) {
                PointerEvent e;
                e.x = mLastX;
                e.y = mLastY;
                OnPointerUp({e});
            }
            return 0;
        case WM_MOUSEMOVE: {
            PointerEvent e = MakePointerEvent(lParam, wParam);
            if (wParam & (MK_LBUTTON | MK_RBUTTON)) {
                if (synthetic || GetCapture() != hwnd)
                    return 0;
                e.dX = e.x - mLastX;
                e.dY = e.y - mLastY;
                mLastX = e.x;
                mLastY = e.y;
                // A hidden, locked pointer is put back by the graphics context after the drag.
                OnPointerDrag({e});
                return 0;
            }
            mLastX = e.x;
            mLastY = e.y;
            if (OnPointerOver(e.x, e.y, e.mods) && !mTrackingLeave) {
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, hwnd, HOVER_DEFAULT};
                mTrackingLeave = TrackMouseEvent(&track) != FALSE;
            }
            return 0;
        }
        case WM_MOUSELEAVE:
            mTrackingLeave = false;
            OnPointerOut();
            return 0;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK: {
            if (synthetic)
                return 0;
            PointerEvent e = MakePointerEvent(lParam, wParam);
            mLastX = e.x;
            mLastY = e.y;
            if (OnPointerDoubleClick(e.x, e.y, e.mods))
                SetCapture(hwnd);
            return 0;
        }
        case WM_MOUSEWHEEL: {
            if (mTextBox) {
                mEditState = kCancel;
                return 0;
            }
            float s = CombinedScale();
            RECT r;
            GetWindowRect(hwnd, &r);
            PointerEvent e = MakePointerEvent(lParam, GET_KEYSTATE_WPARAM(wParam));
            float x = SignedLow(lParam) / s - float(r.left) / s;
            float y = SignedHigh(lParam) / s - float(r.top) / s;
            OnPointerWheel(x, y, e.mods,
                           winrules::WheelNotches(int16_t(GET_WHEEL_DELTA_WPARAM(wParam))));
            return 0;
        }

        case WM_KEYDOWN:
        case WM_KEYUP:
            if (OnKeyMessage(msg, wParam, lParam))
                return 0;
            // Keys the editor does not use belong to the host (its transport, shortcuts).
            if (HWND root = GetAncestor(hwnd, GA_ROOT); root && root != hwnd)
                PostMessageW(root, msg, wParam, lParam);
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS;
        case WM_SETCURSOR:
            if (LOWORD(lParam) != HTCLIENT)
                break;
            if (mPlatformCursorHidden)
                ::SetCursor(nullptr);
            else
                SetPlatformCursor(GetCursor());
            return TRUE;
        case WM_CLOSE:
            CloseWindow();
            return 0;
        case WM_DESTROY:
            // The host destroyed its window (and this one with it) before closing the editor.
            if (!mTearingDown)
                TearDown(false);
            return 0;
        case WM_DROPFILES:
            OnDroppedFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_TOUCH:
            OnTouch(wParam, lParam);
            return 0;
        case WM_CTLCOLOREDIT:
            if (mTextBox && reinterpret_cast<HWND>(lParam) == mTextBox) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, ColorRefOf(mTextBoxStyle.entryFgColor));
                SetBkColor(dc, ColorRefOf(mTextBoxStyle.entryBgColor));
                return LRESULT(mTextBoxBrush);
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace quendaris
