// Renders the comparison cases through the filter engine built for the build host, the way the
// plug-in drives it: one reset for the session, then host-sized blocks of real parameter values.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "FilterEngine.h"
#include "RenderCases.h"

namespace {

using quendaris::test::kRenderBlockFrames;
using quendaris::test::kRenderChannels;
using quendaris::test::kRenderFrames;

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

std::vector<double> Render(const quendaris::test::RenderCase& renderCase) {
    quendaris::FilterEngine engine;
    engine.Reset(quendaris::test::kRenderSampleRate, kRenderChannels, kRenderBlockFrames);
    const quendaris::BlockParameters params = ToBlockParameters(renderCase.values);

    std::vector<double> in[kRenderChannels], out[kRenderChannels];
    std::vector<double> interleaved;
    interleaved.reserve(static_cast<size_t>(kRenderFrames) * kRenderChannels);
    for (int start = 0; start < kRenderFrames; start += kRenderBlockFrames) {
        const int frames = std::min(kRenderBlockFrames, kRenderFrames - start);
        const double* inputs[kRenderChannels];
        double* outputs[kRenderChannels];
        for (int c = 0; c < kRenderChannels; ++c) {
            in[c].resize(frames);
            out[c].assign(frames, 0.0);
            for (int i = 0; i < frames; ++i)
                in[c][i] = quendaris::test::TestSignal(c, start + i);
            inputs[c] = in[c].data();
            outputs[c] = out[c].data();
        }
        engine.ProcessBlock(params, inputs, outputs, kRenderChannels, frames);
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < kRenderChannels; ++c)
                interleaved.push_back(out[c][i]);
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
