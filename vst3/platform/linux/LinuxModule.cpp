// Linux side of the module entry: the ModuleEntry/ModuleExit exports a host calls around its
// use of the module. They record where the module lives and count the host's initialisations.
//
// A host may call ModuleExit more often than ModuleEntry, or from its own static destructors
// after this library's static objects are gone, so both touch only trivially destructible
// globals and an extra exit is refused without disturbing the count.
#include <dlfcn.h>

#include <string>

#include "pluginterfaces/base/fplatform.h"
#include "vst3/HostText.h"
#include "vst3/ModuleLifetime.h"

namespace quendaris::vst3 {
namespace {

// The folder of the shared object that contains this function, with a trailing '/'.
std::u16string OwnFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OwnFolder), &info) == 0 || !info.dli_fname)
        return {};
    std::string path = info.dli_fname;
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    path.resize(slash + 1);
    return Utf8ToUtf16(path);
}

void RecordOwnModule(void* handle) {
    try {
        RecordModule(handle, OwnFolder().c_str());
    } catch (...) {
        // Without its folder the module still works; only resource lookups lose their base.
        RecordModule(handle, nullptr);
    }
}

}  // namespace
}  // namespace quendaris::vst3

extern "C" {

SMTG_EXPORT_SYMBOL bool ModuleEntry(void* sharedLibraryHandle) {
    using namespace quendaris::vst3;
    if (InitCount() == 0)
        RecordOwnModule(sharedLibraryHandle);
    return InitDll();
}

SMTG_EXPORT_SYMBOL bool ModuleExit() {
    return quendaris::vst3::ExitDll();
}

}  // extern "C"
