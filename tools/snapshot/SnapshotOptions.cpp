#include "SnapshotOptions.h"

namespace quendaris::snapshot {

namespace {
render::ParameterSetting ParseSetting(const std::string& text) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) {
        throw SnapshotUsageError("--set needs Name=Value, got \"" + text + "\"");
    }
    return {text.substr(0, equals), text.substr(equals + 1)};
}

float ParseScale(const std::string& text) {
    if (text == "1") {
        return 1.0f;
    }
    if (text == "2") {
        return 2.0f;
    }
    throw SnapshotUsageError("--scale takes 1 or 2, got \"" + text + "\"");
}
}  // namespace

SnapshotOptions ParseSnapshotArguments(const std::vector<std::string>& arguments) {
    SnapshotOptions options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= arguments.size()) {
                throw SnapshotUsageError(a + " needs a value");
            }
            return arguments[++i];
        };
        if (a == "--help" || a == "-h") {
            options.showHelp = true;
        } else if (a == "--list-parameters") {
            options.listParameters = true;
        } else if (a == "--set") {
            options.settings.push_back(ParseSetting(value()));
        } else if (a == "--input") {
            options.inputPath = value();
        } else if (a == "--demo") {
            options.demo = true;
        } else if (a == "--scale") {
            options.scale = ParseScale(value());
        } else if (a == "--output" || a == "-o") {
            options.outputPath = value();
        } else if (!a.empty() && a[0] == '-') {
            throw SnapshotUsageError("unknown option " + a);
        } else if (options.outputPath.empty()) {
            options.outputPath = a;
        } else {
            throw SnapshotUsageError("more than one output file: " + a);
        }
    }
    if (options.inputPath && options.demo) {
        throw SnapshotUsageError("--input and --demo exclude each other");
    }
    if (options.outputPath.empty() && !options.showHelp && !options.listParameters) {
        throw SnapshotUsageError("no output file given");
    }
    return options;
}

std::string SnapshotUsage(const std::string& programName) {
    return "usage: " + programName +
           " [options] OUTPUT.png\n"
           "Draws the QUENDARIS editor off-screen and writes it as a PNG picture.\n"
           "  --set Name=Value   a parameter, as quendaris-render takes it (repeatable):\n"
           "                     --set Model=P-Filter --set Cutoff=800 --set Poles=4-Pole\n"
           "  --input FILE       audio played through the plug-in first, for the display\n"
           "  --demo             the render tool's demo signal instead of a file\n"
           "  --scale 1|2        device pixels per editor pixel (2: 1600 x 1160)\n"
           "  --list-parameters  the parameters and their values, then stop\n";
}

}  // namespace quendaris::snapshot
