// What a Windows host sees of the module file itself: its three exports, the balance of its
// initialisation calls, and the editor's font carried inside it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "WindowsModuleFile.h"

namespace quendaris::test {
namespace {

using EntryFunction = bool();

TEST(WindowsModuleEntry, LoadsAndExportsTheThreeEntryPoints) {
    LoadedModule module;
    ASSERT_NE(module.Handle(), nullptr) << "LoadLibraryW failed, error " << GetLastError();
    EXPECT_NE(module.Export<void>("GetPluginFactory"), nullptr);
    EXPECT_NE(module.Export<void>("InitDll"), nullptr);
    EXPECT_NE(module.Export<void>("ExitDll"), nullptr);
}

TEST(WindowsModuleEntry, BalancedInitAndExitCallsSucceedAndOneExitTooManyFails) {
    LoadedModule module;
    ASSERT_NE(module.Handle(), nullptr);
    auto* initDll = module.Export<EntryFunction>("InitDll");
    auto* exitDll = module.Export<EntryFunction>("ExitDll");
    ASSERT_NE(initDll, nullptr);
    ASSERT_NE(exitDll, nullptr);
    EXPECT_TRUE(initDll());
    EXPECT_TRUE(initDll());
    EXPECT_TRUE(exitDll());
    EXPECT_TRUE(exitDll());
    EXPECT_FALSE(exitDll());
}

TEST(WindowsModuleEntry, ReloadingStartsTheCountAfresh) {
    {
        LoadedModule module;
        ASSERT_NE(module.Handle(), nullptr);
        EXPECT_FALSE(module.Export<EntryFunction>("ExitDll")());
    }
    LoadedModule module;
    ASSERT_NE(module.Handle(), nullptr);
    EXPECT_TRUE(module.Export<EntryFunction>("InitDll")());
    EXPECT_TRUE(module.Export<EntryFunction>("ExitDll")());
}

std::vector<char> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WindowsModuleResources, CarriesTheEditorFontUnderItsResourceName) {
    LoadedModule module;
    ASSERT_NE(module.Handle(), nullptr);
    const std::vector<char> font = FileBytes(NarrowPathFromEnvironment("QUENDARIS_FONT"));
    ASSERT_GT(font.size(), 7u);

    HRSRC resource = FindResourceA(module.Handle(), "XRoboto-Regular.ttfX", "TTF");
    ASSERT_NE(resource, nullptr);
    ASSERT_EQ(SizeofResource(module.Handle(), resource), font.size());
    const auto* data =
        static_cast<const char*>(LockResource(LoadResource(module.Handle(), resource)));
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(std::equal(font.begin(), font.end(), data));
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    if (!IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(name);
    return TRUE;
}

TEST(WindowsModuleResources, StoresNamesInUpperCaseWithTheirWrappingCharacters) {
    LoadedModule module;
    ASSERT_NE(module.Handle(), nullptr);
    std::vector<std::wstring> names;
    EnumResourceNamesW(module.Handle(), L"TTF", &CollectName, reinterpret_cast<LONG_PTR>(&names));
    EXPECT_EQ(names, std::vector<std::wstring>{L"XROBOTO-REGULAR.TTFX"});
}

}  // namespace
}  // namespace quendaris::test
