#include "FakeParameters.h"
#include "ParameterListing.h"
#include "ParameterResolver.h"

#include <gtest/gtest.h>

namespace quendaris::render {
namespace {

class ParameterResolverTest : public ::testing::Test {
  protected:
    testing::FakeParameters fake;
    ParameterResolver resolver{fake.Descriptions(), fake};
};

TEST_F(ParameterResolverTest, RealValuesAreTakenWithOrWithoutTheirUnit) {
    EXPECT_DOUBLE_EQ(resolver.Resolve("Cutoff", "800").plain, 800.0);
    EXPECT_DOUBLE_EQ(resolver.Resolve("Cutoff", "800 Hz").plain, 800.0);
    EXPECT_DOUBLE_EQ(resolver.Resolve("Cutoff", "800hz").plain, 800.0);
    EXPECT_DOUBLE_EQ(resolver.Resolve("Output", "-6dB").plain, -6.0);
    EXPECT_NEAR(resolver.Resolve("Cutoff", "2517.5").normalized, 0.5, 1e-12);
}

TEST_F(ParameterResolverTest, NamesAndTextsIgnoreCase) {
    const auto model = resolver.Resolve("model", "p-filter");
    EXPECT_EQ(model.id, 2u);
    EXPECT_NEAR(model.normalized, 2.0 / 3.0, 1e-12);
    EXPECT_DOUBLE_EQ(model.plain, 2.0);
    EXPECT_DOUBLE_EQ(resolver.Resolve("MODEL", "W-Filter").normalized, 1.0);
}

TEST_F(ParameterResolverTest, ListParametersAlsoTakeTheirNumber) {
    EXPECT_NEAR(resolver.Resolve("Model", "1").normalized, 1.0 / 3.0, 1e-12);
}

TEST_F(ParameterResolverTest, BypassByNameIsTheHostBypassAndTheOtherIsReachableById) {
    EXPECT_EQ(resolver.Resolve("Bypass", "On").id, 65536u);
    EXPECT_DOUBLE_EQ(resolver.Resolve("Bypass", "on").normalized, 1.0);
    EXPECT_EQ(resolver.Resolve("8", "On").id, 8u);
}

TEST_F(ParameterResolverTest, OutOfRangeValuesAreClampedAndReported) {
    const auto high = resolver.Resolve("Cutoff", "30000");
    EXPECT_DOUBLE_EQ(high.plain, 20000.0);
    EXPECT_DOUBLE_EQ(high.normalized, 1.0);
    ASSERT_TRUE(high.clampNote.has_value());
    EXPECT_NE(high.clampNote->find("20000"), std::string::npos);

    const auto low = resolver.Resolve("Output", "-100");
    EXPECT_DOUBLE_EQ(low.plain, -24.0);
    EXPECT_TRUE(low.clampNote.has_value());
    EXPECT_FALSE(resolver.Resolve("Output", "3").clampNote.has_value());
}

TEST_F(ParameterResolverTest, UnknownNameListsTheValidNames) {
    try {
        resolver.Resolve("Frequency", "800");
        FAIL() << "an unknown name must be refused";
    } catch (const ParameterError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("Frequency"), std::string::npos);
        EXPECT_NE(message.find("Cutoff, Model, Output"), std::string::npos);
    }
}

TEST_F(ParameterResolverTest, UnknownTextListsTheValidTexts) {
    try {
        resolver.Resolve("Model", "Q-Filter");
        FAIL() << "an unknown text must be refused";
    } catch (const ParameterError& error) {
        EXPECT_NE(std::string(error.what()).find("M-Filter, S-Filter, P-Filter, W-Filter"),
                  std::string::npos);
    }
}

TEST_F(ParameterResolverTest, UnparsableNumbersAreRefused) {
    for (const char* text : {"loud", "800x", "", "nan", "inf", "8 00", "1e999"}) {
        EXPECT_THROW(resolver.Resolve("Cutoff", text), ParameterError) << text;
    }
}

TEST_F(ParameterResolverTest, RangeComesFromTheConverter) {
    const auto& cutoff = resolver.Find("Cutoff");
    EXPECT_DOUBLE_EQ(resolver.Minimum(cutoff), 20.0);
    EXPECT_DOUBLE_EQ(resolver.Maximum(cutoff), 20000.0);
    EXPECT_EQ(resolver.DisplayTexts(resolver.Find("Model")).size(), 4u);
    EXPECT_TRUE(resolver.DisplayTexts(cutoff).empty());
}

TEST_F(ParameterResolverTest, ListingShowsEveryParameterWithItsTexts) {
    const std::string listing = FormatParameterList(resolver);
    for (const char* expected :
         {"65536", "Cutoff", "20 to 20000", "Hz", "M-Filter, S-Filter, P-Filter, W-Filter",
          "Off, On", "off, on  (host bypass)", "-24 to 24"}) {
        EXPECT_NE(listing.find(expected), std::string::npos) << expected;
    }
}

TEST_F(ParameterResolverTest, DisplayValueAddsTheUnitToNumbersOnly) {
    EXPECT_EQ(DisplayValue(resolver, resolver.Find("Cutoff"), 1.0), "20000 Hz");
    EXPECT_EQ(DisplayValue(resolver, resolver.Find("Model"), 1.0), "W-Filter");
}

}  // namespace
}  // namespace quendaris::render
