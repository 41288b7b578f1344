// Hostile values and texts on every controller call: each is answered, clamped or refused, and
// none takes the host down.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "TestHost.h"
#include "public.sdk/source/vst/utility/stringconvert.h"

using namespace Steinberg;
using namespace Steinberg::Vst;
using namespace quendaris::test;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNan = std::numeric_limits<double>::quiet_NaN();
const std::vector<ParamID> kAllIds = {0, 1, 2, 3, 4, 5, 6, 7, 8, kBypassId};
// Values no host should send, with the in-range value each must be read as.
struct Hostile {
    double sent;
    double clamped;
};
const std::vector<Hostile> kOutOfRange = {{-1.0, 0.0},  {2.0, 1.0},   {kInf, 1.0},
                                          {-kInf, 0.0}, {1e300, 1.0}, {-1e300, 0.0}};

std::string Text(const TChar* text) {
    return StringConvert::convert(text);
}

std::string Display(Effect& effect, ParamID id, double normalized) {
    String128 text{};
    EXPECT_EQ(effect.controller->getParamStringByValue(id, normalized, text), kResultTrue)
        << id << " " << normalized;
    return Text(text);
}

tresult Parse(Effect& effect, ParamID id, std::u16string text, ParamValue& value) {
    text.resize(127, u'\0');
    return effect.controller->getParamValueByString(id, reinterpret_cast<TChar*>(text.data()),
                                                    value);
}

class HostInputs : public ::testing::Test {
  protected:
    Effect effect;
};

}  // namespace

TEST_F(HostInputs, LoneSurrogatesInTypedTextsReadAsReplacementCharacters) {
    // Each malformed text parses like its well-formed reading, with U+FFFD in place of each
    // unpaired surrogate.
    const std::vector<std::pair<std::u16string, std::u16string>> texts = {
        {u"\xD800"
         u"1",
         u"\xFFFD"
         u"1"},
        {u"1000\xD800", u"1000\xFFFD"},
        {u"\xDC00"
         u"50",
         u"\xFFFD"
         u"50"},
        {u"\xD800\xD800"
         u"7",
         u"\xFFFD\xFFFD"
         u"7"},
        {u"12\xDBFF", u"12\xFFFD"},
    };
    for (ParamID id : kAllIds) {
        for (const auto& [malformed, wellFormed] : texts) {
            ParamValue fromMalformed = -1.0, fromWellFormed = -1.0;
            const tresult a = Parse(effect, id, malformed, fromMalformed);
            const tresult b = Parse(effect, id, wellFormed, fromWellFormed);
            EXPECT_EQ(a, b) << id;
            if (a == kResultTrue) {
                EXPECT_EQ(fromMalformed, fromWellFormed) << id;
            }
        }
    }
    ParamValue cutoff = -1.0;
    ASSERT_EQ(Parse(effect, kParamCutoff, u"1000\xD800", cutoff), kResultTrue);
    EXPECT_NEAR(effect.controller->normalizedParamToPlain(kParamCutoff, cutoff), 1000.0, 1e-9);
}

TEST_F(HostInputs, BypassParsesOnlyItsListTexts) {
    ParamValue value = -1.0;
    EXPECT_EQ(Parse(effect, kBypassId, u"on", value), kResultTrue);
    EXPECT_EQ(value, 1.0);
    EXPECT_EQ(Parse(effect, kBypassId, u"off", value), kResultTrue);
    EXPECT_EQ(value, 0.0);
    value = 0.25;
    EXPECT_EQ(Parse(effect, kBypassId, u"o\xD800n", value), kResultFalse);
    EXPECT_EQ(Parse(effect, kBypassId, u"yes", value), kResultFalse);
    EXPECT_EQ(value, 0.25);
}

TEST_F(HostInputs, MissingAndUnterminatedTextsAreSafe) {
    ParamValue value = 0.25;
    for (ParamID id : kAllIds)
        EXPECT_EQ(effect.controller->getParamValueByString(id, nullptr, value), kResultFalse);
    EXPECT_EQ(value, 0.25);
    // A full field with no terminator is read up to its end and no further.
    String128 full;
    for (TChar& unit : full)
        unit = u'9';
    for (ParamID id : kAllIds) {
        value = -1.0;
        const tresult result = effect.controller->getParamValueByString(id, full, value);
        if (result == kResultTrue) {
            EXPECT_GE(value, 0.0);
            EXPECT_LE(value, 1.0);
        }
    }
    EXPECT_EQ(effect.controller->getParamStringByValue(kParamCutoff, 0.5, nullptr), kResultFalse);
}

TEST_F(HostInputs, BypassTextsForAnyValueAreOffOrOn) {
    EXPECT_EQ(Display(effect, kBypassId, -1.0), "off");
    EXPECT_EQ(Display(effect, kBypassId, kNan), "off");
    EXPECT_EQ(Display(effect, kBypassId, -kInf), "off");
    EXPECT_EQ(Display(effect, kBypassId, 2.0), "on");
    EXPECT_EQ(Display(effect, kBypassId, kInf), "on");
    EXPECT_EQ(Display(effect, kBypassId, 1e300), "on");
    // The text agrees with the audio side, which bypasses only above one half.
    EXPECT_EQ(Display(effect, kBypassId, 0.5), "off");
    EXPECT_EQ(Display(effect, kBypassId, 0.51), "on");
}

TEST_F(HostInputs, EveryParameterShowsOutOfRangeValuesAsItsNearestEnd) {
    for (ParamID id : kAllIds) {
        for (const Hostile& value : kOutOfRange)
            EXPECT_EQ(Display(effect, id, value.sent), Display(effect, id, value.clamped))
                << id << " " << value.sent;
        // Not-a-number shows the default, the one safe value.
        ParameterInfo info{};
        const int32 index = id == kBypassId ? 0 : static_cast<int32>(id) + 1;
        ASSERT_EQ(effect.controller->getParameterInfo(index, info), kResultTrue);
        EXPECT_EQ(Display(effect, id, kNan), Display(effect, id, info.defaultNormalizedValue))
            << id;
    }
}

TEST_F(HostInputs, BypassPlainValueIsZeroOrOneWhateverTheHostSends) {
    EXPECT_EQ(effect.controller->normalizedParamToPlain(kBypassId, kNan), 0.0);
    EXPECT_EQ(effect.controller->normalizedParamToPlain(kBypassId, kInf), 1.0);
    EXPECT_EQ(effect.controller->normalizedParamToPlain(kBypassId, -kInf), 0.0);
    EXPECT_EQ(effect.controller->normalizedParamToPlain(kBypassId, 1e300), 1.0);
    EXPECT_EQ(effect.controller->normalizedParamToPlain(kBypassId, -1e300), 0.0);
    EXPECT_EQ(effect.controller->normalizedParamToPlain(kBypassId, 1.0), 1.0);
    EXPECT_EQ(effect.controller->plainParamToNormalized(kBypassId, kNan), 0.0);
    EXPECT_EQ(effect.controller->plainParamToNormalized(kBypassId, 5.0), 1.0);
    EXPECT_EQ(effect.controller->plainParamToNormalized(kBypassId, -kInf), 0.0);
}

TEST_F(HostInputs, PlainValuesStayInsideEveryRange) {
    for (ParamID id : kAllIds) {
        const double low = effect.controller->normalizedParamToPlain(id, 0.0);
        const double high = effect.controller->normalizedParamToPlain(id, 1.0);
        for (const Hostile& value : kOutOfRange) {
            EXPECT_EQ(effect.controller->normalizedParamToPlain(id, value.sent),
                      value.clamped == 0.0 ? low : high)
                << id << " " << value.sent;
        }
        const double fromNan = effect.controller->normalizedParamToPlain(id, kNan);
        EXPECT_GE(fromNan, low) << id;
        EXPECT_LE(fromNan, high) << id;
        for (double plain : {kNan, kInf, -kInf, 1e300, -1e300}) {
            const double normalized = effect.controller->plainParamToNormalized(id, plain);
            EXPECT_GE(normalized, 0.0) << id << " " << plain;
            EXPECT_LE(normalized, 1.0) << id << " " << plain;
        }
    }
}

TEST(HostInputsAtInitialisation, HostWithAMalformedNameGetsAWorkingEffect) {
    NamedHost host(
        u"\xD800"
        u"1");
    Effect effect(&host);
    ASSERT_TRUE(effect.Valid());
    EXPECT_EQ(effect.controller->getParameterCount(), 10);
    ASSERT_TRUE(effect.Start(2, kSample32));
    Block block(2, 64, kSample32);
    block.FillInputConstant(0.25);
    EXPECT_EQ(block.Run(*effect.processor), kResultOk);
}
