#include <algorithm>
#include <cmath>

#include "GraphicsTypes.h"

namespace quendaris {

PaintSource PaintSource::LinearGradient(float x1, float y1, float x2, float y2, const Color& c1,
                                        const Color& c2) {
    PaintSource p;
    p.type = kPaintLinear;
    p.AddStop(c1, 0.0f);
    p.AddStop(c2, 1.0f);
    double dx = x2 - x1;
    double dy = y2 - y1;
    double length = std::sqrt(dx * dx + dy * dy);
    // Rotate the line onto the x axis and scale it to unit length, start point at 0.
    Matrix m;
    if (length > 0.0) {
        double c = dx / length;
        double s = dy / length;
        m = Matrix(c / length, -s / length, s / length, c / length, 0.0, 0.0);
    }
    m.Translate(-x1, -y1);
    p.transform = m;
    return p;
}

PaintSource PaintSource::RadialGradient(float cx, float cy, float r, const Color& inner,
                                        const Color& outer) {
    PaintSource p;
    p.type = kPaintRadial;
    p.AddStop(inner, 0.0f);
    p.AddStop(outer, 1.0f);
    double inv = r > 0.0f ? 1.0 / r : 0.0;
    Matrix m(inv, 0.0, 0.0, inv, 0.0, 0.0);
    m.Translate(-cx, -cy);
    p.transform = m;
    return p;
}

bool PaintSource::AddStop(const Color& color, float offset) {
    if (nStops >= kMaxColorStops)
        return false;
    stops[nStops].color = color;
    stops[nStops].offset = offset;
    ++nStops;
    return true;
}

float PaintSource::PositionAt(float x, float y) const {
    double px = x;
    double py = y;
    transform.TransformPoint(px, py);
    if (type == kPaintRadial)
        return static_cast<float>(std::sqrt(px * px + py * py));
    return static_cast<float>(px);
}

Color PaintSource::ColorAtPosition(float position) const {
    if (nStops <= 0)
        return Color(0, 0, 0, 0);
    if (type == kPaintSolid || nStops == 1 || position <= stops[0].offset)
        return stops[0].color;
    if (position >= stops[nStops - 1].offset)
        return stops[nStops - 1].color;
    int i = 1;
    while (i < nStops - 1 && position > stops[i].offset)
        ++i;
    const ColorStop& a = stops[i - 1];
    const ColorStop& b = stops[i];
    float span = b.offset - a.offset;
    float t = span > 0.0f ? (position - a.offset) / span : 1.0f;
    auto mix = [t](int u, int v) { return static_cast<int>(std::lround(u + (v - u) * t)); };
    return Color(mix(a.color.A, b.color.A), mix(a.color.R, b.color.R), mix(a.color.G, b.color.G),
                 mix(a.color.B, b.color.B));
}

Color PaintSource::ColorAt(float x, float y) const {
    return ColorAtPosition(type == kPaintSolid ? 0.0f : PositionAt(x, y));
}

void PaintSource::GradientPoints(float& x1, float& y1, float& x2, float& y2) const {
    Matrix inv = transform.Inverted();
    double ax = 0.0;
    double ay = 0.0;
    double bx = 1.0;
    double by = 0.0;
    inv.TransformPoint(ax, ay);
    inv.TransformPoint(bx, by);
    x1 = static_cast<float>(ax);
    y1 = static_cast<float>(ay);
    x2 = static_cast<float>(bx);
    y2 = static_cast<float>(by);
}

}  // namespace quendaris
