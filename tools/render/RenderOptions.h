#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quendaris::render {

// One "Name=Value" request from the command line, still as the user typed it.
struct ParameterSetting {
    std::string name;
    std::string value;
};

// One "Name=From:To" request: a linear ramp over the length of the input.
struct ParameterRampRequest {
    std::string name;
    std::string from;
    std::string to;
};

enum class SamplePrecision { Single = 32, Double = 64 };

struct RenderOptions {
    std::optional<std::string> inputPath;  // none: render the built-in demo
    std::string outputPath;
    std::optional<std::string> pluginPath;
    std::vector<ParameterSetting> settings;
    std::vector<ParameterRampRequest> ramps;
    bool bypass = false;
    bool floatOutput = false;  // 32-bit float samples instead of the input's sample format
    bool listParameters = false;
    bool showHelp = false;
    bool showProgress = true;
    int blockSize = 512;
    SamplePrecision precision = SamplePrecision::Single;
    std::optional<double> sampleRate;
    double tailSeconds = 0.0;
};

}  // namespace quendaris::render
