#include "PluginBase.h"

#include <cstdio>
#include <cstring>

namespace quendaris {

PluginBase::PluginBase(const PluginConfig& config)
    : GraphicsEditorDelegate(config.nParams),
      mDoesStateChunks(config.doesStateChunks),
      mPluginName(config.pluginName),
      mProductName(config.productName),
      mMfrName(config.mfrName),
      mUniqueId(config.uniqueId),
      mMfrId(config.mfrId),
      mVendorVersion(config.vendorVersion),
      mBundleId(config.bundleId),
      mAppGroupId(config.appGroupId) {
    SetEditorSize(config.editorWidth, config.editorHeight);
    SetSizeConstraints(config.editorWidthLimitA, config.editorWidthLimitB,
                       config.editorHeightLimitA, config.editorHeightLimitB);
    for (int i = 0; i < config.nPresets; ++i) {
        auto slot = std::make_unique<PresetSlot>();
        std::snprintf(slot->name, sizeof slot->name, "%s", "empty");
        mPresets.push_back(std::move(slot));
    }
}

PluginBase::~PluginBase() = default;

bool PluginBase::WriteState(ByteChunk& chunk) const {
    return SerializeParams(chunk);
}

int PluginBase::ReadState(const ByteChunk& chunk, int startPos) {
    return UnserializeParams(chunk, startPos);
}

bool PluginBase::SerializeParams(ByteChunk& chunk) const {
    for (int i = 0; i < NParams(); ++i) {
        if (chunk.PutDoubleLE(GetParam(i)->Value()) <= 0)
            return false;
    }
    return true;
}

int PluginBase::UnserializeParams(const ByteChunk& chunk, int startPos) {
    int pos = startPos < 0 ? -1 : startPos;
    for (int i = 0; i < NParams() && pos >= 0; ++i) {
        double value = 0.0;
        pos = chunk.GetDoubleLE(value, pos);
        if (pos >= 0)
            GetParam(i)->SetValue(value);
    }
    NotifyAllParamsChanged(kPresetRecall);
    return pos;
}

bool PluginBase::RecallPreset(int index) {
    if (index < 0 || index >= NPresets())
        return false;
    PresetSlot& slot = *mPresets[static_cast<size_t>(index)];
    bool result;
    if (slot.initialised) {
        result = ReadState(slot.state, 0) > 0;
    } else {
        slot.initialised = true;
        int userPresets = 0;
        for (const auto& other : mPresets) {
            if (std::strstr(other->name, "user preset"))
                ++userPresets;
        }
        std::snprintf(slot.name, sizeof slot.name, "%s %d", "user preset", userPresets + 1);
        slot.state.Clear();
        result = WriteState(slot.state);
    }
    if (result) {
        mCurrentPresetIdx = index;
        OnPresetStoreChanged();
        OnStateRestored();
    }
    return result;
}

const char* PluginBase::PresetName(int index) const {
    if (index < 0 || index >= NPresets())
        return "";
    return mPresets[static_cast<size_t>(index)]->name;
}

const char* PluginBase::ParamGroupName(int index) const {
    if (index < 0 || index >= NParamGroups())
        return "";
    return mParamGroups[static_cast<size_t>(index)].c_str();
}

int PluginBase::AddParamGroup(const char* name) {
    if (!name || !*name)
        return -1;
    for (int i = NParamGroups() - 1; i >= 0; --i) {
        if (mParamGroups[static_cast<size_t>(i)] == name)
            return i;
    }
    mParamGroups.emplace_back(name);
    return NParamGroups() - 1;
}

void PluginBase::SetHostInfo(const std::string& name, HostId id, int version) {
    mHostName = name;
    mHostId = id;
    mHostVersion = version;
}

}  // namespace quendaris
