#include "Summary.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace quendaris::render {
namespace {

double ToDb(double amplitude) {
    return amplitude > 0.0 ? 20.0 * std::log10(amplitude)
                           : -std::numeric_limits<double>::infinity();
}

std::string FormatLevels(const char* label, const std::vector<ChannelLevels>& levels) {
    std::string text;
    for (size_t c = 0; c < levels.size(); ++c) {
        char line[128];
        std::snprintf(line, sizeof(line), "  %-6s ch %zu  peak %9s dBFS  RMS %9s dBFS\n", label,
                      c + 1, FormatDb(levels[c].peakDb).c_str(), FormatDb(levels[c].rmsDb).c_str());
        text += line;
    }
    return text;
}

}  // namespace

std::vector<ChannelLevels> MeasureLevels(const AudioBuffer& audio) {
    std::vector<ChannelLevels> levels;
    for (const auto& channel : audio.channels) {
        double peak = 0.0;
        double energy = 0.0;
        for (double sample : channel) {
            peak = std::fmax(peak, std::fabs(sample));
            energy += sample * sample;
        }
        const double meanSquare = channel.empty() ? 0.0 : energy / channel.size();
        levels.push_back({ToDb(peak), ToDb(std::sqrt(meanSquare))});
    }
    return levels;
}

double RealTimeFactor(double audioSeconds, double wallSeconds) {
    if (wallSeconds <= 0.0) {
        return std::numeric_limits<double>::infinity();
    }
    return audioSeconds / wallSeconds;
}

std::string FormatDb(double db) {
    if (std::isinf(db) && db < 0.0) {
        return "-inf";
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f", db);
    return text;
}

std::string FormatReport(const RenderReport& report) {
    char line[160];
    std::string text = FormatLevels("input", report.input) + FormatLevels("output", report.output);
    const double factor = RealTimeFactor(report.audioSeconds, report.wallSeconds);
    std::snprintf(line, sizeof(line), "  %zu frames (%.2f s of audio) in %.2f s: %.1fx real time\n",
                  report.framesProcessed, report.audioSeconds, report.wallSeconds, factor);
    return text + line;
}

}  // namespace quendaris::render
