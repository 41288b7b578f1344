#pragma once

#include "AudioBuffer.h"

#include <cmath>
#include <cstdint>

namespace quendaris::render::testing {

// A bright, busy test signal: a 110 Hz saw, a 1.3 kHz sine and deterministic noise, different
// on every channel, peaking near -6 dBFS.
inline AudioBuffer BusySignal(int channels, size_t frames, double rate) {
    AudioBuffer audio(channels, frames, rate);
    uint32_t state = 12345u;
    for (int c = 0; c < channels; ++c) {
        for (size_t i = 0; i < frames; ++i) {
            state = state * 1664525u + 1013904223u;
            const double noise = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
            const double t = static_cast<double>(i) / rate;
            const double saw = 2.0 * std::fmod(110.0 * (c + 1) * t, 1.0) - 1.0;
            audio.channels[c][i] =
                0.25 * saw + 0.15 * std::sin(2.0 * M_PI * 1300.0 * t) + 0.1 * noise;
        }
    }
    return audio;
}

}  // namespace quendaris::render::testing
