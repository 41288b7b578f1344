#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "FilterParams.h"
#include "Param.h"
#include "PluginBase.h"

namespace quendaris {
namespace {

class ParamTest : public ::testing::Test {
  protected:
    ParamTest() : plugin(testing::FilterConfig()) { testing::DeclareFilterParams(plugin); }

    Param& P(int index) { return *plugin.GetParam(index); }
    std::string Format(int index, double value, bool normal = false, bool texts = true) {
        std::string text;
        P(index).FormatValue(value, normal, text, texts);
        return text;
    }

    PluginBase plugin;
};

// --- Default construction -------------------------------------------------------------------

TEST(ParamDefaults, FreshParamIsUndeclaredUnitRange) {
    Param param;
    EXPECT_EQ(param.Type(), kTypeNone);
    EXPECT_EQ(param.Unit(), 21);
    EXPECT_EQ(param.Value(), 0.0);
    EXPECT_EQ(param.Min(), 0.0);
    EXPECT_EQ(param.Max(), 1.0);
    EXPECT_EQ(param.Step(), 1.0);
    EXPECT_EQ(param.DisplayPrecision(), 0);
    EXPECT_STREQ(param.Name(), "");
    EXPECT_STREQ(param.Label(), "");
    EXPECT_EQ(param.DisplayTextCount(), 0);
    EXPECT_EQ(param.GetShape().DisplayKind(), 0);
}

// --- Formatting -----------------------------------------------------------------------------

TEST_F(ParamTest, WholeStepRoundsHalfAwayFromZero) {
    EXPECT_EQ(Format(0, 1840.0), "1840");
    EXPECT_EQ(Format(0, 1840.5), "1841");
}

TEST_F(ParamTest, TenthStepShowsOneDecimal) {
    EXPECT_EQ(Format(1, 50.0), "50.0");
    EXPECT_EQ(Format(3, -24.0), "-24.0");
}

TEST_F(ParamTest, NegativeZeroNeverShowsMinus) {
    EXPECT_EQ(Format(3, -0.0), "0.0");
    Param whole;
    whole.DeclareDouble("Whole", 0., -10., 10., 1.);
    std::string text;
    whole.FormatValue(-0.3, false, text, true);
    EXPECT_EQ(text, "0");
}

TEST_F(ParamTest, SignDisplayForcesPlusOnPositiveValues) {
    Param gain;
    gain.DeclareDouble("Gain", 0., -24., 24., 0.1, " dB", Param::kFlagSignDisplay);
    std::string text;
    gain.FormatValue(3.0, false, text, true);
    EXPECT_EQ(text, "+3.0");
    gain.FormatValue(-3.0, false, text, true);
    EXPECT_EQ(text, "-3.0");
    gain.FormatValue(0.0, false, text, true);
    EXPECT_EQ(text, "0.0");
}

TEST_F(ParamTest, NegateDisplayFlipsShownAndParsedSign) {
    Param depth;
    depth.DeclareDouble("Depth", 0., -10., 10., 0.1, "", Param::kFlagNegateDisplay);
    std::string text;
    depth.FormatValue(2.5, false, text, true);
    EXPECT_EQ(text, "-2.5");
    EXPECT_DOUBLE_EQ(depth.ParseText("-2.5"), 2.5);
}

TEST_F(ParamTest, EnumValuesShowTheirTexts) {
    EXPECT_EQ(Format(2, 0), "M-Filter");
    EXPECT_EQ(Format(2, 1), "S-Filter");
    EXPECT_EQ(Format(2, 2), "P-Filter");
    EXPECT_EQ(Format(2, 3), "W-Filter");
    EXPECT_EQ(Format(7, 1), "4-Pole");
    EXPECT_EQ(Format(8, 0), "Off");
}

TEST_F(ParamTest, ValueWithoutTextFormatsAsNumber) {
    EXPECT_EQ(Format(2, 2.5), "3");
    EXPECT_EQ(Format(2, 2, false, false), "2");
}

TEST_F(ParamTest, NormalisedInputIsMappedFirst) {
    EXPECT_EQ(Format(0, 0.5, true), "2518");
    EXPECT_EQ(Format(2, 2.0 / 3.0, true), "P-Filter");
}

TEST_F(ParamTest, DisplayFunctionReplacesFormatting) {
    Param custom;
    custom.DeclareDouble("Custom", 1., 0., 10., 1., "", 0, "", ShapeLinear(), kUnitCustom,
                         [](double v, std::string& text) { text = "x" + std::to_string(int(v)); });
    std::string text;
    custom.FormatValue(4, false, text, true);
    EXPECT_EQ(text, "x4");
}

TEST_F(ParamTest, HugeValueTextStaysWithinField) {
    Param wide;
    wide.DeclareDouble("Wide", 0., -1e300, 1e300, 0.001);
    std::string text;
    wide.FormatValue(1e300, false, text, true);
    EXPECT_EQ(text.size(), 31u);
    EXPECT_EQ(text.substr(0, 4), "1000");
}

// --- Parsing --------------------------------------------------------------------------------

TEST_F(ParamTest, ParseFindsDisplayText) {
    EXPECT_EQ(P(2).ParseText("S-Filter"), 1.0);
}

TEST_F(ParamTest, ParseOfNumberOnEnumGivesZero) {
    EXPECT_EQ(P(2).ParseText("2"), 0.0);
}

TEST_F(ParamTest, ParseConfinesToRange) {
    EXPECT_EQ(P(0).ParseText("1e5"), 20000.0);
    EXPECT_DOUBLE_EQ(P(3).ParseText("-30"), -24.0);
}

TEST_F(ParamTest, ParseIsCaseSensitive) {
    EXPECT_EQ(P(2).ParseText("s-filter"), 0.0);
}

TEST_F(ParamTest, ParseReadsLeadingNumberOnly) {
    EXPECT_DOUBLE_EQ(P(1).ParseText("  12.5 %"), 12.5);
    EXPECT_DOUBLE_EQ(P(1).ParseText("+7"), 7.0);
    EXPECT_DOUBLE_EQ(P(3).ParseText("-.5dB"), -0.5);
    EXPECT_DOUBLE_EQ(P(0).ParseText("2e3Hz"), 2000.0);
    EXPECT_DOUBLE_EQ(P(0).ParseText("300e"), 300.0);
}

TEST_F(ParamTest, NonNumberGivesZeroConfined) {
    EXPECT_EQ(P(0).ParseText("abc"), 20.0);
    EXPECT_EQ(P(1).ParseText(""), 0.0);
    EXPECT_EQ(P(1).ParseText(nullptr), 0.0);
}

TEST_F(ParamTest, TooSmallNumbersReadAsZeroTooLargeAsTheEnds) {
    // Below the smallest double a typed number is zero, not an overflow to the top of the range.
    EXPECT_EQ(P(3).ParseText("1e-400"), 0.0);
    EXPECT_EQ(P(3).ParseText("-1e-400"), 0.0);
    EXPECT_EQ(P(3).ParseText(("0." + std::string(400, '0') + "7").c_str()), 0.0);
    EXPECT_EQ(P(0).ParseText("1e-400"), 20.0);
    EXPECT_EQ(P(3).ParseText("1e400"), 24.0);
    EXPECT_EQ(P(3).ParseText("-1e400"), -24.0);
    EXPECT_EQ(P(3).ParseText(("1" + std::string(400, '0')).c_str()), 24.0);
    EXPECT_EQ(P(3).ParseText(("0.0000001" + std::string(400, '0') + "e400 dB").c_str()), 24.0);
}

TEST_F(ParamTest, ParseRefusesNanAndInfinityWords) {
    EXPECT_EQ(P(1).ParseText("nan"), 0.0);
    EXPECT_EQ(P(0).ParseText("inf"), 20.0);
    EXPECT_EQ(P(0).ParseText("0x10"), 20.0);
}

// --- Normalisation and confinement ----------------------------------------------------------

TEST_F(ParamTest, ToNormalClampsOutsideRange) {
    EXPECT_EQ(P(0).ToNormal(5.0), 0.0);
    EXPECT_EQ(P(0).ToNormal(30000.0), 1.0);
}

TEST_F(ParamTest, CutoffFollowsCubicCurve) {
    EXPECT_DOUBLE_EQ(P(0).FromNormal(0.5), 2517.5);
    EXPECT_DOUBLE_EQ(P(0).FromNormal(0.25), 332.1875);
    EXPECT_DOUBLE_EQ(P(0).FromNormal(0.75), 8449.0625);
    EXPECT_NEAR(P(0).DefaultValue(true), 0.449944, 1e-6);
    EXPECT_EQ(P(0).FromNormal(1.0), 20000.0);
    EXPECT_EQ(P(0).FromNormal(0.0), 20.0);
}

TEST_F(ParamTest, SteppedValuesRoundThenClamp) {
    P(2).SetValue(2.5);
    EXPECT_EQ(P(2).Value(), 3.0);
    P(2).SetValue(-0.5);
    EXPECT_EQ(P(2).Value(), 0.0);
}

TEST_F(ParamTest, ContinuousValueIsNotStepped) {
    P(0).SetValue(1840.4);
    EXPECT_EQ(P(0).Value(), 1840.4);
    EXPECT_EQ(Format(0, P(0).Value()), "1840");
}

TEST_F(ParamTest, SetNormalStoresConfinedRealValue) {
    P(2).SetNormal(0.4);
    EXPECT_EQ(P(2).Value(), 1.0);
    P(3).SetNormal(1.7);
    EXPECT_EQ(P(3).Value(), 24.0);
    EXPECT_DOUBLE_EQ(P(3).Normal(), 1.0);
}

TEST_F(ParamTest, NanWritesAreIgnored) {
    P(1).SetValue(33.0);
    P(1).SetValue(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(P(1).Value(), 33.0);
    P(1).SetNormal(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(P(1).Value(), 33.0);
    EXPECT_EQ(P(1).Confine(std::numeric_limits<double>::quiet_NaN()), 50.0);
    EXPECT_EQ(P(1).ToNormal(std::numeric_limits<double>::quiet_NaN()), 0.5);
}

TEST_F(ParamTest, InfinitiesClampToEnds) {
    P(0).SetValue(std::numeric_limits<double>::infinity());
    EXPECT_EQ(P(0).Value(), 20000.0);
    P(0).SetNormal(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(P(0).Value(), 20.0);
}

// --- Declaration ----------------------------------------------------------------------------

TEST(ParamDeclare, MaximumRaisedToMinimumPlusStep) {
    Param param;
    param.DeclareDouble("Narrow", 5., 5., 3., 0.5);
    EXPECT_EQ(param.Max(), 5.5);
}

TEST(ParamDeclare, PrecisionFollowsStepDecimals) {
    Param a, b, c, d;
    a.DeclareDouble("A", 0., 0., 10., 1.);
    b.DeclareDouble("B", 0., 0., 10., 0.1);
    c.DeclareDouble("C", 0., 0., 10., 0.25);
    d.DeclareDouble("D", 0., 0., 10., 1e-9);
    EXPECT_EQ(a.DisplayPrecision(), 0);
    EXPECT_EQ(b.DisplayPrecision(), 1);
    EXPECT_EQ(c.DisplayPrecision(), 2);
    EXPECT_EQ(d.DisplayPrecision(), 6);
}

TEST(ParamDeclare, EnumAndBoolKeepTheirTypeAndStep) {
    Param e, b;
    e.DeclareEnum("E", 1, 3, "", 0, "", {"a", "b", "c"});
    b.DeclareBool("B", true, "", 0, "", "no", "yes");
    EXPECT_EQ(e.Type(), kTypeEnum);
    EXPECT_EQ(b.Type(), kTypeBool);
    EXPECT_TRUE(e.IsStepped());
    EXPECT_TRUE(b.IsStepped());
    EXPECT_EQ(e.Max(), 2.0);
    EXPECT_EQ(b.Value(), 1.0);
    EXPECT_EQ(e.DisplayTextCount(), 3);
    EXPECT_STREQ(b.DisplayTextFor(1), "yes");
}

TEST(ParamDeclare, EnumWithoutTextsOrWithFewerTextsIsSafe) {
    Param none, fewer, nullFirst;
    none.DeclareEnum("None", 0, 4);
    fewer.DeclareEnum("Fewer", 0, 4, "", 0, "", {"a", "b"});
    nullFirst.DeclareEnum("Null", 0, 4, "", 0, "", {nullptr, "b"});
    EXPECT_EQ(none.DisplayTextCount(), 0);
    EXPECT_EQ(fewer.DisplayTextCount(), 2);
    EXPECT_EQ(nullFirst.DisplayTextCount(), 0);
}

TEST(ParamDeclare, EnumIgnoresTextsBeyondCount) {
    Param e;
    e.DeclareEnum("E", 0, 2, "", 0, "", {"a", "b", "c"});
    EXPECT_EQ(e.DisplayTextCount(), 2);
}

TEST(ParamDeclare, OverlongTextsAreCutToThirtyOneCharacters) {
    const char* longText = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghij";
    Param param;
    param.DeclareDouble(longText, 0., 0., 1., 0.1, longText, 0, longText);
    param.AddDisplayText(0.5, longText);
    EXPECT_STREQ(param.Name(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    EXPECT_STREQ(param.StoredLabel(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    EXPECT_STREQ(param.Group(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    EXPECT_STREQ(param.DisplayTextFor(0.5), "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
}

TEST(ParamDeclare, NullTextsBecomeEmpty) {
    Param param;
    param.DeclareDouble(nullptr, 0., 0., 1., 0.1, nullptr, 0, nullptr);
    EXPECT_STREQ(param.Name(), "");
    EXPECT_STREQ(param.Label(), "");
}

TEST(ParamDeclare, DuplicateTextForValueIsNeverFound) {
    Param param;
    param.DeclareEnum("E", 0, 2, "", 0, "", {"first", "second"});
    param.AddDisplayText(0, "again");
    EXPECT_STREQ(param.DisplayTextFor(0), "first");
    EXPECT_EQ(param.DisplayTextCount(), 3);
}

TEST(ParamShape, PowCurveDisplayKinds) {
    EXPECT_EQ(ShapePowCurve(3.0).DisplayKind(), 6);
    EXPECT_EQ(ShapePowCurve(2.0).DisplayKind(), 4);
    EXPECT_EQ(ShapePowCurve(0.3).DisplayKind(), 5);
    EXPECT_EQ(ShapePowCurve(0.5).DisplayKind(), 3);
    EXPECT_EQ(ShapePowCurve(1.0).DisplayKind(), 0);
}

// --- Labels ---------------------------------------------------------------------------------

TEST_F(ParamTest, LabelHiddenWhileValueHasText) {
    EXPECT_STREQ(P(0).Label(), " Hz");
    EXPECT_STREQ(P(8).Label(), "");
    P(8).SetValue(1);
    EXPECT_STREQ(P(8).Label(), "");
    EXPECT_STREQ(P(7).Label(), "");
    EXPECT_STREQ(P(2).Label(), "");
}

TEST_F(ParamTest, NamesAndDefaultsOfTheNineParameters) {
    const char* names[] = {"Cutoff", "Resonance", "Model", "Input", "Drive",
                           "Mix",    "Output",    "Poles", "Bypass"};
    const double normals[] = {0.449944, 0.5, 0.0, 0.5, 0.0, 1.0, 0.5, 0.0, 0.0};
    for (int i = 0; i < 9; ++i) {
        EXPECT_STREQ(P(i).Name(), names[i]);
        EXPECT_NEAR(P(i).DefaultValue(true), normals[i], 1e-6) << names[i];
    }
}

}  // namespace
}  // namespace quendaris
