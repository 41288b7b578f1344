#pragma once

#include <cstdint>

// Process-wide state of the loaded module: who loaded us, where we live, and how many
// initialisation calls the host has made. Platform entry code records the handle and folder.
namespace quendaris::vst3 {

constexpr int kModuleFolderCapacity = 260;

// Called by the platform's library entry when the module is attached to the process.
// The folder is the module's own folder, ending with a path separator; it may be null.
void RecordModule(void* moduleHandle, const char16_t* folder);

void* ModuleHandle();
// Set from the module handle by the first InitDll; the editor loads its resources through it.
void* ResourceHandle();
// The module's folder with a trailing separator, or the empty text when it is unknown.
const char16_t* ModuleFolder();

bool InitDll();
// Safe to call any number of times, also during process exit: it touches only plain counters.
bool ExitDll();
int32_t InitCount();

}  // namespace quendaris::vst3
