#include "ButtonLook.h"

namespace quendaris::button_look {

TextStyle CaptionStyle(bool active) {
    TextStyle style(16.0f, active ? kActiveCaption : kInactiveCaption, "Roboto-Regular",
                    kAlignCentre, kVAlignMiddle);
    style.entryBgColor = Color{255, 255, 255, 255};
    style.entryFgColor = Color{255, 0, 0, 0};
    return style;
}

void Paint(Graphics& g, const Rect& rect, bool active, const char* text, const Blend* blend) {
    g.PathReset();
    const PaintSource body = active ? PaintSource::LinearGradient(rect.L, rect.T, rect.L, rect.B,
                                                                  kActiveTop, kActiveBottom)
                                    : PaintSource::LinearGradient(rect.L, rect.T, rect.L, rect.B,
                                                                  kInactiveTop, kInactiveBottom);
    if (!active) {
        const Rect shadow{rect.L, rect.T + kShadowOffset, rect.R, rect.B + kShadowOffset};
        g.PaintRoundRect(kShadow, shadow, kCornerRadius, blend);
    }
    g.PathRoundRectShape(rect, kCornerRadius);
    g.FillPath(body, FillStyle{}, blend);
    g.StrokeRoundRect(kOutline, rect, kCornerRadius, blend, 1.0f);
    g.RenderText(CaptionStyle(active), text, rect, blend);
}

}  // namespace quendaris::button_look
