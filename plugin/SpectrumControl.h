#pragma once

#include <memory>

#include "SpectrumSource.h"
#include "graphics/Control.h"

namespace quendaris {

// The wide display across the editor: the output's smoothed spectrum as a tilted filled area
// and the selected filter's response curve over a log axis from 20 Hz to 20 kHz. It only paints;
// it redraws from the published data on every frame and allocates nothing while doing so.
class SpectrumControl : public Control {
  public:
    explicit SpectrumControl(const Rect& bounds);

    // The data drawn; without one the display finds the plug-in's engine through its delegate.
    void SetSource(const SpectrumSource* source) {
        mSource = source;
        MarkDirty(false);
    }
    const SpectrumSource* Source() const { return mSource; }

    void HandleAttached() override;
    void Paint(Graphics& g) override;
    // The animation callback only asks; the dirty flag alone decides.
    bool NeedsRedraw() const override { return IsDirty(); }
    // Run on every display tick: marks the display dirty when its source shows something new.
    void MarkDirtyIfChanged();

  private:
    void PaintPanel(Graphics& g);
    void PaintSpectrum(Graphics& g, const SpectrumSource& source);
    void PaintResponse(Graphics& g, const SpectrumSource& source);
    void PaintLabels(Graphics& g);

    std::unique_ptr<EngineSpectrumSource> mEngineSource;
    const SpectrumSource* mSource = nullptr;
    DisplayState mLastSeen;
};

}  // namespace quendaris
