// What the library entry records when Windows attaches the module: its own handle, its folder
// (the full file name cut after the last backslash) and, from the first InitDll on, the handle
// the editor loads its resources through.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "WindowsModuleFile.h"

namespace quendaris::test {
namespace {

using HandleProbe = void*();
using FolderProbe = const char16_t*();
using EntryFunction = bool();

class ProbeModule {
  public:
    explicit ProbeModule(const std::wstring& path) : handle_(LoadLibraryW(path.c_str())) {}
    ~ProbeModule() {
        if (handle_)
            FreeLibrary(handle_);
    }
    ProbeModule(const ProbeModule&) = delete;
    ProbeModule& operator=(const ProbeModule&) = delete;

    HMODULE Handle() const { return handle_; }
    template <typename Function>
    Function* Export(const char* name) const {
        return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(handle_, name)));
    }
    std::u16string Folder() const {
        return std::u16string(Export<FolderProbe>("ProbeModuleFolder")());
    }

  private:
    HMODULE handle_;
};

std::wstring ProbePath() {
    return PathFromEnvironment(L"QUENDARIS_ENTRY_PROBE");
}

// The folder Windows itself reports for the loaded module, with its trailing backslash.
std::u16string FolderOf(HMODULE module) {
    wchar_t name[MAX_PATH];
    const DWORD length = GetModuleFileNameW(module, name, MAX_PATH);
    std::wstring path(name, length);
    path.resize(path.find_last_of(L'\\') + 1);
    return std::u16string(path.begin(), path.end());
}

TEST(WindowsLibraryEntry, RecordsItsOwnHandleAndFolderOnAttach) {
    ProbeModule module(ProbePath());
    ASSERT_NE(module.Handle(), nullptr) << "error " << GetLastError();
    EXPECT_EQ(module.Export<HandleProbe>("ProbeModuleHandle")(), module.Handle());
    const std::u16string folder = module.Folder();
    EXPECT_EQ(folder, FolderOf(module.Handle()));
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), u'\\');
}

TEST(WindowsLibraryEntry, ResourceHandleIsSetByTheFirstInitDllAndKept) {
    ProbeModule module(ProbePath());
    ASSERT_NE(module.Handle(), nullptr);
    auto* resourceHandle = module.Export<HandleProbe>("ProbeResourceHandle");
    EXPECT_EQ(resourceHandle(), nullptr);
    EXPECT_TRUE(module.Export<EntryFunction>("InitDll")());
    EXPECT_EQ(resourceHandle(), module.Handle());
    EXPECT_TRUE(module.Export<EntryFunction>("InitDll")());
    EXPECT_TRUE(module.Export<EntryFunction>("ExitDll")());
    EXPECT_TRUE(module.Export<EntryFunction>("ExitDll")());
    EXPECT_EQ(resourceHandle(), module.Handle());
}

// A folder deeper than the 260-unit buffer must not be cut to a wrong, shorter folder.
TEST(WindowsLibraryEntry, AFolderTooLongForItsBufferIsLeftEmpty) {
    wchar_t* workingFolder = _wgetcwd(nullptr, 0);
    ASSERT_NE(workingFolder, nullptr);
    std::vector<std::wstring> folders{L"\\\\?\\" + std::wstring(workingFolder)};
    std::free(workingFolder);
    for (int i = 0; i < 6; ++i) {
        folders.push_back(folders.back() +
                          L"\\deep-folder-for-a-module-file-name-longer-than-the-buffer-" +
                          std::to_wstring(i));
        CreateDirectoryW(folders.back().c_str(), nullptr);
    }
    const std::wstring copy = folders.back() + L"\\quendaris-entry-probe.dll";
    ASSERT_TRUE(CopyFileW(ProbePath().c_str(), copy.c_str(), FALSE)) << "error " << GetLastError();
    {
        ProbeModule module(copy);
        ASSERT_NE(module.Handle(), nullptr) << "error " << GetLastError();
        wchar_t name[1024];
        ASSERT_GT(GetModuleFileNameW(module.Handle(), name, 1024), 260u);
        EXPECT_EQ(module.Folder(), u"");
    }
    DeleteFileW(copy.c_str());
    for (size_t i = folders.size() - 1; i > 0; --i)
        RemoveDirectoryW(folders[i].c_str());
}

}  // namespace
}  // namespace quendaris::test
