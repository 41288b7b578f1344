#pragma once

// The single-component base must come first: it renames the controller's state calls so they
// do not clash with the component's.
#include "public.sdk/source/vst/vstsinglecomponenteffect.h"

#include "frame/PluginApiBase.h"
#include "pluginterfaces/vst/ivstchannelcontextinfo.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "vst3/Vst3ControllerBase.h"
#include "vst3/Vst3Parameter.h"
#include "vst3/Vst3ProcessorBase.h"

namespace quendaris {

class Vst3View;

// One object that is at once the VST3 component, audio processor and edit controller of a
// frame plug-in. A plug-in class derives from it and adds its own processing.
class Vst3Plugin : public PluginApiBase,
                   public Vst3ProcessorBase,
                   public Steinberg::Vst::SingleComponentEffect,
                   public Vst3ControllerBase,
                   public Steinberg::Vst::IMidiMapping,
                   public Steinberg::Vst::ChannelContext::IInfoListener {
  public:
    explicit Vst3Plugin(const PluginConfig& config);
    ~Vst3Plugin() override;

    // IPluginBase, IComponent
    Steinberg::tresult PLUGIN_API initialize(Steinberg::FUnknown* context) override;
    Steinberg::tresult PLUGIN_API terminate() override;
    Steinberg::tresult PLUGIN_API getBusInfo(Steinberg::Vst::MediaType type,
                                             Steinberg::Vst::BusDirection dir,
                                             Steinberg::int32 index,
                                             Steinberg::Vst::BusInfo& info) override;
    Steinberg::tresult PLUGIN_API activateBus(Steinberg::Vst::MediaType type,
                                              Steinberg::Vst::BusDirection dir,
                                              Steinberg::int32 index,
                                              Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setActive(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API setState(Steinberg::IBStream* stream) override;
    Steinberg::tresult PLUGIN_API getState(Steinberg::IBStream* stream) override;

    // IAudioProcessor, IProcessContextRequirements
    Steinberg::tresult PLUGIN_API setBusArrangements(Steinberg::Vst::SpeakerArrangement* inputs,
                                                     Steinberg::int32 numIns,
                                                     Steinberg::Vst::SpeakerArrangement* outputs,
                                                     Steinberg::int32 numOuts) override;
    Steinberg::tresult PLUGIN_API
    getBusArrangement(Steinberg::Vst::BusDirection dir, Steinberg::int32 index,
                      Steinberg::Vst::SpeakerArrangement& arrangement) override;
    Steinberg::tresult PLUGIN_API canProcessSampleSize(Steinberg::int32 sampleSize) override;
    Steinberg::uint32 PLUGIN_API getLatencySamples() override;
    Steinberg::tresult PLUGIN_API setupProcessing(Steinberg::Vst::ProcessSetup& setup) override;
    Steinberg::tresult PLUGIN_API setProcessing(Steinberg::TBool state) override;
    Steinberg::tresult PLUGIN_API process(Steinberg::Vst::ProcessData& data) override;
    Steinberg::uint32 PLUGIN_API getTailSamples() override;
    Steinberg::uint32 PLUGIN_API getProcessContextRequirements() override { return 0; }

    // IEditController, IUnitInfo. The component state is the whole state, so the
    // controller's own state calls have nothing to do.
    Steinberg::tresult PLUGIN_API setComponentState(Steinberg::IBStream* stream) override;
    Steinberg::tresult PLUGIN_API setEditorState(Steinberg::IBStream* stream) override;
    Steinberg::tresult PLUGIN_API getEditorState(Steinberg::IBStream* stream) override;
    Steinberg::tresult PLUGIN_API setParamNormalized(Steinberg::Vst::ParamID id,
                                                     Steinberg::Vst::ParamValue value) override;
    Steinberg::IPlugView* PLUGIN_API createView(Steinberg::FIDString name) override;
    Steinberg::tresult PLUGIN_API getProgramName(Steinberg::Vst::ProgramListID listId,
                                                 Steinberg::int32 index,
                                                 Steinberg::Vst::String128 name) override;

    // IMidiMapping
    Steinberg::tresult PLUGIN_API getMidiControllerAssignment(Steinberg::int32 busIndex,
                                                              Steinberg::int16 channel,
                                                              Steinberg::Vst::CtrlNumber controller,
                                                              Steinberg::Vst::ParamID& id) override;

    // IInfoListener
    Steinberg::tresult PLUGIN_API
    setChannelContextInfos(Steinberg::Vst::IAttributeList* list) override;

    // Edits towards the host, through the component handler the host gave us.
    bool HostBeginEdit(int paramIdx) override;
    bool HostEndEdit(int paramIdx) override;
    bool HostPerformEdit(int paramIdx, double normalValue) override;
    void SendParamValueFromUI(int paramIdx, double normalValue) override;
    void SendAllParamsToHost() override;
    void ParamTitlesChanged() override;
    bool EditorResize(int width, int height) override;
    HostEventLoop* GetHostEventLoop() override;
    void SetLatency(int samples) override;

    // Channel context the host reported.
    bool GetTrackColor(int& r, int& g, int& b) const override;
    bool GetTrackName(std::string& name) const override;
    int GetTrackIndex() const override { return TrackIndex(); }
    bool GetTrackNamespace(std::string& name) const override;
    int GetTrackNamespaceIndex() const override { return TrackNamespaceIndex(); }

    // The view that holds the editor; it reports itself when it attaches and when it goes.
    void ViewAttached(Vst3View* view) { mView = view; }
    void ViewDestroyed(Vst3View* view);

    OBJ_METHODS(Vst3Plugin, SingleComponentEffect)
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override;
    REFCOUNT_METHODS(SingleComponentEffect)

  protected:
    bool IsOutputBusActive(int busIndex) const override;

  private:
    void AddAudioBuses(const BusConfig& config, BusDirection dir);
    void BuildBuses();
    void BuildParametersAndUnits();
    void IdentifyHost(Steinberg::FUnknown* context);
    void SyncControllerFromParams();

    Vst3View* mView = nullptr;
    Steinberg::Vst::Parameter* ControllerParam(Steinberg::Vst::ParamID id) {
        return parameters.getParameter(id);
    }
};

}  // namespace quendaris
