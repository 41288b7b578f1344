#include "graphics/platform/egl/GraphicsEgl.h"

#include <glad/gl.h>

#include <cmath>

#include "frame/EditorDelegate.h"

namespace quendaris {

GraphicsEgl::GraphicsEgl(EditorDelegate& delegate, int width, int height, int fps, float drawScale)
    : GraphicsNanoVG(delegate, width, height, fps, drawScale) {}

GraphicsEgl::~GraphicsEgl() {
    CloseWindow();
}

void* GraphicsEgl::OpenWindow(void* parent) {
    (void)parent;
    if (mOpen)
        return this;
    if (!mContext)
        mContext = EglContext::Create(&mError);
    if (!mContext)
        return nullptr;
    MakeContextCurrent();
    bool ready = CreateWindowFramebuffer() && CreateDrawingContext();
    if (!ready) {
        mError = "no NanoVG context on " + mContext->Renderer();
        DeleteWindowFramebuffer();
        RestorePreviousContext();
        return nullptr;
    }
    mOpen = true;
    SetScreenScale(GetPlatformWindowScale());
    LayoutUI();
    SetAllControlsDirty();
    RestorePreviousContext();
    GetDelegate()->OnUIOpen();
    return this;
}

void GraphicsEgl::CloseWindow() {
    if (!mOpen)
        return;
    MakeContextCurrent();
    RemoveAllControls();
    DestroyDrawingContext();
    DeleteWindowFramebuffer();
    RestorePreviousContext();
    mOpen = false;
    mTextEntry.reset();
    GetDelegate()->OnUIClose();
}

void* GraphicsEgl::GetWindow() const {
    return mOpen ? const_cast<GraphicsEgl*>(this) : nullptr;
}

// Nested pairs (a bitmap upload inside a paint) keep the outer context current.
void GraphicsEgl::MakeContextCurrent() {
    if (mContext && mCurrentDepth++ == 0)
        mContext->MakeCurrent();
}

void GraphicsEgl::RestorePreviousContext() {
    if (mContext && mCurrentDepth > 0 && --mCurrentDepth == 0)
        mContext->RestorePrevious();
}

// Stands in for the window: a colour renderbuffer of the backing size, bound while NanoVG
// starts so that FinishFrame copies into it.
bool GraphicsEgl::CreateWindowFramebuffer() {
    mFramebufferW = BackingWidth();
    mFramebufferH = BackingHeight();
    glGenFramebuffers(1, &mFramebuffer);
    glGenRenderbuffers(1, &mColorBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, mColorBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, mFramebufferW, mFramebufferH);
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, mColorBuffer);
    bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glViewport(0, 0, mFramebufferW, mFramebufferH);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    SetWindowFramebuffer(mFramebuffer);
    SetWindowKeepsPixels(true);
    return complete;
}

void GraphicsEgl::DeleteWindowFramebuffer() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (mColorBuffer)
        glDeleteRenderbuffers(1, &mColorBuffer);
    if (mFramebuffer)
        glDeleteFramebuffers(1, &mFramebuffer);
    mColorBuffer = 0;
    mFramebuffer = 0;
}

void GraphicsEgl::PlatformResize(bool parentHasResized) {
    (void)parentHasResized;
    if (!mOpen || (BackingWidth() == mFramebufferW && BackingHeight() == mFramebufferH))
        return;
    MakeContextCurrent();
    DeleteWindowFramebuffer();
    CreateWindowFramebuffer();
    RestorePreviousContext();
}

void GraphicsEgl::InvalidateDeviceRects(const std::vector<Rect>& deviceRects) {
    if (!mOpen || deviceRects.empty())
        return;
    float s = CombinedScale();
    std::vector<Rect> logical;
    logical.reserve(deviceRects.size());
    for (const Rect& r : deviceRects)
        logical.emplace_back(std::floor(r.L) / s, std::floor(r.T) / s, std::ceil(r.R) / s,
                             std::ceil(r.B) / s);
    MakeContextCurrent();
    glBindFramebuffer(GL_FRAMEBUFFER, mFramebuffer);
    DrawDirty(logical);
    RestorePreviousContext();
    ++mPaints;
}

void GraphicsEgl::RedrawAll() {
    SetAllControlsDirty();
    DisplayTick();
}

void GraphicsEgl::CreatePlatformTextEntry(int paramIdx, const TextStyle& style, const Rect& bounds,
                                          int maxLength, const char* text) {
    mTextEntry = std::make_unique<TextEntryRequest>();
    mTextEntry->paramIdx = paramIdx;
    mTextEntry->style = style;
    mTextEntry->bounds = bounds;
    mTextEntry->maxLength = maxLength;
    mTextEntry->text = text ? text : "";
}

void GraphicsEgl::HidePlatformCursor(bool hide, bool lock) {
    (void)hide;
    (void)lock;
}

void GraphicsEgl::MovePlatformCursor(float x, float y) {
    (void)x;
    (void)y;
}

PixelImage GraphicsEgl::ReadPixels(unsigned framebuffer) {
    if (!mOpen || framebuffer == 0)
        return PixelImage();
    MakeContextCurrent();
    glFinish();
    PixelImage image =
        ReadFramebufferPixels(framebuffer, 0, 0, BackingWidth(), BackingHeight(), BackingHeight());
    RestorePreviousContext();
    return image;
}

PixelImage GraphicsEgl::ReadWindowPixels() {
    return ReadPixels(mFramebuffer);
}

PixelImage GraphicsEgl::ReadBackingPixels() {
    return ReadPixels(BackingFramebuffer());
}

bool GraphicsEgl::WriteWindowPng(const std::string& path) {
    return WritePng(path, Unpremultiplied(ReadWindowPixels()));
}

}  // namespace quendaris
