#pragma once

#include <memory>

namespace quendaris {

class EditorDelegate;
class EditorGraphics;
class Graphics;

// Fills a fresh 800 x 580 editor: background, captions, the plug-in's controls in their fixed
// order, the version line, and finally the text font from the module's resources.
void LayoutBrisvale(Graphics& graphics);

// The editor window of this platform for the delegate: 800 x 580 at 60 frames per second,
// draw scale 1.0.
std::unique_ptr<EditorGraphics> MakeBrisvaleGraphics(EditorDelegate& delegate);

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
