#include "vst3/PluginFactory.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "public.sdk/source/main/pluginfactory.h"

using Steinberg::PClassInfo;
using Steinberg::PClassInfo2;
using Steinberg::PFactoryInfo;

namespace quendaris::vst3 {
namespace {

const PClassInfo2& EffectClassInfo() {
    // A function-local static gives the thread-safe, once-per-process fill.
    static const PClassInfo2 info = [] {
        const Steinberg::TUID cid =
            INLINE_UID(kClassIdWord1, kClassIdWord2, kManufacturerId, kUniqueId);
        // The constructor zero-fills every field and cuts texts at their field size.
        return PClassInfo2(cid, PClassInfo::kManyInstances, kVstAudioEffectClass, kClassName,
                           Steinberg::Vst::kSimpleModeSupported, kSubCategories, nullptr,
                           kClassVersion, kSdkVersion);
    }();
    return info;
}

// The SDK factory keeps the host context it is given (a Linux run loop) in a process-wide
// reference. Dropping it with the factory keeps that reference from outliving the host, which
// would otherwise release it during process exit, after the host has destroyed it.
class ModuleFactory : public Steinberg::CPluginFactory {
  public:
    using CPluginFactory::CPluginFactory;
    ~ModuleFactory() override { CPluginFactory::setHostContext(nullptr); }
};

Steinberg::CPluginFactory* CreateFactory() {
    static const PFactoryInfo factoryInfo(kVendor, "", "", PFactoryInfo::kUnicode);
    auto* factory = new ModuleFactory(factoryInfo);
    factory->registerClass(&EffectClassInfo(), &CreateEffectInstance, nullptr);
    return factory;
}

}  // namespace
}  // namespace quendaris::vst3

extern "C" SMTG_EXPORT_SYMBOL Steinberg::IPluginFactory* PLUGIN_API GetPluginFactory() {
    using Steinberg::gPluginFactory;
    if (gPluginFactory) {
        gPluginFactory->addRef();
        return gPluginFactory;
    }
    gPluginFactory = quendaris::vst3::CreateFactory();
    return gPluginFactory;
}
