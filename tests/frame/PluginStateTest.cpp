#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "FilterParams.h"
#include "PluginBase.h"

namespace quendaris {
namespace {

// Records the change notifications and editor updates the frame sends.
class RecordingPlugin : public PluginBase {
  public:
    RecordingPlugin() : PluginBase(testing::FilterConfig()) { testing::DeclareFilterParams(*this); }

    void OnParamChange(int paramIdx, ParamChangeSource source, int sampleOffset) override {
        changes.push_back({paramIdx, source});
        offsets.push_back(sampleOffset);
    }
    void SendParamValueToEditor(int paramIdx, double value, bool valueIsNormal) override {
        editorValues.push_back({paramIdx, value});
        EXPECT_TRUE(valueIsNormal);
    }

    std::vector<std::pair<int, ParamChangeSource>> changes;
    std::vector<int> offsets;
    std::vector<std::pair<int, double>> editorValues;
};

ByteChunk ChunkOf(const std::vector<double>& values) {
    ByteChunk chunk;
    for (double v : values)
        chunk.PutDoubleLE(v);
    return chunk;
}

const std::vector<double> kDefaults = {1840, 50, 0, 0, 0, 100, 0, 0, 0};

// --- Writing --------------------------------------------------------------------------------

TEST(PluginState, FreshStateIsTheNineDefaultsLittleEndian) {
    RecordingPlugin plugin;
    ByteChunk chunk;
    ASSERT_TRUE(plugin.WriteState(chunk));
    ASSERT_EQ(chunk.Size(), 72);
    // 1840.0 is 0x409CC00000000000.
    const uint8_t cutoff[8] = {0, 0, 0, 0, 0, 0xC0, 0x9C, 0x40};
    EXPECT_EQ(std::memcmp(chunk.Data(), cutoff, 8), 0);
    for (int i = 0; i < 9; ++i) {
        double value = -1;
        chunk.GetDoubleLE(value, i * 8);
        EXPECT_EQ(value, kDefaults[static_cast<size_t>(i)]) << i;
    }
}

TEST(PluginState, SerializeAppendsAfterExistingBytes) {
    RecordingPlugin plugin;
    ByteChunk chunk;
    chunk.PutInt32LE(7);
    ASSERT_TRUE(plugin.SerializeParams(chunk));
    EXPECT_EQ(chunk.Size(), 76);
    EXPECT_EQ(plugin.UnserializeParams(chunk, 4), 76);
}

TEST(PluginState, NoParametersWritesNothing) {
    PluginConfig config;
    PluginBase empty(config);
    ByteChunk chunk;
    EXPECT_TRUE(empty.SerializeParams(chunk));
    EXPECT_EQ(chunk.Size(), 0);
}

// --- Reading --------------------------------------------------------------------------------

TEST(PluginState, FullChunkRestoresAllAndReturnsItsLength) {
    RecordingPlugin plugin;
    std::vector<double> stored = {500, 12.5, 3, -6, 40, 75, 3.5, 1, 1};
    EXPECT_EQ(plugin.ReadState(ChunkOf(stored), 0), 72);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(plugin.GetParam(i)->Value(), stored[size_t(i)]) << i;
}

TEST(PluginState, RoundTripBetweenInstances) {
    RecordingPlugin source, target;
    source.GetParam(0)->SetNormal(0.8);
    source.GetParam(2)->SetValue(2);
    source.GetParam(6)->SetValue(-3.3);
    ByteChunk chunk;
    ASSERT_TRUE(source.WriteState(chunk));
    EXPECT_EQ(target.ReadState(chunk, 0), 72);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(target.GetParam(i)->Value(), source.GetParam(i)->Value()) << i;
    }
}

TEST(PluginState, LongerChunkLeavesTrailingBytesForCaller) {
    RecordingPlugin plugin;
    ByteChunk chunk = ChunkOf(kDefaults);
    chunk.PutInt32LE(1);
    EXPECT_EQ(plugin.ReadState(chunk, 0), 72);
    int32_t bypass = 0;
    EXPECT_EQ(chunk.GetInt32LE(bypass, 72), 76);
    EXPECT_EQ(bypass, 1);
}

TEST(PluginState, ShortChunkRestoresLeadingValuesOnly) {
    RecordingPlugin plugin;
    plugin.GetParam(5)->SetValue(20);
    plugin.GetParam(6)->SetValue(-5);
    std::vector<double> stored = {1000, 10, 2, 3, 4, 1, 2, 1, 1};
    ByteChunk full = ChunkOf(stored);
    ByteChunk shortChunk;
    shortChunk.PutBytes(full.Data(), 40);
    EXPECT_EQ(plugin.ReadState(shortChunk, 0), -1);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(plugin.GetParam(i)->Value(), stored[size_t(i)]);
    EXPECT_EQ(plugin.GetParam(5)->Value(), 20);
    EXPECT_EQ(plugin.GetParam(6)->Value(), -5);
    EXPECT_EQ(plugin.GetParam(7)->Value(), 0);
    ASSERT_EQ(plugin.changes.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(plugin.changes[size_t(i)].first, i);
        EXPECT_EQ(plugin.changes[size_t(i)].second, kPresetRecall);
        EXPECT_EQ(plugin.offsets[size_t(i)], -1);
    }
}

TEST(PluginState, PartialValueAtTheEndIsNotRead) {
    RecordingPlugin plugin;
    ByteChunk chunk = ChunkOf({300});
    chunk.PutBytes("\x01\x02\x03", 3);
    EXPECT_EQ(plugin.ReadState(chunk, 0), -1);
    EXPECT_EQ(plugin.GetParam(0)->Value(), 300);
    EXPECT_EQ(plugin.GetParam(1)->Value(), 50);
}

TEST(PluginState, EmptyChunkOrBadStartChangesNothing) {
    RecordingPlugin plugin;
    ByteChunk empty;
    EXPECT_EQ(plugin.ReadState(empty, 0), -1);
    ByteChunk full = ChunkOf({100, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(plugin.ReadState(full, -8), -1);
    EXPECT_EQ(plugin.ReadState(full, 1000), -1);
    EXPECT_EQ(plugin.GetParam(0)->Value(), 1840);
}

TEST(PluginState, StoredValuesAreConfined) {
    RecordingPlugin plugin;
    std::vector<double> stored = kDefaults;
    stored[0] = 99999;
    stored[2] = 2.6;
    stored[3] = -1000;
    EXPECT_EQ(plugin.ReadState(ChunkOf(stored), 0), 72);
    EXPECT_EQ(plugin.GetParam(0)->Value(), 20000);
    EXPECT_EQ(plugin.GetParam(2)->Value(), 3);
    EXPECT_EQ(plugin.GetParam(3)->Value(), -24);
}

TEST(PluginState, NanInChunkKeepsThePreviousValue) {
    RecordingPlugin plugin;
    std::vector<double> stored = kDefaults;
    stored[1] = std::nan("");
    plugin.GetParam(1)->SetValue(80);
    EXPECT_EQ(plugin.ReadState(ChunkOf(stored), 0), 72);
    EXPECT_EQ(plugin.GetParam(1)->Value(), 80);
}

// --- Presets --------------------------------------------------------------------------------

TEST(PluginPresets, NamesBeforeAndAfterFirstRecall) {
    RecordingPlugin plugin;
    EXPECT_STREQ(plugin.PresetName(0), "empty");
    EXPECT_STREQ(plugin.PresetName(1), "");
    EXPECT_STREQ(plugin.PresetName(-1), "");
    EXPECT_TRUE(plugin.RecallPreset(0));
    EXPECT_STREQ(plugin.PresetName(0), "user preset 1");
}

TEST(PluginPresets, FirstRecallCapturesSecondRestores) {
    RecordingPlugin plugin;
    plugin.GetParam(0)->SetValue(440);
    ASSERT_TRUE(plugin.RecallPreset(0));
    EXPECT_EQ(plugin.GetParam(0)->Value(), 440);
    plugin.GetParam(0)->SetValue(8000);
    plugin.GetParam(2)->SetValue(3);
    ASSERT_TRUE(plugin.RecallPreset(0));
    EXPECT_EQ(plugin.GetParam(0)->Value(), 440);
    EXPECT_EQ(plugin.GetParam(2)->Value(), 0);
    EXPECT_EQ(plugin.CurrentPresetIdx(), 0);
}

TEST(PluginPresets, RecallRefreshesTheEditor) {
    RecordingPlugin plugin;
    ASSERT_TRUE(plugin.RecallPreset(0));
    ASSERT_EQ(plugin.editorValues.size(), 9u);
    EXPECT_EQ(plugin.editorValues[5].first, 5);
    EXPECT_DOUBLE_EQ(plugin.editorValues[5].second, 1.0);
}

TEST(PluginPresets, OutOfRangeIndexIsRefused) {
    RecordingPlugin plugin;
    plugin.GetParam(0)->SetValue(700);
    EXPECT_FALSE(plugin.RecallPreset(1));
    EXPECT_FALSE(plugin.RecallPreset(-1));
    EXPECT_EQ(plugin.GetParam(0)->Value(), 700);
    EXPECT_STREQ(plugin.PresetName(0), "empty");
    EXPECT_TRUE(plugin.editorValues.empty());
}

TEST(PluginPresets, UserPresetsAreNumberedInCaptureOrder) {
    PluginConfig config = testing::FilterConfig();
    config.nPresets = 3;
    PluginBase plugin(config);
    testing::DeclareFilterParams(plugin);
    EXPECT_TRUE(plugin.RecallPreset(2));
    EXPECT_TRUE(plugin.RecallPreset(0));
    EXPECT_STREQ(plugin.PresetName(2), "user preset 1");
    EXPECT_STREQ(plugin.PresetName(0), "user preset 2");
    EXPECT_STREQ(plugin.PresetName(1), "empty");
}

// --- Notifications and identity -------------------------------------------------------------

TEST(PluginNotify, AllParamsInAscendingOrderWithSource) {
    RecordingPlugin plugin;
    plugin.NotifyAllParamsChanged(kReset);
    ASSERT_EQ(plugin.changes.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(plugin.changes[size_t(i)], std::make_pair(i, kReset));
    }
}

TEST(PluginNotify, StateRestoredSendsNormalisedValues) {
    RecordingPlugin plugin;
    plugin.OnStateRestored();
    ASSERT_EQ(plugin.editorValues.size(), 9u);
    EXPECT_NEAR(plugin.editorValues[0].second, 0.449944, 1e-6);
    EXPECT_DOUBLE_EQ(plugin.editorValues[3].second, 0.5);
}

TEST(PluginNotify, SourceLabels) {
    EXPECT_STREQ(ParamChangeSourceLabel(kReset), "Reset");
    EXPECT_STREQ(ParamChangeSourceLabel(kHost), "Host");
    EXPECT_STREQ(ParamChangeSourceLabel(kPresetRecall), "Preset");
    EXPECT_STREQ(ParamChangeSourceLabel(kUI), "UI");
    EXPECT_STREQ(ParamChangeSourceLabel(kDelegate), "Editor Delegate");
    EXPECT_STREQ(ParamChangeSourceLabel(kRecompile), "Recompile");
    EXPECT_STREQ(ParamChangeSourceLabel(kUnknown), "Unknown");
    EXPECT_STREQ(ParamChangeSourceLabel(42), "Unknown");
}

TEST(PluginIdentity, ConfigurationIsCopied) {
    RecordingPlugin plugin;
    EXPECT_EQ(plugin.PluginName(), "QUENDARIS");
    EXPECT_EQ(plugin.MfrName(), "Obelin Fieldworks");
    EXPECT_EQ(plugin.UniqueId(), 0x516E6473);
    EXPECT_EQ(plugin.MfrId(), 0x4F626677);
    EXPECT_EQ(plugin.VendorVersion(), 0x00010000);
    EXPECT_EQ(plugin.GetHost(), kHostUninit);
    EXPECT_EQ(plugin.NParams(), 9);
    EXPECT_EQ(plugin.NPresets(), 1);
    EXPECT_EQ(plugin.GetParam(9), nullptr);
    EXPECT_EQ(plugin.GetParam(-1), nullptr);
}

TEST(PluginIdentity, GroupsAreListedOnceInFirstSeenOrder) {
    RecordingPlugin plugin;
    EXPECT_EQ(plugin.AddParamGroup(""), -1);
    EXPECT_EQ(plugin.AddParamGroup("Filter"), 0);
    EXPECT_EQ(plugin.AddParamGroup("Gain"), 1);
    EXPECT_EQ(plugin.AddParamGroup("Filter"), 0);
    EXPECT_EQ(plugin.NParamGroups(), 2);
    EXPECT_STREQ(plugin.ParamGroupName(1), "Gain");
}

// --- ByteChunk ------------------------------------------------------------------------------

TEST(ByteChunkTest, GetBeyondEndFailsWithoutCopying) {
    ByteChunk chunk;
    chunk.PutInt32LE(5);
    int32_t value = 9;
    EXPECT_EQ(chunk.GetInt32LE(value, 1), -1);
    EXPECT_EQ(value, 9);
    EXPECT_EQ(chunk.GetInt32LE(value, 0), 4);
    EXPECT_EQ(value, 5);
}

TEST(ByteChunkTest, Int32IsLittleEndian) {
    ByteChunk chunk;
    chunk.PutInt32LE(1);
    const uint8_t expected[4] = {1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(chunk.Data(), expected, 4), 0);
}

}  // namespace
}  // namespace quendaris
