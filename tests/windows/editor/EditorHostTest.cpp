// The real Windows bundle in a host of our own: the view is opened as "HWND" inside a
// top-level window, the editor is driven with window messages, and its picture is read back
// from its window. Checks what a user of a Windows host meets.
#include <gtest/gtest.h>

#include <glad/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#include "../WindowsModuleFile.h"
#include "MessagePump.h"
#include "graphics/platform/windows/WglContext.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "public.sdk/source/vst/hosting/parameterchanges.h"

namespace quendaris::test {
namespace {

using namespace Steinberg;
using namespace Steinberg::Vst;

// Records the edits the editor sends, as a host's automation would see them.
class RecordingHandler : public IComponentHandler {
  public:
    tresult PLUGIN_API beginEdit(ParamID id) override { return Log("begin", id); }
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override {
        lastValue = value;
        return Log("perform", id);
    }
    tresult PLUGIN_API endEdit(ParamID id) override { return Log("end", id); }
    tresult PLUGIN_API restartComponent(int32) override { return kResultOk; }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
        if (FUnknownPrivate::iidEqual(iid, IComponentHandler::iid) ||
            FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
            *obj = this;
            return kResultOk;
        }
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return 1; }
    uint32 PLUGIN_API release() override { return 1; }

    // "begin 0", "perform 0", ... collapsing runs of performs into one entry.
    std::vector<std::string> Summary() const {
        std::vector<std::string> out;
        for (const std::string& e : events) {
            if (out.empty() || out.back() != e)
                out.push_back(e);
        }
        return out;
    }
    std::vector<std::string> events;
    ParamValue lastValue = -1.0;

  private:
    tresult Log(const char* what, ParamID id) {
        events.push_back(std::string(what) + " " + std::to_string(id));
        return kResultOk;
    }
};

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_KEYDOWN) {
        auto* keys = reinterpret_cast<std::vector<UINT>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (keys)
            keys->push_back(UINT(wParam));
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Reads each frame the module presents, just before its buffer swap: the module's call to
// SwapBuffers goes through its import table, which this points at a reader. The editor's own
// context is current there, so the pixels are exactly what the window receives.
class FrameCapture {
  public:
    static FrameCapture& Instance() {
        static FrameCapture capture;
        return capture;
    }

    // Points the module's import of SwapBuffers at the reader, unless it already is (a module
    // loaded again comes with its import table fresh).
    void Hook(HMODULE module) {
        auto* base = reinterpret_cast<BYTE*>(module);
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& dir =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
        for (; desc->Name; ++desc) {
            if (lstrcmpiA(reinterpret_cast<char*>(base + desc->Name), "gdi32.dll") != 0)
                continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                auto* byName =
                    reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (lstrcmpA(reinterpret_cast<char*>(byName->Name), "SwapBuffers") != 0)
                    continue;
                if (slots->u1.Function == reinterpret_cast<ULONG_PTR>(&CapturingSwap))
                    return;
                DWORD old = 0;
                VirtualProtect(&slots->u1.Function, sizeof(void*), PAGE_READWRITE, &old);
                mRealSwap = reinterpret_cast<SwapFn>(slots->u1.Function);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(&CapturingSwap);
                VirtualProtect(&slots->u1.Function, sizeof(void*), old, &old);
            }
        }
    }
    void Clear() { mFrame.clear(); }
    std::vector<unsigned char> Last(int& width, int& height) const {
        width = mWidth;
        height = mHeight;
        return mFrame;
    }

  private:
    using SwapFn = BOOL(WINAPI*)(HDC);

    static BOOL WINAPI CapturingSwap(HDC dc) {
        FrameCapture& self = Instance();
        self.Read(dc);
        return self.mRealSwap(dc);
    }

    void Read(HDC dc) {
        static bool loaded = gladLoadGL([](const char* name) {
            return reinterpret_cast<GLADapiproc>(wgl::ResolveGLFunction(name));
        });
        RECT r;
        if (!loaded || !GetClientRect(WindowFromDC(dc), &r))
            return;
        mWidth = r.right;
        mHeight = r.bottom;
        GLint readFramebuffer = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        std::vector<unsigned char> bottomUp(size_t(mWidth) * mHeight * 4);
        glReadPixels(0, 0, mWidth, mHeight, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(readFramebuffer));
        mFrame.resize(bottomUp.size());
        for (int y = 0; y < mHeight; ++y)
            std::copy_n(&bottomUp[size_t(mHeight - 1 - y) * mWidth * 4], size_t(mWidth) * 4,
                        &mFrame[size_t(y) * mWidth * 4]);
    }

    SwapFn mRealSwap = nullptr;
    std::vector<unsigned char> mFrame;
    int mWidth = 0;
    int mHeight = 0;
};

// One plug-in instance with its editor in a host window.
class HostedEditor {
  public:
    HostedEditor() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuendarisHostWindow";
        RegisterClassW(&wc);
        host = CreateWindowExW(0, wc.lpszClassName, L"host", WS_POPUP | WS_VISIBLE, 0, 0, 800, 630,
                               nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(host, GWLP_USERDATA, LONG_PTR(&hostKeys));

        auto* getFactory = module.Export<IPluginFactory*()>("GetPluginFactory");
        if (!getFactory)
            return;
        factory = getFactory();
        PClassInfo info{};
        if (!factory || factory->getClassInfo(0, &info) != kResultOk)
            return;
        IComponent* created = nullptr;
        factory->createInstance(info.cid, IComponent::iid, reinterpret_cast<void**>(&created));
        component = owned(created);
        if (!component || component->initialize(&application) != kResultOk)
            return;
        controller = FUnknownPtr<IEditController>(component);
        if (controller)
            controller->setComponentHandler(&handler);
    }

    // Sets the effect up as a host does before playback (48 kHz, blocks of 512) and runs one
    // short block of silence, so the display shows the engine's published state.
    bool RunSilence() {
        FUnknownPtr<IAudioProcessor> processor(component);
        if (!processor)
            return false;
        SpeakerArrangement stereo = SpeakerArr::kStereo;
        processor->setBusArrangements(&stereo, 1, &stereo, 1);
        component->activateBus(kAudio, kInput, 0, true);
        component->activateBus(kAudio, kOutput, 0, true);
        ProcessSetup setup{kRealtime, kSample64, 512, 48000.0};
        if (processor->setupProcessing(setup) != kResultOk ||
            component->setActive(true) != kResultOk)
            return false;
        processor->setProcessing(true);
        constexpr int kFrames = 32;
        std::vector<double> in[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
        std::vector<double> out[2] = {std::vector<double>(kFrames), std::vector<double>(kFrames)};
        double* inPointers[2] = {in[0].data(), in[1].data()};
        double* outPointers[2] = {out[0].data(), out[1].data()};
        AudioBusBuffers inBus{}, outBus{};
        inBus.numChannels = outBus.numChannels = 2;
        inBus.channelBuffers64 = inPointers;
        outBus.channelBuffers64 = outPointers;
        ParameterChanges noChanges;
        ProcessData data{};
        data.processMode = kRealtime;
        data.symbolicSampleSize = kSample64;
        data.numSamples = kFrames;
        data.numInputs = data.numOutputs = 1;
        data.inputs = &inBus;
        data.outputs = &outBus;
        data.inputParameterChanges = &noChanges;
        bool ok = processor->process(data) == kResultOk;
        processor->setProcessing(false);
        component->setActive(false);
        return ok;
    }

    ~HostedEditor() {
        Close();
        if (controller)
            controller->setComponentHandler(nullptr);
        controller = nullptr;
        if (component)
            component->terminate();
        component = nullptr;
        if (factory)
            factory->release();
        DestroyWindow(host);
        UnregisterClassW(L"QuendarisHostWindow", GetModuleHandleW(nullptr));
    }

    bool Open() {
        if (!controller)
            return false;
        view = owned(controller->createView("editor"));
        if (!view || view->isPlatformTypeSupported(kPlatformTypeHWND) != kResultTrue)
            return false;
        if (view->attached(host, kPlatformTypeHWND) != kResultOk)
            return false;
        editor = FindWindowExW(host, nullptr, L"QuendarisWndClass", nullptr);
        Pump(300);
        return editor != nullptr;
    }

    void Close() {
        if (view) {
            view->removed();
            view = nullptr;
        }
        editor = nullptr;
        Pump(20);
    }

    void Post(UINT msg, WPARAM wParam, LPARAM lParam, DWORD settle = 40) {
        PostMessageW(editor, msg, wParam, lParam);
        Pump(settle);
    }

    // The last frame the editor presented to its window, top row first, RGBA.
    std::vector<unsigned char> Picture(int& width, int& height) {
        FrameCapture::Instance().Hook(module.Handle());
        FrameCapture::Instance().Clear();
        InvalidateRect(editor, nullptr, FALSE);
        Pump(200);
        return FrameCapture::Instance().Last(width, height);
    }

    LoadedModule module;
    IPluginFactory* factory = nullptr;
    HostApplication application;
    RecordingHandler handler;
    IPtr<IComponent> component;
    FUnknownPtr<IEditController> controller;
    IPtr<IPlugView> view;
    HWND host = nullptr;
    HWND editor = nullptr;
    std::vector<UINT> hostKeys;
};

// Writes the picture as a PNG beside the test, for review.
void SavePicture(const std::vector<unsigned char>& rgba, int width, int height, const char* name) {
    std::string dir = NarrowPathFromEnvironment("QUENDARIS_PICTURE_DIR");
    if (dir.empty() || rgba.empty())
        return;
    std::string path = dir + "/" + name;
    stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4);
}

LPARAM At(int x, int y) {
    return MAKELPARAM(x, y);
}

// Cutoff knob centre in the editor's layout.
constexpr int kCutoffX = 380;
constexpr int kCutoffY = 175;

TEST(WindowsEditorHost, TheViewOpensAsAChildOfTheHostWindowAndDraws) {
    HostedEditor hosted;
    ASSERT_TRUE(hosted.Open());
    RECT r;
    GetClientRect(hosted.editor, &r);
    EXPECT_EQ(r.right, 800);
    EXPECT_EQ(r.bottom, 580);
    EXPECT_EQ(hosted.view->canResize(), kResultFalse);

    int width = 0, height = 0;
    std::vector<unsigned char> picture = hosted.Picture(width, height);
    ASSERT_FALSE(picture.empty()) << "no frame was presented";
    SavePicture(picture, width, height, "windows-editor-host.png");
    // Something was drawn: the picture is neither blank nor one flat colour.
    size_t differing = 0;
    for (size_t i = 4; i < picture.size(); i += 4)
        differing += picture[i] != picture[0] || picture[i + 1] != picture[1];
    EXPECT_GT(differing, picture.size() / 40);
}

// Share of pixels whose colour differs by more than a few antialiasing levels, and the mean
// difference, between a picture and a reference of the same size.
struct PictureDifference {
    double farShare = 1.0;
    double mean = 255.0;
};
PictureDifference Compare(const std::vector<unsigned char>& picture, const unsigned char* reference,
                          size_t pixels) {
    PictureDifference d;
    size_t distant = 0;
    double sum = 0.0;
    for (size_t i = 0; i < pixels; ++i) {
        int worst = 0;
        for (int c = 0; c < 3; ++c)
            worst = std::max(worst, std::abs(int(picture[i * 4 + c]) - int(reference[i * 4 + c])));
        distant += worst > 24;
        sum += worst;
    }
    d.farShare = double(distant) / double(pixels);
    d.mean = sum / double(pixels);
    return d;
}

TEST(WindowsEditorHost, TheEditorLooksAsItDoesOnLinux) {
    HostedEditor hosted;
    ASSERT_TRUE(hosted.RunSilence());
    ASSERT_TRUE(hosted.Open());
    int width = 0, height = 0;
    std::vector<unsigned char> picture = hosted.Picture(width, height);
    ASSERT_EQ(picture.size(), size_t(width) * height * 4) << "no frame was presented";
    ASSERT_GT(width, 0);
    SavePicture(picture, width, height, "windows-editor-default.png");
    // Drawn on Linux by quendaris-snapshot with the parameters at their defaults.
    int refWidth = 0, refHeight = 0, channels = 0;
    unsigned char* reference =
        stbi_load(QUENDARIS_LINUX_PICTURE, &refWidth, &refHeight, &channels, 4);
    ASSERT_NE(reference, nullptr) << QUENDARIS_LINUX_PICTURE;
    ASSERT_EQ(width, refWidth);
    ASSERT_EQ(height, refHeight);
    PictureDifference d = Compare(picture, reference, size_t(width) * height);
    stbi_image_free(reference);
    EXPECT_LT(d.farShare, 0.005) << "pixels off by more than 24 levels";
    EXPECT_LT(d.mean, 1.0);
}

TEST(WindowsEditorHost, APressOnTheCutoffKnobReachesTheHostAsBeginPerformEnd) {
    HostedEditor hosted;
    ASSERT_TRUE(hosted.Open());
    hosted.Post(WM_LBUTTONDOWN, MK_LBUTTON, At(kCutoffX, kCutoffY));
    hosted.Post(WM_MOUSEMOVE, MK_LBUTTON, At(kCutoffX, kCutoffY - 20));
    hosted.Post(WM_MOUSEMOVE, MK_LBUTTON, At(kCutoffX, kCutoffY - 40));
    hosted.Post(WM_LBUTTONUP, 0, At(kCutoffX, kCutoffY - 40));
    std::vector<std::string> expected = {"begin 0", "perform 0", "end 0"};
    EXPECT_EQ(hosted.handler.Summary(), expected);
}

TEST(WindowsEditorHost, UnhandledKeysReachTheHostWindow) {
    HostedEditor hosted;
    ASSERT_TRUE(hosted.Open());
    POINT corner{5, 5};
    ClientToScreen(hosted.editor, &corner);
    SetCursorPos(corner.x, corner.y);
    hosted.Post(WM_KEYDOWN, VK_SPACE, 0x00390001);
    EXPECT_EQ(hosted.hostKeys, std::vector<UINT>{VK_SPACE});
}

TEST(WindowsEditorHost, TheValueBoxCommitsWithReturnAndCancelsWithEscape) {
    HostedEditor hosted;
    ASSERT_TRUE(hosted.Open());
    // The knob's value strip sits under its disc.
    const int stripX = kCutoffX;
    const int stripY = 285;
    hosted.Post(WM_LBUTTONDBLCLK, MK_LBUTTON, At(stripX, stripY));
    hosted.Post(WM_LBUTTONUP, 0, At(stripX, stripY));
    HWND box = FindWindowExW(hosted.editor, nullptr, L"EDIT", nullptr);
    ASSERT_NE(box, nullptr) << "a double click on the value strip opens the box";
    EXPECT_EQ(GetDlgCtrlID(box), 99);
    hosted.handler.events.clear();
    SendMessageW(box, EM_SETSEL, 0, -1);
    for (wchar_t c : std::wstring(L"500"))
        PostMessageW(box, WM_CHAR, c, 1);
    PostMessageW(box, WM_KEYDOWN, VK_RETURN, 1);
    Pump(200);
    EXPECT_EQ(FindWindowExW(hosted.editor, nullptr, L"EDIT", nullptr), nullptr);
    ASSERT_EQ(hosted.handler.Summary(), std::vector<std::string>{"perform 0"});
    String128 text;
    hosted.controller->getParamStringByValue(0, hosted.handler.lastValue, text);
    std::string narrow;
    for (int i = 0; text[i]; ++i)
        narrow += char(text[i]);
    EXPECT_EQ(std::atof(narrow.c_str()), 500.0) << narrow;

    hosted.handler.events.clear();
    hosted.Post(WM_LBUTTONDBLCLK, MK_LBUTTON, At(stripX, stripY));
    hosted.Post(WM_LBUTTONUP, 0, At(stripX, stripY));
    box = FindWindowExW(hosted.editor, nullptr, L"EDIT", nullptr);
    ASSERT_NE(box, nullptr);
    PostMessageW(box, WM_CHAR, '9', 1);
    PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
    Pump(200);
    EXPECT_EQ(FindWindowExW(hosted.editor, nullptr, L"EDIT", nullptr), nullptr);
    EXPECT_TRUE(hosted.handler.events.empty());
}

TEST(WindowsEditorHost, FiftyOpenCloseCyclesLeaveNoWindowsBehind) {
    HostedEditor hosted;
    for (int cycle = 0; cycle < 50; ++cycle) {
        ASSERT_TRUE(hosted.Open()) << cycle;
        hosted.Close();
        ASSERT_EQ(FindWindowExW(hosted.host, nullptr, nullptr, nullptr), nullptr) << cycle;
    }
    WNDCLASSW info;
    EXPECT_FALSE(GetClassInfoW(hosted.module.Handle(), L"QuendarisWndClass", &info));
    ASSERT_TRUE(hosted.Open());
    int width = 0, height = 0;
    std::vector<unsigned char> picture = hosted.Picture(width, height);
    EXPECT_EQ(width, 800);
}

}  // namespace
}  // namespace quendaris::test
