#pragma once

#include "RenderOptions.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace quendaris::render {

// A command line that cannot be acted on; the message says what to fix.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

constexpr int kMinBlockSize = 1;
constexpr int kMaxBlockSize = 65536;
constexpr double kMinSampleRate = 1000.0;
constexpr double kMaxSampleRate = 768000.0;
constexpr double kMaxTailSeconds = 600.0;

// Turns the arguments after the program name into options; throws UsageError.
RenderOptions ParseArguments(const std::vector<std::string>& arguments);

std::string UsageText(const std::string& programName);

}  // namespace quendaris::render
