#include "ParameterResolver.h"

#include "TextMatch.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quendaris::render {
namespace {

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<double> ParseWholeNumber(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const double value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size() || errno == ERANGE || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<uint32_t> ParseId(const std::string& text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), ::isdigit) || text.size() > 9) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(std::stoul(text));
}

std::string Join(const std::vector<std::string>& items) {
    std::string joined;
    for (const auto& item : items) {
        joined += (joined.empty() ? "" : ", ") + item;
    }
    return joined;
}

std::string FormatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.10g", value);
    return text;
}

}  // namespace

ParameterResolver::ParameterResolver(std::vector<ParameterDescription> parameters,
                                     const ParameterConverter& converter)
    : parameters_(std::move(parameters)), converter_(converter) {}

const ParameterDescription& ParameterResolver::Find(const std::string& nameOrId) const {
    const ParameterDescription* found = nullptr;
    for (const auto& parameter : parameters_) {
        if (EqualsIgnoringCase(parameter.name, nameOrId) &&
            (found == nullptr || (parameter.isBypass && !found->isBypass))) {
            found = &parameter;
        }
    }
    if (const auto id = ParseId(nameOrId); found == nullptr && id) {
        for (const auto& parameter : parameters_) {
            if (parameter.id == *id) {
                found = &parameter;
            }
        }
    }
    if (found == nullptr) {
        throw ParameterError("unknown parameter \"" + nameOrId + "\"; valid names: " + NameList());
    }
    return *found;
}

bool ParameterResolver::Knows(const std::string& nameOrId) const {
    return std::any_of(parameters_.begin(), parameters_.end(), [&](const auto& parameter) {
        return EqualsIgnoringCase(parameter.name, nameOrId) ||
               std::to_string(parameter.id) == nameOrId;
    });
}

ResolvedValue ParameterResolver::Resolve(const std::string& nameOrId,
                                         const std::string& text) const {
    const auto& parameter = Find(nameOrId);
    const auto texts = DisplayTexts(parameter);
    const std::string wanted = Trim(text);
    for (size_t step = 0; step < texts.size(); ++step) {
        if (EqualsIgnoringCase(texts[step], wanted)) {
            const double normalized =
                static_cast<double>(step) / static_cast<double>(parameter.stepCount);
            return {parameter.id, parameter.name, normalized,
                    converter_.ToPlain(parameter.id, normalized), std::nullopt};
        }
    }
    if (const auto plain = ParseRealValue(parameter, wanted)) {
        return FromPlain(parameter, text, *plain);
    }
    std::string message = "cannot use \"" + text + "\" for " + parameter.name + ": ";
    if (!texts.empty()) {
        message += "valid values are " + Join(texts);
    } else {
        message += "expected a number from " + FormatNumber(Minimum(parameter)) + " to " +
                   FormatNumber(Maximum(parameter)) + Trim(parameter.units).insert(0, " ");
    }
    throw ParameterError(Trim(message));
}

double ParameterResolver::Minimum(const ParameterDescription& parameter) const {
    return std::min(ToPlain(parameter, 0.0), ToPlain(parameter, 1.0));
}

double ParameterResolver::Maximum(const ParameterDescription& parameter) const {
    return std::max(ToPlain(parameter, 0.0), ToPlain(parameter, 1.0));
}

double ParameterResolver::DefaultPlain(const ParameterDescription& parameter) const {
    return ToPlain(parameter, parameter.defaultNormalized);
}

std::string ParameterResolver::Text(const ParameterDescription& parameter,
                                    double normalized) const {
    return converter_.Text(parameter.id, normalized);
}

std::vector<std::string> ParameterResolver::DisplayTexts(
    const ParameterDescription& parameter) const {
    std::vector<std::string> texts;
    if (parameter.stepCount <= 0) {
        return texts;
    }
    for (int step = 0; step <= parameter.stepCount; ++step) {
        texts.push_back(Trim(Text(parameter, static_cast<double>(step) / parameter.stepCount)));
    }
    return texts;
}

double ParameterResolver::ToNormalized(const ParameterDescription& parameter, double plain) const {
    return std::clamp(converter_.ToNormalized(parameter.id, plain), 0.0, 1.0);
}

double ParameterResolver::ToPlain(const ParameterDescription& parameter, double normalized) const {
    return converter_.ToPlain(parameter.id, normalized);
}

// A number, optionally followed by the parameter's unit label ("800Hz", "800 Hz", "70 %").
std::optional<double> ParameterResolver::ParseRealValue(const ParameterDescription& parameter,
                                                        const std::string& text) const {
    if (const auto value = ParseWholeNumber(text)) {
        return value;
    }
    const std::string unit = Trim(parameter.units);
    if (unit.empty() || text.size() <= unit.size()) {
        return std::nullopt;
    }
    const std::string suffix = text.substr(text.size() - unit.size());
    if (!EqualsIgnoringCase(suffix, unit)) {
        return std::nullopt;
    }
    return ParseWholeNumber(Trim(text.substr(0, text.size() - unit.size())));
}

ResolvedValue ParameterResolver::FromPlain(const ParameterDescription& parameter,
                                           const std::string& text, double plain) const {
    ResolvedValue resolved{parameter.id, parameter.name, 0.0, plain, std::nullopt};
    const double low = Minimum(parameter);
    const double high = Maximum(parameter);
    if (plain < low || plain > high) {
        resolved.plain = std::clamp(plain, low, high);
        resolved.clampNote = parameter.name + "=" + Trim(text) + " is outside " +
                             FormatNumber(low) + " to " + FormatNumber(high) + parameter.units +
                             "; using " + FormatNumber(resolved.plain) + parameter.units;
    }
    resolved.normalized = ToNormalized(parameter, resolved.plain);
    return resolved;
}

std::string ParameterResolver::NameList() const {
    std::vector<std::string> names;
    for (const auto& parameter : parameters_) {
        if (std::find(names.begin(), names.end(), parameter.name) == names.end()) {
            names.push_back(parameter.name);
        }
    }
    return Join(names);
}

}  // namespace quendaris::render
