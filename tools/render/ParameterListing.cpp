#include "ParameterListing.h"

#include <cstdio>

namespace quendaris::render {
namespace {

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g", value);
    return text;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

}  // namespace

std::string DisplayValue(const ParameterResolver& resolver, const ParameterDescription& parameter,
                         double normalized) {
    const std::string text = Trimmed(resolver.Text(parameter, normalized));
    if (!resolver.DisplayTexts(parameter).empty() || parameter.units.empty()) {
        return text;
    }
    return text + " " + Trimmed(parameter.units);
}

std::string FormatParameterList(const ParameterResolver& resolver) {
    char line[256];
    std::snprintf(line, sizeof(line), "%6s  %-10s  %-16s  %-10s  %-6s  %s\n", "id", "name", "range",
                  "default", "unit", "texts");
    std::string text = line;
    for (const auto& parameter : resolver.Parameters()) {
        const std::string range =
            Number(resolver.Minimum(parameter)) + " to " + Number(resolver.Maximum(parameter));
        std::string texts;
        for (const auto& entry : resolver.DisplayTexts(parameter)) {
            texts += (texts.empty() ? "" : ", ") + entry;
        }
        if (parameter.isBypass) {
            texts += "  (host bypass)";
        }
        std::snprintf(line, sizeof(line), "%6u  %-10s  %-16s  %-10s  %-6s  %s\n", parameter.id,
                      parameter.name.c_str(), range.c_str(),
                      Trimmed(resolver.Text(parameter, parameter.defaultNormalized)).c_str(),
                      Trimmed(parameter.units).c_str(), texts.c_str());
        text += line;
    }
    return text;
}

}  // namespace quendaris::render
