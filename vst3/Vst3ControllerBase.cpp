#include "vst3/Vst3ControllerBase.h"

#include <vector>

#include "vst3/HostText.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace quendaris {
namespace {

// Longest channel text we accept; a host announcing more is cut rather than trusted.
constexpr int64 kMaxChannelTextLength = 4096;

// Reads a text attribute whose length the host announces under a separate key.
bool ReadSizedText(IAttributeList& list, IAttributeList::AttrID lengthKey,
                   IAttributeList::AttrID textKey, std::string& out) {
    int64 length = 0;
    if (list.getInt(lengthKey, length) != kResultTrue)
        return false;
    if (length < 0)
        length = 0;
    if (length > kMaxChannelTextLength)
        length = kMaxChannelTextLength;
    std::vector<TChar> text(static_cast<size_t>(length) + 1, 0);
    const auto bytes = static_cast<uint32>(text.size() * sizeof(TChar));
    if (list.getString(textKey, text.data(), bytes) != kResultTrue)
        return false;
    out = vst3::Utf16ToUtf8(text.data(), text.size() - 1);
    return true;
}

}  // namespace

tresult Vst3ControllerBase::ReadChannelContext(IAttributeList* list) {
    if (!list)
        return kResultFalse;
    ReadSizedText(*list, ChannelContext::kChannelNameLengthKey, ChannelContext::kChannelNameKey,
                  mTrackName);
    ReadSizedText(*list, ChannelContext::kChannelUIDLengthKey, ChannelContext::kChannelUIDKey,
                  mTrackUid);
    int64 value = 0;
    if (list->getInt(ChannelContext::kChannelIndexKey, value) == kResultTrue)
        mTrackIndex = static_cast<int32_t>(value);
    if (list->getInt(ChannelContext::kChannelColorKey, value) == kResultTrue)
        mTrackColour = static_cast<uint32_t>(value);
    if (list->getInt(ChannelContext::kChannelIndexNamespaceOrderKey, value) == kResultTrue)
        mTrackNamespaceIndex = static_cast<int32_t>(value);
    ReadSizedText(*list, ChannelContext::kChannelIndexNamespaceLengthKey,
                  ChannelContext::kChannelIndexNamespaceKey, mTrackNamespace);
    return kResultOk;
}

void Vst3ControllerBase::TrackColourRgb(uint8_t& red, uint8_t& green, uint8_t& blue) const {
    blue = static_cast<uint8_t>(mTrackColour & 0xFF);
    green = static_cast<uint8_t>((mTrackColour >> 8) & 0xFF);
    red = static_cast<uint8_t>((mTrackColour >> 16) & 0xFF);
}

}  // namespace quendaris
