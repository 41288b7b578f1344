#pragma once

#include "graphics/Control.h"

namespace quendaris {

// Paints the editor's background picture: a dark brushed panel with raised sections behind the
// cutoff/resonance group, the model buttons and the bottom row, a recessed well for the display,
// tick scales around the knobs, corner screws and the product name. It knows the editor's
// layout; it draws no caption the editor draws itself.
class BackgroundArtwork : public Control {
  public:
    static constexpr int kWidth = 799;
    static constexpr int kHeight = 651;

    BackgroundArtwork();

    void Paint(Graphics& g) override;

  private:
    void PaintBase(Graphics& g);
    void PaintHeader(Graphics& g);
    void PaintTitle(Graphics& g);
    void PaintSection(Graphics& g, const Rect& r);
    void PaintWell(Graphics& g, const Rect& r);
    void PaintKnobScale(Graphics& g, float cx, float cy, float r, float gap, float length);
    void PaintScrew(Graphics& g, float cx, float cy, float angle);
    // Draws text letter by letter with extra spacing from x; answers the end position.
    float PaintSpaced(Graphics& g, const TextStyle& style, const char* text, float x, float top,
                      float bottom, float spacing);
    float SpacedWidth(Graphics& g, const TextStyle& style, const char* text, float spacing);
};

}  // namespace quendaris
