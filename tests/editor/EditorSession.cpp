#include "EditorSession.h"

#include <GL/glx.h>

#include <cstdlib>
#include <dirent.h>
#include <stdexcept>
#include <sys/stat.h>

#include "tests/editor/XvfbServer.h"

using namespace Steinberg;

namespace quendaris::test {

const std::string& TestDisplay() {
    // Room for an editor at twice its size.
    static XvfbServer server("2048x1536x24");
    if (!server.Running())
        throw std::runtime_error("no X server: " + server.Error());
    // Mesa loads its driver per connection and unloads it when the last one closes, which
    // would leave the driver's own per-connection allocations without a name for the leak
    // checker's library suppressions. One connection with GLX in use keeps it loaded.
    static Display* driverKeeper = [] {
        Display* display = XOpenDisplay(nullptr);
        int count = 0;
        if (display)
            XFree(glXGetFBConfigs(display, DefaultScreen(display), &count));
        return display;
    }();
    (void)driverKeeper;
    return server.Display();
}

std::string ShotPath(const std::string& name) {
    const std::string folder = QUENDARIS_EDITOR_SHOTS;
    mkdir(folder.c_str(), 0755);
    return folder + "/" + name + ".png";
}

namespace {

int CountEntries(const char* path) {
    DIR* dir = opendir(path);
    if (!dir)
        return -1;
    int count = 0;
    while (readdir(dir))
        ++count;
    closedir(dir);
    return count;
}

}  // namespace

int OpenFileDescriptors() {
    return CountEntries("/proc/self/fd");
}

int ThreadCount() {
    return CountEntries("/proc/self/task");
}

EditorSession::EditorSession(TestRunLoop::Options options, int parentWidth, int parentHeight,
                             std::u16string hostName)
    : loop((TestDisplay(), options)),
      host(std::move(hostName), nullptr),
      effect(&host),
      frame(&loop),
      window(parentWidth, parentHeight) {
    frame.display = window.Connection();
    frame.window = window.Id();
    if (effect.Valid())
        effect.controller->setComponentHandler(&handler);
}

EditorSession::~EditorSession() {
    Close();
    if (effect.Valid())
        effect.controller->setComponentHandler(nullptr);
}

bool EditorSession::Open() {
    view = owned(effect.controller->createView(Vst::ViewType::kEditor));
    if (!view)
        return false;
    view->setFrame(&frame);
    return view->attached(window.Parent(), kPlatformTypeX11EmbedWindowID) == kResultOk;
}

void EditorSession::Close() {
    if (!view)
        return;
    view->removed();
    view->setFrame(nullptr);
    view = nullptr;
}

bool EditorSession::PumpUntilDrawn(int limitMs) {
    return loop.PumpUntil(
        [this] {
            return Capture().CountDifferentFrom({0, 0, 0, 255}) > 100;
        },
        std::chrono::milliseconds(limitMs));
}

}  // namespace quendaris::test
