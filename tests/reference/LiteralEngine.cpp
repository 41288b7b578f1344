#include "LiteralEngine.h"

#include <algorithm>
#include <cmath>

namespace quendaris::reference {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.6931471805599453;
constexpr double kIndexScale = 4095.9375;

struct Tables {
    std::vector<double> tanh;
    std::vector<double> logCosh;
    Tables() : tanh(LiteralEngine::kTableSize), logCosh(LiteralEngine::kTableSize) {
        for (int i = 0; i < LiteralEngine::kTableSize; ++i) {
            const double x = i <= 65535 ? i * 16.0 / 65535.0 : 16.0;
            tanh[i] = std::tanh(x);
            logCosh[i] = x <= 15.0 ? x + std::log1p(std::exp(-2.0 * x)) - kLn2 : x - kLn2;
        }
    }
};

const Tables& SharedTables() {
    static const Tables tables;
    return tables;
}

// Model indices: 0 M, 1 S, 2 P, 3 W.
bool IsLadder(int model) {
    return model == 0 || model == 2;
}

}  // namespace

LiteralEngine::LiteralEngine()
    : frameSamples_(kFftSize, 0.0f),
      hannWindow_(kFftSize, 0.0f),
      fftWork_(kFftSize, 0.0f),
      smoothedSpectrum_(kFftSize, 0.0f) {
    const uint32_t seeds[4] = {1337, 7777, 2468, 9999};
    for (int ch = 0; ch < 2; ++ch) {
        ladders_[0][ch].rng = seeds[0];
        ladders_[1][ch].rng = seeds[2];
        svfs_[0][ch].rng = seeds[1];
        svfs_[1][ch].rng = seeds[3];
    }
    DesignKernel();
    for (int i = 0; i < kFftSize; ++i) {
        int reversed = 0;
        for (int j = 0; j <= 10; ++j) {
            if (i & (1 << j)) {
                reversed |= 1 << (10 - j);
            }
        }
        bitReverse_[i] = reversed;
    }
    for (int i = 0; i < kFftSize / 2; ++i) {
        const double angle = i * (-6.283185307179586) * (1.0 / 2048.0);
        twiddles_[i] = {std::cos(angle), std::sin(angle)};
    }
}

// ---- nonlinear helpers ----

double LiteralEngine::Interpolate(const double* table, double a) {
    const double b = a * kIndexScale;
    const int i = static_cast<int>(b);
    const double t = b - i;
    const double p0 = i > 0 ? table[i - 1] : 0.0;
    const double p1 = table[i];
    const double p2 = table[i + 1];
    const double p3 = table[i + 2];
    return ((((p1 - p2) * 1.5 + (p3 - p0) * 0.5) * t + (p0 - 2.5 * p1 + 2.0 * p2 - 0.5 * p3)) * t +
            (p2 - p0) * 0.5) *
               t +
           p1;
}

// A NaN argument has no table index; it is passed through so that the non-finite guard sees it.
double LiteralEngine::TableTanh(double x) {
    if (std::isnan(x)) {
        return x;
    }
    const double a = std::fabs(x);
    if (a >= 16.0) {
        return x > 0 ? 1.0 : -1.0;
    }
    const double v = Interpolate(SharedTables().tanh.data(), a);
    return x > 0 ? v : -v;
}

double LiteralEngine::TableLogCosh(double x) {
    if (std::isnan(x)) {
        return x;
    }
    const double a = std::fabs(x);
    if (a >= 16.0) {
        return a - kLn2;
    }
    return Interpolate(SharedTables().logCosh.data(), a);
}

double LiteralEngine::PadeTanh(double x) {
    if (std::fabs(x) < 1.5) {
        const double x2 = x * x;
        return x * (x2 + 27.0) / (9.0 * x2 + 27.0);
    }
    return TableTanh(x);
}

void LiteralEngine::AdaaTanh(double v, double vPrev, double& e, double& de) {
    const double delta = v - vPrev;
    if (std::fabs(delta) < 1e-5) {
        e = TableTanh(v);
        de = 1.0 - e * e;
        return;
    }
    const double d = TableLogCosh(v) - TableLogCosh(vPrev);
    e = d / delta;
    de = (TableTanh(v) * delta - d) / (delta * delta);
}

void LiteralEngine::DriftWalk(uint32_t& rng, double& drift) {
    rng = 1664525u * rng + 1013904223u;
    const double n = 2.0 * (rng * 2.3283064365386963e-10) - 1.0;
    drift = n * 1e-6 - drift * 1e-5 + drift;
}

double LiteralEngine::ApplyModelDrive(int model, double x, double d) {
    switch (model) {
        case 0:
            return d * TableTanh((8.0 * d + 1.0) * x) + (1.0 - d) * x;
        case 1:
            return x / (std::fabs(x) * d * 1.5 + 1.0);
        case 2:
            return d * (TableTanh((5.0 * d + 1.0) * x) + 0.1 * d * x) + (1.0 - d) * x;
        case 3:
            return d * std::clamp((8.0 * d + 1.0) * x, -0.6, 0.6) + (1.0 - d) * x;
        default:
            return x;
    }
}

// ---- filter models ----

double LiteralEngine::LadderStep(bool pModel, double x, const Context& c, Ladder& s) {
    const double g = c.g;
    const double rr = std::min(c.r, 1.0);
    if (g < 1e-10) {
        return x;
    }
    DriftWalk(s.rng, s.drift1);
    DriftWalk(s.rng, s.drift2);
    DriftWalk(s.rng, s.drift3);
    DriftWalk(s.rng, s.drift4);
    const double G = g / (1.0 + g);
    const double gn[4] = {G * (1.0 + 0.2 * s.drift1), G * (1.0 + 0.2 * s.drift2),
                          G * (1.0 + 0.2 * s.drift3), G * (1.0 + 0.2 * s.drift4)};
    double l = s.y4 + 0.7 * (s.y4 - s.y4Prev);
    s.y4Prev = s.y4;
    const double k = 4.0 * rr * (1.0 - 0.15 * G);
    const double xin = x * (1.0 + 0.3 * rr);
    const double lambda = 1.0 - (2.0 * rr + 1.0) * 1.5e-7;
    const double a = pModel ? 0.85 : 0.8;
    auto shape = [pModel](double q) { return pModel ? q : q / (1.0 + 0.12 * std::fabs(q)); };
    auto slope = [pModel](double q) {
        if (pModel) {
            return 1.0;
        }
        const double den = 1.0 + 0.12 * std::fabs(q);
        return 1.0 / (den * den);
    };

    double q[4] = {};
    double v = 0.0;
    for (int round = 0; round < 3; ++round) {
        v = a * l;
        double e = 0.0;
        double de = 0.0;
        AdaaTanh(v, s.feedbackPrev, e, de);
        const double fb = pModel ? k * (e + 0.05 * e * e) : k * e;
        q[0] = PadeTanh(xin - fb - s.s1);
        s.y1 = s.s1 + gn[0] * shape(q[0]);
        q[1] = PadeTanh(s.y1 - s.s2);
        s.y2 = s.s2 + gn[1] * shape(q[1]);
        q[2] = PadeTanh(s.y2 - s.s3);
        s.y3 = s.s3 + gn[2] * shape(q[2]);
        q[3] = PadeTanh(s.y3 - s.s4);
        s.y4 = s.s4 + gn[3] * shape(q[3]);
        if (std::fabs(s.y4 - l) < 1e-6) {
            break;
        }
        double product = 1.0;
        for (int n = 0; n < 4; ++n) {
            product *= gn[n] * (1.0 - q[n] * q[n]) * slope(q[n]);
        }
        const double dl = (-k * a * de) * product;
        l = l - (s.y4 - l) / (dl - 1.0);
    }
    s.y4 = l;
    s.feedbackPrev = v;
    const double lam = lambda;
    s.s1 = (s.s1 + 2.0 * gn[0] * shape(q[0])) * lam;
    s.s2 = (s.s2 + 2.0 * gn[1] * shape(q[1])) * lam;
    s.s3 = (s.s3 + 2.0 * gn[2] * shape(q[2])) * lam;
    s.s4 = (s.s4 + 2.0 * gn[3] * shape(q[3])) * lam;
    return c.poles <= 2 ? s.y2 : s.y4;
}

double LiteralEngine::SvfStage(bool wModel, int i, double u, double gPrime, double k, Svf& s,
                               double& bpOut) {
    auto n = [wModel](double v) {
        return wModel ? 0.333333 * TableTanh(3.0 * v) + 0.1 * TableTanh(v * v) : PadeTanh(v);
    };
    auto nSlope = [wModel](double v) {
        if (wModel) {
            const double t3 = TableTanh(3.0 * v);
            const double tsq = TableTanh(v * v);
            return (1.0 - t3 * t3) + 0.2 * v * (1.0 - tsq * tsq);
        }
        const double p = PadeTanh(v);
        return 1.0 - p * p;
    };
    double h = s.hpGuess[i];
    double nh = 0.0;
    double nbp = 0.0;
    double bp = 0.0;
    double lp = 0.0;
    for (int round = 0; round < 3; ++round) {
        nh = n(h);
        bp = s.bpState[i] + gPrime * nh;
        nbp = n(bp);
        lp = s.lpState[i] + gPrime * nbp;
        const double e = h - (u - k * bp - lp);
        if (std::fabs(e) < 1e-6) {
            break;
        }
        const double nph = nSlope(h);
        h = h - e / (1.0 + k * gPrime * nph + gPrime * nSlope(bp) * gPrime * nph);
    }
    s.bpState[i] = (s.bpState[i] + 2.0 * gPrime * nh) * 0.999999;
    s.lpState[i] = (s.lpState[i] + 2.0 * gPrime * nbp) * 0.999999;
    s.hpGuess[i] = h;
    bpOut = bp;
    return lp;
}

double LiteralEngine::SFilterStep(double x, const Context& c, Svf& s) {
    if (c.g < 1e-10) {
        return x;
    }
    const double q = c.fourPole ? 0.7 + 15.0 * c.r : 0.7 + 49.0 * c.r;
    const double k = 1.0 / std::max(q, 0.1);
    DriftWalk(s.rng, s.drift1);
    DriftWalk(s.rng, s.drift2);
    const double G = c.g / (1.0 + c.g);
    double bp = 0.0;
    double lp = SvfStage(false, 0, x, G * (1.0 + 0.2 * s.drift1), k, s, bp);
    if (c.fourPole) {
        lp = SvfStage(false, 1, lp, G * (1.0 + 0.2 * s.drift2), k, s, bp);
    }
    return lp + 0.15 * bp;
}

double LiteralEngine::WFilterStep(double x, const Context& c, Svf& s) {
    if (c.g < 1e-10) {
        return x;
    }
    const double k = 2.0 * (1.0 - std::min(c.r, 0.99));
    DriftWalk(s.rng, s.drift1);
    DriftWalk(s.rng, s.drift2);
    const double G = c.g / (1.0 + c.g);
    double bp = 0.0;
    const double lp0 = SvfStage(true, 0, x, G * (1.0 + 0.2 * s.drift1), k, s, bp);
    if (c.poles <= 2) {
        return lp0;
    }
    return 0.7 * SvfStage(true, 1, lp0, G * (1.0 + 0.2 * s.drift2), k, s, bp);
}

void LiteralEngine::ResetModelState(int model, int channel) {
    if (IsLadder(model)) {
        Ladder& s = ladders_[model == 2][channel];
        const uint32_t rng = s.rng;
        s = Ladder{};
        s.rng = rng;
    } else {
        Svf& s = svfs_[model == 3][channel];
        const uint32_t rng = s.rng;
        s = Svf{};
        s.rng = rng;
    }
}

double LiteralEngine::ProcessFilterSample(int model, double x, const Context& context) {
    double y = x;
    switch (model) {
        case 0:
        case 2:
            y = LadderStep(model == 2, x, context, ladders_[model == 2][context.channel]);
            break;
        case 1:
            y = SFilterStep(x, context, svfs_[0][context.channel]);
            break;
        case 3:
            y = WFilterStep(x, context, svfs_[1][context.channel]);
            break;
        default:
            return x;
    }
    if (!std::isfinite(y)) {
        ResetModelState(model, context.channel);
        return 0.0;
    }
    return y;
}

LiteralEngine::Ladder& LiteralEngine::LadderState(int model, int channel) {
    return ladders_[model == 2][channel];
}

LiteralEngine::Svf& LiteralEngine::SvfState(int model, int channel) {
    return svfs_[model == 3][channel];
}

// ---- oversampler ----

double LiteralEngine::BesselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k <= 31; ++k) {
        term = term * (x * x) / (4.0 * k * k);
        sum += term;
        if (term < 1e-12 * sum) {
            break;
        }
    }
    return sum;
}

void LiteralEngine::DesignKernel() {
    double total = 0.0;
    for (int i = 0; i < kTaps; ++i) {
        const double a = i - 16;
        const double s = std::fabs(a) < 1e-12 ? 0.25 : std::sin(a * 0.7853981633974483) / (a * kPi);
        const double ratio = a / 16.0;
        const double w = std::fabs(ratio) < 1.0
                             ? BesselI0(8.0 * std::sqrt(1.0 - ratio * ratio)) / BesselI0(8.0)
                             : 0.0;
        kernel_[i] = w * s;
    }
    for (int i = 0; i < kTaps; ++i) {
        total += kernel_[i];
    }
    for (int i = 0; i < kTaps; ++i) {
        kernel_[i] /= total;
    }
}

void LiteralEngine::Upsample(const double* in, std::vector<double>& out, int ch, int nFrames) {
    const int n = 4 * nFrames;
    std::vector<double> scratch(32 + n, 0.0);
    std::copy(upHistory_[ch], upHistory_[ch] + 32, scratch.begin());
    for (int i = 0; i < nFrames; ++i) {
        scratch[32 + 4 * i] = in[i];
    }
    out.assign(n, 0.0);
    for (int j = 0; j < n; ++j) {
        double sum = 0.0;
        for (int k = 0; k < kTaps; ++k) {
            sum += kernel_[k] * scratch[32 + j - k];
        }
        out[j] = 4.0 * sum;
    }
    std::copy(scratch.begin() + n, scratch.begin() + n + 32, upHistory_[ch]);
}

void LiteralEngine::Downsample(const std::vector<double>& in, double* out, int ch, int nFrames) {
    const int n = 4 * nFrames;
    std::vector<double> scratch(32 + n, 0.0);
    std::copy(downHistory_[ch], downHistory_[ch] + 32, scratch.begin());
    std::copy(in.begin(), in.begin() + n, scratch.begin() + 32);
    for (int i = 0; i < nFrames; ++i) {
        double sum = 0.0;
        for (int k = 0; k < kTaps; ++k) {
            sum += kernel_[k] * scratch[32 + 4 * i - k];
        }
        out[i] = sum;
    }
    std::copy(scratch.begin() + n, scratch.begin() + n + 32, downHistory_[ch]);
}

// ---- block processing ----

void LiteralEngine::Reset(double sampleRate, int numOutputChannels) {
    sampleRate_ = sampleRate;
    const int n = std::max(1, numOutputChannels);
    oversampled_.assign(n, std::vector<double>(256, 0.0));
    dryDelayLines_.assign(n, std::vector<float>(16, 0.0f));
    const int nModel = n < 3 ? n : 2;
    for (int model = 0; model < 4; ++model) {
        for (int ch = 0; ch < nModel; ++ch) {
            ResetModelState(model, ch);
        }
    }
    for (int ch = 0; ch < 2; ++ch) {
        std::fill(upHistory_[ch], upHistory_[ch] + 32, 0.0);
        std::fill(downHistory_[ch], downHistory_[ch] + 32, 0.0);
    }
    smoothedCutoff_ = 1000.0;
    wobblePhase_ = 0.0;
    ResetAnalyser();
    dryDelayLength_ = 5;
    dryDelayPositions_[0] = 0;
    dryDelayPositions_[1] = 0;
    dryCopies_.assign(2, std::vector<double>());
}

void LiteralEngine::ProcessBlock(const BlockParameters& params, const double* const* inputs,
                                 double* const* outputs, int numChannels, int nFrames) {
    const int n = std::max(1, numChannels);
    while (static_cast<int>(oversampled_.size()) < n) {
        oversampled_.emplace_back(256, 0.0);
    }
    while (static_cast<int>(dryDelayLines_.size()) < n) {
        dryDelayLines_.emplace_back(16, 0.0f);
    }
    while (static_cast<int>(dryCopies_.size()) < n) {
        dryCopies_.emplace_back();
    }

    const int mNew = static_cast<int>(params.model);
    if (mNew != currentModel_ && crossfadeProgress_ >= 1.0) {
        previousModel_ = currentModel_;
        currentModel_ = mNew;
        crossfadeProgress_ = 0.0;
    }
    const bool fourPole = params.poles > 0.5;
    displayCutoff_ = static_cast<float>(params.cutoff);
    displayResonance_ = static_cast<float>(params.resonance);
    displayModel_ = mNew;
    displayFourPole_ = fourPole;

    if (params.bypass > 0.5) {
        for (int ch = 0; ch < n; ++ch) {
            std::copy(inputs[ch], inputs[ch] + nFrames, outputs[ch]);
        }
        return;
    }

    const int nProc = std::min(n, 2);
    const double gi = std::pow(10.0f, static_cast<float>(params.input / 20.0));
    const double d = static_cast<float>(params.drive) * 0.01f;
    const double m = static_cast<float>(params.mix) * 0.01f;
    const double go = std::pow(10.0f, static_cast<float>(params.output / 20.0));
    const double u = params.resonance * 0.01;
    const int poles = fourPole ? 4 : 2;

    for (int ch = 0; ch < n; ++ch) {
        dryCopies_[ch].assign(inputs[ch], inputs[ch] + nFrames);
    }
    for (int ch = 0; ch < nProc; ++ch) {
        Upsample(inputs[ch], oversampled_[ch], ch, nFrames);
    }

    double g = 0.0;
    for (int j = 0; j < 4 * nFrames; ++j) {
        if (j % 4 == 0) {
            smoothedCutoff_ = smoothedCutoff_ + 0.15 * (params.cutoff - smoothedCutoff_);
            wobblePhase_ = wobblePhase_ + 0.01 * (1.0 + 0.5 * u);
            const double t =
                std::tan(kPi * smoothedCutoff_ * (1.0 + 0.2 * u) *
                         (1.0 + 0.0005 * std::sin(wobblePhase_)) / (4.0 * sampleRate_));
            g = std::clamp(t, 1e-12, 10.0);
        }
        for (int ch = 0; ch < nProc; ++ch) {
            Context context;
            context.channel = ch;
            context.g = ch == 0 ? 0.999 * g : 1.001 * g;
            const double x = gi * oversampled_[ch][j];
            context.r = u * (1.0 + 0.2 * TableTanh(std::fabs(x)));
            context.poles = poles;
            context.fourPole = fourPole;
            double y = 0.0;
            if (crossfadeProgress_ < 1.0) {
                const double yOld = ProcessFilterSample(
                    previousModel_, ApplyModelDrive(previousModel_, x, d), context);
                const double yNew = ProcessFilterSample(
                    currentModel_, ApplyModelDrive(currentModel_, x, d), context);
                const double phi = crossfadeProgress_ * kPi * 0.5;
                y = std::sin(phi) * yNew + std::cos(phi) * yOld;
            } else {
                y = ProcessFilterSample(currentModel_, ApplyModelDrive(currentModel_, x, d),
                                        context);
            }
            oversampled_[ch][j] = y;
        }
        if (crossfadeProgress_ < 1.0) {
            crossfadeProgress_ = crossfadeProgress_ + 1.0 / (4.0 * sampleRate_ * 0.01);
            if (crossfadeProgress_ > 1.0) {
                crossfadeProgress_ = 1.0;
            }
        }
    }

    for (int ch = 0; ch < nProc; ++ch) {
        Downsample(oversampled_[ch], outputs[ch], ch, nFrames);
    }
    for (int ch = nProc; ch < n; ++ch) {
        std::copy(inputs[ch], inputs[ch] + nFrames, outputs[ch]);
    }

    for (int ch = 0; ch < n; ++ch) {
        for (int k = 0; k < nFrames; ++k) {
            double dry = dryCopies_[ch][k];
            if (dryDelayLength_ > 0 && !dryDelayLines_[ch].empty() && ch < 2) {
                std::vector<float>& line = dryDelayLines_[ch];
                int& p = dryDelayPositions_[ch];
                line[p] = static_cast<float>(dry);
                p = (p + 1) % dryDelayLength_;
                dry = line[p];
            }
            outputs[ch][k] = (m * outputs[ch][k] + (1.0 - m) * dry) * go;
        }
    }

    for (int k = 0; k < nFrames; ++k) {
        if (n < 2) {
            FeedAnalyzerSample(static_cast<float>(outputs[0][k] * 0.5));
        } else {
            FeedAnalyzerSample(static_cast<float>(outputs[1][k] * 0.5) +
                               static_cast<float>(outputs[0][k] * 0.5));
        }
    }
}

// ---- analyser ----

void LiteralEngine::ResetAnalyser() {
    for (int k = 0; k < kFftSize; ++k) {
        hannWindow_[k] = (1.0f - std::cos((static_cast<float>(k) * 6.2831855f) / 2047.0f)) * 0.5f;
    }
    frameCount_ = 0;
    std::fill(frameSamples_.begin(), frameSamples_.end(), 0.0f);
    std::fill(fftWork_.begin(), fftWork_.end(), 0.0f);
    std::fill(smoothedSpectrum_.begin(), smoothedSpectrum_.end(), 0.0f);
}

void LiteralEngine::ProcessFrame() {
    for (int i = 0; i < kFftSize; ++i) {
        fftWork_[i] = hannWindow_[i] * frameSamples_[i];
    }
    std::vector<std::complex<double>> work(kFftSize);
    for (int i = 0; i < kFftSize; ++i) {
        work[i] = {fftWork_[bitReverse_[i]], 0.0};
    }
    for (int s = 1; s <= 11; ++s) {
        const int span = 1 << s;
        const int half = span / 2;
        for (int b = 0; b < kFftSize; b += span) {
            for (int k = 0; k < half; ++k) {
                const std::complex<double> w = twiddles_[k * (1 << (11 - s))];
                std::complex<double>& lower = work[b + k];
                std::complex<double>& upper = work[b + k + half];
                // Written out so the product is the plain four-multiply form.
                const std::complex<double> t(w.real() * upper.real() - w.imag() * upper.imag(),
                                             w.real() * upper.imag() + w.imag() * upper.real());
                upper = lower - t;
                lower = lower + t;
            }
        }
    }
    for (int k = 0; k < kFftSize; ++k) {
        fftWork_[k] = static_cast<float>(std::hypot(work[k].real(), work[k].imag()));
    }
    for (int k = 0; k < kFftSize; ++k) {
        smoothedSpectrum_[k] = 0.85f * smoothedSpectrum_[k] + 0.15f * fftWork_[k];
    }
    frameCount_ = 0;
}

void LiteralEngine::FeedAnalyzerSample(float value) {
    if (frameCount_ == kFftSize) {
        ProcessFrame();
    }
    frameSamples_[frameCount_] = value;
    frameCount_ = frameCount_ + 1;
}

// ---- response curve ----

float LiteralEngine::ResponseMagnitude(float frequency) const {
    using C = std::complex<double>;
    const double fc = displayCutoff_;
    const double fs = sampleRate_;
    const float rhoF = displayResonance_ * 0.01f;
    const double rho = rhoF;
    const double f = std::max(frequency, 20.0f);
    const double tf = std::tan(kPi * f / fs);
    const double tc = std::tan(kPi * fc / fs);
    const C s(0.0, tf / tc);
    C h(1.0, 0.0);
    switch (displayModel_) {
        case 0:
        case 2: {
            const bool p = displayModel_ == 2;
            const C h1 = 1.0 / (1.0 + (p ? 0.92 * s : s));
            const C h2 = h1 * h1;
            const C h4 = h2 * h2;
            const C num = displayFourPole_ ? h4 : h2;
            h = num / (1.0 + 3.96 * rho * h4) * (1.0 + (p ? 0.45 : 0.05) * rho);
            break;
        }
        case 1: {
            const double q = displayFourPole_ ? 0.7 + 15.0 * rho : 0.7 + 49.0 * rho;
            const C h2 = 1.0 / (s * s + s / q + 1.0);
            h = (displayFourPole_ ? h2 * h2 : h2) * (1.0 + 0.1 * rho);
            break;
        }
        case 3: {
            const C sw(0.0, tf / (1.06 * tc));
            const double v = 1.0 - static_cast<double>(std::min(rhoF, 0.995f));
            const C h2 = 1.0 / (sw * sw + 2.0 * v * sw + 1.0);
            h = (displayFourPole_ ? h2 * h2 : h2) * 1.15;
            break;
        }
        default:
            break;
    }
    return static_cast<float>(std::max(std::hypot(h.real(), h.imag()), 1e-5));
}

}  // namespace quendaris::reference
