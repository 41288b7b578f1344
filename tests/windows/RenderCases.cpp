#include "RenderCases.h"

#include <cmath>
#include <cstdint>
#include <fstream>

namespace quendaris::test {

// Every model appears once. Settings where the filter is driven into chaotic self-oscillation
// (W-Filter near full resonance) are left out: there a difference in the last bit of a library
// function grows to full scale, so no two builds agree sample by sample.
const std::array<RenderCase, 5>& RenderCases() {
    static const std::array<RenderCase, 5> cases = {{
        {"defaults", {1840.0, 50.0, 0.0, 0.0, 0.0, 100.0, 0.0, 0.0, 0.0}, 2, false},
        {"driven", {700.0, 80.0, 2.0, 6.0, 45.0, 75.0, -3.0, 1.0, 0.0}, 2, false},
        {"driven_32bit", {700.0, 80.0, 2.0, 6.0, 45.0, 75.0, -3.0, 1.0, 0.0}, 2, true},
        {"mono", {3000.0, 60.0, 1.0, -6.0, 70.0, 90.0, 3.0, 0.0, 0.0}, 1, false},
        {"steep", {2500.0, 40.0, 3.0, 3.0, 30.0, 100.0, -2.0, 1.0, 0.0}, 2, false},
    }};
    return cases;
}

namespace {

constexpr double kPi = 3.14159265358979323846;

// A fixed integer noise source, identical on every platform.
double Noise(int channel, int frame) {
    uint32_t x =
        static_cast<uint32_t>(frame) * 2654435761u + static_cast<uint32_t>(channel) * 40503u;
    x ^= x >> 15;
    x *= 2246822519u;
    x ^= x >> 13;
    return static_cast<double>(x & 0xFFFFu) / 32768.0 - 1.0;
}

}  // namespace

double TestSignal(int channel, int frame) {
    const double t = frame / kRenderSampleRate;
    const double duration = kRenderFrames / kRenderSampleRate;
    const double tone = 0.3 * std::sin(2.0 * kPi * (110.0 + 55.0 * channel) * t) +
                        0.1 * std::sin(2.0 * kPi * 3100.0 * t);
    // Exponential sweep from 20 Hz to 20 kHz over the whole signal.
    const double sweepRate = std::log(1000.0) / duration;
    const double sweep =
        0.25 * std::sin(2.0 * kPi * 20.0 * (std::exp(sweepRate * t) - 1.0) / sweepRate);
    const bool burst = frame > 30000 && frame < 36000;
    const double loud = burst ? 1.5 * std::sin(2.0 * kPi * 440.0 * t) : 0.0;
    return tone + sweep + loud + 0.05 * Noise(channel, frame);
}

double HostInput(const RenderCase& renderCase, int channel, int frame) {
    const double sample = TestSignal(channel, frame);
    return renderCase.singlePrecision ? static_cast<float>(sample) : sample;
}

bool WriteSamples(const std::string& path, const std::vector<double>& samples) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(samples.data()),
              static_cast<std::streamsize>(samples.size() * sizeof(double)));
    return static_cast<bool>(out);
}

std::vector<double> ReadSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return {};
    const auto bytes = static_cast<size_t>(in.tellg());
    std::vector<double> samples(bytes / sizeof(double));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * sizeof(double)));
    return in ? samples : std::vector<double>{};
}

std::string ReferenceFileName(const RenderCase& renderCase) {
    return std::string("reference-") + renderCase.name + ".f64";
}

}  // namespace quendaris::test
