#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ByteChunk.h"
#include "GraphicsEditorDelegate.h"
#include "HostId.h"
#include "PluginConfig.h"

namespace quendaris {

// One stored preset: its name and the state captured the first time it was recalled.
struct PresetSlot {
    bool initialised = false;
    char name[256] = {};
    ByteChunk state;
};

// Format-independent identity, parameters, presets and state of a plug-in.
class PluginBase : public GraphicsEditorDelegate {
  public:
    explicit PluginBase(const PluginConfig& config);
    ~PluginBase() override;

    // Hook for hosts that show parameter titles; the API base tells the host.
    virtual void ParamTitlesChanged() {}
    virtual bool WriteState(ByteChunk& chunk) const;
    virtual int ReadState(const ByteChunk& chunk, int startPos);
    virtual void OnPresetStoreChanged() {}

    // Appends every parameter's value as a little-endian double, index 0 first.
    bool SerializeParams(ByteChunk& chunk) const;
    // Restores values from startPos on; returns the position after the last one read, or -1
    // when the chunk ends early (the values it did cover are kept). Always notifies every
    // parameter with the preset source.
    int UnserializeParams(const ByteChunk& chunk, int startPos);

    bool RecallPreset(int index);
    // The empty text for an index outside the preset list.
    const char* PresetName(int index) const;
    int NPresets() const { return static_cast<int>(mPresets.size()); }
    int CurrentPresetIdx() const { return mCurrentPresetIdx; }
    bool DoesStateChunks() const { return mDoesStateChunks; }

    const std::string& PluginName() const { return mPluginName; }
    const std::string& ProductName() const { return mProductName; }
    const std::string& MfrName() const { return mMfrName; }
    int UniqueId() const { return mUniqueId; }
    int MfrId() const { return mMfrId; }
    int VendorVersion() const { return mVendorVersion; }
    const std::string& BundleId() const { return mBundleId; }
    const std::string& AppGroupId() const { return mAppGroupId; }

    HostId GetHost() const { return mHostId; }
    int HostVersion() const { return mHostVersion; }
    const std::string& HostName() const { return mHostName; }

    // Group names in the order first met; filled by the host adapter as it builds units.
    int NParamGroups() const { return static_cast<int>(mParamGroups.size()); }
    const char* ParamGroupName(int index) const;
    // Position of the group (0-based), appending it when new; -1 for the empty group.
    int AddParamGroup(const char* name);

  protected:
    void SetHostInfo(const std::string& name, HostId id, int version);

  private:
    int mCurrentPresetIdx = 0;
    bool mDoesStateChunks = false;
    std::string mPluginName;
    std::string mProductName;
    std::string mMfrName;
    int mUniqueId = 0;
    int mMfrId = 0;
    int mVendorVersion = 0;
    int mHostVersion = 0;
    HostId mHostId = kHostUninit;
    std::string mHostName;
    std::string mBundleId;
    std::string mAppGroupId;
    std::vector<std::string> mParamGroups;
    std::vector<std::unique_ptr<PresetSlot>> mPresets;
};

}  // namespace quendaris
