#include "HostParts.h"

#include <algorithm>
#include <cstring>

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace quendaris::test {

tresult PLUGIN_API NamedHost::getName(String128 name) {
    const auto count = std::min<size_t>(name_.size(), 127);
    std::memcpy(name, name_.data(), count * sizeof(char16));
    name[count] = 0;
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::beginEdit(ParamID id) {
    edits.push_back({'b', id, 0.0});
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::performEdit(ParamID id, ParamValue value) {
    edits.push_back({'p', id, value});
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::endEdit(ParamID id) {
    edits.push_back({'e', id, 0.0});
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::restartComponent(int32 flags) {
    restarts.push_back(flags);
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::startGroupEdit() {
    edits.push_back({'{', 0, 0.0});
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::finishGroupEdit() {
    edits.push_back({'}', 0, 0.0});
    return kResultOk;
}

tresult PLUGIN_API RecordingHandler::queryInterface(const TUID iid, void** obj) {
    if (FUnknownPrivate::iidEqual(iid, IComponentHandler2::iid)) {
        *obj = static_cast<IComponentHandler2*>(this);
        return kResultOk;
    }
    if (FUnknownPrivate::iidEqual(iid, IComponentHandler::iid) ||
        FUnknownPrivate::iidEqual(iid, FUnknown::iid)) {
        *obj = static_cast<IComponentHandler*>(this);
        return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
}

}  // namespace quendaris::test
