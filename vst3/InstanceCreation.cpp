#include <new>

#include "plugin/Brisvale.h"
#include "vst3/CreationLock.h"
#include "vst3/PluginFactory.h"

namespace quendaris::vst3 {

Steinberg::FUnknown* CreateEffectInstance(void*) {
    CreationLockGuard lock;
    try {
        auto* plugin = new Brisvale(InstanceInfo{});
        return static_cast<Steinberg::Vst::IAudioProcessor*>(plugin);
    } catch (...) {
        // Nothing may escape towards the host; a failed construction is reported as null.
        return nullptr;
    }
}

}  // namespace quendaris::vst3
