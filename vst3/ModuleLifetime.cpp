#include "ModuleLifetime.h"

#include <atomic>

namespace quendaris::vst3 {
namespace {

void* gModuleHandle = nullptr;
void* gResourceHandle = nullptr;
char16_t gModuleFolder[kModuleFolderCapacity] = {};
std::atomic<int32_t> gInitCount{0};

}  // namespace

void RecordModule(void* moduleHandle, const char16_t* folder) {
    gModuleHandle = moduleHandle;
    int length = 0;
    if (folder) {
        while (length < kModuleFolderCapacity - 1 && folder[length] != 0) {
            gModuleFolder[length] = folder[length];
            ++length;
        }
    }
    gModuleFolder[length] = 0;
}

void* ModuleHandle() {
    return gModuleHandle;
}

void* ResourceHandle() {
    return gResourceHandle;
}

const char16_t* ModuleFolder() {
    return gModuleFolder;
}

bool InitDll() {
    if (++gInitCount == 1)
        gResourceHandle = gModuleHandle;
    return true;
}

bool ExitDll() {
    // More exits than inits is the host's fault: report it, and keep the count at zero so a
    // later initialisation is again the first.
    int32_t count = gInitCount.load();
    while (count > 0 && !gInitCount.compare_exchange_weak(count, count - 1)) {
    }
    return count > 0;
}

int32_t InitCount() {
    return gInitCount.load();
}

}  // namespace quendaris::vst3
