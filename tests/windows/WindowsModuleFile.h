#pragma once

// The built module, loaded the way a Windows host loads it, and the files the tests compare
// it with. Paths come from the test's environment (set by the build).
#include <windows.h>

#include <string>

namespace quendaris::test {

// A path from an environment variable, or the empty text when it is not set.
std::wstring PathFromEnvironment(const wchar_t* name);
std::string NarrowPathFromEnvironment(const char* name);

// Loads the module on construction and unloads it on destruction, so each test starts from a
// freshly attached module.
class LoadedModule {
  public:
    LoadedModule();
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    HMODULE Handle() const { return handle_; }

    template <typename Function>
    Function* Export(const char* name) const {
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(handle_, name)));
    }

  private:
    HMODULE handle_;
};

}  // namespace quendaris::test
