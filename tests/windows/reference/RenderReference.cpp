// Renders the comparison cases through the filter engine built for the build host, the way the
// plug-in drives it: one reset for the session, then host-sized blocks of real parameter values.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "FilterEngine.h"
#include "RenderCases.h"

namespace {

using quendaris::test::kMaxRenderChannels;
using quendaris::test::kRenderBlockFrames;
using quendaris::test::kRenderFrames;
using quendaris::test::RenderCase;

quendaris::BlockParameters ToBlockParameters(const quendaris::test::ParameterValues& v) {
    quendaris::BlockParameters p;
    p.cutoff = v[0];
    p.resonance = v[1];
    p.model = v[2];
    p.input = v[3];
    p.drive = v[4];
    p.mix = v[5];
    p.output = v[6];
    p.poles = v[7];
    p.bypass = v[8];
    return p;
}

std::vector<double> Render(const RenderCase& renderCase) {
    const int channels = renderCase.channels;
    quendaris::FilterEngine engine;
    engine.Reset(quendaris::test::kRenderSampleRate, channels, kRenderBlockFrames);
    const quendaris::BlockParameters params = ToBlockParameters(renderCase.values);

    std::vector<double> in[kMaxRenderChannels], out[kMaxRenderChannels];
    const double* inputs[kMaxRenderChannels];
    double* outputs[kMaxRenderChannels];
    std::vector<double> interleaved;
    interleaved.reserve(static_cast<size_t>(kRenderFrames) * channels);
    for (int start = 0; start < kRenderFrames; start += kRenderBlockFrames) {
        const int frames = std::min(kRenderBlockFrames, kRenderFrames - start);
        for (int c = 0; c < channels; ++c) {
            in[c].resize(frames);
            out[c].assign(frames, 0.0);
            for (int i = 0; i < frames; ++i)
                in[c][i] = quendaris::test::HostInput(renderCase, c, start + i);
            inputs[c] = in[c].data();
            outputs[c] = out[c].data();
        }
        engine.ProcessBlock(params, inputs, outputs, channels, frames);
        for (int i = 0; i < frames; ++i) {
            for (int c = 0; c < channels; ++c) {
                const double sample = out[c][i];
                interleaved.push_back(renderCase.singlePrecision ? static_cast<float>(sample)
                                                                 : sample);
            }
        }
    }
    return interleaved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    for (const auto& renderCase : quendaris::test::RenderCases()) {
        const std::string path =
            std::string(argv[1]) + "/" + quendaris::test::ReferenceFileName(renderCase);
        if (!quendaris::test::WriteSamples(path, Render(renderCase))) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
