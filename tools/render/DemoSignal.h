#pragma once

#include "AudioBuffer.h"
#include "RenderOptions.h"

#include <functional>
#include <string>

namespace quendaris::render {

constexpr double kDemoSeconds = 8.0;
constexpr double kDemoDefaultRate = 48000.0;

// Four bars at 120 BPM: a bright detuned saw chord progression pulsing in eighths, over kick,
// snare and hi-hat. Deterministic, stereo, peaking at -6 dBFS.
AudioBuffer GenerateDemoSignal(double sampleRate);

// Gives the demo its cutoff sweep and a singing resonance, unless the user chose those
// parameters themselves or the plug-in has no parameter of that name.
void AddDemoAutomation(RenderOptions& options,
                       const std::function<bool(const std::string& name)>& pluginHas);

}  // namespace quendaris::render
