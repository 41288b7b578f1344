#include "WindowsModuleFile.h"

#include <cstdlib>

namespace quendaris::test {

std::wstring PathFromEnvironment(const wchar_t* name) {
    wchar_t buffer[4096];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
    if (length == 0 || length >= 4096)
        return {};
    return std::wstring(buffer, length);
}

std::string NarrowPathFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

LoadedModule::LoadedModule()
    : handle_(LoadLibraryW(PathFromEnvironment(L"QUENDARIS_MODULE").c_str())) {}

LoadedModule::~LoadedModule() {
    if (handle_)
        FreeLibrary(handle_);
}

}  // namespace quendaris::test
