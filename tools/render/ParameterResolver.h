#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quendaris::render {

// A parameter name or value the plug-in does not know; the message lists what it does know.
class ParameterError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What the plug-in's controller reports about one parameter.
struct ParameterDescription {
    uint32_t id = 0;
    std::string name;
    std::string units;
    int stepCount = 0;  // 0: continuous
    double defaultNormalized = 0.0;
    bool isList = false;
    bool isBypass = false;
};

// The plug-in's own conversions between normalised values, real values and display texts.
class ParameterConverter {
  public:
    virtual ~ParameterConverter() = default;
    virtual double ToPlain(uint32_t id, double normalized) const = 0;
    virtual double ToNormalized(uint32_t id, double plain) const = 0;
    virtual std::string Text(uint32_t id, double normalized) const = 0;
};

struct ResolvedValue {
    uint32_t id = 0;
    std::string name;
    double normalized = 0.0;
    double plain = 0.0;
    std::optional<std::string> clampNote;  // set when the requested value was out of range
};

class ParameterResolver {
  public:
    ParameterResolver(std::vector<ParameterDescription> parameters,
                      const ParameterConverter& converter);

    // By name (any case) or by numeric id. Two parameters may share a name: "Bypass" is then the
    // host's bypass switch, and the other one stays reachable by its id.
    const ParameterDescription& Find(const std::string& nameOrId) const;
    bool Knows(const std::string& nameOrId) const;

    // A real value ("800", "800 Hz", "-6dB") or a display text ("P-Filter", "On").
    ResolvedValue Resolve(const std::string& nameOrId, const std::string& text) const;

    double Minimum(const ParameterDescription& parameter) const;
    double Maximum(const ParameterDescription& parameter) const;
    double DefaultPlain(const ParameterDescription& parameter) const;
    std::string Text(const ParameterDescription& parameter, double normalized) const;
    // The display texts of an enumerated parameter, one per step; empty for continuous ones.
    std::vector<std::string> DisplayTexts(const ParameterDescription& parameter) const;
    double ToNormalized(const ParameterDescription& parameter, double plain) const;
    double ToPlain(const ParameterDescription& parameter, double normalized) const;

    const std::vector<ParameterDescription>& Parameters() const { return parameters_; }

  private:
    std::optional<double> ParseRealValue(const ParameterDescription& parameter,
                                         const std::string& text) const;
    ResolvedValue FromPlain(const ParameterDescription& parameter, const std::string& text,
                            double plain) const;
    std::string NameList() const;

    std::vector<ParameterDescription> parameters_;
    const ParameterConverter& converter_;
};

}  // namespace quendaris::render
