#pragma once

struct NVGcontext;

namespace quendaris {

// NanoVG's OpenGL 3 context (flags as nvgCreateGL3 takes them) whose draws each run a fragment
// program made for their kind of paint; delete it with nvgDeleteGL3. Null without a context.
NVGcontext* CreateNanoVGContext(int flags);

// Draws of `vg` go back to NanoVG's single program (false) or to the per-paint ones (true, the
// default). Both give the same pixels; the switch is for comparing them.
void UsePaintPrograms(NVGcontext* vg, bool enable);

}  // namespace quendaris
