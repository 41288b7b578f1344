// Frame cost of the real QUENDARIS editor on Mesa's software OpenGL (llvmpipe), off-screen
// through EGL. Editor/Steady is a tick of an open, untouched editor with a new spectrum to show:
// only the spectrum display redraws, its spectrum full of data. Editor/Full repaints the whole
// editor, as after opening or a change of scale. Editor/Quiet is a tick with nothing new, as
// with the transport stopped; Editor/Playing is the display's share of a tick while 48 kHz audio
// runs (a new analyser frame about every third tick at 60 per second).
#include <benchmark/benchmark.h>

#include <glad/gl.h>

#include <chrono>
#include <ctime>
#include <cmath>
#include <memory>
#include <string>

#include "BrisvaleLayout.h"
#include "EditorSnapshot.h"

namespace quendaris {
namespace {

// A second of a saw chord through the plug-in, so every spectrum bin carries data.
render::AudioBuffer Chord() {
    const double rate = 48000.0;
    render::AudioBuffer audio(2, 48000, rate);
    const double notes[] = {110.0, 138.6, 164.8};
    double phases[3] = {};
    for (size_t i = 0; i < audio.FrameCount(); ++i) {
        double v = 0.0;
        for (int n = 0; n < 3; ++n) {
            v += 2.0 * phases[n] - 1.0;
            phases[n] += notes[n] / rate;
            phases[n] -= std::floor(phases[n]);
        }
        audio.channels[0][i] = audio.channels[1][i] = 0.2 * v;
    }
    return audio;
}

// CPU time of the whole process, the renderer's threads included.
double ProcessCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

void Finish(GraphicsEgl& graphics) {
    graphics.MakeContextCurrent();
    glFinish();
    graphics.RestorePreviousContext();
}

// The editor off-screen with a resonant setting, or null (the case skipped) without GL.
std::unique_ptr<snapshot::EditorSnapshot> OpenEditor(benchmark::State& state) {
    std::unique_ptr<snapshot::EditorSnapshot> editor;
    try {
        editor = std::make_unique<snapshot::EditorSnapshot>();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return nullptr;
    }
    editor->Set("Resonance", "70");
    return editor;
}

enum class Frame { kDisplay, kFull, kQuiet };

void RunEditorFrames(benchmark::State& state, Frame frame) {
    std::unique_ptr<snapshot::EditorSnapshot> editor = OpenEditor(state);
    if (!editor)
        return;
    editor->Process(Chord());
    GraphicsEgl& graphics = editor->Graphics();
    graphics.RedrawAll();
    graphics.DisplayTick();
    Finish(graphics);
    Control* display = graphics.GetControl(kCtrlSpectrum);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuMs();
    for (auto _ : state) {
        if (frame == Frame::kFull) {
            graphics.SetAllControlsDirty();
        } else if (frame == Frame::kDisplay) {
            // What a newly published analyser frame does.
            display->MarkDirty(false);
        }
        graphics.DisplayTick();
        Finish(graphics);
    }
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    const double frames = static_cast<double>(state.iterations());
    state.counters["ms_per_frame"] = elapsed.count() / frames;
    // On a loaded machine the wall time mostly waits; the CPU the frames take stays comparable.
    state.counters["cpu_ms_per_frame"] = (ProcessCpuMs() - cpuStart) / frames;
}

void BM_EditorSteady(benchmark::State& state) {
    RunEditorFrames(state, Frame::kDisplay);
}

void BM_EditorFull(benchmark::State& state) {
    RunEditorFrames(state, Frame::kFull);
}

void BM_EditorQuiet(benchmark::State& state) {
    RunEditorFrames(state, Frame::kQuiet);
}

// 800 samples of the chord per tick; only the ticks are timed.
void BM_EditorPlaying(benchmark::State& state) {
    std::unique_ptr<snapshot::EditorSnapshot> editor = OpenEditor(state);
    if (!editor)
        return;
    const render::AudioBuffer chord = Chord();
    GraphicsEgl& graphics = editor->Graphics();
    graphics.RedrawAll();
    graphics.DisplayTick();
    Finish(graphics);
    const size_t perTick = 800;
    render::AudioBuffer slice(2, perTick, chord.sampleRate);
    size_t position = 0;
    double tickMs = 0.0, tickCpuMs = 0.0;
    for (auto _ : state) {
        for (int ch = 0; ch < 2; ++ch) {
            for (size_t i = 0; i < perTick; ++i)
                slice.channels[ch][i] = chord.channels[ch][(position + i) % chord.FrameCount()];
        }
        position += perTick;
        editor->Process(slice, 400);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuMs();
        graphics.DisplayTick();
        Finish(graphics);
        tickCpuMs += ProcessCpuMs() - cpuStart;
        tickMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }
    const double ticks = static_cast<double>(state.iterations());
    state.counters["ms_per_frame"] = tickMs / ticks;
    state.counters["cpu_ms_per_frame"] = tickCpuMs / ticks;
}

BENCHMARK(BM_EditorSteady)->Name("Editor/Steady")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorFull)->Name("Editor/Full")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorQuiet)->Name("Editor/Quiet")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorPlaying)->Name("Editor/Playing")->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quendaris
