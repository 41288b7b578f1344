#pragma once

// The pieces of a Linux VST3 host that an editor meets: the plug-in frame (with or without a
// run loop), a host context that may offer a run loop too, and the host's own X window that
// the editor is embedded into, with screenshots and XTest input.
#include <X11/Xlib.h>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"
#include "tests/editor/TestRunLoop.h"

namespace quendaris::test {

// IPlugFrame of a host; offers the run loop through queryInterface when it has one.
class TestFrame : public Steinberg::IPlugFrame {
  public:
    explicit TestFrame(TestRunLoop* loop) : mLoop(loop) {}

    struct Resize {
        int width;
        int height;
    };
    std::vector<Resize> resizes;
    // Optional: the host resizes its window when the view asks.
    Window window = 0;
    Display* display = nullptr;

    Steinberg::tresult PLUGIN_API resizeView(Steinberg::IPlugView* view,
                                             Steinberg::ViewRect* newSize) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return ++mRefs; }
    Steinberg::uint32 PLUGIN_API release() override { return --mRefs; }
    int References() const { return mRefs; }

  private:
    TestRunLoop* mLoop;
    int mRefs = 0;
};

// The host application context; with a loop it also answers IRunLoop, as some hosts do.
class LoopHostContext : public Steinberg::Vst::HostApplication {
  public:
    LoopHostContext(std::u16string name, TestRunLoop* loop) : mName(std::move(name)), mLoop(loop) {}
    Steinberg::tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;

  private:
    std::u16string mName;
    TestRunLoop* mLoop;
};

// The host side of context menus: records what the plug-in asked for and what it added.
class ContextMenuHost : public Steinberg::Vst::IComponentHandler3 {
  public:
    struct Request {
        bool hasParam;
        Steinberg::Vst::ParamID param;
        int x;
        int y;
        std::vector<std::string> items;
    };
    // A deque: each menu keeps a reference to its request.
    std::deque<Request> requests;

    Steinberg::Vst::IContextMenu* PLUGIN_API
    createContextMenu(Steinberg::IPlugView* view, const Steinberg::Vst::ParamID* paramID) override;
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }
};

struct Rgba {
    uint8_t r, g, b, a;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgba> pixels;
    const Rgba& At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Pixels that differ from the colour at (0, 0) of a blank window: a rough "something drawn".
    int CountDifferentFrom(Rgba colour) const;
    int DistinctColours() const;
    bool WritePng(const std::string& path) const;
};

// A top-level window of the host on its own X connection.
class HostWindow {
  public:
    HostWindow(int width, int height, int depth = 24);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    bool Valid() const { return mWindow != 0; }
    Display* Connection() const { return mDisplay; }
    Window Id() const { return mWindow; }
    void* Parent() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)); }
    // The host's window goes away while the editor is still inside (Bitwig).
    void Destroy();
    void Resize(int width, int height);
    void Raise();

    // Child windows the editor created in this window.
    int ChildCount() const;
    Picture Capture(int width, int height) const;

    // XTest input at window coordinates.
    void MoveTo(int x, int y);
    void Press(int button = 1);
    void Release(int button = 1);
    void Click(int x, int y, int button = 1);
    void Key(unsigned long keysym, bool shift = false);
    void Flush() const;

  private:
    Display* mDisplay = nullptr;
    Window mWindow = 0;
};

// Counts X errors on connections that use it; the tests install it as the "host's" handler.
int CountingErrorHandler(Display* display, XErrorEvent* error);
int HostXErrorCount();

}  // namespace quendaris::test
