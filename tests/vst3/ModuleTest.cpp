// What a host sees when it loads the module and reads its factory.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>

#include "TestHost.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "vst3/ModuleLifetime.h"

#if SMTG_OS_WINDOWS
#include <windows.h>
#else
#include <dlfcn.h>
#endif

using namespace Steinberg;
using namespace quendaris::test;

namespace {

IPluginFactory* RawFactory() {
    return Factory().get().get();
}

// The class id as the SDK lays it out on this platform.
std::array<uint8, 16> ExpectedClassId() {
#if COM_COMPATIBLE
    return {0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F,
            0x4F, 0x62, 0x66, 0x77, 0x51, 0x6E, 0x64, 0x73};
#else
    return {0xF2, 0xAE, 0xE7, 0x0D, 0x00, 0xDE, 0x4F, 0x4E,
            0x4F, 0x62, 0x66, 0x77, 0x51, 0x6E, 0x64, 0x73};
#endif
}

std::string Utf8(const char16* text) {
    std::string out;
    for (; *text; ++text)
        out.push_back(static_cast<char>(*text));
    return out;
}

// True when every byte after the text's terminator is zero.
template <size_t N>
bool ZeroFilledAfterText(const char (&field)[N]) {
    size_t i = std::strlen(field);
    for (; i < N; ++i)
        if (field[i] != 0)
            return false;
    return true;
}

}  // namespace

TEST(ModuleFactory, ReportsTheVendorWithUnicodeFlag) {
    PFactoryInfo info{};
    ASSERT_EQ(RawFactory()->getFactoryInfo(&info), kResultOk);
    EXPECT_STREQ(info.vendor, "Obelin Fieldworks");
    EXPECT_STREQ(info.url, "");
    EXPECT_STREQ(info.email, "");
    EXPECT_EQ(info.flags, 16);
}

TEST(ModuleFactory, OffersExactlyOneEffectClass) {
    EXPECT_EQ(RawFactory()->countClasses(), 1);
    PClassInfo info{};
    EXPECT_EQ(RawFactory()->getClassInfo(0, &info), kResultOk);
    EXPECT_NE(RawFactory()->getClassInfo(1, &info), kResultOk);
}

TEST(ModuleFactory, ClassInfoCarriesTheListedValues) {
    IPluginFactory2* factory2 = nullptr;
    ASSERT_EQ(RawFactory()->queryInterface(IPluginFactory2::iid, (void**)&factory2), kResultOk);
    PClassInfo2 info{};
    ASSERT_EQ(factory2->getClassInfo2(0, &info), kResultOk);
    factory2->release();

    const auto expectedId = ExpectedClassId();
    EXPECT_EQ(std::memcmp(info.cid, expectedId.data(), 16), 0);
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_STREQ(info.name, "QUENDARIS");
    EXPECT_EQ(info.classFlags, 2u);
    EXPECT_STREQ(info.subCategories, "Fx|Filter");
    EXPECT_STREQ(info.vendor, "");
    EXPECT_STREQ(info.version, "1.0.0");
    EXPECT_STREQ(info.sdkVersion, "VST 3.8.0");
    EXPECT_TRUE(ZeroFilledAfterText(info.category));
    EXPECT_TRUE(ZeroFilledAfterText(info.name));
    EXPECT_TRUE(ZeroFilledAfterText(info.subCategories));
    EXPECT_TRUE(ZeroFilledAfterText(info.sdkVersion));
}

TEST(ModuleFactory, UnicodeClassInfoMatchesTheEightBitForm) {
    IPluginFactory3* factory3 = nullptr;
    ASSERT_EQ(RawFactory()->queryInterface(IPluginFactory3::iid, (void**)&factory3), kResultOk);
    PClassInfoW info{};
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &info), kResultOk);
    factory3->release();

    const auto expectedId = ExpectedClassId();
    EXPECT_EQ(std::memcmp(info.cid, expectedId.data(), 16), 0);
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_EQ(Utf8(info.name), "QUENDARIS");
    EXPECT_EQ(info.classFlags, 2u);
    EXPECT_STREQ(info.subCategories, "Fx|Filter");
    EXPECT_EQ(Utf8(info.vendor), "");
    EXPECT_EQ(Utf8(info.version), "1.0.0");
    EXPECT_EQ(Utf8(info.sdkVersion), "VST 3.8.0");
}

TEST(ModuleFactory, SecondRequestReturnsTheSameFactoryWithAReference) {
    LoadedModule();
    // A second handle on the already loaded library, to call its export directly.
#if SMTG_OS_WINDOWS
    HMODULE library = LoadLibraryA(QUENDARIS_TEST_LIBRARY);
    ASSERT_NE(library, nullptr);
    auto getFactory = reinterpret_cast<IPluginFactory* (*)()>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetPluginFactory")));
#else
    void* library = dlopen(QUENDARIS_TEST_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(library, nullptr);
    auto getFactory = reinterpret_cast<IPluginFactory* (*)()>(dlsym(library, "GetPluginFactory"));
#endif
    ASSERT_NE(getFactory, nullptr);

    IPluginFactory* first = getFactory();
    const uint32 countAfterFirst = first->addRef() - 1;
    first->release();
    IPluginFactory* second = getFactory();
    const uint32 countAfterSecond = second->addRef() - 1;
    second->release();

    EXPECT_EQ(first, second);
    EXPECT_EQ(first, RawFactory());
    EXPECT_EQ(countAfterSecond, countAfterFirst + 1);
    second->release();
    first->release();
#if SMTG_OS_WINDOWS
    FreeLibrary(library);
#else
    dlclose(library);
#endif
}

TEST(ModuleFactory, CreatesAnInstanceAnsweringTheProcessingInterfaces) {
    Effect effect;
    ASSERT_TRUE(effect.Valid());
    TUID controllerId{};
    EXPECT_EQ(effect.component->getControllerClassId(controllerId), kNotImplemented);
    EXPECT_EQ(effect.component->setIoMode(Vst::kOfflineProcessing), kNotImplemented);
    Vst::RoutingInfo in{}, out{};
    EXPECT_EQ(effect.component->getRoutingInfo(in, out), kNotImplemented);
    EXPECT_EQ(effect.component->setActive(true), kResultOk);
    EXPECT_EQ(effect.component->setActive(false), kResultOk);
}

TEST(ModuleLifetime, InitAndExitCallsBalance) {
    using namespace quendaris::vst3;
    const int32_t start = InitCount();
    EXPECT_TRUE(InitDll());
    EXPECT_TRUE(InitDll());
    EXPECT_TRUE(ExitDll());
    EXPECT_TRUE(ExitDll());
    EXPECT_EQ(InitCount(), start);
    // With nothing outstanding, a further exit is reported as the host's mistake.
    while (InitCount() > 0)
        ExitDll();
    EXPECT_FALSE(ExitDll());
    EXPECT_TRUE(InitDll());
}

TEST(ModuleLifetime, FirstInitialisationHandsTheModuleToTheResourceLoader) {
    using namespace quendaris::vst3;
    while (InitCount() > 0)
        ExitDll();
    while (InitCount() < 0)
        InitDll();
    int module = 0, later = 0;
    RecordModule(&module, u"/plug-ins/quendaris.vst3/");
    EXPECT_TRUE(InitDll());
    EXPECT_EQ(ResourceHandle(), &module);
    EXPECT_EQ(std::u16string(ModuleFolder()), u"/plug-ins/quendaris.vst3/");
    // Only the first of several initialisations takes the handle.
    RecordModule(&later, u"");
    EXPECT_TRUE(InitDll());
    EXPECT_EQ(ResourceHandle(), &module);
    EXPECT_TRUE(ExitDll());
    EXPECT_TRUE(ExitDll());
}

#if !SMTG_OS_WINDOWS
namespace {

using EntryFunction = bool (*)(void*);
using ExitFunction = bool (*)();

// A host object whose static destructor ends the module, as some hosts do at process exit.
struct ExitAtShutdown {
    ExitFunction moduleExit = nullptr;
    ~ExitAtShutdown() {
        if (moduleExit)
            moduleExit();
    }
};

// Loads the bundle's library afresh in a child process, so its static objects are created
// after, and destroyed before, the host's.
void* LoadFreshLibrary(EntryFunction& entry, ExitFunction& exit) {
    void* library = dlopen(QUENDARIS_TEST_LIBRARY, RTLD_NOW);
    if (!library)
        std::_Exit(2);
    entry = reinterpret_cast<EntryFunction>(dlsym(library, "ModuleEntry"));
    exit = reinterpret_cast<ExitFunction>(dlsym(library, "ModuleExit"));
    if (!entry || !exit)
        std::_Exit(3);
    return library;
}

[[noreturn]] void ExitModuleFromHostStaticDestructor() {
    static ExitAtShutdown host;
    EntryFunction entry = nullptr;
    ExitFunction exit = nullptr;
    void* library = LoadFreshLibrary(entry, exit);
    if (!entry(library))
        std::_Exit(4);
    host.moduleExit = exit;
    std::exit(0);
}

// Exits beyond the entries are refused, and the next entry is again a first one.
[[noreturn]] void ExitModuleTooOften() {
    EntryFunction entry = nullptr;
    ExitFunction exit = nullptr;
    void* library = LoadFreshLibrary(entry, exit);
    const bool answers[] = {entry(library), exit(), !exit(), !exit(), entry(library), exit()};
    for (bool answer : answers)
        if (!answer)
            std::_Exit(5);
    std::exit(0);
}

}  // namespace

TEST(ModuleLifetime, ExitFromTheHostsStaticDestructorsIsSafe) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitModuleFromHostStaticDestructor(), ::testing::ExitedWithCode(0), "");
}

TEST(ModuleLifetime, ExtraModuleExitsAreRefusedAndChangeNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ExitModuleTooOften(), ::testing::ExitedWithCode(0), "");
}
#endif

TEST(ModuleLifetime, FolderLongerThanItsBufferIsCut) {
    using namespace quendaris::vst3;
    const std::u16string longFolder(400, u'x');
    RecordModule(nullptr, longFolder.c_str());
    EXPECT_EQ(std::u16string(ModuleFolder()).size(), 259u);
    RecordModule(nullptr, nullptr);
    EXPECT_EQ(std::u16string(ModuleFolder()), u"");
}
