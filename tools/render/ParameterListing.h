#pragma once

#include "ParameterResolver.h"

#include <string>

namespace quendaris::render {

// One line per parameter: id, name, range, default, unit label and any display texts.
std::string FormatParameterList(const ParameterResolver& resolver);

// "800 Hz", "P-Filter": a value as the plug-in displays it, with its unit label.
std::string DisplayValue(const ParameterResolver& resolver, const ParameterDescription& parameter,
                         double normalized);

}  // namespace quendaris::render
