#include "ArgumentParser.h"

#include <gtest/gtest.h>

namespace quendaris::render {
namespace {

RenderOptions Parse(std::vector<std::string> arguments) {
    return ParseArguments(arguments);
}

TEST(ArgumentParser, DefaultsRenderTheDemoInSinglePrecision) {
    const auto options = Parse({"-o", "out.wav"});
    EXPECT_FALSE(options.inputPath.has_value());
    EXPECT_EQ(options.outputPath, "out.wav");
    EXPECT_EQ(options.blockSize, 512);
    EXPECT_EQ(options.precision, SamplePrecision::Single);
    EXPECT_FALSE(options.sampleRate.has_value());
    EXPECT_DOUBLE_EQ(options.tailSeconds, 0.0);
    EXPECT_FALSE(options.bypass);
    EXPECT_FALSE(options.floatOutput);
}

TEST(ArgumentParser, ReadsEveryOptionInBothSpellings) {
    const auto options =
        Parse({"in.flac", "--output=out.flac", "--set", "Cutoff=800", "--set=Model=P-Filter",
               "--ramp", "Output=-24:-6", "--block", "64", "--precision=64", "--rate", "44100",
               "--tail", "1.5", "--plugin", "/x/q.vst3", "--bypass", "--no-progress", "--float"});
    EXPECT_EQ(*options.inputPath, "in.flac");
    EXPECT_EQ(options.outputPath, "out.flac");
    ASSERT_EQ(options.settings.size(), 2u);
    EXPECT_EQ(options.settings[0].name, "Cutoff");
    EXPECT_EQ(options.settings[0].value, "800");
    EXPECT_EQ(options.settings[1].value, "P-Filter");
    ASSERT_EQ(options.ramps.size(), 1u);
    EXPECT_EQ(options.ramps[0].name, "Output");
    EXPECT_EQ(options.ramps[0].from, "-24");
    EXPECT_EQ(options.ramps[0].to, "-6");
    EXPECT_EQ(options.blockSize, 64);
    EXPECT_EQ(options.precision, SamplePrecision::Double);
    EXPECT_DOUBLE_EQ(*options.sampleRate, 44100.0);
    EXPECT_DOUBLE_EQ(options.tailSeconds, 1.5);
    EXPECT_EQ(*options.pluginPath, "/x/q.vst3");
    EXPECT_TRUE(options.bypass);
    EXPECT_FALSE(options.showProgress);
    EXPECT_TRUE(options.floatOutput);
}

TEST(ArgumentParser, RampsTakeTextsAndNegativeStarts) {
    const auto options =
        Parse({"-o", "o.wav", "--ramp", "Model=M-Filter:W-Filter", "--ramp", "Cutoff=200:8000"});
    EXPECT_EQ(options.ramps[0].from, "M-Filter");
    EXPECT_EQ(options.ramps[0].to, "W-Filter");
    EXPECT_EQ(options.ramps[1].to, "8000");
}

TEST(ArgumentParser, ListAndHelpNeedNoOutput) {
    EXPECT_TRUE(Parse({"--list"}).listParameters);
    EXPECT_TRUE(Parse({"--help"}).showHelp);
    EXPECT_TRUE(Parse({"-h"}).showHelp);
}

TEST(ArgumentParser, RefusesWhatCannotBeRendered) {
    const std::vector<std::vector<std::string>> bad = {
        {},                                        // no output
        {"in.wav"},                                // no output
        {"-o"},                                    // missing value
        {"-o", "a.wav", "--set", "Cutoff"},        // no '='
        {"-o", "a.wav", "--set", "=800"},          // no name
        {"-o", "a.wav", "--set", "Cutoff="},       // no value
        {"-o", "a.wav", "--ramp", "Cutoff=200"},   // no ':'
        {"-o", "a.wav", "--ramp", "Cutoff=200:"},  // no end
        {"-o", "a.wav", "--block", "0"},           // too small
        {"-o", "a.wav", "--block", "100000"},      // too large
        {"-o", "a.wav", "--block", "12.5"},        // not whole
        {"-o", "a.wav", "--precision", "16"},      // no such precision
        {"-o", "a.wav", "--rate", "fast"},         // not a number
        {"-o", "a.wav", "--rate", "10"},           // absurd rate
        {"-o", "a.wav", "--tail", "-1"},           // negative tail
        {"-o", "a.wav", "--tail", "nan"},          // not finite
        {"-o", "a.wav", "--frobnicate"},           // unknown option
        {"-o", "a.wav", "one.wav", "two.wav"},     // two inputs
        {"-o", "same.wav", "same.wav"},            // would overwrite its own input
    };
    for (const auto& arguments : bad) {
        EXPECT_THROW(ParseArguments(arguments), UsageError) << ::testing::PrintToString(arguments);
    }
}

TEST(ArgumentParser, UsageNamesTheOptions) {
    const std::string usage = UsageText("quendaris-render");
    for (const char* option : {"--set", "--ramp", "--bypass", "--list", "--block", "--precision",
                               "--rate", "--tail", "--plugin", "--float", "-o"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace quendaris::render
