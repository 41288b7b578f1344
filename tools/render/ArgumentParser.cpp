#include "ArgumentParser.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace quendaris::render {
namespace {

// Strict number parsing: the whole text must be a finite number.
double ParseNumber(const std::string& option, const std::string& text) {
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(begin, &end);
    if (text.empty() || end != begin + text.size() || errno == ERANGE || !std::isfinite(value)) {
        throw UsageError(option + " expects a number, got \"" + text + "\"");
    }
    return value;
}

int ParseInteger(const std::string& option, const std::string& text) {
    const double value = ParseNumber(option, text);
    if (value != std::floor(value) || std::fabs(value) > 1e9) {
        throw UsageError(option + " expects a whole number, got \"" + text + "\"");
    }
    return static_cast<int>(value);
}

// Splits "Name=Value" at the first '='; both sides must be non-empty.
std::pair<std::string, std::string> SplitAssignment(const std::string& option,
                                                    const std::string& text) {
    const auto equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) {
        throw UsageError(option + " expects NAME=VALUE, got \"" + text + "\"");
    }
    return {text.substr(0, equals), text.substr(equals + 1)};
}

ParameterRampRequest ParseRamp(const std::string& text) {
    const auto [name, range] = SplitAssignment("--ramp", text);
    // The separator is the first ':' that is not the value's leading character.
    const auto colon = range.find(':', 1);
    if (colon == std::string::npos || colon + 1 == range.size()) {
        throw UsageError("--ramp expects NAME=FROM:TO, got \"" + text + "\"");
    }
    return {name, range.substr(0, colon), range.substr(colon + 1)};
}

class ArgumentCursor {
  public:
    explicit ArgumentCursor(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    bool Done() const { return index_ >= arguments_.size(); }
    std::string Next() { return arguments_[index_++]; }

    std::string ValueFor(const std::string& option) {
        if (Done()) {
            throw UsageError(option + " needs a value");
        }
        return Next();
    }

  private:
    const std::vector<std::string>& arguments_;
    size_t index_ = 0;
};

using ValueHandler =
    std::function<void(RenderOptions&, const std::string& option, const std::string& value)>;

const std::map<std::string, ValueHandler>& OptionsWithValue() {
    static const std::map<std::string, ValueHandler> handlers = {
        {"-o",
         [](RenderOptions& o, const std::string&, const std::string& v) { o.outputPath = v; }},
        {"--output",
         [](RenderOptions& o, const std::string&, const std::string& v) { o.outputPath = v; }},
        {"--plugin",
         [](RenderOptions& o, const std::string&, const std::string& v) { o.pluginPath = v; }},
        {"--set",
         [](RenderOptions& o, const std::string& option, const std::string& v) {
             const auto [name, value] = SplitAssignment(option, v);
             o.settings.push_back({name, value});
         }},
        {"--ramp", [](RenderOptions& o, const std::string&,
                      const std::string& v) { o.ramps.push_back(ParseRamp(v)); }},
        {"--block",
         [](RenderOptions& o, const std::string& option, const std::string& v) {
             o.blockSize = ParseInteger(option, v);
             if (o.blockSize < kMinBlockSize || o.blockSize > kMaxBlockSize) {
                 throw UsageError("--block must be between " + std::to_string(kMinBlockSize) +
                                  " and " + std::to_string(kMaxBlockSize) + ", got " + v);
             }
         }},
        {"--precision",
         [](RenderOptions& o, const std::string&, const std::string& v) {
             if (v == "32") {
                 o.precision = SamplePrecision::Single;
             } else if (v == "64") {
                 o.precision = SamplePrecision::Double;
             } else {
                 throw UsageError("--precision must be 32 or 64, got \"" + v + "\"");
             }
         }},
        {"--rate",
         [](RenderOptions& o, const std::string& option, const std::string& v) {
             const double rate = ParseNumber(option, v);
             if (rate < kMinSampleRate || rate > kMaxSampleRate) {
                 throw UsageError("--rate must be between 1000 and 768000 Hz, got " + v);
             }
             o.sampleRate = rate;
         }},
        {"--tail",
         [](RenderOptions& o, const std::string& option, const std::string& v) {
             o.tailSeconds = ParseNumber(option, v);
             if (o.tailSeconds < 0.0 || o.tailSeconds > kMaxTailSeconds) {
                 throw UsageError("--tail must be between 0 and 600 seconds, got " + v);
             }
         }},
    };
    return handlers;
}

bool ApplyFlag(RenderOptions& options, const std::string& argument) {
    if (argument == "--bypass") {
        options.bypass = true;
    } else if (argument == "--float") {
        options.floatOutput = true;
    } else if (argument == "--list") {
        options.listParameters = true;
    } else if (argument == "--no-progress") {
        options.showProgress = false;
    } else if (argument == "-h" || argument == "--help") {
        options.showHelp = true;
    } else {
        return false;
    }
    return true;
}

// Handles "--option value" and "--option=value"; false when the argument is no such option.
bool ApplyOptionWithValue(RenderOptions& options, const std::string& argument,
                          ArgumentCursor& cursor) {
    const auto& handlers = OptionsWithValue();
    if (const auto found = handlers.find(argument); found != handlers.end()) {
        found->second(options, argument, cursor.ValueFor(argument));
        return true;
    }
    const auto equals = argument.find('=');
    if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
        const std::string option = argument.substr(0, equals);
        if (const auto found = handlers.find(option); found != handlers.end()) {
            found->second(options, option, argument.substr(equals + 1));
            return true;
        }
    }
    return false;
}

void CheckComplete(const RenderOptions& options) {
    if (options.showHelp || options.listParameters) {
        return;
    }
    if (options.outputPath.empty()) {
        throw UsageError("no output file given (use -o OUTPUT)");
    }
    if (options.inputPath && *options.inputPath == options.outputPath) {
        throw UsageError("the output file must differ from the input file");
    }
}

}  // namespace

RenderOptions ParseArguments(const std::vector<std::string>& arguments) {
    RenderOptions options;
    ArgumentCursor cursor(arguments);
    while (!cursor.Done()) {
        const std::string argument = cursor.Next();
        if (ApplyFlag(options, argument) || ApplyOptionWithValue(options, argument, cursor)) {
            continue;
        }
        if (argument.size() > 1 && argument[0] == '-') {
            throw UsageError("unknown option \"" + argument + "\" (see --help)");
        }
        if (options.inputPath) {
            throw UsageError("only one input file can be rendered at a time, got \"" +
                             *options.inputPath + "\" and \"" + argument + "\"");
        }
        options.inputPath = argument;
    }
    CheckComplete(options);
    return options;
}

std::string UsageText(const std::string& programName) {
    return "Usage: " + programName +
           " [options] [INPUT] -o OUTPUT\n"
           "Renders INPUT (WAV, FLAC, AIFF, OGG, ...) through the QUENDARIS plug-in into OUTPUT,\n"
           "in the input's format. Without INPUT a built-in demo with a cutoff sweep is rendered\n"
           "to a 32-bit float WAV. An integer format clips peaks beyond full scale (a warning\n"
           "says how many); --float keeps them.\n"
           "\n"
           "Options:\n"
           "  -o, --output PATH       file to write (written to a temporary file, then renamed)\n"
           "  --set NAME=VALUE        set a parameter, by value or display text\n"
           "                          (e.g. Cutoff=800, Model=P-Filter, Poles=4-Pole)\n"
           "  --ramp NAME=FROM:TO     automate a parameter linearly over the input; a point is\n"
           "                          sent at every block end, and the tail holds TO\n"
           "  --bypass                render with the plug-in bypassed (same as --set Bypass=On;\n"
           "                          a parameter can also be named by its id, e.g. --set 8=On)\n"
           "  --float                 write 32-bit float samples, which keep peaks beyond full\n"
           "                          scale (in WAV when the input's container has no float)\n"
           "  --list                  list the plug-in's parameters and exit\n"
           "  --block N               block size in frames (default 512)\n"
           "  --precision 32|64       sample precision sent to the plug-in (default 32)\n"
           "  --rate R                sample rate of the demo; must match an input file\n"
           "  --tail SECONDS          render this much silence after the input (ring-out)\n"
           "  --plugin PATH           plug-in bundle to load instead of the built one\n"
           "  --no-progress           no progress bar\n"
           "  -h, --help              this text\n"
           "\n"
           "Exit codes: 0 success, 1 failure while rendering, 2 unusable command line or values.\n";
}

}  // namespace quendaris::render
