#include "PluginApiBase.h"

#include <cstdio>

namespace quendaris {

PluginApiBase::PluginApiBase(const PluginConfig& config, ApiType apiType)
    : PluginBase(config),
      mHasEditor(config.hasEditor),
      mHostMayResize(config.hostMayResize),
      mApiType(apiType) {
    mTimer = Timer::Create([this](Timer&) { OnTimer(); }, kTimerPeriodMs);
}

// The timer goes first so no tick reaches a half-destroyed object.
PluginApiBase::~PluginApiBase() {
    mTimer.reset();
}

void PluginApiBase::SendParamValueFromUI(int paramIdx, double normalValue) {
    Param* param = GetParam(paramIdx);
    if (!param)
        return;
    param->SetNormal(normalValue);
    HostPerformEdit(paramIdx, normalValue);
    OnParamChange(paramIdx, kUI, -1);
    param->SetNormal(normalValue);
    OnParamChangeUI(paramIdx, kUI);
}

void PluginApiBase::BeginParamEditFromUI(int paramIdx) {
    HostBeginEdit(paramIdx);
}

void PluginApiBase::EndParamEditFromUI(int paramIdx) {
    HostEndEdit(paramIdx);
}

bool PluginApiBase::EditorResizeFromUI(int width, int height, bool needsHostResize) {
    return needsHostResize ? EditorResize(width, height) : true;
}

bool PluginApiBase::DeferMidiMsg(const MidiMessage& msg) {
    return mMidiFromEditor.Push(msg);
}

bool PluginApiBase::DeferSysexMsg(const SysExMessage& msg) {
    return mSysExFromEditor.Push(msg);
}

bool PluginApiBase::GetTrackColor(int& r, int& g, int& b) const {
    r = g = b = 0;
    return false;
}

bool PluginApiBase::GetTrackName(std::string& name) const {
    name.clear();
    return false;
}

bool PluginApiBase::GetTrackNamespace(std::string& name) const {
    name.clear();
    return false;
}

bool PluginApiBase::EditorResize(int width, int height) {
    (void)width;
    (void)height;
    return false;
}

bool PluginApiBase::HostBeginEdit(int paramIdx) {
    (void)paramIdx;
    return false;
}

bool PluginApiBase::HostEndEdit(int paramIdx) {
    (void)paramIdx;
    return false;
}

bool PluginApiBase::HostPerformEdit(int paramIdx, double normalValue) {
    (void)paramIdx;
    (void)normalValue;
    return false;
}

void PluginApiBase::SetHost(const std::string& name, int version) {
    HostId id = ComputeHostId(name);
    SetHostInfo(name, id, version);
    char versionText[32];
    std::snprintf(versionText, sizeof versionText, "v%d.%d.%d", version >> 16, (version >> 8) & 255,
                  version & 255);
    char line[512];
    std::snprintf(line, sizeof line, "host_%sknown:%s:%s", id == kHostUnknown ? "un" : "",
                  name.c_str(), versionText);
    LogLine(line);
    OnHostIdentified();
}

void PluginApiBase::OnTimer() {
    MidiMessage midi;
    while (mMidiToEditor.Pop(midi))
        SendMidiMsgFromDelegate(midi);
    while (mSysExToEditor.Pop(mSysExScratch))
        SendSysexMsgFromDelegate(mSysExScratch);
    OnIdle();
}

}  // namespace quendaris
