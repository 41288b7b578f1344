#pragma once

#include <string>

namespace quendaris {

// Host API a plug-in object is built for.
enum ApiType { kApiNone = 0, kApiVst3 = 1 };

// Plug-in types: an effect, one without a host bypass parameter, one that needs an output bus.
enum PluginType { kPluginEffect = 0, kPluginNoBypass = 1, kPluginNeedsOutput = 2 };

// Everything that identifies and shapes a plug-in, handed to the frame at construction.
struct PluginConfig {
    int nParams = 0;
    int nPresets = 0;
    std::string channelIOStr;
    std::string pluginName;
    std::string productName;
    std::string mfrName;
    int vendorVersion = 0;  // major << 16 | minor << 8 | patch
    int uniqueId = 0;       // four-character code
    int mfrId = 0;          // four-character code
    int latency = 0;
    bool doesMidiIn = false;
    bool doesMidiOut = false;
    bool doesMPE = false;
    bool doesStateChunks = false;
    int plugType = kPluginEffect;
    bool hasEditor = false;
    int editorWidth = 0;
    int editorHeight = 0;
    int editorWidthLimitA = 0;  // the two width limits, in either order
    int editorWidthLimitB = 0;
    int editorHeightLimitA = 0;
    int editorHeightLimitB = 0;
    bool hostMayResize = false;
    std::string bundleId;
    std::string appGroupId;
};

// Per-instance information the host API supplies at creation; none is needed so far.
struct InstanceInfo {};

constexpr int FourCharCode(const char (&code)[5]) {
    return static_cast<int>(static_cast<unsigned>(static_cast<unsigned char>(code[0])) << 24 |
                            static_cast<unsigned>(static_cast<unsigned char>(code[1])) << 16 |
                            static_cast<unsigned>(static_cast<unsigned char>(code[2])) << 8 |
                            static_cast<unsigned>(static_cast<unsigned char>(code[3])));
}

}  // namespace quendaris
