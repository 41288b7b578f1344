#pragma once

#include <cstddef>
#include <vector>

namespace quendaris::render {

// Planar audio in double precision: one vector per channel, all of the same length.
struct AudioBuffer {
    double sampleRate = 0.0;
    std::vector<std::vector<double>> channels;

    AudioBuffer() = default;
    AudioBuffer(int channelCount, size_t frames, double rate)
        : sampleRate(rate),
          channels(static_cast<size_t>(channelCount), std::vector<double>(frames)) {}

    int ChannelCount() const { return static_cast<int>(channels.size()); }
    size_t FrameCount() const { return channels.empty() ? 0 : channels.front().size(); }
    double DurationSeconds() const {
        return sampleRate > 0.0 ? static_cast<double>(FrameCount()) / sampleRate : 0.0;
    }
};

}  // namespace quendaris::render
