#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "MessageQueue.h"
#include "PluginBase.h"
#include "Timer.h"

namespace quendaris {

// The layer every host adapter specialises: host identification, the user-interface timer,
// the message queues between audio and editor, and the edits the plug-in reports to the host.
class PluginApiBase : public PluginBase {
  public:
    static constexpr uint32_t kTimerPeriodMs = 20;
    static constexpr int kMidiQueueSlots = 33;
    static constexpr int kSysExQueueSlots = 5;
    using MidiQueue = MessageQueue<MidiMessage, kMidiQueueSlots>;
    using SysExQueue = MessageQueue<SysExMessage, kSysExQueueSlots>;

    PluginApiBase(const PluginConfig& config, ApiType apiType);
    ~PluginApiBase() override;

    void SendParamValueFromUI(int paramIdx, double normalValue) override;
    void BeginParamEditFromUI(int paramIdx) override;
    void EndParamEditFromUI(int paramIdx) override;
    bool EditorResizeFromUI(int width, int height, bool needsHostResize) override;
    bool DeferMidiMsg(const MidiMessage& msg) override;
    bool DeferSysexMsg(const SysExMessage& msg) override;

    virtual void OnHostIdentified() {}
    virtual void OnIdle() {}
    // Channel context the host may report; empty answers when it has none.
    virtual bool GetTrackColor(int& r, int& g, int& b) const;
    virtual bool GetTrackName(std::string& name) const;
    virtual int GetTrackIndex() const { return 0; }
    virtual bool GetTrackNamespace(std::string& name) const;
    virtual int GetTrackNamespaceIndex() const { return 0; }
    // Diagnostics sink; this build writes nothing.
    virtual void LogLine(const char* line) { (void)line; }
    // Towards the host; each answers false when no host is listening.
    virtual bool EditorResize(int width, int height);
    virtual bool HostBeginEdit(int paramIdx);
    virtual bool HostEndEdit(int paramIdx);
    virtual bool HostPerformEdit(int paramIdx, double normalValue);

    // Records the host and its id; version is major << 16 | minor << 8 | patch.
    void SetHost(const std::string& name, int version);

    // One user-interface tick: forwards queued processor messages to the editor, then idles.
    void OnTimer();

    bool HasEditor() const { return mHasEditor; }
    bool HostMayResize() const { return mHostMayResize; }
    ApiType GetApi() const { return mApiType; }

    // Processor side of the queues (audio thread).
    bool SendMidiMsgToEditor(const MidiMessage& msg) { return mMidiToEditor.Push(msg); }
    bool SendSysexMsgToEditor(const SysExMessage& msg) { return mSysExToEditor.Push(msg); }
    bool PopMidiMsgFromEditor(MidiMessage& msg) { return mMidiFromEditor.Pop(msg); }
    bool PopSysexMsgFromEditor(SysExMessage& msg) { return mSysExFromEditor.Pop(msg); }

  private:
    bool mHasEditor = false;
    bool mHostMayResize = false;
    ApiType mApiType = kApiNone;
    std::unique_ptr<Timer> mTimer;
    MidiQueue mMidiFromEditor;
    MidiQueue mMidiToEditor;
    SysExQueue mSysExFromEditor;
    SysExQueue mSysExToEditor;
    SysExMessage mSysExScratch;
};

}  // namespace quendaris
