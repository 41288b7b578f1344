// The parameters as a host lists, names, converts and sets them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "TestHost.h"
#include "pluginterfaces/base/funknownimpl.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "public.sdk/source/vst/utility/stringconvert.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace quendaris::test;

namespace {

std::string Text(const TChar* text) {
    return StringConvert::convert(text);
}

ParameterInfo InfoAt(Effect& effect, int32 index) {
    ParameterInfo info{};
    EXPECT_EQ(effect.controller->getParameterInfo(index, info), kResultOk);
    return info;
}

std::string Display(Effect& effect, ParamID id, ParamValue normalized) {
    String128 text{};
    EXPECT_EQ(effect.controller->getParamStringByValue(id, normalized, text), kResultOk);
    return Text(text);
}

ParamValue FromText(Effect& effect, ParamID id, const char16_t* text) {
    ParamValue value = -1.0;
    EXPECT_EQ(effect.controller->getParamValueByString(
                  id, const_cast<TChar*>(reinterpret_cast<const TChar*>(text)), value),
              kResultOk);
    return value;
}

// Cutoff runs from 20 Hz to 20 kHz on a cubic curve.
double CutoffNormal(double hz) {
    return std::cbrt((hz - 20.0) / 19980.0);
}

class Parameters : public ::testing::Test {
  protected:
    Effect effect;
};

}  // namespace

TEST_F(Parameters, HostSeesTenParametersWithBypassFirst) {
    ASSERT_EQ(effect.controller->getParameterCount(), 10);
    EXPECT_EQ(InfoAt(effect, 0).id, kBypassId);
    for (int32 i = 1; i < 10; ++i)
        EXPECT_EQ(InfoAt(effect, i).id, static_cast<ParamID>(i - 1));
}

TEST_F(Parameters, BypassIsAnOffOnListCarryingTheBypassFlag) {
    const ParameterInfo info = InfoAt(effect, 0);
    EXPECT_EQ(Text(info.title), "Bypass");
    EXPECT_EQ(info.flags, 0x10009);
    EXPECT_EQ(info.stepCount, 1);
    EXPECT_EQ(info.defaultNormalizedValue, 0.0);
    EXPECT_EQ(info.unitId, kRootUnitId);
    EXPECT_EQ(Display(effect, kBypassId, 0.0), "off");
    EXPECT_EQ(Display(effect, kBypassId, 1.0), "on");
}

TEST_F(Parameters, TitlesUnitsAndStepCountsFollowTheParameterTable) {
    struct Expected {
        const char* title;
        const char* units;
        int32 stepCount;
        int32 flags;
    };
    const Expected expected[9] = {
        {"Cutoff", " Hz", 0, 1}, {"Resonance", " %", 0, 1}, {"Model", "", 3, 9},
        {"Input", " dB", 0, 1},  {"Drive", " %", 0, 1},     {"Mix", " %", 0, 1},
        {"Output", " dB", 0, 1}, {"Poles", "", 1, 9},       {"Bypass", "", 1, 9},
    };
    for (int32 i = 0; i < 9; ++i) {
        SCOPED_TRACE(expected[i].title);
        const ParameterInfo info = InfoAt(effect, i + 1);
        EXPECT_EQ(Text(info.title), expected[i].title);
        EXPECT_EQ(Text(info.shortTitle), "");
        EXPECT_EQ(Text(info.units), expected[i].units);
        EXPECT_EQ(info.stepCount, expected[i].stepCount);
        EXPECT_EQ(info.flags, expected[i].flags);
        EXPECT_EQ(info.unitId, kRootUnitId);
    }
}

TEST_F(Parameters, DefaultsArriveNormalised) {
    EXPECT_NEAR(InfoAt(effect, 1).defaultNormalizedValue, CutoffNormal(1840.0), 1e-12);
    EXPECT_DOUBLE_EQ(InfoAt(effect, 2).defaultNormalizedValue, 0.5);  // Resonance 50 %
    EXPECT_DOUBLE_EQ(InfoAt(effect, 4).defaultNormalizedValue, 0.5);  // Input 0 dB
    EXPECT_DOUBLE_EQ(InfoAt(effect, 6).defaultNormalizedValue, 1.0);  // Mix 100 %
    EXPECT_NEAR(effect.Normalized(kParamCutoff), CutoffNormal(1840.0), 1e-12);
    EXPECT_DOUBLE_EQ(effect.Normalized(kParamMix), 1.0);
}

TEST_F(Parameters, OnlyTheRootUnitExists) {
    IPtr<IUnitInfo> units = U::cast<IUnitInfo>(effect.controller);
    ASSERT_TRUE(units);
    ASSERT_EQ(units->getUnitCount(), 1);
    UnitInfo unit{};
    ASSERT_EQ(units->getUnitInfo(0, unit), kResultOk);
    EXPECT_EQ(unit.id, kRootUnitId);
    EXPECT_EQ(unit.parentUnitId, kNoParentUnitId);
    EXPECT_EQ(unit.programListId, kNoProgramListId);
    EXPECT_EQ(Text(unit.name), "Root");
    EXPECT_EQ(units->getProgramListCount(), 0);
    EXPECT_EQ(units->getSelectedUnit(), kRootUnitId);
}

TEST_F(Parameters, ValuesReadAsTheEditorShowsThem) {
    EXPECT_EQ(Display(effect, kParamCutoff, CutoffNormal(1840.0)), "1840");
    EXPECT_EQ(Display(effect, kParamCutoff, 0.5), "2518");  // 2517.5 Hz rounds half away
    EXPECT_EQ(Display(effect, kParamResonance, 0.5), "50.0");
    EXPECT_EQ(Display(effect, kParamModel, 2.0 / 3.0), "P-Filter");
    EXPECT_EQ(Display(effect, kParamInput, 0.0), "-24.0");
    EXPECT_EQ(Display(effect, kParamOutput, 0.5), "0.0");
    EXPECT_EQ(Display(effect, kParamPoles, 1.0), "4-Pole");
}

TEST_F(Parameters, TypedTextsBecomeNormalisedValues) {
    EXPECT_NEAR(FromText(effect, kParamModel, u"S-Filter"), 1.0 / 3.0, 1e-12);
    EXPECT_DOUBLE_EQ(FromText(effect, kParamModel, u"2"), 0.0);  // an enum takes only its texts
    EXPECT_DOUBLE_EQ(FromText(effect, kParamCutoff, u"1e5"), 1.0);
    EXPECT_DOUBLE_EQ(FromText(effect, kParamInput, u"-30"), 0.0);
    EXPECT_DOUBLE_EQ(FromText(effect, kParamCutoff, u"nonsense"), 0.0);  // 20 Hz, the minimum
    EXPECT_DOUBLE_EQ(FromText(effect, kParamMix, u"25"), 0.25);
}

TEST_F(Parameters, PlainAndNormalisedConvertThroughTheParameterRanges) {
    EXPECT_DOUBLE_EQ(effect.controller->normalizedParamToPlain(kParamCutoff, 0.5), 2517.5);
    EXPECT_DOUBLE_EQ(effect.controller->normalizedParamToPlain(kParamModel, 0.5), 2.0);
    EXPECT_DOUBLE_EQ(effect.controller->plainParamToNormalized(kParamInput, 12.0), 0.75);
    EXPECT_DOUBLE_EQ(effect.controller->plainParamToNormalized(kParamInput, 99.0), 1.0);
    EXPECT_DOUBLE_EQ(effect.controller->plainParamToNormalized(kParamDrive, -5.0), 0.0);
}

TEST_F(Parameters, SettingAValueUpdatesControllerAndEffect) {
    EXPECT_EQ(effect.controller->setParamNormalized(kParamMix, 0.25), kResultOk);
    EXPECT_DOUBLE_EQ(effect.Normalized(kParamMix), 0.25);
    const auto state = effect.SaveState();
    ASSERT_EQ(state.size(), 76u);
    double mix = 0.0;
    std::memcpy(&mix, state.data() + 8 * kParamMix, 8);
    EXPECT_DOUBLE_EQ(mix, 25.0);
}

TEST_F(Parameters, OutOfRangeValuesAreClampedAndNotANumberRefused) {
    EXPECT_EQ(effect.controller->setParamNormalized(kParamDrive, 7.0), kResultOk);
    EXPECT_DOUBLE_EQ(effect.Normalized(kParamDrive), 1.0);
    EXPECT_EQ(effect.controller->setParamNormalized(kParamDrive, -3.0), kResultOk);
    EXPECT_DOUBLE_EQ(effect.Normalized(kParamDrive), 0.0);
    EXPECT_NE(effect.controller->setParamNormalized(kParamDrive, std::nan("")), kResultOk);
    EXPECT_DOUBLE_EQ(effect.Normalized(kParamDrive), 0.0);
}

TEST_F(Parameters, UnknownIdsAreRefusedAndChangeNothing) {
    const auto before = effect.SaveState();
    EXPECT_EQ(effect.controller->setParamNormalized(42, 0.5), kResultFalse);
    EXPECT_EQ(effect.controller->setParamNormalized(65537, 0.5), kResultFalse);
    EXPECT_DOUBLE_EQ(effect.controller->getParamNormalized(42), 0.0);
    String128 text{};
    EXPECT_NE(effect.controller->getParamStringByValue(42, 0.5, text), kResultOk);
    EXPECT_EQ(effect.SaveState(), before);
}

TEST_F(Parameters, HostBypassChangesOnlyTheControllerUntilItReachesProcessing) {
    ASSERT_TRUE(effect.Start(2, kSample64));
    EXPECT_EQ(effect.controller->setParamNormalized(kBypassId, 1.0), kResultOk);
    EXPECT_DOUBLE_EQ(effect.Normalized(kBypassId), 1.0);
    EXPECT_EQ(effect.SaveState().back(), 0);  // the processor is not bypassed yet

    Block block(2, 64, kSample64);
    block.AddChange(kBypassId, 0, 1.0);
    block.Run(*effect.processor);
    EXPECT_EQ(effect.SaveState()[72], 1);
}

TEST_F(Parameters, ControllerStateCallsAreAcceptedAndIgnored) {
    MemoryStream stream;
    EXPECT_EQ(effect.controller->setComponentState(&stream), kResultOk);
    EXPECT_EQ(effect.controller->getState(&stream), kResultOk);
    EXPECT_EQ(stream.getSize(), 0);
    EXPECT_EQ(effect.controller->setState(&stream), kResultOk);
    EXPECT_EQ(effect.controller->createView("other"), nullptr);
}
