#pragma once

#include "ParameterResolver.h"

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace quendaris::render::testing {

// A stand-in controller with the shapes a filter plug-in has: a cubic frequency knob, a linear
// gain in dB, a four-way list, two switches and the host's bypass.
class FakeParameters : public ParameterConverter {
  public:
    std::vector<ParameterDescription> Descriptions() const {
        return {
            {65536, "Bypass", "", 1, 0.0, true, true},
            {0, "Cutoff", " Hz", 0, 0.449944, false, false},
            {2, "Model", "", 3, 0.0, true, false},
            {6, "Output", " dB", 0, 0.5, false, false},
            {8, "Bypass", "", 1, 0.0, true, false},
        };
    }

    double ToPlain(uint32_t id, double n) const override {
        switch (id) {
            case 0:
                return 20.0 + 19980.0 * n * n * n;
            case 2:
                return 3.0 * n;
            case 6:
                return -24.0 + 48.0 * n;
            default:
                return n;
        }
    }
    double ToNormalized(uint32_t id, double plain) const override {
        switch (id) {
            case 0:
                return std::cbrt((plain - 20.0) / 19980.0);
            case 2:
                return plain / 3.0;
            case 6:
                return (plain + 24.0) / 48.0;
            default:
                return plain;
        }
    }
    std::string Text(uint32_t id, double n) const override {
        static const std::vector<std::string> models = {"M-Filter", "S-Filter", "P-Filter",
                                                        "W-Filter"};
        switch (id) {
            case 2:
                return models[static_cast<size_t>(std::lround(3.0 * n))];
            case 8:
                return n > 0.5 ? "On" : "Off";
            case 65536:
                return n > 0.5 ? "on" : "off";
            default:
                return std::to_string(std::lround(ToPlain(id, n)));
        }
    }
};

}  // namespace quendaris::render::testing
