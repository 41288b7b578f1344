// Prints the editor's figures in an X11 host: time from attached to the first frame, host CPU
// time per second with the editor open and idle, and milliseconds per display tick while a
// host value changes every tick. Not a test: run it by hand on a quiet machine.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "tests/editor/EditorSession.h"

using namespace quendaris::test;
using Clock = std::chrono::steady_clock;

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

}  // namespace

int main() {
    TestDisplay();
    EditorSession session;
    if (!session.effect.Valid())
        return 1;
    session.view = Steinberg::owned(session.effect.controller->createView("editor"));
    session.view->setFrame(&session.frame);
    const double startCpu = CpuSeconds();
    const auto start = Clock::now();
    if (session.view->attached(session.window.Parent(), Steinberg::kPlatformTypeX11EmbedWindowID) !=
        Steinberg::kResultOk)
        return 1;
    const auto attachedReturned = Clock::now();
    const double attachCpuMs = (CpuSeconds() - startCpu) * 1000.0;
    session.PumpUntilDrawn(5000);
    const auto drawn = Clock::now();
    std::printf("attached() returned after   %.1f ms (%.1f ms CPU)\n", Ms(attachedReturned - start),
                attachCpuMs);
    std::printf("picture on screen after     %.1f ms (polling by screenshot)\n", Ms(drawn - start));

    session.Pump(500);
    const double idleCpu = CpuSeconds();
    const int idleTicks = session.loop.TimerCalls();
    const auto idleStart = Clock::now();
    session.Pump(5000);
    const double idleSeconds = std::chrono::duration<double>(Clock::now() - idleStart).count();
    std::printf("idle: %.1f ms CPU per second, %.1f host timer calls per second\n",
                (CpuSeconds() - idleCpu) * 1000.0 / idleSeconds,
                (session.loop.TimerCalls() - idleTicks) / idleSeconds);

    // A host value every tick: each display tick repaints the changed control.
    const int ticks = 300;
    const double busyCpu = CpuSeconds();
    const auto busyStart = Clock::now();
    for (int i = 0; i < ticks; ++i) {
        session.effect.controller->setParamNormalized(0, (i % 100) / 100.0);
        session.Pump(16);
    }
    const double busySeconds = std::chrono::duration<double>(Clock::now() - busyStart).count();
    const double busyCpuMs = (CpuSeconds() - busyCpu) * 1000.0;
    std::printf("changing: %.2f ms CPU per display tick (%d ticks in %.2f s)\n", busyCpuMs / ticks,
                ticks, busySeconds);
    session.Close();
    return 0;
}
