// Frame cost of the real QUENDARIS editor on Mesa's software OpenGL (llvmpipe), off-screen
// through EGL. Editor/Steady is what an open, untouched editor costs at every display tick:
// only the spectrum display redraws, its spectrum full of data. Editor/Full repaints the whole
// editor, as after opening or a change of scale.
#include <benchmark/benchmark.h>

#include <glad/gl.h>

#include <chrono>
#include <ctime>
#include <cmath>
#include <memory>
#include <string>

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

void RunEditorFrames(benchmark::State& state, bool fullFrame) {
    std::unique_ptr<snapshot::EditorSnapshot> editor;
    try {
        editor = std::make_unique<snapshot::EditorSnapshot>();
    } catch (const std::exception& e) {
        state.SkipWithError(e.what());
        return;
    }
    editor->Set("Resonance", "70");
    editor->Process(Chord());
    GraphicsEgl& graphics = editor->Graphics();
    graphics.RedrawAll();
    Finish(graphics);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuMs();
    for (auto _ : state) {
        if (fullFrame) {
            graphics.SetAllControlsDirty();
        }
        // Without a change only the display, which animates, is dirty.
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
    RunEditorFrames(state, false);
}

void BM_EditorFull(benchmark::State& state) {
    RunEditorFrames(state, true);
}

BENCHMARK(BM_EditorSteady)->Name("Editor/Steady")->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditorFull)->Name("Editor/Full")->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quendaris
