#pragma once

// One editor opened the way a Linux host opens it: an effect instance from the bundle, the
// host's window in the private X server, a frame with the host's run loop, a component handler
// that records edits.
#include <memory>
#include <string>

#include "pluginterfaces/gui/iplugview.h"
#include "tests/editor/EditorTestHost.h"
#include "tests/vst3/HostParts.h"
#include "tests/vst3/TestHost.h"

namespace quendaris::test {

// The X server shared by the tests of one program; started on first use.
const std::string& TestDisplay();
// Where screenshots are written.
std::string ShotPath(const std::string& name);
int OpenFileDescriptors();
int ThreadCount();

// The host's component handler: records edits and offers context menus.
class EditorHandler : public RecordingHandler, public ContextMenuHost {
  public:
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override {
        if (ContextMenuHost::queryInterface(iid, obj) == Steinberg::kResultOk &&
            Steinberg::FUnknownPrivate::iidEqual(iid, Steinberg::Vst::IComponentHandler3::iid))
            return Steinberg::kResultOk;
        return RecordingHandler::queryInterface(iid, obj);
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }
};

struct EditorSession {
    explicit EditorSession(TestRunLoop::Options options = {}, int parentWidth = 800,
                           int parentHeight = 630, std::u16string hostName = u"Test Host");
    ~EditorSession();

    // createView, setFrame, attached; true when the editor opened.
    bool Open();
    // removed, setFrame(nullptr), release.
    void Close();
    void Pump(int ms) { loop.Pump(std::chrono::milliseconds(ms)); }
    // Pumps until the window shows more than a blank parent, at most limitMs.
    bool PumpUntilDrawn(int limitMs = 3000);
    Picture Capture(int width = 800, int height = 580) const {
        return window.Capture(width, height);
    }

    TestRunLoop loop;
    LoopHostContext host;
    Effect effect;
    EditorHandler handler;
    TestFrame frame;
    HostWindow window;
    Steinberg::IPtr<Steinberg::IPlugView> view;
};

}  // namespace quendaris::test
