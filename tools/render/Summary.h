#pragma once

#include "AudioBuffer.h"

#include <string>
#include <vector>

namespace quendaris::render {

struct ChannelLevels {
    double peakDb = 0.0;  // dBFS; -infinity for silence
    double rmsDb = 0.0;
};

std::vector<ChannelLevels> MeasureLevels(const AudioBuffer& audio);

struct RenderReport {
    std::vector<ChannelLevels> input;
    std::vector<ChannelLevels> output;
    size_t framesProcessed = 0;
    double audioSeconds = 0.0;
    double wallSeconds = 0.0;
};

// Audio seconds rendered per second of wall-clock time; infinite when too fast to measure.
double RealTimeFactor(double audioSeconds, double wallSeconds);

std::string FormatDb(double db);
std::string FormatReport(const RenderReport& report);

}  // namespace quendaris::render
