// Linux side of the module entry: the SDK's ModuleEntry/ModuleExit exports run the module
// initialisers below once per load, which record where the module lives and count the load.
#include "vst3/ModuleLifetime.h"

#include <dlfcn.h>

#include <string>

#include "public.sdk/source/main/moduleinit.h"
#include "public.sdk/source/vst/utility/stringconvert.h"

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
    return Steinberg::Vst::StringConvert::convert(path);
}

const Steinberg::ModuleInitializer kAttach([] {
    RecordModule(Steinberg::getPlatformModuleHandle(), OwnFolder().c_str());
    InitDll();
});

const Steinberg::ModuleTerminator kDetach([] { ExitDll(); });

}  // namespace
}  // namespace quendaris::vst3
