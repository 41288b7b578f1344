#pragma once

#include <cstdint>
#include <string>

#include "pluginterfaces/vst/ivstchannelcontextinfo.h"

namespace Steinberg::Vst {
class ParameterContainer;
}

namespace quendaris {

class Vst3BypassParameter;

// Controller-side state beside the SDK's edit controller: the parameter container, the bypass
// switch and what the host told us about the channel the instance sits on.
class Vst3ControllerBase {
  public:
    // Reads the host's channel attributes; attributes that are absent keep their old values.
    Steinberg::tresult ReadChannelContext(Steinberg::Vst::IAttributeList* list);

    const std::string& TrackName() const { return mTrackName; }
    const std::string& TrackNamespace() const { return mTrackNamespace; }
    const std::string& TrackUid() const { return mTrackUid; }
    int32_t TrackNamespaceIndex() const { return mTrackNamespaceIndex; }
    int32_t TrackIndex() const { return mTrackIndex; }
    // Colour bytes as the host packs them: blue, green, red, alpha from the low byte up.
    uint32_t TrackColour() const { return mTrackColour; }
    void TrackColourRgb(uint8_t& red, uint8_t& green, uint8_t& blue) const;

  protected:
    Steinberg::Vst::ParameterContainer* mParameters = nullptr;
    Vst3BypassParameter* mBypassParameter = nullptr;

  private:
    std::string mTrackName;
    std::string mTrackNamespace;
    std::string mTrackUid;
    int32_t mTrackNamespaceIndex = 0;
    int32_t mTrackIndex = 0;
    uint32_t mTrackColour = 0;
};

}  // namespace quendaris
