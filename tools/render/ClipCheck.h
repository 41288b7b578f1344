#pragma once

#include "AudioBuffer.h"
#include "AudioFile.h"

#include <optional>
#include <string>
#include <vector>

namespace quendaris::render {

// Samples beyond full scale (magnitude above 1), per channel.
std::vector<size_t> CountOverFullScale(const AudioBuffer& audio);

// What to tell the user when `format` clipped part of `audio` on its way into `outputPath`:
// how many samples, by how much, and how to keep them. Nothing when every sample fits.
std::optional<std::string> ClippingWarning(const AudioBuffer& audio, AudioFileFormat format,
                                           const std::string& outputPath);

}  // namespace quendaris::render
