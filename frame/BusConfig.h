#pragma once

#include <string>
#include <vector>

namespace quendaris {

enum BusDirection { kInput = 0, kOutput = 1 };

// Channel count standing for "any number of channels" ("*" in a channel I/O string).
constexpr int kWildcardChannels = -64;

struct BusRecord {
    BusDirection direction;
    int nChannels;
};

// One accepted arrangement: its input buses and its output buses.
struct BusConfig {
    std::vector<BusRecord> inputs;
    std::vector<BusRecord> outputs;

    const std::vector<BusRecord>& Buses(BusDirection dir) const {
        return dir == kInput ? inputs : outputs;
    }
    int NBuses(BusDirection dir) const { return static_cast<int>(Buses(dir).size()); }
    // 0 for a bus the configuration does not have.
    int NChannels(BusDirection dir, int busIdx) const;
    int TotalChannels(BusDirection dir) const;
    bool HasWildcard(BusDirection dir) const;
};

// What parsing a channel I/O string found beyond the configurations themselves.
struct ChannelIOSummary {
    int nConfigs = 0;
    int maxInputChannels = 0;
    int maxOutputChannels = 0;
    int maxInputBuses = 0;
    int maxOutputBuses = 0;
};

// Parses "1-1 2-2" style strings: configurations separated by spaces, input and output sides
// joined by "-", buses of a side separated by ".", "*" for any channel count, 0 for no bus.
// Appends to configs.
ChannelIOSummary ParseChannelIOStr(const std::string& text, std::vector<BusConfig>& configs);

}  // namespace quendaris
