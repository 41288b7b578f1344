#include "SpectrumControl.h"

#include "Brisvale.h"
#include "SpectrumScale.h"
#include "graphics/Graphics.h"

namespace quendaris {

namespace {
const Color kBackground{255, 15, 20, 30};
const Color kBorder{255, 30, 40, 60};
const Color kGrid{255, 40, 50, 80};
const Color kArea{150, 0, 130, 180};
const Color kOutline{255, 0, 200, 255};
const Color kCurve{255, 255, 160, 0};
const Color kLabel{255, 150, 150, 150};

constexpr float kCurveStep = 1.01f;

struct FrequencyLabel {
    const char* text;
    float frequency;
};
constexpr FrequencyLabel kLabels[] = {
    {"20", 20.0f}, {"100", 100.0f}, {"1k", 1000.0f}, {"10k", 10000.0f}, {"20k", 20000.0f}};

TextStyle LabelStyle() {
    return TextStyle(14.0f, kLabel, "Roboto-Regular", kAlignCentre, kVAlignMiddle);
}
}  // namespace

SpectrumControl::SpectrumControl(const Rect& bounds) : Control(bounds, -1, nullptr) {}

void SpectrumControl::HandleAttached() {
    if (mSource) {
        return;
    }
    if (auto* plugin = dynamic_cast<Brisvale*>(GetDelegate())) {
        mEngineSource = std::make_unique<EngineSpectrumSource>(plugin->Engine());
        mSource = mEngineSource.get();
    }
}

void SpectrumControl::MarkDirtyIfChanged() {
    if (!mSource) {
        return;
    }
    const DisplayState now = mSource->State();
    if (now != mLastSeen) {
        mLastSeen = now;
        MarkDirty(false, -1);
    }
}

void SpectrumControl::Paint(Graphics& g) {
    PaintPanel(g);
    if (mSource) {
        PaintSpectrum(g, *mSource);
        PaintResponse(g, *mSource);
    }
    PaintLabels(g);
}

void SpectrumControl::PaintPanel(Graphics& g) {
    const Rect& r = GetRect();
    g.PaintRect(kBackground, r, nullptr);
    g.StrokeRect(kBorder, r, nullptr, 2.0f);
    const float h = r.B - r.T;
    for (int i = 1; i <= 3; ++i) {
        const float y = r.T + static_cast<float>(i) * h * 0.25f;
        g.StrokeLine(kGrid, r.L, y, r.R, y, nullptr, 1.0f);
    }
    const SpectrumScale scale(r.L, r.T, r.R, r.B);
    for (float f : {100.0f, 1000.0f, 10000.0f}) {
        const float x = scale.FreqToX(f);
        g.StrokeLine(kGrid, x, r.T, x, r.B, nullptr, 1.0f);
    }
}

// The spectrum is read bin by bin while the audio thread may be replacing it; a frame that
// mixes old and new bins is harmless.
void SpectrumControl::PaintSpectrum(Graphics& g, const SpectrumSource& source) {
    const Rect& r = GetRect();
    const SpectrumScale scale(r.L, r.T, r.R, r.B);
    const float fs = static_cast<float>(source.SampleRate());
    const float* spectrum = source.SmoothedSpectrum();
    g.PathReset();
    g.PathMove(r.L, r.B);
    for (int i = SpectrumScale::kFirstBin; i <= SpectrumScale::kLastBin; ++i) {
        const float f = SpectrumScale::BinFrequency(i, fs);
        if (f < SpectrumScale::kMinFrequency) {
            continue;
        }
        const float x = scale.FreqToX(f);
        if (x > r.R) {
            break;
        }
        g.PathLine(x, scale.SpectrumY(SpectrumScale::SpectrumLevel(spectrum[i], f)));
    }
    g.PathLine(r.R, r.B);
    g.PathCloseFigure();
    FillStyle keep;
    keep.preserve = true;
    g.FillPath(PaintSource(kArea), keep, nullptr);
    g.StrokePath(PaintSource(kOutline), 1.5f, LineStyle{}, nullptr);
}

void SpectrumControl::PaintResponse(Graphics& g, const SpectrumSource& source) {
    const Rect& r = GetRect();
    const SpectrumScale scale(r.L, r.T, r.R, r.B);
    const float fc = source.DisplayCutoff();
    bool first = true;
    auto plot = [&](float x, float frequency) {
        const float level = SpectrumScale::ResponseLevel(source.ResponseMagnitude(frequency));
        const float y = scale.ResponseY(level);
        if (first) {
            g.PathMove(x, y);
            first = false;
        } else {
            g.PathLine(x, y);
        }
    };
    g.PathReset();
    bool cutoffDone = false;
    for (float f = SpectrumScale::kMinFrequency; f <= SpectrumScale::kMaxFrequency;) {
        const float next = f * kCurveStep;
        const float x = scale.FreqToX(f);
        if (x <= r.R) {
            plot(x, f);
        }
        // A point exactly at the cutoff draws a resonance peak at its true height.
        if (!cutoffDone && f < fc && fc < next) {
            const float xc = scale.FreqToX(fc);
            if (xc <= r.R) {
                plot(xc, fc);
            }
            cutoffDone = true;
        }
        f = next;
    }
    g.StrokePath(PaintSource(kCurve), 2.5f, LineStyle{}, nullptr);
}

void SpectrumControl::PaintLabels(Graphics& g) {
    const Rect& r = GetRect();
    const SpectrumScale scale(r.L, r.T, r.R, r.B);
    const TextStyle style = LabelStyle();
    for (const FrequencyLabel& label : kLabels) {
        const float x = scale.FreqToX(label.frequency);
        g.RenderText(style, label.text, Rect{x - 15.0f, r.B - 16.0f, x + 15.0f, r.B + 2.0f},
                     nullptr);
    }
}

}  // namespace quendaris
