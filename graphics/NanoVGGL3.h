#pragma once

#include "nanovg.h"

namespace quendaris {

// NanoVG's OpenGL 3 context (flags as nvgCreateGL3 takes them) drawing with programs that suit
// software GL, one per kind of paint (see the .cpp); delete it with nvgDeleteGL3. Null without a
// GL context.
NVGcontext* CreateNanoVGContext(int flags);

// Draws of `vg` use those programs (true, the default) or NanoVG's own (false). Both give the
// same pixels; the switch is for comparing them.
void UseAttributeProgram(NVGcontext* vg, bool enable);

// Concave fills of `vg` count their windings with triangles near their outline (true, the
// default) or with NanoVG's fan from each path's first point (false). Both give the same pixels;
// the switch is for comparing them.
void UseLocalFans(NVGcontext* vg, bool enable);
// How many paths the last flush of `vg` filled with local fans.
int LocalFansOfLastFlush(NVGcontext* vg);

// Whether draws of `vg` use the per-paint programs (so DrawSolidTriangles can be used).
bool AttributeProgramInUse(NVGcontext* vg);

// Triangles (x, y pairs in NanoVG's frame coordinates, three points each) of one solid colour
// (not premultiplied), without antialiasing, inside the scissor, in drawing order with
// NanoVG's own calls of the frame. Only while AttributeProgramInUse.
void DrawSolidTriangles(NVGcontext* vg, NVGcolor color, const NVGscissor& scissor, const float* xy,
                        int points);

}  // namespace quendaris
