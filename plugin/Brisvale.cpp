#include "Brisvale.h"

#include "BrisvaleLayout.h"
#include "MakeBrisvaleGraphics.h"
#include "graphics/Graphics.h"

namespace quendaris {

Brisvale::Brisvale(const InstanceInfo& info) : BrisvaleBase(BrisvaleConfig()) {
    // The instance record carries nothing this format-free layer needs.
    (void)info;
    DeclareParams();
    SetMakeGraphicsFunction([this] { return MakeBrisvaleGraphics(*this); });
    SetLayoutFunction([](EditorGraphics& editor) {
        if (auto* graphics = dynamic_cast<Graphics*>(&editor))
            LayoutBrisvale(*graphics);
    });
}

void Brisvale::DeclareParams() {
    GetParam(kParamCutoff)
        ->DeclareDouble("Cutoff", 1840., 20., 20000., 1., " Hz", 0, "", ShapePowCurve(3.0));
    GetParam(kParamResonance)->DeclareDouble("Resonance", 50., 0., 100., 0.1, " %");
    GetParam(kParamModel)
        ->DeclareEnum("Model", 0, 4, "", 0, "", {"M-Filter", "S-Filter", "P-Filter", "W-Filter"});
    GetParam(kParamInput)->DeclareDouble("Input", 0., -24., 24., 0.1, " dB");
    GetParam(kParamDrive)->DeclareDouble("Drive", 0., 0., 100., 0.1, " %");
    GetParam(kParamMix)->DeclareDouble("Mix", 100., 0., 100., 0.1, " %");
    GetParam(kParamOutput)->DeclareDouble("Output", 0., -24., 24., 0.1, " dB");
    GetParam(kParamPoles)->DeclareBool("Poles", false, "Slope", 0, "", "2-Pole", "4-Pole");
    GetParam(kParamBypass)->DeclareBool("Bypass", false, "Bypass", 0, "", "Off", "On");
}

BlockParameters Brisvale::ReadBlockParameters() const {
    BlockParameters p;
    p.cutoff = GetParam(kParamCutoff)->Value();
    p.resonance = GetParam(kParamResonance)->Value();
    p.model = GetParam(kParamModel)->Value();
    p.input = GetParam(kParamInput)->Value();
    p.drive = GetParam(kParamDrive)->Value();
    p.mix = GetParam(kParamMix)->Value();
    p.output = GetParam(kParamOutput)->Value();
    p.poles = GetParam(kParamPoles)->Value();
    p.bypass = GetParam(kParamBypass)->Value();
    return p;
}

void Brisvale::ProcessAudioBlock(double** inputs, double** outputs, int nFrames) {
    mEngine.ProcessBlock(ReadBlockParameters(), inputs, outputs, NChannelsConnected(kOutput),
                         nFrames);
}

// Every output channel is reset, so a later switch from mono to stereo starts clean.
void Brisvale::ResetProcessing() {
    mEngine.Reset(GetSampleRate(), NChannels(kOutput), GetBlockSize());
}

}  // namespace quendaris
