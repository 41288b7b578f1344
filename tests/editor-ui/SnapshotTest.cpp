#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "BrisvaleConfig.h"
#include "BrisvaleLayout.h"
#include "EditorSnapshot.h"
#include "RenderHarness.h"
#include "SnapshotOptions.h"
#include "frame/Param.h"

namespace quendaris::snapshot {
namespace {

SnapshotOptions Parse(std::vector<std::string> args) {
    return ParseSnapshotArguments(args);
}

TEST(SnapshotOptions, SettingsInputScaleAndOutput) {
    const SnapshotOptions o = Parse({"--set", "Model=P-Filter", "--set", "Cutoff=800 Hz", "--input",
                                     "song.wav", "--scale", "2", "out.png"});
    ASSERT_EQ(o.settings.size(), 2u);
    EXPECT_EQ(o.settings[0].name, "Model");
    EXPECT_EQ(o.settings[0].value, "P-Filter");
    EXPECT_EQ(o.settings[1].value, "800 Hz");
    EXPECT_EQ(o.inputPath.value_or(""), "song.wav");
    EXPECT_EQ(o.scale, 2.0f);
    EXPECT_EQ(o.outputPath, "out.png");
    EXPECT_EQ(Parse({"-o", "x.png"}).outputPath, "x.png");
    EXPECT_TRUE(Parse({"--help"}).showHelp);
    EXPECT_TRUE(Parse({"--list-parameters"}).listParameters);
}

TEST(SnapshotOptions, MistakesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--set", "Cutoff", "out.png"},
        {"--set", "=5", "out.png"},
        {"--set", "Cutoff=", "out.png"},
        {"--scale", "3", "out.png"},
        {"--input"},
        {"--input", "a.wav", "--demo", "out.png"},
        {"--frobnicate", "out.png"},
        {"a.png", "b.png"},
    };
    for (const auto& args : bad)
        EXPECT_THROW(Parse(args), SnapshotUsageError) << (args.empty() ? "" : args[0]);
}

TEST(EditorSnapshot, ParametersResolveLikeTheRenderTool) {
    EditorSnapshot editor;
    editor.Set("Cutoff", "800");
    editor.Set("model", "P-Filter");
    editor.Set("Poles", "4-Pole");
    editor.Set("Output", "-60 dB");
    Brisvale& plugin = editor.Plugin();
    EXPECT_NEAR(plugin.GetParam(kParamCutoff)->Value(), 800.0, 1e-6);
    EXPECT_DOUBLE_EQ(plugin.GetParam(kParamModel)->Value(), 2.0);
    EXPECT_DOUBLE_EQ(plugin.GetParam(kParamPoles)->Value(), 1.0);
    // Out of range clamps, as in quendaris-render.
    EXPECT_DOUBLE_EQ(plugin.GetParam(kParamOutput)->Value(), -24.0);
    // The open editor follows the parameters.
    EXPECT_DOUBLE_EQ(editor.Graphics().GetControl(kCtrlModelP)->ReadValue(0), 2.0 / 3.0);
    EXPECT_THROW(editor.Set("Wobble", "1"), render::ParameterError);
    EXPECT_THROW(editor.Set("Model", "Z-Filter"), render::ParameterError);
}

TEST(EditorSnapshot, PicturesAtBothScales) {
    EditorSnapshot one;
    const PixelImage small = one.Render();
    EXPECT_EQ(small.width, 800);
    EXPECT_EQ(small.height, 580);
    EditorSnapshot two(2.0f);
    const std::string path = test::SceneDir() + "/snapshot_2x.png";
    ASSERT_TRUE(two.WritePng(path));
    const PixelImage large = test::LoadPng(path);
    EXPECT_EQ(large.width, 1600);
    EXPECT_EQ(large.height, 1160);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace quendaris::snapshot
