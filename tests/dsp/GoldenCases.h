#pragma once

#include <string>
#include <vector>

#include "FilterEngine.h"

namespace quendaris::golden {

constexpr int kSamplePositions = 7;

// One fixed rendering: settings, an optional model switch part-way through, channel count.
struct Case {
    std::string name;
    BlockParameters params;
    int switchBlock = -1;  // host block at which the Model parameter changes
    int switchToModel = 0;
    int channels = 2;
};

// Fingerprint of a rendering: checksums over all output samples and a few stored samples.
struct Result {
    double sum = 0.0;
    double sumOfSquares = 0.0;
    double left[kSamplePositions] = {};
    double right[kSamplePositions] = {};
    double spectrumSum = 0.0;
};

std::vector<Case> Cases();
Result Run(const Case& c);

}  // namespace quendaris::golden
