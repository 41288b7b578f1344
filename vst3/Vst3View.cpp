#include "Vst3View.h"

#include <cstring>

#include "graphics/Graphics.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"
#include "public.sdk/source/vst/utility/stringconvert.h"
#include "vst3/KeyTranslation.h"
#include "vst3/Vst3Plugin.h"

#if !defined(_WIN32)
#include "frame/platform/linux/TimerRunLoop.h"
#include "vst3/platform/linux/Vst3RunLoop.h"
#endif

using namespace Steinberg;

namespace quendaris {

namespace {

#if defined(_WIN32)
const FIDString kNativeType = kPlatformTypeHWND;
#else
const FIDString kNativeType = kPlatformTypeX11EmbedWindowID;
// The frame's own timers (the user-interface timer) ride on the host's loop at this period.
constexpr uint32_t kFrameTimerPeriodMs = 10;
#endif

bool IsNativeType(FIDString type) {
    return type && std::strcmp(type, kNativeType) == 0;
}

}  // namespace

Vst3View::Vst3View(Vst3Plugin& plugin) : mPlugin(plugin) {
    mPlugin.addRef();
}

Vst3View::~Vst3View() {
    if (isAttached())
        removed();
    mPlugin.ViewDestroyed(this);
    plugFrame = nullptr;
    mPlugin.release();
}

tresult PLUGIN_API Vst3View::isPlatformTypeSupported(FIDString type) {
    return mPlugin.HasEditor() && IsNativeType(type) ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API Vst3View::attached(void* parent, FIDString type) {
    if (!mPlugin.HasEditor() || !parent)
        return kResultFalse;
    if (!IsNativeType(type))
        return kResultOk;
    // One editor per instance: a second view cannot take over an open one.
    if (isAttached() || mPlugin.GetUI())
        return kResultFalse;
    if (!StartEventLoop())
        return kResultFalse;
    mPlugin.ViewAttached(this);
    if (!mPlugin.OpenWindow(parent)) {
        mPlugin.CloseWindow();
        StopEventLoop();
        return kResultFalse;
    }
    ConnectEditorHost(true);
    if (mHostScale > 0.0f)
        mPlugin.SetScreenScale(mHostScale);
    return CPluginView::attached(parent, type);
}

tresult PLUGIN_API Vst3View::removed() {
    ConnectEditorHost(false);
    if (mPlugin.HasEditor())
        mPlugin.CloseWindow();
    StopEventLoop();
    return CPluginView::removed();
}

tresult PLUGIN_API Vst3View::getSize(ViewRect* size) {
    if (!size || !mPlugin.HasEditor())
        return kResultFalse;
    *size = ViewRect(0, 0, mPlugin.EditorWidth(), mPlugin.EditorHeight());
    return kResultOk;
}

tresult PLUGIN_API Vst3View::onSize(ViewRect* newSize) {
    if (!newSize || !mPlugin.HostMayResize())
        return kResultFalse;
    rect = *newSize;
    mPlugin.OnParentWindowResize(newSize->getWidth(), newSize->getHeight());
    return kResultOk;
}

tresult PLUGIN_API Vst3View::canResize() {
    return mPlugin.HasEditor() && mPlugin.HostMayResize() ? kResultTrue : kResultFalse;
}

tresult PLUGIN_API Vst3View::checkSizeConstraint(ViewRect* r) {
    if (!r)
        return kInvalidArgument;
    int width = r->getWidth();
    int height = r->getHeight();
    if (!mPlugin.ConstrainEditorResize(width, height)) {
        r->right = r->left + width;
        r->bottom = r->top + height;
    }
    return kResultOk;
}

tresult PLUGIN_API Vst3View::setFrame(IPlugFrame* frame) {
    plugFrame = frame;
    return kResultOk;
}

tresult PLUGIN_API Vst3View::onKeyDown(char16 key, int16 keyCode, int16 modifiers) {
    return DeliverKey(key, keyCode, modifiers, true);
}

tresult PLUGIN_API Vst3View::onKeyUp(char16 key, int16 keyCode, int16 modifiers) {
    return DeliverKey(key, keyCode, modifiers, false);
}

tresult PLUGIN_API Vst3View::onWheel(float) {
    return kResultFalse;
}

tresult PLUGIN_API Vst3View::onFocus(TBool) {
    return kResultFalse;
}

tresult PLUGIN_API Vst3View::setContentScaleFactor(ScaleFactor factor) {
    if (!(factor > 0.0f) || factor > 16.0f)
        return kInvalidArgument;
    mHostScale = factor;
    mPlugin.SetScreenScale(factor);
    return kResultOk;
}

bool Vst3View::RequestResize(int width, int height) {
    if (!plugFrame)
        return false;
    ViewRect size(0, 0, width, height);
    return plugFrame->resizeView(this, &size) == kResultOk;
}

tresult Vst3View::DeliverKey(char16 key, int16 keyCode, int16 modifiers, bool down) {
    KeyEvent event;
    if (mPlugin.GetHost() == kHostReaper) {
        if (!MakeReaperKeyEvent(keyCode, modifiers, event))
            return kResultFalse;
    } else {
        event = MakeKeyEvent(key, keyCode, modifiers);
    }
    const bool handled = down ? mPlugin.OnKeyDown(event) : mPlugin.OnKeyUp(event);
    return handled ? kResultOk : kResultFalse;
}

void Vst3View::ConnectEditorHost(bool connect) {
    if (auto* graphics = dynamic_cast<Graphics*>(mPlugin.GetUI()))
        graphics->SetEditorHost(connect ? this : nullptr);
}

bool Vst3View::PopupHostContextMenu(int paramIdx, int x, int y,
                                    const std::vector<ContextMenuItem>& items,
                                    Vst::IContextMenuTarget* target) {
    FUnknownPtr<Vst::IComponentHandler3> handler(mPlugin.getComponentHandler());
    if (!handler)
        return false;
    Vst::ParamID id = paramIdx >= 0 ? static_cast<Vst::ParamID>(paramIdx) : 0;
    IPtr<Vst::IContextMenu> menu =
        owned(handler->createContextMenu(this, paramIdx >= 0 ? &id : nullptr));
    if (!menu)
        return false;
    for (const ContextMenuItem& entry : items) {
        Vst::IContextMenuItem item{};
        Vst::StringConvert::convert(entry.name, item.name);
        item.tag = entry.tag;
        item.flags = (entry.checked ? Vst::IContextMenuItem::kIsChecked : 0) |
                     (entry.disabled ? Vst::IContextMenuItem::kIsDisabled : 0);
        menu->addItem(item, target);
    }
    return menu->popup(x, y) == kResultOk;
}

tresult PLUGIN_API Vst3View::queryInterface(const TUID iid, void** obj) {
    QUERY_INTERFACE(iid, obj, IPlugViewContentScaleSupport::iid, IPlugViewContentScaleSupport)
    return CPluginView::queryInterface(iid, obj);
}

#if defined(_WIN32)

HostEventLoop* Vst3View::EventLoop() {
    return nullptr;
}

bool Vst3View::StartEventLoop() {
    return true;
}

void Vst3View::StopEventLoop() {}

#else

HostEventLoop* Vst3View::EventLoop() {
    return mRunLoop.get();
}

// The frame's run loop, or the one the host offered at initialisation. Without either nothing
// would ever tick or read the window's events, so the editor is not opened.
bool Vst3View::StartEventLoop() {
    FUnknownPtr<Linux::IRunLoop> loop(plugFrame);
    if (!loop)
        loop = FUnknownPtr<Linux::IRunLoop>(mPlugin.getHostContext());
    if (!loop)
        return false;
    mRunLoop = std::make_unique<Vst3RunLoop>(loop);
    mRunLoop->AddTimer(kFrameTimerPeriodMs, [] { TimerRunLoop::TickDue(); });
    return true;
}

void Vst3View::StopEventLoop() {
    mRunLoop.reset();
}

#endif

}  // namespace quendaris
