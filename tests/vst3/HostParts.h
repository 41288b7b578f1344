#pragma once

// Host-side pieces shared by the tests: a host with a chosen name and a component handler
// that records what the plug-in tells the host.
#include <string>
#include <vector>

#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "public.sdk/source/vst/hosting/hostclasses.h"

namespace quendaris::test {

using Steinberg::int32;
using Steinberg::tresult;
using Steinberg::Vst::ParamID;
using Steinberg::Vst::ParamValue;

// A host application whose name can be chosen, so host-specific behaviour can be reached.
class NamedHost : public Steinberg::Vst::HostApplication {
  public:
    explicit NamedHost(std::u16string name) : name_(std::move(name)) {}
    tresult PLUGIN_API getName(Steinberg::Vst::String128 name) override;

  private:
    std::u16string name_;
};

// Records every edit the plug-in sends towards the host.
class RecordingHandler : public Steinberg::Vst::IComponentHandler,
                         public Steinberg::Vst::IComponentHandler2 {
  public:
    struct Edit {
        char kind;  // 'b' begin, 'p' perform, 'e' end, '{' group start, '}' group end
        ParamID id;
        ParamValue value;
    };
    std::vector<Edit> edits;
    std::vector<int32> restarts;

    tresult PLUGIN_API beginEdit(ParamID id) override;
    tresult PLUGIN_API performEdit(ParamID id, ParamValue value) override;
    tresult PLUGIN_API endEdit(ParamID id) override;
    tresult PLUGIN_API restartComponent(int32 flags) override;
    tresult PLUGIN_API setDirty(Steinberg::TBool) override { return Steinberg::kResultOk; }
    tresult PLUGIN_API requestOpenEditor(Steinberg::FIDString) override {
        return Steinberg::kResultOk;
    }
    tresult PLUGIN_API startGroupEdit() override;
    tresult PLUGIN_API finishGroupEdit() override;

    tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }
};

}  // namespace quendaris::test
