// The Win32 and WGL services under the editor window, on a real (wine) desktop: display ticks
// from the vertical-blank poster and its fallbacks, the counted window class, private fonts
// and the OpenGL 3.3 core context.
#include <gtest/gtest.h>

#include <glad/gl.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "graphics/platform/windows/TextConversion.h"
#include "graphics/platform/windows/VSyncPoster.h"
#include "graphics/platform/windows/WglContext.h"
#include "graphics/platform/windows/WinFont.h"
#include "graphics/platform/windows/WindowClass.h"
#include "graphics/platform/windows/WindowRules.h"

namespace quendaris {
namespace {

// A message-only window that collects the tick messages posted to it.
class TickSink {
  public:
    TickSink() {
        mWindow = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr);
    }
    ~TickSink() { DestroyWindow(mWindow); }
    HWND Window() const { return mWindow; }

    // Pumps for ms milliseconds and answers the tick numbers that arrived.
    std::vector<uint64_t> Pump(DWORD ms) {
        std::vector<uint64_t> ticks;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            MSG msg;
            while (PeekMessageW(&msg, mWindow, 0, 0, PM_REMOVE)) {
                if (msg.message == winrules::kVSyncTickMessage)
                    ticks.push_back(uint64_t(msg.wParam));
            }
            Sleep(1);
        }
        return ticks;
    }

  private:
    HWND mWindow;
};

std::atomic<int> gOpens{0};
std::atomic<int> gCloses{0};
std::atomic<int> gWaits{0};
LONG APIENTRY FailingOpen(VSyncPoster::OpenAdapterArgs*) {
    ++gOpens;
    return -1;
}
LONG APIENTRY GoodOpen(VSyncPoster::OpenAdapterArgs* args) {
    ++gOpens;
    args->adapter = 77;
    args->sourceId = 3;
    return 0;
}
LONG APIENTRY CountingClose(const VSyncPoster::CloseAdapterArgs* args) {
    EXPECT_EQ(args->adapter, 77u);
    ++gCloses;
    return 0;
}
LONG APIENTRY FiveMsBlank(const VSyncPoster::WaitArgs* args) {
    EXPECT_EQ(args->adapter, 77u);
    EXPECT_EQ(args->sourceId, 3u);
    ++gWaits;
    Sleep(5);
    return 0;
}
LONG APIENTRY FailingBlank(const VSyncPoster::WaitArgs*) {
    ++gWaits;
    return -1;
}

void ResetCounts() {
    gOpens = 0;
    gCloses = 0;
    gWaits = 0;
}

void ExpectConsecutiveFromOne(const std::vector<uint64_t>& ticks) {
    for (size_t i = 0; i < ticks.size(); ++i)
        ASSERT_EQ(ticks[i], i + 1) << "ticks are numbered 1, 2, 3 ... in posting order";
}

TEST(VSyncPoster, WithoutTheWaitFunctionItTicksEvery16Ms) {
    TickSink sink;
    VSyncPoster::Functions none;
    VSyncPoster poster(sink.Window(), winrules::kVSyncTickMessage, none);
    ASSERT_TRUE(poster.Start());
    std::vector<uint64_t> ticks = sink.Pump(500);
    poster.Stop();
    ExpectConsecutiveFromOne(ticks);
    // 16 ms sleeps: about 31 in half a second; a loaded machine gives fewer, never more.
    EXPECT_GE(ticks.size(), 8u);
    EXPECT_LE(ticks.size(), 34u);
    EXPECT_EQ(poster.PostedCount(), ticks.size() + sink.Pump(50).size());
}

TEST(VSyncPoster, Gdi32HereLacksAtLeastTheWaitOrHasAllThree) {
    VSyncPoster::Functions found = VSyncPoster::FromGdi32();
    // Windows 8 and later have all three; wine has the adapter functions only, and calling
    // its stub for the wait would end the process, so the poster must not try.
    if (!found.Complete()) {
        EXPECT_EQ(found.wait, nullptr);
    }
    TickSink sink;
    VSyncPoster poster(sink.Window(), winrules::kVSyncTickMessage, found);
    ASSERT_TRUE(poster.Start());
    std::vector<uint64_t> ticks = sink.Pump(300);
    poster.Stop();
    ExpectConsecutiveFromOne(ticks);
    EXPECT_GE(ticks.size(), 4u);
}

TEST(VSyncPoster, AFailedAdapterIsRetriedOncePerSecond) {
    ResetCounts();
    TickSink sink;
    VSyncPoster poster(sink.Window(), winrules::kVSyncTickMessage,
                       {&FailingOpen, &CountingClose, &FiveMsBlank});
    ASSERT_TRUE(poster.Start());
    std::vector<uint64_t> ticks = sink.Pump(1500);
    poster.Stop();
    EXPECT_EQ(gOpens.load(), 2) << "at once, then after 1000 ms";
    EXPECT_EQ(gWaits.load(), 0);
    EXPECT_EQ(gCloses.load(), 0) << "nothing was opened";
    EXPECT_GE(ticks.size(), 20u) << "16 ms fallback ticks meanwhile";
}

TEST(VSyncPoster, TicksFollowTheBlankAndTheAdapterIsClosedAtStop) {
    ResetCounts();
    TickSink sink;
    VSyncPoster poster(sink.Window(), winrules::kVSyncTickMessage,
                       {&GoodOpen, &CountingClose, &FiveMsBlank});
    ASSERT_TRUE(poster.Start());
    std::vector<uint64_t> ticks = sink.Pump(400);
    poster.Stop();
    EXPECT_EQ(gOpens.load(), 1);
    EXPECT_EQ(gCloses.load(), 1);
    EXPECT_GE(gWaits.load(), 30) << "5 ms blanks, far more often than the 16 ms fallback";
    EXPECT_EQ(uint64_t(gWaits.load()), poster.PostedCount());
    ExpectConsecutiveFromOne(ticks);
}

TEST(VSyncPoster, AFailingWaitClosesTheAdapterAndFallsBack) {
    ResetCounts();
    TickSink sink;
    VSyncPoster poster(sink.Window(), winrules::kVSyncTickMessage,
                       {&GoodOpen, &CountingClose, &FailingBlank});
    ASSERT_TRUE(poster.Start());
    std::vector<uint64_t> ticks = sink.Pump(1500);
    poster.Stop();
    EXPECT_EQ(gOpens.load(), 2) << "retried after a second, not at every tick";
    EXPECT_EQ(gCloses.load(), gOpens.load());
    EXPECT_GE(ticks.size(), 20u);
}

TEST(VSyncPoster, StopEndsTheThreadAndCanBeRepeated) {
    TickSink sink;
    VSyncPoster poster(sink.Window(), winrules::kVSyncTickMessage, {});
    ASSERT_TRUE(poster.Start());
    DWORD start = GetTickCount();
    poster.Stop();
    EXPECT_LT(GetTickCount() - start, 500u);
    uint64_t posted = poster.PostedCount();
    sink.Pump(100);
    EXPECT_EQ(poster.PostedCount(), posted) << "no posts after Stop";
    poster.Stop();
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool ClassRegistered() {
    WNDCLASSW info;
    return GetClassInfoW(GetModuleHandleW(nullptr), kEditorWindowClass, &info) != FALSE;
}

TEST(WindowClass, RegisteredWhileAnyWindowNeedsItWithDoubleClicksAndOwnDC) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    ASSERT_FALSE(ClassRegistered());
    ASSERT_TRUE(WindowClass::Acquire(instance, &PlainProc));
    ASSERT_TRUE(WindowClass::Acquire(instance, &PlainProc));
    EXPECT_EQ(WindowClass::OpenCount(), 2);
    WNDCLASSW info;
    ASSERT_TRUE(GetClassInfoW(instance, kEditorWindowClass, &info));
    EXPECT_EQ(info.style, UINT(0x28));
    EXPECT_EQ(info.hCursor, nullptr);
    EXPECT_EQ(info.hIcon, nullptr);
    EXPECT_EQ(info.hbrBackground, nullptr);
    WindowClass::Release(instance);
    EXPECT_TRUE(ClassRegistered());
    WindowClass::Release(instance);
    EXPECT_FALSE(ClassRegistered());
    WindowClass::Release(instance);
    EXPECT_EQ(WindowClass::OpenCount(), 0) << "an extra release counts nothing";
}

TEST(WindowClass, DpiScaleOfAWindowAt96Dpi) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(WindowDpiScale(window), 1.0f);
    DestroyWindow(window);
    EXPECT_EQ(WindowDpiScale(nullptr), 1.0f);
}

std::vector<char> RobotoBytes() {
    std::ifstream file(QUENDARIS_ROBOTO_FONT, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>());
}

std::wstring FaceNameOf(HFONT font) {
    LOGFONTW description{};
    GetObjectW(font, sizeof(description), &description);
    return description.lfFaceName;
}

TEST(WinFont, RobotoRegistersPrivatelyAndBecomesTheTextBoxFont) {
    std::vector<char> roboto = RobotoBytes();
    ASSERT_GT(roboto.size(), 100000u);
    ASSERT_TRUE(RegisterPrivateFont("Roboto-Regular", roboto.data(), int(roboto.size())));
    EXPECT_EQ(PrivateFontCount(), 1);
    HFONT font = CreateTextBoxFont("Roboto-Regular", 26);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(FaceNameOf(font), L"Roboto");
    LOGFONTW description{};
    GetObjectW(font, sizeof(description), &description);
    EXPECT_EQ(description.lfHeight, 26);
    EXPECT_EQ(description.lfWeight, FW_NORMAL);

    // The system really draws with it: the selected face answers Roboto's name.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    EXPECT_STREQ(face, L"Roboto");
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);

    HFONT fallback = CreateTextBoxFont("no-such-font", 13);
    ASSERT_NE(fallback, nullptr);
    EXPECT_NE(FaceNameOf(fallback), L"Roboto");
    DeleteObject(fallback);
    ClearPrivateFonts();
    EXPECT_EQ(PrivateFontCount(), 0);
}

TEST(WinFont, BytesThatAreNoFontAreRefused) {
    std::vector<char> junk(4096, '\x5a');
    EXPECT_FALSE(RegisterPrivateFont("junk", junk.data(), int(junk.size())));
    std::vector<char> roboto = RobotoBytes();
    EXPECT_FALSE(RegisterPrivateFont("cut", roboto.data(), 200));
    EXPECT_FALSE(RegisterPrivateFont("none", nullptr, 0));
    EXPECT_FALSE(RegisterPrivateFont(nullptr, roboto.data(), int(roboto.size())));
    EXPECT_EQ(PrivateFontCount(), 0);
}

TEST(TextConversion, RoundTripsThroughUtf16) {
    const char* text = "12.5 kHz \xE2\x82\xAC \xF0\x9F\x8E\xB5";
    std::wstring wide = Utf8ToWide(text);
    EXPECT_EQ(wide.size(), 13u) << "the note is a surrogate pair";
    EXPECT_EQ(WideToUtf8(wide.c_str()), text);
    EXPECT_EQ(Utf8ToWide(nullptr), L"");
    EXPECT_EQ(WideToUtf8(nullptr), "");
    EXPECT_EQ(WideToUtf8(L"ab", 1), "a");
}

TEST(WglContext, ChildWindowGetsA33CoreContextAndLoadsGL) {
    HWND top = CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                               200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(top, nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                                 100, 80, top, nullptr, nullptr, nullptr);
    ASSERT_NE(child, nullptr);
    HDC dc = GetDC(child);
    ASSERT_TRUE(wgl::SetEditorPixelFormat(dc));
    PIXELFORMATDESCRIPTOR pfd{};
    DescribePixelFormat(dc, GetPixelFormat(dc), sizeof(pfd), &pfd);
    EXPECT_TRUE(pfd.dwFlags & PFD_DOUBLEBUFFER);
    EXPECT_TRUE(pfd.dwFlags & PFD_SUPPORT_OPENGL);
    EXPECT_GE(pfd.cDepthBits, 24);
    EXPECT_GE(pfd.cStencilBits, 8);

    HGLRC context = wgl::CreateEditorContext(dc);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), context);
    GLint major = 0, minor = 0, profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_GE(major * 10 + minor, 33);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT) << "core, not compatibility";
    EXPECT_NE(wgl::ResolveGLFunction("glClear"), nullptr) << "through opengl32.dll";
    EXPECT_NE(wgl::ResolveGLFunction("glGenFramebuffers"), nullptr);
    EXPECT_EQ(wgl::ResolveGLFunction("glNoSuchFunction"), nullptr);

    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[0], 0);

    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(context);
    ReleaseDC(child, dc);
    DestroyWindow(top);
}

}  // namespace
}  // namespace quendaris
