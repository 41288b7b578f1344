// The editor window on a real (wine) desktop: opened inside a host-like top-level window,
// driven with the messages Windows sends, its picture read back from its own GL context.
#include <gtest/gtest.h>

#include <glad/gl.h>
#include <windows.h>
#include <tlhelp32.h>
#include <versionhelpers.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "frame/GraphicsEditorDelegate.h"
#include "graphics/Control.h"
#include "graphics/platform/windows/GraphicsWin.h"
#include "graphics/platform/windows/WindowClass.h"
#include "graphics/platform/windows/WindowRules.h"
#include "MessagePump.h"

namespace quendaris {
namespace {

using test::Pump;

constexpr int kWidth = 400;
constexpr int kHeight = 300;
const Rect kKnobRect(50, 50, 150, 150);
const Rect kPlainRect(200, 50, 300, 150);

// What the editor sent to the plug-in, in order.
class RecordingDelegate : public GraphicsEditorDelegate {
  public:
    RecordingDelegate() : GraphicsEditorDelegate(2) {
        GetParam(0)->DeclareDouble("Cutoff", 1000.0, 20.0, 20000.0, 0.01, "Hz");
        GetParam(1)->DeclareDouble("Mix", 50.0, 0.0, 100.0, 0.1, "%");
    }
    void BeginParamEditFromUI(int paramIdx) override { Log("begin " + std::to_string(paramIdx)); }
    void SendParamValueFromUI(int paramIdx, double normal) override {
        GraphicsEditorDelegate::SendParamValueFromUI(paramIdx, normal);
        char text[64];
        std::snprintf(text, sizeof text, "perform %d %.4f", paramIdx, normal);
        Log(text);
    }
    void EndParamEditFromUI(int paramIdx) override { Log("end " + std::to_string(paramIdx)); }
    void Log(const std::string& entry) { events.push_back(entry); }

    std::vector<std::string> events;
};

// A square bound to a parameter: dragging up raises it, drawn in a colour that shows the value.
class TestKnob : public Control {
  public:
    TestKnob(const Rect& r, int paramIdx, RecordingDelegate& log)
        : Control(r, paramIdx), mLog(log) {
        ++Alive();
    }
    ~TestKnob() override { --Alive(); }
    static int& Alive() {
        static int alive = 0;
        return alive;
    }
    void Paint(Graphics& g) override {
        g.PaintRect(Color(255, int(255 * ReadValue()), 40, 200), mRect);
    }
    void HandleDrag(float, float, float, float dY, const KeyMods&) override {
        StoreValue(std::clamp(ReadValue() - double(dY) / 100.0, 0.0, 1.0));
        MarkDirty(true);
    }
    void HandleRelease(float, float, const KeyMods&) override { mLog.Log("release"); }
    void HandleWheel(float, float, const KeyMods&, float d) override {
        mLog.Log("wheel " + std::to_string(int(d)));
    }
    bool HandleKeyPress(float, float, const KeyEvent& key) override {
        mLog.Log(std::string("key ") + key.utf8);
        return key.utf8[0] == 'a';
    }

  private:
    RecordingDelegate& mLog;
};

const Rect kTextRect(0, 200, kWidth, 260);

class Backdrop : public Control {
  public:
    explicit Backdrop(const Rect& r) : Control(r) {}
    void Paint(Graphics& g) override {
        g.PaintRect(Color(255, 20, 120, 40), mRect);
        g.RenderText(TextStyle(28.0f, Color(255, 238, 238, 238)), "QUENDARIS", kTextRect);
    }
};

std::vector<char> RobotoBytes() {
    std::ifstream file(QUENDARIS_ROBOTO_FONT, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>());
}

// A top-level window standing in for the host's, which records keys passed up to it.
struct HostWindow {
    static std::vector<UINT>& Keys() {
        static std::vector<UINT> keys;
        return keys;
    }
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_KEYDOWN)
            Keys().push_back(UINT(wParam));
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    HostWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuendarisTestHost";
        RegisterClassW(&wc);
        window =
            CreateWindowExW(0, L"QuendarisTestHost", L"host", WS_POPUP | WS_VISIBLE, 0, 0,
                            kWidth + 40, kHeight + 40, nullptr, nullptr, wc.hInstance, nullptr);
        Keys().clear();
    }
    ~HostWindow() { DestroyWindow(window); }
    HWND window;
};

LPARAM At(float x, float y) {
    return MAKELPARAM(int(x), int(y));
}

struct Editor {
    RecordingDelegate delegate;
    GraphicsWin* graphics = nullptr;
    TestKnob* knob = nullptr;
    HostWindow host;
    int layouts = 0;
    bool fontLoaded = false;

    explicit Editor(int fps = 60) {
        delegate.SetMakeGraphicsFunction([this, fps] {
            auto g = std::make_unique<GraphicsWin>(delegate, kWidth, kHeight, fps);
            graphics = g.get();
            return g;
        });
        delegate.SetLayoutFunction([this](EditorGraphics& surface) {
            auto& g = static_cast<Graphics&>(surface);
            ++layouts;
            static const std::vector<char> roboto = RobotoBytes();
            fontLoaded = g.LoadFontFromMemory("Roboto-Regular", roboto.data(), int(roboto.size()));
            g.AttachControl(new Backdrop(Rect(0, 0, kWidth, kHeight)));
            knob = static_cast<TestKnob*>(g.AttachControl(new TestKnob(kKnobRect, 0, delegate)));
            g.AttachControl(new TestKnob(kPlainRect, kNoParameter, delegate));
        });
    }
    ~Editor() { delegate.CloseWindow(); }

    HWND Open() {
        HWND window = static_cast<HWND>(delegate.OpenWindow(host.window));
        Pump(150);
        return window;
    }
    HWND Window() const { return static_cast<HWND>(graphics->GetWindow()); }
    void Send(UINT msg, WPARAM wParam, LPARAM lParam) {
        PostMessageW(Window(), msg, wParam, lParam);
        Pump(60);
    }

    // The whole backing picture, top row first, RGBA.
    std::vector<unsigned char> Picture() {
        int w = graphics->BackingWidth();
        int h = graphics->BackingHeight();
        std::vector<unsigned char> bottomUp(size_t(w) * h * 4), rgba(bottomUp.size());
        graphics->MakeContextCurrent();
        glBindFramebuffer(GL_READ_FRAMEBUFFER, graphics->BackingFramebuffer());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        graphics->RestorePreviousContext();
        for (int y = 0; y < h; ++y)
            std::copy_n(&bottomUp[size_t(h - 1 - y) * w * 4], size_t(w) * 4,
                        &rgba[size_t(y) * w * 4]);
        return rgba;
    }
    void SavePicture(const char* name) {
        std::string path = std::string(QUENDARIS_PICTURE_DIR) + "/" + name;
        stbi_write_png(path.c_str(), graphics->BackingWidth(), graphics->BackingHeight(), 4,
                       Picture().data(), graphics->BackingWidth() * 4);
    }

    // Pixel (x, y) from the top of the editor's backing picture.
    std::vector<unsigned char> Pixel(int x, int y) {
        std::vector<unsigned char> rgba(4);
        graphics->MakeContextCurrent();
        glBindFramebuffer(GL_READ_FRAMEBUFFER, graphics->BackingFramebuffer());
        glReadPixels(x, graphics->BackingHeight() - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                     rgba.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        graphics->RestorePreviousContext();
        return rgba;
    }
};

int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL ok = Thread32First(snapshot, &entry); ok; ok = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ++count;
    }
    CloseHandle(snapshot);
    return count;
}

int ChildWindows(HWND parent) {
    int count = 0;
    EnumChildWindows(
        parent, [](HWND, LPARAM n) { return ++*reinterpret_cast<int*>(n), TRUE; }, LPARAM(&count));
    return count;
}

TEST(GraphicsWin, OpensAChildWindowOfTheHostWithItsPicture) {
    Editor editor;
    HWND window = editor.Open();
    ASSERT_NE(window, nullptr);
    wchar_t className[64] = {}, title[64] = {};
    GetClassNameW(window, className, 64);
    GetWindowTextW(window, title, 64);
    EXPECT_STREQ(className, L"QuendarisWndClass");
    EXPECT_STREQ(title, L"QUENDARIS");
    EXPECT_EQ(GetParent(window), editor.host.window);
    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(style & WS_CLIPSIBLINGS);
    EXPECT_TRUE(style & WS_CLIPCHILDREN);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, kWidth);
    EXPECT_EQ(client.bottom, kHeight);
    EXPECT_EQ(editor.layouts, 1);
    EXPECT_EQ(wglGetCurrentContext(), nullptr) << "the editor's context is not left current";
    EXPECT_EQ(SendMessageW(window, WM_GETDLGCODE, 0, 0), DLGC_WANTALLKEYS);

    auto back = editor.Pixel(10, 10);
    EXPECT_EQ(back[0], 20);
    EXPECT_EQ(back[1], 120);
    EXPECT_EQ(back[2], 40);
    auto knob = editor.Pixel(100, 100);
    EXPECT_EQ(knob[1], 40);
    EXPECT_EQ(knob[2], 200);

    // The private font draws: light text pixels inside the text's rectangle, none outside.
    EXPECT_TRUE(editor.fontLoaded);
    std::vector<unsigned char> picture = editor.Picture();
    editor.SavePicture("windows-editor-window.png");
    int light = 0;
    for (int y = int(kTextRect.T); y < int(kTextRect.B); ++y) {
        for (int x = 0; x < kWidth; ++x)
            light += picture[(size_t(y) * kWidth + x) * 4] > 200;
    }
    EXPECT_GT(light, 300);
    EXPECT_LT(light, 8000);
}

TEST(GraphicsWin, ADragOnABoundControlIsBeginPerformEnd) {
    Editor editor;
    ASSERT_NE(editor.Open(), nullptr);
    double before = editor.knob->ReadValue();
    editor.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(100, 100));
    EXPECT_EQ(GetCapture(), editor.Window());
    editor.Send(WM_MOUSEMOVE, MK_LBUTTON, At(100, 90));
    editor.Send(WM_MOUSEMOVE, MK_LBUTTON, At(100, 90));  // no movement: no drag
    editor.Send(WM_MOUSEMOVE, MK_LBUTTON, At(100, 80));
    editor.Send(WM_LBUTTONUP, 0, At(100, 80));
    EXPECT_EQ(GetCapture(), nullptr);
    ASSERT_GE(editor.delegate.events.size(), 4u);
    EXPECT_EQ(editor.delegate.events.front(), "begin 0");
    EXPECT_EQ(editor.delegate.events.back(), "end 0");
    int performs = 0;
    for (const std::string& e : editor.delegate.events)
        performs += e.rfind("perform 0", 0) == 0;
    EXPECT_EQ(performs, 2) << "one per movement";
    EXPECT_NEAR(editor.knob->ReadValue(), before + 0.2, 1e-9);

    // The repaint shows the new value.
    Pump(100);
    auto pixel = editor.Pixel(100, 100);
    EXPECT_NEAR(pixel[0], int(255 * editor.knob->ReadValue()), 2);
}

TEST(GraphicsWin, LosingTheCaptureMidDragEndsTheEdit) {
    Editor editor;
    ASSERT_NE(editor.Open(), nullptr);
    editor.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(100, 100));
    editor.Send(WM_MOUSEMOVE, MK_LBUTTON, At(100, 95));
    SetCapture(editor.host.window);  // a host dialog takes the pointer
    Pump(50);
    ReleaseCapture();
    ASSERT_FALSE(editor.delegate.events.empty());
    EXPECT_EQ(editor.delegate.events.front(), "begin 0");
    EXPECT_EQ(editor.delegate.events.back(), "end 0");
    editor.delegate.events.clear();
    editor.Send(WM_LBUTTONUP, 0, At(100, 95));
    EXPECT_TRUE(editor.delegate.events.empty()) << "the late button-up ends nothing twice";

    // The middle button captures and lets go like the others.
    editor.Send(WM_MBUTTONDOWN, MK_MBUTTON, At(100, 100));
    EXPECT_EQ(GetCapture(), editor.Window());
    editor.Send(WM_MBUTTONUP, 0, At(100, 100));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(GraphicsWin, WheelDeltasAreWholeNotchesTruncated) {
    Editor editor;
    ASSERT_NE(editor.Open(), nullptr);
    POINT p{100, 100};
    ClientToScreen(editor.Window(), &p);
    editor.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), MAKELPARAM(p.x, p.y));
    editor.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-240)), MAKELPARAM(p.x, p.y));
    editor.Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), MAKELPARAM(p.x + 150, p.y));
    std::vector<std::string> expected = {"wheel 0", "wheel -2", "wheel 1"};
    EXPECT_EQ(editor.delegate.events, expected);
}

TEST(GraphicsWin, PenAndTouchMouseMessagesAreIgnoredForPresses) {
    Editor editor;
    ASSERT_NE(editor.Open(), nullptr);
    // Only a message that carries the signature can be checked: send it directly with the
    // extra information of the message being handled set.
    SetMessageExtraInfo(LPARAM(0xFF515701));
    SendMessageW(editor.Window(), WM_LBUTTONDOWN, MK_LBUTTON, At(100, 100));
    SetMessageExtraInfo(0);
    EXPECT_TRUE(editor.delegate.events.empty());
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(GraphicsWin, ADoubleClickResetsAndCapturesWithoutARelease) {
    Editor editor;
    ASSERT_NE(editor.Open(), nullptr);
    editor.knob->StoreValue(0.9);
    editor.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, At(100, 100));
    EXPECT_EQ(GetCapture(), editor.Window()) << "a handled double click captures";
    editor.Send(WM_LBUTTONUP, 0, At(100, 100));
    EXPECT_NEAR(editor.knob->ReadValue(), editor.delegate.GetParam(0)->DefaultValue(true), 1e-9);
    for (const std::string& e : editor.delegate.events) {
        EXPECT_NE(e, "release") << "the button-up after a double click reaches no control";
        EXPECT_NE(e, "begin 0");
    }
}

TEST(GraphicsWin, KeysNoControlTakesGoToTheHostWindow) {
    Editor editor;
    ASSERT_NE(editor.Open(), nullptr);
    SetCursorPos(100, 100);  // over the bound square, so it is asked first
    POINT inside{100, 100};
    ClientToScreen(editor.Window(), &inside);
    SetCursorPos(inside.x, inside.y);
    editor.Send(WM_KEYDOWN, 'A', 0x001E0001);
    editor.Send(WM_KEYDOWN, 'B', 0x00300001);
    EXPECT_EQ(editor.delegate.events, (std::vector<std::string>{"key a", "key b"}));
    EXPECT_EQ(HostWindow::Keys(), (std::vector<UINT>{'B'})) << "only the key nobody handled";
}

TEST(GraphicsWin, TheValueBoxCommitsWithReturnAndCancelsWithEscape) {
    Editor editor;
    ASSERT_NE(editor.Open(), nullptr);
    editor.graphics->OpenValuePrompt(*editor.knob, Rect(60, 60, 140, 80), 0);
    HWND box = FindWindowExW(editor.Window(), nullptr, L"EDIT", nullptr);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(GetDlgCtrlID(box), GraphicsWin::kTextBoxId);
    EXPECT_EQ(GetFocus(), box);
    wchar_t text[64] = {};
    GetWindowTextW(box, text, 64);
    EXPECT_STREQ(text, L"1000.00");
    DWORD from = 0, to = 0;
    SendMessageW(box, EM_GETSEL, WPARAM(&from), LPARAM(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 7u) << "all of it selected";
    EXPECT_EQ(editor.graphics->EditState(), GraphicsWin::kEditing);

    for (wchar_t c : std::wstring(L"12x.5k"))
        PostMessageW(box, WM_CHAR, c, 1);
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    Pump(150);
    EXPECT_EQ(FindWindowExW(editor.Window(), nullptr, L"EDIT", nullptr), nullptr);
    EXPECT_EQ(GetFocus(), editor.Window()) << "keys return to the editor";
    const Param* cutoff = editor.delegate.GetParam(0);
    char expected[64];
    std::snprintf(expected, sizeof expected, "perform 0 %.4f", cutoff->ToNormal(12.5));
    EXPECT_EQ(editor.delegate.events, (std::vector<std::string>{expected}))
        << "letters filtered out, no begin or end around a typed value";

    editor.delegate.events.clear();
    editor.graphics->OpenValuePrompt(*editor.knob, Rect(60, 60, 140, 80), 0);
    box = FindWindowExW(editor.Window(), nullptr, L"EDIT", nullptr);
    ASSERT_NE(box, nullptr);
    HGDIOBJ boxFont = HGDIOBJ(SendMessageW(box, WM_GETFONT, 0, 0));
    ASSERT_NE(boxFont, nullptr);
    EXPECT_EQ(GetObjectType(boxFont), DWORD(OBJ_FONT));
    PostMessageW(box, WM_CHAR, '3', 1);
    PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
    Pump(150);
    EXPECT_EQ(FindWindowExW(editor.Window(), nullptr, L"EDIT", nullptr), nullptr);
    EXPECT_TRUE(editor.delegate.events.empty());
    EXPECT_EQ(GetObjectType(boxFont), 0u) << "the box's font goes with it";

    // A click on the editor while typing abandons the edit.
    editor.graphics->OpenValuePrompt(*editor.knob, Rect(60, 60, 140, 80), 0);
    box = FindWindowExW(editor.Window(), nullptr, L"EDIT", nullptr);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_CHAR, '7', 1);
    editor.Send(WM_LBUTTONDOWN, MK_LBUTTON, At(300, 250));
    Pump(100);
    EXPECT_EQ(FindWindowExW(editor.Window(), nullptr, L"EDIT", nullptr), nullptr);
    EXPECT_TRUE(editor.delegate.events.empty());
}

TEST(GraphicsWin, TicksComeFromTheVerticalBlankPosterOnWindows8AndLater) {
    Editor editor;
    ASSERT_NE(editor.Open(), nullptr);
    EXPECT_EQ(editor.graphics->VerticalBlankMode(), IsWindows8OrGreater() != FALSE);
    // Either way the editor keeps repainting: a value set from outside shows up.
    editor.knob->ApplyDelegateValue(1.0);
    Pump(200);
    EXPECT_EQ(editor.Pixel(100, 100)[0], 255);
}

// Median spacing of the display timer's messages over a second, in milliseconds.
DWORD MedianTimerSpacing(HWND window) {
    std::vector<DWORD> times;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 1000) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd == window &&
                msg.wParam == winrules::kDisplayTimerId)
                times.push_back(GetTickCount());
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
    std::vector<DWORD> spacing;
    for (size_t i = 1; i < times.size(); ++i)
        spacing.push_back(times[i] - times[i - 1]);
    if (spacing.empty())
        return 0;
    std::nth_element(spacing.begin(), spacing.begin() + spacing.size() / 2, spacing.end());
    return spacing[spacing.size() / 2];
}

TEST(GraphicsWin, TimerTicksAt15MsFor60FpsAnd33MsFor30Fps) {
    if (IsWindows8OrGreater())
        GTEST_SKIP() << "vertical-blank mode here; the timer-mode copy of this program checks it";
    {
        Editor editor(60);
        ASSERT_NE(editor.Open(), nullptr);
        DWORD spacing = MedianTimerSpacing(editor.Window());
        EXPECT_GE(spacing, 14u);
        EXPECT_LE(spacing, 17u);
    }
    {
        Editor editor(30);
        ASSERT_NE(editor.Open(), nullptr);
        DWORD spacing = MedianTimerSpacing(editor.Window());
        EXPECT_GE(spacing, 32u);
        EXPECT_LE(spacing, 36u);
    }
}

TEST(GraphicsWin, CloseAndReopenBuildFreshControlsAndLeakNothing) {
    Editor editor;
    ASSERT_NE(editor.Open(), nullptr);
    EXPECT_EQ(TestKnob::Alive(), 2);
    editor.delegate.CloseWindow();
    EXPECT_EQ(TestKnob::Alive(), 0) << "closing deletes the controls";
    EXPECT_EQ(ChildWindows(editor.host.window), 0);
    EXPECT_EQ(WindowClass::OpenCount(), 0);
    WNDCLASSW info;
    EXPECT_FALSE(GetClassInfoW(GetModuleHandleW(nullptr), L"QuendarisWndClass", &info))
        << "unregistered with the last window";
    ASSERT_NE(editor.Open(), nullptr);
    EXPECT_EQ(editor.layouts, 2);
    EXPECT_EQ(TestKnob::Alive(), 2) << "a fresh set";
    editor.delegate.CloseWindow();
    // Whatever the system starts once for windows and GL stays; nothing may grow per cycle.
    int threads = ThreadCount();

    for (int cycle = 0; cycle < 50; ++cycle) {
        ASSERT_NE(editor.Open(), nullptr) << cycle;
        editor.delegate.CloseWindow();
    }
    EXPECT_EQ(editor.layouts, 52);
    EXPECT_EQ(TestKnob::Alive(), 0);
    EXPECT_EQ(ChildWindows(editor.host.window), 0);
    EXPECT_EQ(WindowClass::OpenCount(), 0);
    EXPECT_LE(ThreadCount(), threads) << "no tick thread outlives its window";
    EXPECT_EQ(wglGetCurrentContext(), nullptr);

    // Still draws after all that.
    ASSERT_NE(editor.Open(), nullptr);
    auto back = editor.Pixel(10, 10);
    EXPECT_EQ(back[1], 120);
}

TEST(GraphicsWin, AHostContextCurrentBeforeOpeningIsCurrentAfterwards) {
    HostWindow other;
    HDC dc = GetDC(other.window);
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.cColorBits = 32;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd);
    HGLRC hostContext = wglCreateContext(dc);
    ASSERT_TRUE(wglMakeCurrent(dc, hostContext));
    {
        Editor editor;
        ASSERT_NE(editor.Open(), nullptr);
        EXPECT_EQ(wglGetCurrentContext(), hostContext);
        editor.Pixel(10, 10);
        EXPECT_EQ(wglGetCurrentContext(), hostContext);
        Pump(100);
        EXPECT_EQ(wglGetCurrentContext(), hostContext) << "after paints too";
    }
    EXPECT_EQ(wglGetCurrentContext(), hostContext);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(hostContext);
    ReleaseDC(other.window, dc);
}

}  // namespace
}  // namespace quendaris
