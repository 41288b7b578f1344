#pragma once

namespace quendaris {

// Where a parameter change came from; passed with every change notification.
enum ParamChangeSource {
    kReset = 0,
    kHost = 1,
    kPresetRecall = 2,
    kUI = 3,
    kDelegate = 4,
    kRecompile = 5,
    kUnknown = 6,
};

// "Reset", "Host", "Preset", "UI", "Editor Delegate", "Recompile", "Unknown";
// any other value is named "Unknown".
const char* ParamChangeSourceLabel(int source);

}  // namespace quendaris
