#include "SpectrumScale.h"

#include <algorithm>
#include <cmath>

namespace quendaris {

namespace {
const float kLogMin = std::log10(SpectrumScale::kMinFrequency);
const float kLogMax = std::log10(SpectrumScale::kMaxFrequency);
// 20 * log10(2048): the magnitude of a full-scale sine bin before the window.
const float kTransformGainDb = 20.0f * std::log10(static_cast<float>(SpectrumScale::kSpectrumSize));
}  // namespace

SpectrumScale::SpectrumScale(float left, float top, float right, float bottom)
    : mLeft(left),
      mTop(top),
      mRight(right),
      mBottom(bottom),
      mXPerDecade((right - left) / (kLogMax - kLogMin)) {}

float SpectrumScale::FreqToX(float frequency) const {
    if (frequency <= kMinFrequency) {
        return mLeft;
    }
    if (frequency >= kMaxFrequency) {
        return mRight;
    }
    return mLeft + (std::log10(frequency) - kLogMin) * mXPerDecade;
}

float SpectrumScale::BinFrequency(int bin, float sampleRate) {
    return static_cast<float>(bin) * sampleRate * (1.0f / kSpectrumSize);
}

float SpectrumScale::SpectrumLevel(float magnitude, float frequency) {
    if (frequency > kMinFrequency) {
        magnitude *= std::pow(10.0f, 4.5f * std::log2(frequency / kMinFrequency) / 20.0f);
    }
    // The floor comes first so a NaN magnitude falls to it too.
    const float level = 20.0f * std::log10(std::max(1e-5f, magnitude)) - kTransformGainDb;
    return std::clamp(level, -60.0f, 0.0f);
}

float SpectrumScale::SpectrumY(float level) const {
    return mBottom + (level + 60.0f) * (mTop - mBottom) / 60.0f;
}

float SpectrumScale::ResponseLevel(float magnitude) {
    float level = 20.0f * std::log10(std::max(1e-5f, magnitude));
    if (level > 24.0f) {
        level = 24.0f + 18.0f * std::tanh((level - 24.0f) / 18.0f);
    }
    return std::clamp(level, -48.0f, 48.0f);
}

float SpectrumScale::ResponseY(float level) const {
    return mBottom + (level + 48.0f) * (mTop - mBottom) / 96.0f;
}

}  // namespace quendaris
