#pragma once

#include "vst3/Vst3Plugin.h"

namespace quendaris {

// The host-API layer Brisvale is built on: the frame plus the VST3 adapter.
using BrisvaleBase = Vst3Plugin;

}  // namespace quendaris
