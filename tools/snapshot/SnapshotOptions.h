#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "RenderOptions.h"

namespace quendaris::snapshot {

struct SnapshotOptions {
    std::string outputPath;
    std::vector<render::ParameterSetting> settings;
    std::optional<std::string> inputPath;
    bool demo = false;  // feed the render tool's demo signal
    float scale = 1.0f;
    bool listParameters = false;
    bool showHelp = false;
};

// A command line that cannot be acted on; the message says what to fix.
class SnapshotUsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

SnapshotOptions ParseSnapshotArguments(const std::vector<std::string>& arguments);
std::string SnapshotUsage(const std::string& programName);

}  // namespace quendaris::snapshot
