#include "GlxSurface.h"

#include <dlfcn.h>

#include "XErrorTrap.h"

namespace quendaris {

namespace {

using GetProcAddress = GLADapiproc (*)(const GLubyte*);

// glad's header turns glXGetProcAddressARB into a macro, so the real one is taken from libGL.
GLADapiproc ResolveGl(const char* name) {
    static GetProcAddress resolve = [] {
        void* library = dlopen("libGL.so.1", RTLD_LAZY | RTLD_LOCAL);
        if (!library)
            library = dlopen("libGL.so", RTLD_LAZY | RTLD_LOCAL);
        return library ? reinterpret_cast<GetProcAddress>(dlsym(library, "glXGetProcAddressARB"))
                       : nullptr;
    }();
    return resolve ? resolve(reinterpret_cast<const GLubyte*>(name)) : nullptr;
}

}  // namespace

GlxSurface::GlxSurface(Display* display) : mDisplay(display), mScreen(DefaultScreen(display)) {}

GlxSurface::~GlxSurface() {
    DestroyContext();
    if (mVisual)
        XFree(mVisual);
}

bool GlxSurface::LoadGlx() {
    return gladLoadGLX(mDisplay, mScreen, ResolveGl) != 0 && glXChooseFBConfig;
}

XVisualInfo* GlxSurface::ChooseVisual() {
    if (mVisual)
        return mVisual;
    if (!LoadGlx())
        return nullptr;
    // No alpha and no particular depth: both gave BadMatch against some hosts' parents.
    const int attributes[] = {GLX_X_RENDERABLE,
                              True,
                              GLX_DRAWABLE_TYPE,
                              GLX_WINDOW_BIT,
                              GLX_RENDER_TYPE,
                              GLX_RGBA_BIT,
                              GLX_X_VISUAL_TYPE,
                              GLX_TRUE_COLOR,
                              GLX_RED_SIZE,
                              8,
                              GLX_GREEN_SIZE,
                              8,
                              GLX_BLUE_SIZE,
                              8,
                              GLX_DEPTH_SIZE,
                              24,
                              GLX_STENCIL_SIZE,
                              8,
                              GLX_DOUBLEBUFFER,
                              True,
                              None};
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(mDisplay, mScreen, attributes, &count);
    if (!configs)
        return nullptr;
    // Prefer the screen's usual 24-bit visuals over 32-bit ARGB ones.
    for (int i = 0; i < count && !mVisual; ++i) {
        XVisualInfo* visual = glXGetVisualFromFBConfig(mDisplay, configs[i]);
        if (visual && visual->depth == 24) {
            mConfig = configs[i];
            mVisual = visual;
        } else if (visual) {
            XFree(visual);
        }
    }
    if (!mVisual && count > 0) {
        mConfig = configs[0];
        mVisual = glXGetVisualFromFBConfig(mDisplay, mConfig);
    }
    XFree(configs);
    return mVisual;
}

bool GlxSurface::CreateContext(Window window) {
    if (!mConfig)
        return false;
    mWindow = window;
    if (GLAD_GLX_ARB_create_context && GLAD_GLX_ARB_create_context_profile &&
        glXCreateContextAttribsARB) {
        const int attributes[] = {GLX_CONTEXT_MAJOR_VERSION_ARB,
                                  3,
                                  GLX_CONTEXT_MINOR_VERSION_ARB,
                                  3,
                                  GLX_CONTEXT_PROFILE_MASK_ARB,
                                  GLX_CONTEXT_CORE_PROFILE_BIT_ARB,
                                  None};
        XErrorTrap trap(mDisplay);
        GLXContext context =
            glXCreateContextAttribsARB(mDisplay, mConfig, nullptr, True, attributes);
        if (!trap.Failed() && context) {
            mContext = context;
            mCoreProfile = true;
        } else if (context) {
            glXDestroyContext(mDisplay, context);
        }
    }
    if (!mContext) {
        XErrorTrap trap(mDisplay);
        GLXContext context = glXCreateNewContext(mDisplay, mConfig, GLX_RGBA_TYPE, nullptr, True);
        if (!trap.Failed())
            mContext = context;
    }
    if (!mContext)
        return false;
    if (!MakeCurrent()) {
        DestroyContext();
        return false;
    }
    const bool loaded = gladLoadGL(ResolveGl) != 0;
    {
        // A vsync-blocking swap on the host's UI thread would throttle the host itself.
        XErrorTrap trap(mDisplay);
        if (GLAD_GLX_EXT_swap_control && glXSwapIntervalEXT)
            glXSwapIntervalEXT(mDisplay, mWindow, 0);
        else if (GLAD_GLX_MESA_swap_control && glXSwapIntervalMESA)
            glXSwapIntervalMESA(0);
    }
    RestorePrevious();
    if (!loaded)
        DestroyContext();
    return loaded;
}

void GlxSurface::DestroyContext() {
    if (!mContext)
        return;
    // Never destroy a context that is still current on this thread.
    if (glXGetCurrentContext() == mContext)
        glXMakeContextCurrent(mDisplay, None, None, nullptr);
    glXDestroyContext(mDisplay, mContext);
    mContext = nullptr;
    mDepth = 0;
}

bool GlxSurface::MakeCurrent() {
    if (!mContext)
        return false;
    if (mDepth++ > 0)
        return true;
    mPreviousContext = glXGetCurrentContext();
    mPreviousDisplay = glXGetCurrentDisplay();
    mPreviousDraw = glXGetCurrentDrawable();
    mPreviousRead = glXGetCurrentReadDrawable();
    XErrorTrap trap(mDisplay);
    const bool made = glXMakeContextCurrent(mDisplay, mWindow, mWindow, mContext);
    if (trap.Failed() || !made) {
        mDepth = 0;
        return false;
    }
    return true;
}

void GlxSurface::RestorePrevious() {
    if (mDepth == 0 || --mDepth > 0)
        return;
    if (mPreviousContext && mPreviousDisplay && mPreviousContext != mContext)
        glXMakeContextCurrent(mPreviousDisplay, mPreviousDraw, mPreviousRead, mPreviousContext);
    else
        glXMakeContextCurrent(mDisplay, None, None, nullptr);
    mPreviousContext = nullptr;
    mPreviousDisplay = nullptr;
}

void GlxSurface::SwapBuffers() {
    glXSwapBuffers(mDisplay, mWindow);
}

bool GlxSurface::CanCopySubBuffer() const {
    return GLAD_GLX_MESA_copy_sub_buffer && glXCopySubBufferMESA;
}

bool GlxSurface::CopySubBuffer(int x, int y, int width, int height) {
    if (width <= 0 || height <= 0)
        return true;
    XErrorTrap trap(mDisplay);
    glXCopySubBufferMESA(mDisplay, mWindow, x, y, width, height);
    return !trap.Failed();
}

}  // namespace quendaris
