#include "BackgroundArtwork.h"

#include <cmath>
#include <cstdint>

#include "graphics/Graphics.h"

namespace quendaris {

namespace {
constexpr float kDegToRad = 0.017453292f;
constexpr const char* kFont = "Roboto-Regular";

// The editor's visible area; the picture reaches further down and one column further right.
constexpr float kEditorW = 800.0f;
constexpr float kEditorH = 580.0f;
constexpr float kHeaderBottom = 40.0f;

// Sections behind the controls (the editor's layout decides these).
const Rect kToneSection{70, 48, 510, 301};
const Rect kModelSection{580, 48, 760, 224};
const Rect kDisplayWell{9, 305, 791, 436};
const Rect kKnobRowSection{22, 439, 398, 570};
const Rect kSwitchSection{440, 439, 740, 522};

struct KnobSpot {
    float cx, cy, r;
};
constexpr KnobSpot kCutoff{380.0f, 175.0f, 85.5f};
constexpr KnobSpot kResonance{150.0f, 218.5f, 45.0f};
constexpr float kLowerKnobY = 497.5f;
constexpr float kLowerKnobR = 29.25f;

const Color kAmber{255, 255, 160, 0};

// Small deterministic generator so every run draws the same grain.
class Grain {
  public:
    float Next() {
        mState = mState * 1664525u + 1013904223u;
        return static_cast<float>(mState >> 8) / 16777216.0f;
    }

  private:
    uint32_t mState = 0x5eed1234u;
};
}  // namespace

BackgroundArtwork::BackgroundArtwork()
    : Control(Rect{0, 0, static_cast<float>(kWidth), static_cast<float>(kHeight)}) {}

void BackgroundArtwork::Paint(Graphics& g) {
    PaintBase(g);
    PaintHeader(g);
    PaintSection(g, kToneSection);
    PaintSection(g, kModelSection);
    PaintSection(g, kKnobRowSection);
    PaintSection(g, kSwitchSection);
    PaintWell(g, kDisplayWell);

    PaintKnobScale(g, kCutoff.cx, kCutoff.cy, kCutoff.r, 6.0f, 5.0f);
    PaintKnobScale(g, kResonance.cx, kResonance.cy, kResonance.r, 4.0f, 3.5f);
    for (int i = 0; i < 4; ++i) {
        PaintKnobScale(g, 75.0f + 90.0f * static_cast<float>(i), kLowerKnobY, kLowerKnobR, 4.0f,
                       3.5f);
    }

    PaintScrew(g, 14.0f, 20.0f, 20.0f);
    PaintScrew(g, kEditorW - 15.0f, 20.0f, 75.0f);
    PaintScrew(g, 11.0f, kEditorH - 12.0f, 130.0f);
    PaintScrew(g, kEditorW - 15.0f, kEditorH - 12.0f, 5.0f);
}

void BackgroundArtwork::PaintBase(Graphics& g) {
    const Rect all = GetRect();
    g.PathReset();
    g.PathRectShape(all);
    g.FillPath(PaintSource::LinearGradient(0, 0, 0, kEditorH, Color{255, 46, 48, 54},
                                           Color{255, 24, 25, 29}),
               FillStyle{}, nullptr);
    // Horizontal brushing: faint light and dark hairlines.
    Grain grain;
    for (float y = 0.5f; y < all.B; y += 1.0f) {
        const float n = grain.Next();
        const int alpha = static_cast<int>(n * 9.0f);
        const Color line =
            grain.Next() < 0.5f ? Color{alpha, 255, 255, 255} : Color{alpha, 0, 0, 0};
        g.StrokeLine(line, 0, y, all.R, y, nullptr, 1.0f);
    }
    // Darker edges pull the eye to the middle.
    g.PathReset();
    g.PathRectShape(Rect{0, 0, 70, all.B});
    g.FillPath(PaintSource::LinearGradient(0, 0, 70, 0, Color{70, 0, 0, 0}, Color{0, 0, 0, 0}),
               FillStyle{}, nullptr);
    g.PathReset();
    g.PathRectShape(Rect{kEditorW - 70.0f, 0, all.R, all.B});
    g.FillPath(PaintSource::LinearGradient(kEditorW, 0, kEditorW - 70.0f, 0, Color{70, 0, 0, 0},
                                           Color{0, 0, 0, 0}),
               FillStyle{}, nullptr);
}

void BackgroundArtwork::PaintHeader(Graphics& g) {
    g.PathReset();
    g.PathRectShape(Rect{0, 0, static_cast<float>(kWidth), kHeaderBottom});
    g.FillPath(PaintSource::LinearGradient(0, 0, 0, kHeaderBottom, Color{255, 30, 31, 36},
                                           Color{255, 20, 21, 25}),
               FillStyle{}, nullptr);
    g.StrokeLine(Color{200, 0, 0, 0}, 0, kHeaderBottom - 0.5f, kWidth, kHeaderBottom - 0.5f,
                 nullptr, 1.0f);
    g.StrokeLine(Color{22, 255, 255, 255}, 0, kHeaderBottom + 0.5f, kWidth, kHeaderBottom + 0.5f,
                 nullptr, 1.0f);
    PaintTitle(g);
}

void BackgroundArtwork::PaintTitle(Graphics& g) {
    // An amber mark, the name, and the kind of effect on the right.
    g.PaintRoundRect(kAmber, Rect{34, 12, 38, 28}, 1.5f);
    const TextStyle title(23.0f, Color{255, 236, 236, 238}, kFont, kAlignNear, kVAlignMiddle);
    PaintSpaced(g, title, "QUENDARIS", 48.0f, 4.0f, 36.0f, 5.0f);

    const TextStyle kind(11.0f, Color{255, 128, 132, 140}, kFont, kAlignNear, kVAlignMiddle);
    const char* kindText = "SATURATING LOW-PASS FILTER";
    const float width = SpacedWidth(g, kind, kindText, 2.5f);
    PaintSpaced(g, kind, kindText, kEditorW - 36.0f - width, 4.0f, 36.0f, 2.5f);
}

void BackgroundArtwork::PaintSection(Graphics& g, const Rect& r) {
    constexpr float radius = 9.0f;
    // Soft shadow from a few widening translucent layers.
    for (int i = 3; i >= 1; --i) {
        const float grow = static_cast<float>(i) * 1.5f;
        g.PaintRoundRect(Color{28, 0, 0, 0},
                         Rect{r.L - grow, r.T - grow + 3.0f, r.R + grow, r.B + grow + 3.0f},
                         radius + grow);
    }
    g.PathReset();
    g.PathRoundRectShape(r, radius);
    g.FillPath(PaintSource::LinearGradient(r.L, r.T, r.L, r.B, Color{255, 55, 58, 66},
                                           Color{255, 38, 40, 46}),
               FillStyle{}, nullptr);
    g.StrokeRoundRect(Color{210, 8, 9, 11}, r, radius, nullptr, 1.0f);
    // Light catching the upper edge.
    g.StrokeLine(Color{34, 255, 255, 255}, r.L + radius, r.T + 1.0f, r.R - radius, r.T + 1.0f,
                 nullptr, 1.0f);
}

void BackgroundArtwork::PaintWell(Graphics& g, const Rect& r) {
    constexpr float radius = 7.0f;
    g.PaintRoundRect(Color{255, 8, 9, 12}, r, radius);
    g.PathReset();
    g.PathRoundRectShape(Rect{r.L, r.T, r.R, r.T + 14.0f}, radius, radius, 0, 0);
    g.FillPath(PaintSource::LinearGradient(r.L, r.T, r.L, r.T + 14.0f, Color{120, 0, 0, 0},
                                           Color{0, 0, 0, 0}),
               FillStyle{}, nullptr);
    g.StrokeRoundRect(Color{255, 4, 4, 6}, r, radius, nullptr, 1.0f);
    g.StrokeLine(Color{26, 255, 255, 255}, r.L + radius, r.B + 0.5f, r.R - radius, r.B + 0.5f,
                 nullptr, 1.0f);
}

void BackgroundArtwork::PaintKnobScale(Graphics& g, float cx, float cy, float r, float gap,
                                       float length) {
    // A recessed seat under the knob.
    g.PaintCircle(Color{90, 0, 0, 0}, cx, cy + 1.0f, r + 2.5f);
    g.StrokeCircle(Color{20, 255, 255, 255}, cx, cy + 1.0f, r + 3.0f, nullptr, 1.0f);
    // Eleven ticks over the knob's 300-degree travel, the ends and the centre longer.
    for (int i = 0; i <= 10; ++i) {
        const float v = static_cast<float>(i) / 10.0f;
        const float theta = (v * 300.0f + 120.0f) * kDegToRad;
        const bool major = i == 0 || i == 5 || i == 10;
        const float inner = r + gap;
        const float outer = inner + (major ? length * 1.6f : length);
        const float c = std::cos(theta);
        const float s = std::sin(theta);
        const Color colour = major ? Color{255, 150, 154, 162} : Color{255, 92, 96, 104};
        g.StrokeLine(colour, cx + c * inner, cy + s * inner, cx + c * outer, cy + s * outer,
                     nullptr, major ? 1.6f : 1.2f);
    }
}

void BackgroundArtwork::PaintScrew(Graphics& g, float cx, float cy, float angle) {
    constexpr float r = 4.5f;
    g.PaintCircle(Color{120, 0, 0, 0}, cx, cy + 1.0f, r + 0.5f);
    g.PathReset();
    g.PathCircleShape(cx, cy, r);
    g.FillPath(PaintSource::LinearGradient(cx - r, cy - r, cx + r, cy + r,
                                           Color{255, 150, 152, 158}, Color{255, 60, 62, 68}),
               FillStyle{}, nullptr);
    const float a = angle * kDegToRad;
    const float dx = std::cos(a) * r * 0.7f;
    const float dy = std::sin(a) * r * 0.7f;
    g.StrokeLine(Color{230, 25, 26, 30}, cx - dx, cy - dy, cx + dx, cy + dy, nullptr, 1.3f);
}

float BackgroundArtwork::PaintSpaced(Graphics& g, const TextStyle& style, const char* text, float x,
                                     float top, float bottom, float spacing) {
    char letter[2] = {0, 0};
    for (const char* c = text; *c; ++c) {
        letter[0] = *c;
        Rect box{x, top, x + 100.0f, bottom};
        const float advance =
            *c == ' ' ? style.size * 0.3f : g.MeasureTextExtent(style, letter, box);
        if (*c != ' ') {
            g.RenderText(style, letter, Rect{x, top, x + advance, bottom});
        }
        x += advance + spacing;
    }
    return x;
}

float BackgroundArtwork::SpacedWidth(Graphics& g, const TextStyle& style, const char* text,
                                     float spacing) {
    float width = 0.0f;
    char letter[2] = {0, 0};
    for (const char* c = text; *c; ++c) {
        letter[0] = *c;
        Rect box{0, 0, 100, 20};
        width +=
            (*c == ' ' ? style.size * 0.3f : g.MeasureTextExtent(style, letter, box)) + spacing;
    }
    return width - spacing;
}

}  // namespace quendaris
