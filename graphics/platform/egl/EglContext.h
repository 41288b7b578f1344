#pragma once

#include <memory>
#include <string>

namespace quendaris {

// An OpenGL 3.3 core context with no window and no X server: EGL on Mesa's surfaceless platform.
// Drawing goes into framebuffer objects; the context's own default framebuffer is incomplete.
// Creating one loads the GL entry points (glad) for the process.
class EglContext {
  public:
    // Answers null and describes the reason in `error` when no such context can be made.
    static std::unique_ptr<EglContext> Create(std::string* error = nullptr);
    ~EglContext();

    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

    // Makes this context current on the calling thread, remembering what was current before.
    bool MakeCurrent();
    // Makes the remembered context current again (or none).
    void RestorePrevious();
    bool IsCurrent() const;

    // While current: "4.5 (Core Profile) Mesa ..." and "llvmpipe (...)" on a software renderer.
    std::string Version() const;
    std::string Renderer() const;

  private:
    struct Handles;
    explicit EglContext(std::unique_ptr<Handles> handles);

    std::unique_ptr<Handles> handles_;
};

}  // namespace quendaris
