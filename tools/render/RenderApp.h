#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quendaris::render {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct AppEnvironment {
    std::string builtBundlePath;
    std::optional<std::string> homeDirectory;
    bool stderrIsTerminal = false;
};

// The whole command: arguments in, exit code out. `out` gets the listing and the written
// file's path, `err` the messages, notes and the summary.
int RunRender(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
              const AppEnvironment& environment);

}  // namespace quendaris::render
