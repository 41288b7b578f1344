#include "graphics/platform/egl/EglContext.h"

#include <glad/gl.h>

#define EGL_NO_X11
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace quendaris {
namespace {

// The surfaceless display is opened once and kept for the life of the process: later contexts
// are made quickly, and the driver is not unloaded and loaded again.
std::mutex displayLock;
EGLDisplay sharedDisplay = EGL_NO_DISPLAY;

bool HasExtension(const char* list, const char* name) {
    if (list == nullptr)
        return false;
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at != nullptr; at = std::strstr(at + 1, name)) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == ' ' || at[length] == '\0';
        if (starts && ends)
            return true;
    }
    return false;
}

GLADapiproc ResolveGl(const char* name) {
    return reinterpret_cast<GLADapiproc>(eglGetProcAddress(name));
}

void SetError(std::string* error, const char* text) {
    if (error == nullptr)
        return;
    char code[32];
    std::snprintf(code, sizeof(code), " (EGL error 0x%04x)", static_cast<unsigned>(eglGetError()));
    *error = std::string(text) + code;
}

EGLDisplay OpenSurfacelessDisplay(std::string* error) {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (!HasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        SetError(error, "EGL has no surfaceless platform");
        return EGL_NO_DISPLAY;
    }
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        SetError(error, "eglGetPlatformDisplayEXT is missing");
        return EGL_NO_DISPLAY;
    }
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        SetError(error, "the surfaceless EGL display did not initialise");
        return EGL_NO_DISPLAY;
    }
    return display;
}

EGLContext CreateCoreContext(EGLDisplay display, std::string* error) {
    const char* extensions = eglQueryString(display, EGL_EXTENSIONS);
    if (!HasExtension(extensions, "EGL_KHR_surfaceless_context")) {
        SetError(error, "EGL cannot make a context current without a surface");
        return EGL_NO_CONTEXT;
    }
    EGLConfig config = nullptr;
    if (!HasExtension(extensions, "EGL_KHR_no_config_context")) {
        const EGLint wanted[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
        EGLint found = 0;
        if (!eglChooseConfig(display, wanted, &config, 1, &found) || found < 1) {
            SetError(error, "no EGL configuration renders OpenGL");
            return EGL_NO_CONTEXT;
        }
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        SetError(error, "EGL does not offer desktop OpenGL");
        return EGL_NO_CONTEXT;
    }
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                 3,
                                 EGL_CONTEXT_MINOR_VERSION,
                                 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                 EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                 EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, attributes);
    if (context == EGL_NO_CONTEXT)
        SetError(error, "no OpenGL 3.3 core context");
    return context;
}

}  // namespace

struct EglContext::Handles {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLDisplay previousDisplay = EGL_NO_DISPLAY;
    EGLContext previousContext = EGL_NO_CONTEXT;
    EGLSurface previousDraw = EGL_NO_SURFACE;
    EGLSurface previousRead = EGL_NO_SURFACE;
};

std::unique_ptr<EglContext> EglContext::Create(std::string* error) {
    auto handles = std::make_unique<Handles>();
    {
        std::lock_guard<std::mutex> guard(displayLock);
        if (sharedDisplay == EGL_NO_DISPLAY)
            sharedDisplay = OpenSurfacelessDisplay(error);
        handles->display = sharedDisplay;
    }
    if (handles->display == EGL_NO_DISPLAY)
        return nullptr;
    handles->context = CreateCoreContext(handles->display, error);
    if (handles->context == EGL_NO_CONTEXT)
        return nullptr;
    std::unique_ptr<EglContext> result(new EglContext(std::move(handles)));
    if (!result->MakeCurrent()) {
        SetError(error, "the OpenGL context could not be made current");
        return nullptr;
    }
    const bool loaded = gladLoadGL(ResolveGl) != 0;
    result->RestorePrevious();
    if (!loaded) {
        SetError(error, "the OpenGL entry points could not be loaded");
        return nullptr;
    }
    return result;
}

EglContext::EglContext(std::unique_ptr<Handles> handles) : handles_(std::move(handles)) {}

EglContext::~EglContext() {
    if (IsCurrent())
        eglMakeCurrent(handles_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(handles_->display, handles_->context);
}

bool EglContext::MakeCurrent() {
    handles_->previousDisplay = eglGetCurrentDisplay();
    handles_->previousContext = eglGetCurrentContext();
    handles_->previousDraw = eglGetCurrentSurface(EGL_DRAW);
    handles_->previousRead = eglGetCurrentSurface(EGL_READ);
    return eglMakeCurrent(handles_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, handles_->context) ==
           EGL_TRUE;
}

void EglContext::RestorePrevious() {
    if (handles_->previousContext != EGL_NO_CONTEXT) {
        eglMakeCurrent(handles_->previousDisplay, handles_->previousDraw, handles_->previousRead,
                       handles_->previousContext);
    } else {
        eglMakeCurrent(handles_->display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    handles_->previousContext = EGL_NO_CONTEXT;
}

bool EglContext::IsCurrent() const {
    return eglGetCurrentContext() == handles_->context;
}

std::string EglContext::Version() const {
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return text != nullptr ? text : "";
}

std::string EglContext::Renderer() const {
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return text != nullptr ? text : "";
}

}  // namespace quendaris
