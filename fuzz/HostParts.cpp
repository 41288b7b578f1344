#include "HostParts.h"

#include <algorithm>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace quendaris::fuzz {
namespace {

template <typename Interface>
tresult AnswerOnly(Interface* self, const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, Interface::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        *obj = self;
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}  // namespace

HostileStream::HostileStream(std::vector<uint8_t> bytes, int32_t start, int32_t maxPiece,
                             int32_t failAt)
    : bytes_(std::move(bytes)),
      start_(std::clamp<int64_t>(start, 0, static_cast<int64_t>(bytes_.size()))),
      position_(start_),
      maxPiece_(maxPiece),
      failAt_(failAt) {}

tresult PLUGIN_API HostileStream::read(void* buffer, int32 numBytes, int32* numBytesRead) {
    const bool failing = failAt_ >= 0 && reads_++ >= failAt_;
    int64_t count = std::max<int64_t>(0, std::min<int64_t>(numBytes, bytes_.size() - position_));
    if (maxPiece_ > 0)
        count = std::min<int64_t>(count, maxPiece_);
    if (buffer && count > 0)
        std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(count));
    position_ += count;
    if (numBytesRead)
        *numBytesRead = static_cast<int32>(count);
    return failing ? kResultFalse : kResultOk;
}

tresult PLUGIN_API HostileStream::write(void* buffer, int32 numBytes, int32* numBytesWritten) {
    if (!buffer || numBytes < 0)
        return kInvalidArgument;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    bytes_.insert(bytes_.end(), bytes, bytes + numBytes);
    if (numBytesWritten)
        *numBytesWritten = numBytes;
    return kResultOk;
}

tresult PLUGIN_API HostileStream::seek(int64 pos, int32 mode, int64* result) {
    int64_t base = mode == kIBSeekSet ? 0 : (mode == kIBSeekCur ? position_ : bytes_.size());
    const int64_t target = base + pos;
    if (target < 0 || target > static_cast<int64_t>(bytes_.size()))
        return kResultFalse;
    position_ = target;
    if (result)
        *result = position_;
    return kResultOk;
}

tresult PLUGIN_API HostileStream::tell(int64* pos) {
    if (!pos)
        return kInvalidArgument;
    *pos = position_;
    return kResultOk;
}

tresult PLUGIN_API HostileStream::queryInterface(const TUID iid, void** obj) {
    return AnswerOnly<IBStream>(this, iid, obj);
}

int32 PLUGIN_API RawQueue::getPointCount() {
    return static_cast<int32>(points.size());
}

tresult PLUGIN_API RawQueue::getPoint(int32 index, int32& sampleOffset, ParamValue& value) {
    if (index < 0 || index >= getPointCount())
        return kResultFalse;
    sampleOffset = points[static_cast<size_t>(index)].offset;
    value = points[static_cast<size_t>(index)].value;
    return kResultOk;
}

tresult PLUGIN_API RawQueue::queryInterface(const TUID iid, void** obj) {
    return AnswerOnly<IParamValueQueue>(this, iid, obj);
}

int32 PLUGIN_API RawChanges::getParameterCount() {
    return static_cast<int32>(queues.size());
}

IParamValueQueue* PLUGIN_API RawChanges::getParameterData(int32 index) {
    if (index < 0 || index >= getParameterCount())
        return nullptr;
    return queues[static_cast<size_t>(index)];
}

tresult PLUGIN_API RawChanges::queryInterface(const TUID iid, void** obj) {
    return AnswerOnly<IParameterChanges>(this, iid, obj);
}

}  // namespace quendaris::fuzz
