#include "FilterEngine.h"
#include "ParameterResolver.h"
#include "RenderHost.h"
#include "TestSignals.h"

#include <cmath>
#include <gtest/gtest.h>

namespace quendaris::render {
namespace {

constexpr double kRate = 48000.0;

struct Setting {
    const char* name;
    const char* value;
};

// A character setting that exercises drive, resonance, the 4-pole slope, mix and both gains.
const std::vector<Setting> kCharacter = {
    {"Cutoff", "800"}, {"Resonance", "70"}, {"Model", "P-Filter"}, {"Poles", "4-Pole"},
    {"Drive", "30"},   {"Input", "3"},      {"Mix", "80"},         {"Output", "-2"},
};

// Real values as the plug-in ends up holding them, after the host's normalisation round trip.
double PluginValue(const RenderHost& host, uint32_t id, double plain) {
    return host.ToPlain(id, host.ToNormalized(id, plain));
}

void SetEngineParameter(BlockParameters& parameters, uint32_t id, double value) {
    double* fields[] = {&parameters.cutoff, &parameters.resonance, &parameters.model,
                        &parameters.input,  &parameters.drive,     &parameters.mix,
                        &parameters.output, &parameters.poles,     &parameters.bypass};
    ASSERT_LT(id, 9u);
    *fields[id] = value;
}

BlockParameters EngineParameters(const RenderHost& host, const RenderPlan& plan) {
    BlockParameters parameters;
    for (const auto& value : plan.initialValues) {
        SetEngineParameter(parameters, value.id, PluginValue(host, value.id, value.plain));
    }
    return parameters;
}

// The engine driven directly, block by block, the way the plug-in drives it.
AudioBuffer RenderWithEngine(const AudioBuffer& input, int blockSize, SamplePrecision precision,
                             const std::function<BlockParameters(size_t lastFrame)>& parameters) {
    const int channels = input.ChannelCount();
    AudioBuffer engineInput = input;
    if (precision == SamplePrecision::Single) {
        for (auto& channel : engineInput.channels) {
            for (double& sample : channel) {
                sample = static_cast<float>(sample);
            }
        }
    }
    AudioBuffer output(channels, input.FrameCount(), input.sampleRate);
    FilterEngine engine;
    engine.Reset(input.sampleRate, channels, blockSize);
    for (size_t start = 0; start < input.FrameCount(); start += blockSize) {
        const int frames =
            static_cast<int>(std::min<size_t>(blockSize, input.FrameCount() - start));
        std::vector<const double*> in;
        std::vector<double*> out;
        for (int c = 0; c < channels; ++c) {
            in.push_back(engineInput.channels[c].data() + start);
            out.push_back(output.channels[c].data() + start);
        }
        engine.ProcessBlock(parameters(start + frames - 1), in.data(), out.data(), channels,
                            frames);
    }
    return output;
}

RenderPlan PlanFor(const ParameterResolver& resolver, const std::vector<Setting>& settings) {
    RenderPlan plan;
    for (const auto& setting : settings) {
        plan.initialValues.push_back(resolver.Resolve(setting.name, setting.value));
    }
    return plan;
}

void ExpectSameAudio(const AudioBuffer& host, const AudioBuffer& engine,
                     SamplePrecision precision) {
    ASSERT_EQ(host.ChannelCount(), engine.ChannelCount());
    ASSERT_EQ(host.FrameCount(), engine.FrameCount());
    for (int c = 0; c < host.ChannelCount(); ++c) {
        for (size_t i = 0; i < host.FrameCount(); ++i) {
            const double expected = precision == SamplePrecision::Single
                                        ? static_cast<float>(engine.channels[c][i])
                                        : engine.channels[c][i];
            ASSERT_EQ(host.channels[c][i], expected) << "channel " << c << " frame " << i;
        }
    }
}

double RmsDb(const std::vector<double>& x, size_t begin, size_t end) {
    double energy = 0.0;
    for (size_t i = begin; i < end; ++i) {
        energy += x[i] * x[i];
    }
    return 10.0 * std::log10(energy / static_cast<double>(end - begin));
}

struct HostCase {
    SamplePrecision precision;
    int blockSize;
    int channels;
};

void PrintTo(const HostCase& hostCase, std::ostream* out) {
    *out << static_cast<int>(hostCase.precision) << "-bit, blocks of " << hostCase.blockSize << ", "
         << hostCase.channels << " channel(s)";
}

// The comparison means something only when the filter audibly changed the signal.
void ExpectFiltered(const AudioBuffer& input, const AudioBuffer& rendered) {
    double difference = 0.0;
    for (size_t i = 0; i < input.FrameCount(); ++i) {
        difference =
            std::max(difference, std::fabs(input.channels[0][i] - rendered.channels[0][i]));
    }
    EXPECT_GT(difference, 0.05);
    EXPECT_GT(RmsDb(rendered.channels[0], 0, rendered.FrameCount()), -40.0);
}

class HostMatchesEngine : public ::testing::TestWithParam<HostCase> {};

TEST_P(HostMatchesEngine, StaticSettings) {
    const auto [precision, blockSize, channels] = GetParam();
    const auto input = testing::BusySignal(channels, 12000, kRate);
    RenderHost host(QUENDARIS_BUILT_BUNDLE);
    const ParameterResolver resolver(host.Parameters(), host);
    const RenderPlan plan = PlanFor(resolver, kCharacter);
    host.Prepare({channels, kRate, blockSize, precision});
    const auto rendered = host.Render(input, plan, 0);
    ExpectFiltered(input, rendered);

    const BlockParameters parameters = EngineParameters(host, plan);
    ExpectSameAudio(
        rendered, RenderWithEngine(input, blockSize, precision, [&](size_t) { return parameters; }),
        precision);
}

TEST_P(HostMatchesEngine, CutoffRampArrivesBlockByBlock) {
    const auto [precision, blockSize, channels] = GetParam();
    const auto input = testing::BusySignal(channels, 12000, kRate);
    RenderHost host(QUENDARIS_BUILT_BUNDLE);
    const ParameterResolver resolver(host.Parameters(), host);
    RenderPlan plan = PlanFor(resolver, {{"Model", "W-Filter"}, {"Resonance", "85"}});
    const AutomationLane lane{0, "Cutoff", 200.0, 8000.0, input.FrameCount()};
    plan.lanes.push_back(lane);
    host.Prepare({channels, kRate, blockSize, precision});
    const auto rendered = host.Render(input, plan, 0);
    ExpectFiltered(input, rendered);

    const BlockParameters fixed = EngineParameters(host, plan);
    ExpectSameAudio(rendered,
                    RenderWithEngine(input, blockSize, precision,
                                     [&](size_t lastFrame) {
                                         BlockParameters p = fixed;
                                         p.cutoff = PluginValue(host, 0, lane.ValueAt(lastFrame));
                                         return p;
                                     }),
                    precision);
}

INSTANTIATE_TEST_SUITE_P(PrecisionsAndBlocks, HostMatchesEngine,
                         ::testing::Values(HostCase{SamplePrecision::Double, 512, 2},
                                           HostCase{SamplePrecision::Double, 1, 2},
                                           HostCase{SamplePrecision::Double, 97, 2},
                                           HostCase{SamplePrecision::Double, 4096, 1},
                                           HostCase{SamplePrecision::Single, 512, 2},
                                           HostCase{SamplePrecision::Single, 64, 2},
                                           HostCase{SamplePrecision::Single, 1000, 1}),
                         [](const ::testing::TestParamInfo<HostCase>& info) {
                             return std::string(info.param.precision == SamplePrecision::Double
                                                    ? "Double"
                                                    : "Single") +
                                    "Block" + std::to_string(info.param.blockSize) + "Channels" +
                                    std::to_string(info.param.channels);
                         });

TEST(HostRender, ThePluginHoldsTheRampsEndValue) {
    RenderHost host(QUENDARIS_BUILT_BUNDLE);
    EXPECT_NEAR(PluginValue(host, 0, 8000.0), 8000.0, 1e-9);
    EXPECT_NEAR(PluginValue(host, 0, 200.0), 200.0, 1e-9);
}

TEST(HostRender, OutputFadeInEndsAtFullLevel) {
    const auto input = testing::BusySignal(2, 48000, kRate);
    const size_t frames = input.FrameCount();
    const auto render = [&](const RenderPlan& plan) {
        RenderHost host(QUENDARIS_BUILT_BUNDLE);
        host.Prepare({2, kRate, 256, SamplePrecision::Single});
        return host.Render(input, plan, 0);
    };
    RenderPlan fade;
    fade.lanes.push_back({6, "Output", -24.0, 0.0, frames});
    const auto faded = render(fade);
    const auto full = render(RenderPlan{});

    const size_t lastBlock = frames - 256;
    EXPECT_NEAR(RmsDb(faded.channels[0], lastBlock, frames),
                RmsDb(full.channels[0], lastBlock, frames), 0.1);
    EXPECT_NEAR(RmsDb(faded.channels[0], 2048, 4096) - RmsDb(full.channels[0], 2048, 4096), -23.0,
                1.5);
}

TEST(HostRender, BypassPassesTheInputThrough) {
    const auto input = testing::BusySignal(2, 5000, kRate);
    RenderHost host(QUENDARIS_BUILT_BUNDLE);
    const ParameterResolver resolver(host.Parameters(), host);
    host.Prepare({2, kRate, 128, SamplePrecision::Double});
    const auto rendered = host.Render(input, PlanFor(resolver, {{"Bypass", "On"}}), 0);
    EXPECT_EQ(rendered.channels, input.channels);
}

TEST(HostRender, TailRingsOutAfterTheInput) {
    const auto input = testing::BusySignal(2, 4800, kRate);
    RenderHost host(QUENDARIS_BUILT_BUNDLE);
    const ParameterResolver resolver(host.Parameters(), host);
    host.Prepare({2, kRate, 512, SamplePrecision::Single});
    const auto rendered =
        host.Render(input, PlanFor(resolver, {{"Resonance", "95"}, {"Cutoff", "500"}}), 4800);
    ASSERT_EQ(rendered.FrameCount(), 9600u);
    EXPECT_GT(RmsDb(rendered.channels[0], 4800, 4900), -80.0);  // the filter still rings
}

TEST(HostRender, PluginOffersTenParametersByName) {
    RenderHost host(QUENDARIS_BUILT_BUNDLE);
    const ParameterResolver resolver(host.Parameters(), host);
    EXPECT_EQ(host.PluginName(), "QUENDARIS");
    EXPECT_EQ(resolver.Parameters().size(), 10u);
    for (const char* name :
         {"Cutoff", "Resonance", "Model", "Input", "Drive", "Mix", "Output", "Poles", "Bypass"}) {
        EXPECT_NO_THROW(resolver.Find(name)) << name;
    }
    EXPECT_EQ(resolver.Find("Bypass").id, 65536u);
    const auto& cutoff = resolver.Find("Cutoff");
    EXPECT_DOUBLE_EQ(resolver.Minimum(cutoff), 20.0);
    EXPECT_DOUBLE_EQ(resolver.Maximum(cutoff), 20000.0);
    EXPECT_NEAR(resolver.DefaultPlain(cutoff), 1840.0, 1e-3);
    EXPECT_NEAR(resolver.Resolve("Cutoff", "2517.5").normalized, 0.5, 1e-9);
    const std::vector<std::string> models = {"M-Filter", "S-Filter", "P-Filter", "W-Filter"};
    EXPECT_EQ(resolver.DisplayTexts(resolver.Find("Model")), models);
    const std::vector<std::string> poles = {"2-Pole", "4-Pole"};
    EXPECT_EQ(resolver.DisplayTexts(resolver.Find("Poles")), poles);
}

TEST(HostRender, OnlyMonoAndStereoAreAccepted) {
    RenderHost host(QUENDARIS_BUILT_BUNDLE);
    EXPECT_EQ(host.AcceptedChannelCounts(), (std::vector<int>{1, 2}));
    try {
        host.Prepare({3, kRate, 512, SamplePrecision::Single});
        FAIL() << "three channels must be refused";
    } catch (const std::exception& error) {
        EXPECT_NE(std::string(error.what()).find("mono in to mono out, stereo in to stereo out"),
                  std::string::npos)
            << error.what();
    }
}

}  // namespace
}  // namespace quendaris::render
