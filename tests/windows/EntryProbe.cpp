// Built into a small test module together with the real library entry, so a test can read
// what the entry recorded when the loader attached it.
#include "pluginterfaces/base/fplatform.h"
#include "vst3/ModuleLifetime.h"

extern "C" {

SMTG_EXPORT_SYMBOL void* ProbeModuleHandle() {
    return quendaris::vst3::ModuleHandle();
}

SMTG_EXPORT_SYMBOL void* ProbeResourceHandle() {
    return quendaris::vst3::ResourceHandle();
}

SMTG_EXPORT_SYMBOL const char16_t* ProbeModuleFolder() {
    return quendaris::vst3::ModuleFolder();
}

}  // extern "C"
