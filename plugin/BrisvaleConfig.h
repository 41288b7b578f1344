#pragma once

#include "frame/PluginConfig.h"

namespace quendaris {

// Parameter indices: each one is the parameter's identity in state, host ids and controls,
// so the order is part of the stored-state format and must never change.
enum BrisvaleParam {
    kParamCutoff = 0,
    kParamResonance,
    kParamModel,
    kParamInput,
    kParamDrive,
    kParamMix,
    kParamOutput,
    kParamPoles,
    kParamBypass,
    kNumBrisvaleParams
};

// The construction record of the effect.
PluginConfig BrisvaleConfig();

}  // namespace quendaris
