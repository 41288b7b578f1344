#include "DemoSignal.h"

#include "TextMatch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace quendaris::render {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kBeatSeconds = 0.5;  // 120 BPM
constexpr double kPeak = 0.5;         // -6 dBFS

// Saw with a polynomial band-limited step, so the chord is bright without aliasing hiss.
class Saw {
  public:
    Saw(double frequency, double sampleRate, double phase)
        : increment_(frequency / sampleRate), phase_(phase) {}

    double Next() {
        double value = 2.0 * phase_ - 1.0;
        value -= PolyBlep(phase_);
        phase_ += increment_;
        if (phase_ >= 1.0) {
            phase_ -= 1.0;
        }
        return value;
    }

  private:
    double PolyBlep(double t) const {
        const double dt = increment_;
        if (t < dt) {
            t /= dt;
            return t + t - t * t - 1.0;
        }
        if (t > 1.0 - dt) {
            t = (t - 1.0) / dt;
            return t * t + t + t + 1.0;
        }
        return 0.0;
    }

    double increment_;
    double phase_;
};

// Small linear congruential generator: the demo must be the same on every run.
class Noise {
  public:
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
    }

  private:
    uint32_t state_ = 22222u;
};

double NoteFrequency(int midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

// A minor, F major, C major, G major: one chord per bar, bass note first.
constexpr std::array<std::array<int, 4>, 4> kChords = {{
    {45, 57, 60, 64},
    {41, 57, 60, 65},
    {36, 55, 60, 64},
    {43, 55, 59, 62},
}};

double Envelope(double secondsSinceHit, double attack, double decay) {
    if (secondsSinceHit < attack) {
        return secondsSinceHit / attack;
    }
    return std::exp(-(secondsSinceHit - attack) / decay);
}

void AddChords(AudioBuffer& audio) {
    const double rate = audio.sampleRate;
    const size_t framesPerBar = static_cast<size_t>(4.0 * kBeatSeconds * rate);
    const double eighth = kBeatSeconds / 2.0;
    for (size_t bar = 0; bar < kChords.size(); ++bar) {
        for (size_t side = 0; side < 2; ++side) {
            // Each side detunes the other way, which spreads the chord across the stereo field.
            const double detune = side == 0 ? 1.004 : 0.996;
            std::vector<Saw> voices;
            for (int note : kChords[bar]) {
                voices.emplace_back(NoteFrequency(note), rate, 0.1 * side);
                voices.emplace_back(NoteFrequency(note) * detune, rate, 0.37);
            }
            auto& out = audio.channels[side];
            for (size_t f = 0; f < framesPerBar; ++f) {
                const double t = static_cast<double>(f) / rate;
                const double gate = 0.35 + 0.65 * Envelope(std::fmod(t, eighth), 0.003, 0.12);
                double sum = 0.0;
                for (auto& voice : voices) {
                    sum += voice.Next();
                }
                out[bar * framesPerBar + f] += 0.12 * gate * sum;
            }
        }
    }
}

void AddDrums(AudioBuffer& audio) {
    const double rate = audio.sampleRate;
    Noise noise;
    double kickPhase = 0.0;
    double hatMemory = 0.0;
    for (size_t f = 0; f < audio.FrameCount(); ++f) {
        const double t = static_cast<double>(f) / rate;
        const double inBar = std::fmod(t, 4.0 * kBeatSeconds);
        const double sinceKick = std::fmod(inBar, 2.0 * kBeatSeconds);
        const double sinceSnare = std::fmod(inBar + kBeatSeconds, 2.0 * kBeatSeconds);
        const double sinceHat = std::fmod(t, kBeatSeconds / 2.0);

        kickPhase += 2.0 * kPi * (50.0 + 100.0 * std::exp(-sinceKick / 0.04)) / rate;
        const double kick = std::sin(kickPhase) * Envelope(sinceKick, 0.001, 0.25);
        const double white = noise.Next();
        const double snare = (0.7 * white + 0.3 * std::sin(2.0 * kPi * 180.0 * sinceSnare)) *
                             Envelope(sinceSnare, 0.001, 0.09);
        const double highPassed = white - hatMemory;  // first difference: only the sizzle
        hatMemory = white;
        const double hat = 0.5 * highPassed * Envelope(sinceHat, 0.0005, 0.025);

        audio.channels[0][f] += 0.9 * kick + 0.45 * snare + 0.35 * hat;
        audio.channels[1][f] += 0.9 * kick + 0.45 * snare + 0.25 * hat;
    }
}

void NormalisePeak(AudioBuffer& audio, double peak) {
    double largest = 0.0;
    for (const auto& channel : audio.channels) {
        for (double sample : channel) {
            largest = std::max(largest, std::fabs(sample));
        }
    }
    if (largest <= 0.0) {
        return;
    }
    for (auto& channel : audio.channels) {
        for (double& sample : channel) {
            sample *= peak / largest;
        }
    }
}

bool Mentions(const RenderOptions& options, const std::string& name) {
    const auto same = [&](const std::string& other) { return EqualsIgnoringCase(other, name); };
    return std::any_of(options.settings.begin(), options.settings.end(),
                       [&](const ParameterSetting& s) { return same(s.name); }) ||
           std::any_of(options.ramps.begin(), options.ramps.end(),
                       [&](const ParameterRampRequest& r) { return same(r.name); });
}

}  // namespace

AudioBuffer GenerateDemoSignal(double sampleRate) {
    AudioBuffer audio(2, static_cast<size_t>(kDemoSeconds * sampleRate), sampleRate);
    AddChords(audio);
    AddDrums(audio);
    NormalisePeak(audio, kPeak);
    return audio;
}

void AddDemoAutomation(RenderOptions& options,
                       const std::function<bool(const std::string& name)>& pluginHas) {
    if (!Mentions(options, "Cutoff") && pluginHas("Cutoff")) {
        options.ramps.push_back({"Cutoff", "150", "5000"});
    }
    if (!Mentions(options, "Resonance") && pluginHas("Resonance")) {
        options.settings.push_back({"Resonance", "65"});
    }
}

}  // namespace quendaris::render
