#include "WglContext.h"

#include <glad/gl.h>
#include <glad/wgl.h>

namespace quendaris::wgl {

bool SetEditorPixelFormat(HDC dc) {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    int format = ChoosePixelFormat(dc, &pfd);
    return format != 0 && SetPixelFormat(dc, format, &pfd);
}

void* ResolveGLFunction(const char* name) {
    PROC proc = wglGetProcAddress(name);
    // Some drivers answer small sentinel values instead of null for what they lack.
    auto value = reinterpret_cast<intptr_t>(proc);
    if (value == 0 || value == 1 || value == 2 || value == 3 || value == -1) {
        static HMODULE openGL = LoadLibraryW(L"opengl32.dll");
        proc = openGL ? GetProcAddress(openGL, name) : nullptr;
    }
    return reinterpret_cast<void*>(proc);
}

namespace {

GLADapiproc Resolve(const char* name) {
    return reinterpret_cast<GLADapiproc>(ResolveGLFunction(name));
}

}  // namespace

HGLRC CreateEditorContext(HDC dc) {
    HGLRC legacy = wglCreateContext(dc);
    if (!legacy)
        return nullptr;
    if (!wglMakeCurrent(dc, legacy)) {
        wglDeleteContext(legacy);
        return nullptr;
    }
    HGLRC context = legacy;
    if (gladLoadWGL(dc, Resolve) && wglCreateContextAttribsARB) {
        const int attributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB,
                                  3,
                                  WGL_CONTEXT_MINOR_VERSION_ARB,
                                  3,
                                  WGL_CONTEXT_PROFILE_MASK_ARB,
                                  WGL_CONTEXT_CORE_PROFILE_BIT_ARB,
                                  0};
        HGLRC core = wglCreateContextAttribsARB(dc, nullptr, attributes);
        if (core) {
            wglMakeCurrent(nullptr, nullptr);
            wglDeleteContext(legacy);
            context = core;
            wglMakeCurrent(dc, context);
        }
    }
    if (!gladLoadGL(Resolve)) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(context);
        return nullptr;
    }
    return context;
}

}  // namespace quendaris::wgl
