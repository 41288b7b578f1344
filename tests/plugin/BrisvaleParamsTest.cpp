#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "Brisvale.h"

namespace quendaris {
namespace {

class BrisvaleParams : public ::testing::Test {
  protected:
    std::string Shown(int index) {
        std::string text;
        const Param* p = plugin.GetParam(index);
        p->FormatValue(p->Value(), false, text, true);
        return text;
    }

    Brisvale plugin{InstanceInfo{}};
};

TEST_F(BrisvaleParams, FreshStateChunkIsTheNineDefaults) {
    ByteChunk chunk;
    ASSERT_TRUE(plugin.WriteState(chunk));
    ASSERT_EQ(chunk.Size(), 72);
    const double defaults[9] = {1840, 50, 0, 0, 0, 100, 0, 0, 0};
    for (int i = 0; i < 9; ++i) {
        uint8_t expected[8];
        uint64_t bits;
        std::memcpy(&bits, &defaults[i], 8);
        for (int b = 0; b < 8; ++b)
            expected[b] = static_cast<uint8_t>(bits >> (8 * b));
        EXPECT_EQ(std::memcmp(chunk.Data() + 8 * i, expected, 8), 0) << "parameter " << i;
    }
}

TEST_F(BrisvaleParams, FreshObjectShowsItsDefaults) {
    EXPECT_EQ(Shown(kParamCutoff), "1840");
    EXPECT_EQ(Shown(kParamResonance), "50.0");
    EXPECT_EQ(Shown(kParamModel), "M-Filter");
    EXPECT_EQ(Shown(kParamInput), "0.0");
    EXPECT_EQ(Shown(kParamDrive), "0.0");
    EXPECT_EQ(Shown(kParamMix), "100.0");
    EXPECT_EQ(Shown(kParamOutput), "0.0");
    EXPECT_EQ(Shown(kParamPoles), "2-Pole");
    EXPECT_EQ(Shown(kParamBypass), "Off");
}

TEST_F(BrisvaleParams, NamesLabelsAndOrder) {
    const char* names[] = {"Cutoff", "Resonance", "Model", "Input", "Drive",
                           "Mix",    "Output",    "Poles", "Bypass"};
    const char* labels[] = {" Hz", " %", "", " dB", " %", " %", " dB", "Slope", "Bypass"};
    ASSERT_EQ(plugin.NParams(), 9);
    for (int i = 0; i < 9; ++i) {
        EXPECT_STREQ(plugin.GetParam(i)->Name(), names[i]);
        EXPECT_STREQ(plugin.GetParam(i)->StoredLabel(), labels[i]);
        EXPECT_STREQ(plugin.GetParam(i)->Group(), "");
        EXPECT_EQ(plugin.GetParam(i)->Unit(), 21);
        EXPECT_EQ(plugin.GetParam(i)->Flags() & ~Param::kFlagStepped, 0);
    }
    EXPECT_STREQ(plugin.GetParam(kParamCutoff)->Label(), " Hz");
    EXPECT_STREQ(plugin.GetParam(kParamPoles)->Label(), "");
}

TEST_F(BrisvaleParams, KindsAndPrecisions) {
    EXPECT_EQ(plugin.GetParam(kParamCutoff)->Type(), kTypeDouble);
    EXPECT_EQ(plugin.GetParam(kParamModel)->Type(), kTypeEnum);
    EXPECT_EQ(plugin.GetParam(kParamPoles)->Type(), kTypeBool);
    EXPECT_EQ(plugin.GetParam(kParamBypass)->Type(), kTypeBool);
    const int precisions[9] = {0, 1, 0, 1, 1, 1, 1, 0, 0};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(plugin.GetParam(i)->DisplayPrecision(), precisions[i]);
}

TEST_F(BrisvaleParams, DefaultNormalisedValues) {
    const double normals[9] = {0.449944, 0.5, 0, 0.5, 0, 1, 0.5, 0, 0};
    for (int i = 0; i < 9; ++i) {
        EXPECT_NEAR(plugin.GetParam(i)->Normal(), normals[i], 1e-6) << i;
    }
}

TEST_F(BrisvaleParams, CutoffEndsAndUnsteppedValue) {
    Param& cutoff = *plugin.GetParam(kParamCutoff);
    cutoff.SetNormal(1.0);
    EXPECT_EQ(cutoff.Value(), 20000.0);
    cutoff.SetNormal(0.0);
    EXPECT_EQ(cutoff.Value(), 20.0);
    cutoff.SetValue(1840.4);
    EXPECT_EQ(cutoff.Value(), 1840.4);
    EXPECT_EQ(Shown(kParamCutoff), "1840");
}

TEST_F(BrisvaleParams, EnumeratedTexts) {
    const char* models[] = {"M-Filter", "S-Filter", "P-Filter", "W-Filter"};
    for (int m = 0; m < 4; ++m) {
        plugin.GetParam(kParamModel)->SetValue(m);
        EXPECT_EQ(Shown(kParamModel), models[m]);
    }
    plugin.GetParam(kParamPoles)->SetValue(1);
    EXPECT_EQ(Shown(kParamPoles), "4-Pole");
    plugin.GetParam(kParamBypass)->SetValue(1);
    EXPECT_EQ(Shown(kParamBypass), "On");
}

TEST_F(BrisvaleParams, ConfigurationRecord) {
    EXPECT_EQ(plugin.PluginName(), "QUENDARIS");
    EXPECT_EQ(plugin.ProductName(), "QUENDARIS");
    EXPECT_EQ(plugin.MfrName(), "Obelin Fieldworks");
    EXPECT_EQ(plugin.UniqueId(), 0x516E6473);
    EXPECT_EQ(plugin.MfrId(), 0x4F626677);
    EXPECT_EQ(plugin.VendorVersion(), 0x00010000);
    EXPECT_EQ(plugin.NPresets(), 1);
    EXPECT_EQ(plugin.EditorWidth(), 800);
    EXPECT_EQ(plugin.EditorHeight(), 630);
    EXPECT_EQ(plugin.MinWidth(), 266);
    EXPECT_EQ(plugin.MaxWidth(), 2400);
    EXPECT_EQ(plugin.MinHeight(), 210);
    EXPECT_EQ(plugin.MaxHeight(), 1890);
    EXPECT_TRUE(plugin.HasEditor());
    EXPECT_FALSE(plugin.HostMayResize());
    EXPECT_EQ(plugin.GetLatency(), 0);
    EXPECT_EQ(plugin.GetPluginType(), 0);
    EXPECT_FALSE(plugin.DoesMidiIn());
    EXPECT_EQ(plugin.NIOConfigs(), 2);
    EXPECT_EQ(plugin.NChannels(kInput), 2);
    EXPECT_EQ(plugin.NChannels(kOutput), 2);
}

TEST_F(BrisvaleParams, StateRoundTripAndPreset) {
    plugin.GetParam(kParamCutoff)->SetValue(500);
    plugin.GetParam(kParamModel)->SetValue(3);
    ByteChunk chunk;
    ASSERT_TRUE(plugin.WriteState(chunk));
    Brisvale other{InstanceInfo{}};
    EXPECT_EQ(other.ReadState(chunk, 0), 72);
    EXPECT_EQ(other.GetParam(kParamCutoff)->Value(), 500);
    EXPECT_EQ(other.GetParam(kParamModel)->Value(), 3);
    EXPECT_TRUE(other.RecallPreset(0));
    EXPECT_STREQ(other.PresetName(0), "user preset 1");
}

}  // namespace
}  // namespace quendaris
