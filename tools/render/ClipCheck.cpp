#include "ClipCheck.h"

#include "Summary.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numeric>

namespace quendaris::render {
namespace {

std::string PerChannel(const std::vector<size_t>& counts) {
    std::string text;
    for (size_t c = 0; c < counts.size(); ++c) {
        text += (c == 0 ? "" : ", ") + std::string("ch ") + std::to_string(c + 1) + ": " +
                std::to_string(counts[c]);
    }
    return text;
}

// The gain reduction, rounded up to the 0.1 dB step Output takes, that brings the peak to full
// scale.
std::string ReductionDb(const AudioBuffer& audio) {
    double peakDb = 0.0;
    for (const auto& levels : MeasureLevels(audio)) {
        peakDb = std::fmax(peakDb, levels.peakDb);
    }
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", std::ceil(peakDb * 10.0) / 10.0);
    return text;
}

std::string FloatWavName(const std::string& outputPath) {
    return std::filesystem::path(outputPath).replace_extension(".wav").string();
}

}  // namespace

std::vector<size_t> CountOverFullScale(const AudioBuffer& audio) {
    std::vector<size_t> counts;
    for (const auto& channel : audio.channels) {
        size_t over = 0;
        for (double sample : channel) {
            over += std::fabs(sample) > 1.0 ? 1 : 0;
        }
        counts.push_back(over);
    }
    return counts;
}

std::optional<std::string> ClippingWarning(const AudioBuffer& audio, AudioFileFormat format,
                                           const std::string& outputPath) {
    if (HoldsOverFullScale(format)) {
        return std::nullopt;
    }
    const auto counts = CountOverFullScale(audio);
    const size_t total = std::accumulate(counts.begin(), counts.end(), size_t{0});
    if (total == 0) {
        return std::nullopt;
    }
    return std::to_string(total) + " samples (" + PerChannel(counts) +
           ") went beyond full scale and were clipped, since " + FormatDescription(format) +
           " cannot hold them. Lower Output by at least " + ReductionDb(audio) +
           " dB, or write 32-bit float, which keeps the peaks as they are: --float -o " +
           FloatWavName(outputPath);
}

}  // namespace quendaris::render
