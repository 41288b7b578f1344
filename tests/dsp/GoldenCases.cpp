#include "GoldenCases.h"

#include <algorithm>

#include "TestSignals.h"

namespace quendaris::golden {
namespace {

constexpr int kFrames = 6144;
constexpr double kRate = 48000.0;
// Irregular host block sizes, including single frames.
constexpr int kBlockPattern[] = {512, 77, 1, 333, 1024};
constexpr int kPositions[kSamplePositions] = {10, 100, 777, 1500, 2222, 3000, 6143};

test::Stereo Signal() {
    std::vector<double> left = test::Saw(kFrames, 110.0, kRate, 0.5);
    const std::vector<double> tone = test::Sine(kFrames, 3000.0, kRate, 0.3);
    std::vector<double> right = test::WhiteNoise(kFrames, 0.6, 2024);
    for (int k = 0; k < kFrames; ++k) {
        left[k] += tone[k];
        // A loud stretch drives every stage into saturation.
        if (k >= 2000 && k < 2600) {
            left[k] *= 3.0;
            right[k] *= 3.0;
        }
    }
    return {left, right};
}

BlockParameters Settings(int model, bool fourPole, int variant) {
    BlockParameters p;
    p.model = model;
    p.poles = fourPole ? 1.0 : 0.0;
    switch (variant) {
        case 0:  // typical
            p.cutoff = 1200.0;
            p.resonance = 50.0;
            p.drive = 30.0;
            break;
        case 1:  // screaming
            p.cutoff = 300.0;
            p.resonance = 100.0;
            p.drive = 100.0;
            p.input = 6.0;
            p.mix = 80.0;
            p.output = -3.0;
            break;
        default:  // bright and clean
            p.cutoff = 9000.0;
            p.resonance = 0.0;
            p.drive = 0.0;
            p.mix = 50.0;
            break;
    }
    return p;
}

const char* const kModelNames[] = {"M", "S", "P", "W"};

}  // namespace

std::vector<Case> Cases() {
    std::vector<Case> cases;
    for (int model = 0; model < 4; ++model) {
        for (bool fourPole : {false, true}) {
            for (int variant = 0; variant < 3; ++variant) {
                Case c;
                c.name = std::string(kModelNames[model]) + (fourPole ? "4" : "2") + "_v" +
                         std::to_string(variant);
                c.params = Settings(model, fourPole, variant);
                cases.push_back(c);
            }
        }
    }
    Case fade{"fade_M_to_W", Settings(0, false, 0), 3, 3, 2};
    cases.push_back(fade);
    Case fade4{"fade_S_to_P_4pole", Settings(1, true, 1), 2, 2, 2};
    cases.push_back(fade4);
    Case mono{"mono_P2", Settings(2, false, 0), -1, 0, 1};
    cases.push_back(mono);
    return cases;
}

Result Run(const Case& c) {
    const test::Stereo in = Signal();
    test::Stereo out{std::vector<double>(kFrames), std::vector<double>(kFrames)};
    FilterEngine engine;
    engine.Reset(kRate, c.channels, 512);
    BlockParameters p = c.params;
    int block = 0;
    for (int offset = 0; offset < kFrames; ++block) {
        const int n = std::min(kBlockPattern[block % 5], kFrames - offset);
        if (block == c.switchBlock) {
            p.model = c.switchToModel;
        }
        const double* inputs[2] = {in.left.data() + offset, in.right.data() + offset};
        double* outputs[2] = {out.left.data() + offset, out.right.data() + offset};
        engine.ProcessBlock(p, inputs, outputs, c.channels, n);
        offset += n;
    }
    Result r;
    for (int k = 0; k < kFrames; ++k) {
        r.sum += out.left[k];
        r.sumOfSquares += out.left[k] * out.left[k];
        if (c.channels > 1) {
            r.sum += out.right[k];
            r.sumOfSquares += out.right[k] * out.right[k];
        }
    }
    for (int i = 0; i < kSamplePositions; ++i) {
        r.left[i] = out.left[kPositions[i]];
        r.right[i] = c.channels > 1 ? out.right[kPositions[i]] : 0.0;
    }
    for (int k = 0; k < 2048; ++k) {
        r.spectrumSum += engine.SmoothedSpectrum()[k];
    }
    return r;
}

}  // namespace quendaris::golden
