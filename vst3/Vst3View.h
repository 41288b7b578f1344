#pragma once

#include <memory>

#include "graphics/EditorHost.h"
#include "pluginterfaces/gui/iplugviewcontentscalesupport.h"
#include "public.sdk/source/common/pluginview.h"

namespace quendaris {

class HostEventLoop;
class Vst3Plugin;
class Vst3RunLoop;

// The editor view the host embeds: opens the plug-in's editor in the host's window and passes
// keys, scale and size requests between host and editor, and opens the host's context menus
// for the editor's controls. Keeps its plug-in alive.
class Vst3View : public Steinberg::CPluginView,
                 public Steinberg::IPlugViewContentScaleSupport,
                 public EditorHost {
  public:
    explicit Vst3View(Vst3Plugin& plugin);
    ~Vst3View() override;

    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API removed() override;
    Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;
    Steinberg::tresult PLUGIN_API canResize() override;
    Steinberg::tresult PLUGIN_API checkSizeConstraint(Steinberg::ViewRect* rect) override;
    Steinberg::tresult PLUGIN_API setFrame(Steinberg::IPlugFrame* frame) override;
    Steinberg::tresult PLUGIN_API onKeyDown(Steinberg::char16 key, Steinberg::int16 keyCode,
                                            Steinberg::int16 modifiers) override;
    Steinberg::tresult PLUGIN_API onKeyUp(Steinberg::char16 key, Steinberg::int16 keyCode,
                                          Steinberg::int16 modifiers) override;
    Steinberg::tresult PLUGIN_API onWheel(float distance) override;
    Steinberg::tresult PLUGIN_API onFocus(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setContentScaleFactor(ScaleFactor factor) override;

    bool PopupHostContextMenu(int paramIdx, int x, int y, const std::vector<ContextMenuItem>& items,
                              Steinberg::Vst::IContextMenuTarget* target) override;

    // Asks the host frame to give the view a new size in pixels; false without a frame.
    bool RequestResize(int width, int height);
    // The host's run loop while the view is attached (Linux), else null.
    HostEventLoop* EventLoop();

    OBJ_METHODS(Vst3View, CPluginView)
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    REFCOUNT_METHODS(CPluginView)

  private:
    void ConnectEditorHost(bool connect);
    bool StartEventLoop();
    void StopEventLoop();
    Steinberg::tresult DeliverKey(Steinberg::char16 key, Steinberg::int16 keyCode,
                                  Steinberg::int16 modifiers, bool down);

    Vst3Plugin& mPlugin;
    float mHostScale = 0.0f;
#if !defined(_WIN32)
    std::unique_ptr<Vst3RunLoop> mRunLoop;
#endif
};

}  // namespace quendaris
