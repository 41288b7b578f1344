#pragma once

struct NVGcontext;

namespace quendaris {

// NanoVG's OpenGL 3 context (flags as nvgCreateGL3 takes them) drawing with a program that
// suits software GL (see the .cpp); delete it with nvgDeleteGL3. Null without a GL context.
NVGcontext* CreateNanoVGContext(int flags);

// Draws of `vg` use that program (true, the default) or NanoVG's own (false). Both give the
// same pixels; the switch is for comparing them.
void UseAttributeProgram(NVGcontext* vg, bool enable);

}  // namespace quendaris
