#pragma once

#include <windows.h>

namespace quendaris::wgl {

// Chooses and sets the editor's pixel format on a window's device context: RGBA, 32 colour,
// 24 depth and 8 stencil bits, double-buffered, drawing to a window with OpenGL.
bool SetEditorPixelFormat(HDC dc);

// Creates a legacy context and makes it current; when the driver offers
// "wglCreateContextAttribsARB" it is replaced by an OpenGL 3.3 core context. The answer is
// current on this thread, with the OpenGL entry points loaded; null on failure.
HGLRC CreateEditorContext(HDC dc);

// Looks a GL or WGL entry point up: "wglGetProcAddress" first, then "opengl32.dll".
void* ResolveGLFunction(const char* name);

}  // namespace quendaris::wgl
