// Hosts create, use and throw away instances many times, sometimes from several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "TestHost.h"
#include "public.sdk/source/vst/hosting/plugprovider.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace quendaris::test;

namespace {

double Ramp(int32 channel, int32 frame) {
    return 0.001 * (frame % 100) * (channel + 1);
}

// One short life of an instance: arrange, start, process a few blocks, save, stop.
bool LiveBriefly(Effect& effect, int32 channels, int32 sampleSize) {
    if (!effect.Valid() || !effect.Start(channels, sampleSize))
        return false;
    for (int round = 0; round < 3; ++round) {
        Block block(channels, 128, sampleSize);
        block.FillInput(Ramp);
        block.AddChange(kParamCutoff, 0, 0.1 * round);
        if (block.Run(*effect.processor) != kResultOk)
            return false;
    }
    const auto state = effect.SaveState();
    effect.Stop();
    return state.size() == 76u;
}

}  // namespace

TEST(Lifecycle, ManyCreateInitialiseTerminateCycles) {
    for (int cycle = 0; cycle < 150; ++cycle) {
        Effect effect;
        ASSERT_TRUE(LiveBriefly(effect, cycle % 2 ? 1 : 2, cycle % 3 ? kSample32 : kSample64))
            << "cycle " << cycle;
    }
}

TEST(Lifecycle, ReinitialisingTheSameInstanceRebuildsItsParameters) {
    HostApplication host;
    Effect effect;
    ASSERT_TRUE(effect.Valid());
    for (int cycle = 0; cycle < 20; ++cycle) {
        ASSERT_EQ(effect.component->terminate(), kResultOk);
        ASSERT_EQ(effect.component->initialize(&host), kResultOk);
        ASSERT_EQ(effect.controller->getParameterCount(), 10);
        ASSERT_EQ(effect.component->getBusCount(kAudio, kOutput), 1);
    }
}

TEST(Lifecycle, ThroughTheSdkPlugProvider) {
    HostApplication host;
    PluginContextFactory::instance().setPluginContext(&host);
    for (int cycle = 0; cycle < 50; ++cycle) {
        auto provider = owned(new PlugProvider(Factory(), EffectClass(), true));
        ASSERT_TRUE(provider->initialize());
        IPtr<IComponent> component = owned(provider->getComponent());
        IPtr<IEditController> controller = owned(provider->getController());
        ASSERT_TRUE(component);
        ASSERT_TRUE(controller);
        EXPECT_EQ(controller->getParameterCount(), 10);
    }
    PluginContextFactory::instance().setPluginContext(nullptr);
}

TEST(Lifecycle, InstancesCreatedFromSeveralThreadsAtOnce) {
    std::atomic<int> good{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&good] {
            for (int i = 0; i < 10; ++i) {
                auto component = Factory().createInstance<IComponent>(EffectClass().ID());
                if (component)
                    ++good;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(good.load(), 40);
}
