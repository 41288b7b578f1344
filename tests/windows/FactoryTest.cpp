// The factory as a host reads it: its vendor record, the one effect class in all three forms of
// class information, and instance creation from several threads at once.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <thread>
#include <vector>

#include "WindowsModuleFile.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"

namespace quendaris::test {
namespace {

using Steinberg::FUnknownPtr;
using Steinberg::IPluginFactory;
using Steinberg::IPluginFactory2;
using Steinberg::IPluginFactory3;
using Steinberg::PClassInfo;
using Steinberg::PClassInfo2;
using Steinberg::PClassInfoW;
using Steinberg::PFactoryInfo;

using GetFactoryFunction = IPluginFactory*();

// The class id in the byte order the SDK uses for COM-compatible ids.
constexpr std::array<unsigned char, 16> kClassIdBytes = {
    0x0D, 0xE7, 0xAE, 0xF2, 0xDE, 0x00, 0x4E, 0x4F, 0x4F, 0x62, 0x66, 0x77, 0x51, 0x6E, 0x64, 0x73};

class WindowsFactory : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(module_.Handle(), nullptr);
        getFactory_ = module_.Export<GetFactoryFunction>("GetPluginFactory");
        ASSERT_NE(getFactory_, nullptr);
        factory_ = getFactory_();
        ASSERT_NE(factory_, nullptr);
    }
    void TearDown() override {
        if (factory_)
            factory_->release();
    }

    LoadedModule module_;
    GetFactoryFunction* getFactory_ = nullptr;
    IPluginFactory* factory_ = nullptr;
};

std::array<unsigned char, 16> Bytes(const Steinberg::TUID cid) {
    std::array<unsigned char, 16> bytes{};
    std::memcpy(bytes.data(), cid, bytes.size());
    return bytes;
}

TEST_F(WindowsFactory, SecondRequestGivesTheSameFactoryWithOneMoreReference) {
    IPluginFactory* second = getFactory_();
    EXPECT_EQ(second, factory_);
    // Two references are held now: dropping one leaves the other.
    EXPECT_EQ(second->release(), 1u);
}

TEST_F(WindowsFactory, NamesTheVendorAndNothingElse) {
    PFactoryInfo info{};
    ASSERT_EQ(factory_->getFactoryInfo(&info), Steinberg::kResultOk);
    EXPECT_STREQ(info.vendor, "Obelin Fieldworks");
    EXPECT_STREQ(info.url, "");
    EXPECT_STREQ(info.email, "");
    EXPECT_EQ(info.flags, PFactoryInfo::kUnicode);
}

TEST_F(WindowsFactory, OffersOneEffectClass) {
    ASSERT_EQ(factory_->countClasses(), 1);
    PClassInfo info{};
    ASSERT_EQ(factory_->getClassInfo(0, &info), Steinberg::kResultOk);
    EXPECT_EQ(Bytes(info.cid), kClassIdBytes);
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_STREQ(info.name, "QUENDARIS");
}

TEST_F(WindowsFactory, DescribesTheClassInDetail) {
    FUnknownPtr<IPluginFactory2> factory2(factory_);
    ASSERT_TRUE(factory2);
    PClassInfo2 info{};
    ASSERT_EQ(factory2->getClassInfo2(0, &info), Steinberg::kResultOk);
    EXPECT_EQ(Bytes(info.cid), kClassIdBytes);
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_STREQ(info.name, "QUENDARIS");
    EXPECT_EQ(info.classFlags, 2u);
    EXPECT_STREQ(info.subCategories, "Fx|Filter");
    EXPECT_STREQ(info.vendor, "");
    EXPECT_STREQ(info.version, "1.0.0");
    EXPECT_STREQ(info.sdkVersion, "VST 3.8.0");
}

TEST_F(WindowsFactory, DescribesTheClassInUtf16) {
    FUnknownPtr<IPluginFactory3> factory3(factory_);
    ASSERT_TRUE(factory3);
    PClassInfoW info{};
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &info), Steinberg::kResultOk);
    EXPECT_EQ(Bytes(info.cid), kClassIdBytes);
    EXPECT_EQ(info.cardinality, 0x7FFFFFFF);
    EXPECT_STREQ(info.category, "Audio Module Class");
    EXPECT_EQ(std::u16string(info.name), u"QUENDARIS");
    EXPECT_EQ(info.classFlags, 2u);
    EXPECT_STREQ(info.subCategories, "Fx|Filter");
    EXPECT_EQ(std::u16string(info.vendor), u"");
    EXPECT_EQ(std::u16string(info.version), u"1.0.0");
    EXPECT_EQ(std::u16string(info.sdkVersion), u"VST 3.8.0");
}

TEST_F(WindowsFactory, CreatesWorkingInstancesFromSeveralThreadsAtOnce) {
    PClassInfo info{};
    ASSERT_EQ(factory_->getClassInfo(0, &info), Steinberg::kResultOk);
    constexpr int kThreads = 4;
    std::vector<Steinberg::Vst::IComponent*> components(kThreads, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            factory_->createInstance(info.cid, Steinberg::Vst::IComponent::iid,
                                     reinterpret_cast<void**>(&components[i]));
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (auto* component : components) {
        ASSERT_NE(component, nullptr);
        FUnknownPtr<Steinberg::Vst::IAudioProcessor> processor(component);
        EXPECT_TRUE(processor);
        component->release();
    }
}

TEST_F(WindowsFactory, RefusesAnUnknownClass) {
    const Steinberg::TUID other = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    void* object = nullptr;
    EXPECT_NE(factory_->createInstance(other, Steinberg::Vst::IComponent::iid, &object),
              Steinberg::kResultOk);
    EXPECT_EQ(object, nullptr);
}

}  // namespace
}  // namespace quendaris::test
