#pragma once

#include "pluginterfaces/base/ipluginbase.h"

namespace quendaris::vst3 {

// The class id of the effect: component, processor and controller share it.
constexpr Steinberg::uint32 kClassIdWord1 = 0xF2AEE70D;
constexpr Steinberg::uint32 kClassIdWord2 = 0x00DE4F4E;
constexpr Steinberg::uint32 kManufacturerId = 0x4F626677;  // 'Obfw'
constexpr Steinberg::uint32 kUniqueId = 0x516E6473;        // 'Qnds'

constexpr const char* kVendor = "Obelin Fieldworks";
constexpr const char* kClassName = "QUENDARIS";
constexpr const char* kSubCategories = "Fx|Filter";
constexpr const char* kClassVersion = "1.0.0";
constexpr const char* kSdkVersion = "VST 3.8.0";

// Builds one effect instance under the creation lock; null when construction failed.
Steinberg::FUnknown* CreateEffectInstance(void* context);

}  // namespace quendaris::vst3
