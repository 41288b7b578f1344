#include "BusConfig.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace quendaris {

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::string piece;
    std::istringstream stream(text);
    while (std::getline(stream, piece, separator))
        pieces.push_back(piece);
    return pieces;
}

// A piece that is not a number counts as 0 channels, which adds no bus.
int ParseChannelCount(const std::string& piece) {
    if (piece == "*")
        return kWildcardChannels;
    char* end = nullptr;
    long count = std::strtol(piece.c_str(), &end, 10);
    if (end == piece.c_str() || count < 0 || count > 4096)
        return 0;
    return static_cast<int>(count);
}

// Adds the buses of one side; returns the side's channel sum.
int ParseSide(const std::string& side, BusDirection dir, std::vector<BusRecord>& buses) {
    int sum = 0;
    if (side.empty())
        return 0;
    for (const std::string& piece : Split(side, '.')) {
        int count = ParseChannelCount(piece);
        if (count != 0)
            buses.push_back({dir, count});
        sum += count;
    }
    return sum;
}

}  // namespace

int BusConfig::NChannels(BusDirection dir, int busIdx) const {
    const auto& buses = Buses(dir);
    if (busIdx < 0 || busIdx >= static_cast<int>(buses.size()))
        return 0;
    return buses[static_cast<size_t>(busIdx)].nChannels;
}

int BusConfig::TotalChannels(BusDirection dir) const {
    int sum = 0;
    for (const BusRecord& bus : Buses(dir))
        sum += bus.nChannels;
    return sum;
}

bool BusConfig::HasWildcard(BusDirection dir) const {
    const auto& buses = Buses(dir);
    return std::any_of(buses.begin(), buses.end(),
                       [](const BusRecord& bus) { return bus.nChannels == kWildcardChannels; });
}

ChannelIOSummary ParseChannelIOStr(const std::string& text, std::vector<BusConfig>& configs) {
    ChannelIOSummary summary;
    for (const std::string& token : Split(text, ' ')) {
        if (token.empty())
            continue;
        size_t dash = token.find('-');
        std::string inputSide = token.substr(0, dash);
        std::string outputSide = dash == std::string::npos ? "" : token.substr(dash + 1);
        BusConfig config;
        int inputSum = ParseSide(inputSide, kInput, config.inputs);
        int outputSum = ParseSide(outputSide, kOutput, config.outputs);
        summary.maxInputChannels = std::max(summary.maxInputChannels, inputSum);
        summary.maxOutputChannels = std::max(summary.maxOutputChannels, outputSum);
        summary.maxInputBuses = std::max(summary.maxInputBuses, config.NBuses(kInput));
        summary.maxOutputBuses = std::max(summary.maxOutputBuses, config.NBuses(kOutput));
        configs.push_back(std::move(config));
        ++summary.nConfigs;
    }
    return summary;
}

}  // namespace quendaris
