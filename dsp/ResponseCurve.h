#pragma once

namespace quendaris {

// The published values the display's response curve is drawn from.
struct ResponseSettings {
    float cutoff = 1000.0f;   // Hz
    float resonance = 50.0f;  // percent
    int model = 0;
    bool fourPole = false;
    double sampleRate = 44100.0;
};

// Closed-form linear magnitude of the model's idealised response at frequencyHz (at least
// 20 Hz is evaluated), never below 1e-5.
float ResponseMagnitude(const ResponseSettings& settings, float frequencyHz);

}  // namespace quendaris
