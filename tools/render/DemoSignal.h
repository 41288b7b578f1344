#pragma once

#include "AudioBuffer.h"
#include "RenderOptions.h"

namespace quendaris::render {

constexpr double kDemoSeconds = 8.0;
constexpr double kDemoDefaultRate = 48000.0;

// Four bars at 120 BPM: a bright detuned saw chord progression pulsing in eighths, over kick,
// snare and hi-hat. Deterministic, stereo, peaking at -6 dBFS.
AudioBuffer GenerateDemoSignal(double sampleRate);

// Gives the demo its cutoff sweep and a singing resonance, unless the user chose those
// parameters themselves.
void AddDemoAutomation(RenderOptions& options);

}  // namespace quendaris::render
