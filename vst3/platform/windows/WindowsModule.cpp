// Windows side of the module entry: the loader's attach call records where the module lives,
// and the host's InitDll/ExitDll exports count its initialisations.
#include <windows.h>

#include "pluginterfaces/base/fplatform.h"
#include "vst3/ModuleLifetime.h"

namespace quendaris::vst3 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

// Fills folder with the module's full file name cut just after its last backslash. A name that
// does not fit the buffer would give a wrong folder, so it leaves the folder empty instead.
void ReadModuleFolder(HMODULE module, char16_t (&folder)[kModuleFolderCapacity]) {
    const DWORD length =
        GetModuleFileNameW(module, reinterpret_cast<wchar_t*>(folder), kModuleFolderCapacity);
    if (length > 0 && length < static_cast<DWORD>(kModuleFolderCapacity)) {
        for (DWORD i = length; i > 0; --i) {
            if (folder[i - 1] == u'\\') {
                folder[i] = 0;
                return;
            }
        }
    }
    folder[0] = 0;
}

}  // namespace
}  // namespace quendaris::vst3

extern "C" {

SMTG_EXPORT_SYMBOL bool InitDll() {
    return quendaris::vst3::InitDll();
}

SMTG_EXPORT_SYMBOL bool ExitDll() {
    return quendaris::vst3::ExitDll();
}

// Attach only records; the module reports success even when its file name cannot be read.
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        char16_t folder[quendaris::vst3::kModuleFolderCapacity];
        quendaris::vst3::ReadModuleFolder(instance, folder);
        quendaris::vst3::RecordModule(instance, folder);
    }
    return TRUE;
}

}  // extern "C"
