#include "EditorTestHost.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <X11/Xutil.h>
#include <algorithm>
#include <cstring>
#include <png.h>
#include <set>

using namespace Steinberg;

namespace quendaris::test {

namespace {

int gHostXErrors = 0;

}  // namespace

int CountingErrorHandler(Display*, XErrorEvent*) {
    ++gHostXErrors;
    return 0;
}

int HostXErrorCount() {
    return gHostXErrors;
}

tresult PLUGIN_API TestFrame::resizeView(IPlugView* view, ViewRect* newSize) {
    if (!view || !newSize)
        return kInvalidArgument;
    resizes.push_back({newSize->getWidth(), newSize->getHeight()});
    if (display && window) {
        XResizeWindow(display, window, static_cast<unsigned>(newSize->getWidth()),
                      static_cast<unsigned>(newSize->getHeight()));
        XSync(display, False);
    }
    // Hosts answer by telling the view its new size.
    view->onSize(newSize);
    return kResultOk;
}

tresult PLUGIN_API TestFrame::queryInterface(const TUID iid, void** obj) {
    QUERY_INTERFACE(iid, obj, FUnknown::iid, IPlugFrame)
    QUERY_INTERFACE(iid, obj, IPlugFrame::iid, IPlugFrame)
    if (mLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid)) {
        mLoop->addRef();
        *obj = static_cast<Linux::IRunLoop*>(mLoop);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

tresult PLUGIN_API LoopHostContext::getName(Vst::String128 name) {
    const size_t count = std::min<size_t>(mName.size(), 127);
    std::memcpy(name, mName.data(), count * sizeof(char16));
    name[count] = 0;
    return kResultOk;
}

tresult PLUGIN_API LoopHostContext::queryInterface(const TUID iid, void** obj) {
    if (mLoop && FUnknownPrivate::iidEqual(iid, Linux::IRunLoop::iid)) {
        mLoop->addRef();
        *obj = static_cast<Linux::IRunLoop*>(mLoop);
        return kResultOk;
    }
    return HostApplication::queryInterface(iid, obj);
}

namespace {

// A menu that remembers its items and, on popup, where it was shown.
class RecordingMenu : public Vst::IContextMenu {
  public:
    explicit RecordingMenu(ContextMenuHost::Request& request) : mRequest(request) {}
    virtual ~RecordingMenu() = default;

    int32 PLUGIN_API getItemCount() override { return static_cast<int32>(mRequest.items.size()); }
    tresult PLUGIN_API getItem(int32, Item&, Vst::IContextMenuTarget**) override {
        return kNotImplemented;
    }
    tresult PLUGIN_API addItem(const Item& item, Vst::IContextMenuTarget*) override {
        std::string name;
        for (int i = 0; i < 128 && item.name[i]; ++i)
            name += static_cast<char>(item.name[i]);
        mRequest.items.push_back(name);
        return kResultOk;
    }
    tresult PLUGIN_API removeItem(const Item&, Vst::IContextMenuTarget*) override {
        return kNotImplemented;
    }
    tresult PLUGIN_API popup(UCoord x, UCoord y) override {
        mRequest.x = x;
        mRequest.y = y;
        return kResultOk;
    }
    tresult PLUGIN_API queryInterface(const TUID iid, void** obj) override {
        QUERY_INTERFACE(iid, obj, FUnknown::iid, Vst::IContextMenu)
        QUERY_INTERFACE(iid, obj, Vst::IContextMenu::iid, Vst::IContextMenu)
        *obj = nullptr;
        return kNoInterface;
    }
    uint32 PLUGIN_API addRef() override { return ++mRefs; }
    uint32 PLUGIN_API release() override {
        if (--mRefs > 0)
            return mRefs;
        delete this;
        return 0;
    }

  private:
    ContextMenuHost::Request& mRequest;
    uint32 mRefs = 1;
};

}  // namespace

Vst::IContextMenu* PLUGIN_API ContextMenuHost::createContextMenu(IPlugView* view,
                                                                 const Vst::ParamID* paramID) {
    if (!view)
        return nullptr;
    requests.push_back({paramID != nullptr, paramID ? *paramID : 0, -1, -1, {}});
    return new RecordingMenu(requests.back());
}

tresult PLUGIN_API ContextMenuHost::queryInterface(const TUID iid, void** obj) {
    QUERY_INTERFACE(iid, obj, FUnknown::iid, Vst::IComponentHandler3)
    QUERY_INTERFACE(iid, obj, Vst::IComponentHandler3::iid, Vst::IComponentHandler3)
    *obj = nullptr;
    return kNoInterface;
}

int Picture::CountDifferentFrom(Rgba colour) const {
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [colour](const Rgba& p) {
        return p.r != colour.r || p.g != colour.g || p.b != colour.b;
    }));
}

int Picture::DistinctColours() const {
    std::set<uint32_t> colours;
    for (const Rgba& p : pixels)
        colours.insert(static_cast<uint32_t>(p.r) << 16 | static_cast<uint32_t>(p.g) << 8 | p.b);
    return static_cast<int>(colours.size());
}

bool Picture::WritePng(const std::string& path) const {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = false;
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                     8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            auto* row = const_cast<Rgba*>(&pixels[static_cast<size_t>(y) * width]);
            png_write_row(png, reinterpret_cast<png_bytep>(row));
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return ok;
}

HostWindow::HostWindow(int width, int height, int depth) {
    mDisplay = XOpenDisplay(nullptr);
    if (!mDisplay)
        return;
    const int screen = DefaultScreen(mDisplay);
    XVisualInfo visual{};
    if (!XMatchVisualInfo(mDisplay, screen, depth, TrueColor, &visual))
        return;
    const Window root = RootWindow(mDisplay, screen);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(mDisplay, root, visual.visual, AllocNone);
    attributes.background_pixel = 0;
    attributes.border_pixel = 0;
    attributes.event_mask = StructureNotifyMask;
    mWindow =
        XCreateWindow(mDisplay, root, 0, 0, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, visual.depth, InputOutput, visual.visual,
                      CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
    XMapWindow(mDisplay, mWindow);
    XEvent event;
    do {
        XWindowEvent(mDisplay, mWindow, StructureNotifyMask, &event);
    } while (event.type != MapNotify);
    XSync(mDisplay, False);
}

HostWindow::~HostWindow() {
    if (!mDisplay)
        return;
    Destroy();
    XCloseDisplay(mDisplay);
}

void HostWindow::Destroy() {
    if (!mWindow)
        return;
    XDestroyWindow(mDisplay, mWindow);
    XSync(mDisplay, False);
    mWindow = 0;
}

void HostWindow::Resize(int width, int height) {
    XResizeWindow(mDisplay, mWindow, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(mDisplay, False);
}

void HostWindow::Raise() {
    XRaiseWindow(mDisplay, mWindow);
    XSync(mDisplay, False);
}

int HostWindow::ChildCount() const {
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!mWindow || !XQueryTree(mDisplay, mWindow, &root, &parent, &children, &count))
        return 0;
    if (children)
        XFree(children);
    return static_cast<int>(count);
}

// Read from the root, where the server has composed the editor into the host's window.
Picture HostWindow::Capture(int width, int height) const {
    Picture picture;
    Window child = 0;
    int x = 0;
    int y = 0;
    const Window root = DefaultRootWindow(mDisplay);
    XTranslateCoordinates(mDisplay, mWindow, root, 0, 0, &x, &y, &child);
    XImage* image = XGetImage(mDisplay, root, x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            const unsigned long pixel = XGetPixel(image, px, py);
            picture.pixels[static_cast<size_t>(py) * width + px] = {
                static_cast<uint8_t>((pixel >> 16) & 0xFF),
                static_cast<uint8_t>((pixel >> 8) & 0xFF), static_cast<uint8_t>(pixel & 0xFF), 255};
        }
    }
    XDestroyImage(image);
    return picture;
}

void HostWindow::MoveTo(int x, int y) {
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    XTranslateCoordinates(mDisplay, mWindow, DefaultRootWindow(mDisplay), x, y, &rootX, &rootY,
                          &child);
    XTestFakeMotionEvent(mDisplay, -1, rootX, rootY, CurrentTime);
    Flush();
}

void HostWindow::Press(int button) {
    XTestFakeButtonEvent(mDisplay, static_cast<unsigned>(button), True, CurrentTime);
    Flush();
}

void HostWindow::Release(int button) {
    XTestFakeButtonEvent(mDisplay, static_cast<unsigned>(button), False, CurrentTime);
    Flush();
}

void HostWindow::Click(int x, int y, int button) {
    MoveTo(x, y);
    Press(button);
    Release(button);
}

void HostWindow::Key(unsigned long keysym, bool shift) {
    const KeyCode shiftCode = XKeysymToKeycode(mDisplay, XK_Shift_L);
    const KeyCode code = XKeysymToKeycode(mDisplay, keysym);
    if (shift)
        XTestFakeKeyEvent(mDisplay, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(mDisplay, code, True, CurrentTime);
    XTestFakeKeyEvent(mDisplay, code, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(mDisplay, shiftCode, False, CurrentTime);
    Flush();
}

void HostWindow::Flush() const {
    XSync(mDisplay, False);
}

}  // namespace quendaris::test
