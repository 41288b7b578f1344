#pragma once

namespace quendaris {

class Graphics;

// Fills a fresh 800 x 580 editor: background, captions, the plug-in's controls in their fixed
// order, the version line, and finally the text font from the module's resources.
void LayoutBrisvale(Graphics& graphics);

// Index of each control in the editor's list after the layout has run.
enum BrisvaleControlIndex {
    kCtrlBackground = 0,
    kCtrlVersion,
    kCtrlResonanceCaption,
    kCtrlResonance,
    kCtrlCutoffCaption,
    kCtrlCutoff,
    kCtrlModelCaption,
    kCtrlModelM,
    kCtrlModelS,
    kCtrlModelP,
    kCtrlModelW,
    kCtrlSpectrum,
    kCtrlInputCaption,
    kCtrlInput,
    kCtrlDriveCaption,
    kCtrlDrive,
    kCtrlMixCaption,
    kCtrlMix,
    kCtrlOutputCaption,
    kCtrlOutput,
    kCtrlSlopeCaption,
    kCtrlSlope,
    kCtrlBypassCaption,
    kCtrlBypass,
    kNumBrisvaleControls
};

}  // namespace quendaris
