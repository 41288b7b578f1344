// NanoVG's OpenGL 3 renderer, compiled here, with a fragment program per kind of paint.
//
// The renderer draws everything with one fragment shader that branches on the paint type of
// each draw. Software GL (Mesa's llvmpipe) runs every branch for every fragment, both texture
// lookups included, so a solid fill pays for a gradient and two texture samples: on the
// editor's display panel that is most of a frame. The renderer binds each draw's uniforms
// (one block of its uniform buffer) just before drawing; that call is routed through
// BindDrawUniforms below, which also switches to a program holding only the branch those
// uniforms select. The programs share the renderer's vertex stage, uniform block, binding
// point and texture unit, and compute what the renderer's branch computes.
#include "NanoVGGL3.h"

#include <glad/gl.h>

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {
void BindDrawUniforms(GLenum target, GLuint index, GLuint buffer, GLintptr offset, GLsizeiptr size);
}

// The renderer's only call of glBindBufferRange binds a draw's uniforms.
#undef glBindBufferRange
#define glBindBufferRange BindDrawUniforms
#define NANOVG_GL3_IMPLEMENTATION
#include "nanovg.h"
#include "nanovg_gl.h"
#undef glBindBufferRange
#define glBindBufferRange glad_glBindBufferRange
// The framebuffer helpers are C functions but their header does not say so.
extern "C" {
#include "nanovg_gl_utils.h"
}

namespace {

enum Program { kStencil, kSolid, kGradient, kImage, kTriangles, kProgramCount };

constexpr const char* kVersion = "#version 150 core\n";

constexpr const char* kVertexShader = R"(
uniform vec2 viewSize;
in vec2 vertex;
in vec2 tcoord;
out vec2 ftcoord;
out vec2 fpos;
void main(void) {
    ftcoord = tcoord;
    fpos = vertex;
    gl_Position = vec4(2.0 * vertex.x / viewSize.x - 1.0, 1.0 - 2.0 * vertex.y / viewSize.y, 0, 1);
}
)";

// The renderer's uniform block (std140, the layout of GLNVGfragUniforms) and its helpers.
constexpr const char* kFragmentShader = R"(
layout(std140) uniform frag {
    mat3 scissorMat;
    mat3 paintMat;
    vec4 innerCol;
    vec4 outerCol;
    vec2 scissorExt;
    vec2 scissorScale;
    vec2 extent;
    float radius;
    float feather;
    float strokeMult;
    float strokeThr;
    int texType;
    int type;
};
uniform sampler2D tex;
in vec2 ftcoord;
in vec2 fpos;
out vec4 outColor;

float sdroundrect(vec2 pt, vec2 ext, float rad) {
    vec2 ext2 = ext - vec2(rad, rad);
    vec2 d = abs(pt) - ext2;
    return min(max(d.x, d.y), 0.0) + length(max(d, 0.0)) - rad;
}

float scissorMask(vec2 p) {
    vec2 sc = (abs((scissorMat * vec3(p, 1.0)).xy) - scissorExt);
    sc = vec2(0.5, 0.5) - sc * scissorScale;
    return clamp(sc.x, 0.0, 1.0) * clamp(sc.y, 0.0, 1.0);
}

float strokeMask() {
#ifdef EDGE_AA
    return min(1.0, (1.0 - abs(ftcoord.x * 2.0 - 1.0)) * strokeMult) * min(1.0, ftcoord.y);
#else
    return 1.0;
#endif
}

vec4 texel(vec2 pt) {
    vec4 color = texture(tex, pt);
    if (texType == 1) color = vec4(color.xyz * color.w, color.w);
    if (texType == 2) color = vec4(color.x);
    return color;
}

void main(void) {
#if defined(PAINT_STENCIL)
    outColor = vec4(1, 1, 1, 1);
#elif defined(PAINT_SOLID)
    outColor = innerCol * (strokeMask() * scissorMask(fpos));
#elif defined(PAINT_GRADIENT)
    vec2 pt = (paintMat * vec3(fpos, 1.0)).xy;
    float d = clamp((sdroundrect(pt, extent, radius) + feather * 0.5) / feather, 0.0, 1.0);
    outColor = mix(innerCol, outerCol, d) * (strokeMask() * scissorMask(fpos));
#elif defined(PAINT_IMAGE)
    vec2 pt = (paintMat * vec3(fpos, 1.0)).xy / extent;
    outColor = texel(pt) * innerCol * (strokeMask() * scissorMask(fpos));
#elif defined(PAINT_TRIANGLES)
    outColor = texel(ftcoord) * scissorMask(fpos) * innerCol;
#endif
}
)";

constexpr std::array<const char*, kProgramCount> kPaintDefines = {
    "#define PAINT_STENCIL 1\n", "#define PAINT_SOLID 1\n", "#define PAINT_GRADIENT 1\n",
    "#define PAINT_IMAGE 1\n", "#define PAINT_TRIANGLES 1\n"};

struct PaintProgram {
    GLNVGshader shader{};
    bool viewSet = false;
};

// What one NanoVG context adds to the renderer: its programs and the routing state of a flush.
struct Programs {
    GLNVGcontext* gl = nullptr;
    std::array<PaintProgram, kProgramCount> programs{};
    bool enabled = true;
    GLuint current = 0;
    bool mainViewSet = true;
};

std::mutex gContextsLock;
std::vector<std::unique_ptr<Programs>> gContexts;
// The context whose flush is running on this thread: the renderer's calls carry no context.
thread_local Programs* tFlushing = nullptr;

Programs* Find(void* gl) {
    std::lock_guard<std::mutex> guard(gContextsLock);
    for (auto& p : gContexts) {
        if (p->gl == gl)
            return p.get();
    }
    return nullptr;
}

bool CompilePrograms(Programs& p) {
    const char* options = (p.gl->flags & NVG_ANTIALIAS) ? "#define EDGE_AA 1\n" : "";
    for (int i = 0; i < kProgramCount; ++i) {
        const std::string defines = std::string(options) + kPaintDefines[i];
        GLNVGshader& s = p.programs[i].shader;
        if (!glnvg__createShader(&s, "paint", kVersion, defines.c_str(), kVertexShader,
                                 kFragmentShader))
            return false;
        s.loc[GLNVG_LOC_VIEWSIZE] = glGetUniformLocation(s.prog, "viewSize");
        s.loc[GLNVG_LOC_TEX] = glGetUniformLocation(s.prog, "tex");
        s.loc[GLNVG_LOC_FRAG] = static_cast<GLint>(glGetUniformBlockIndex(s.prog, "frag"));
        if (s.loc[GLNVG_LOC_FRAG] != static_cast<GLint>(GL_INVALID_INDEX))
            glUniformBlockBinding(s.prog, static_cast<GLuint>(s.loc[GLNVG_LOC_FRAG]),
                                  GLNVG_FRAG_BINDING);
    }
    return true;
}

void DeletePrograms(Programs& p) {
    for (PaintProgram& program : p.programs)
        glnvg__deleteShader(&program.shader);
}

bool SameColor(const NVGcolor& a, const NVGcolor& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// The program for a draw with these uniforms, or null for the renderer's own.
PaintProgram* ProgramFor(Programs& p, const GLNVGfragUniforms& frag) {
    // Stencil strokes discard fragments below a threshold; only the renderer's program does.
    if (frag.strokeThr > -1.0f)
        return nullptr;
    switch (frag.type) {
        case NSVG_SHADER_SIMPLE:
            return &p.programs[kStencil];
        case NSVG_SHADER_FILLGRAD:
            return &p.programs[SameColor(frag.innerCol, frag.outerCol) ? kSolid : kGradient];
        case NSVG_SHADER_FILLIMG:
            return &p.programs[kImage];
        case NSVG_SHADER_IMG:
            return &p.programs[kTriangles];
        default:
            return nullptr;
    }
}

void UseProgram(Programs& p, GLuint program, GLint viewLoc, GLint texLoc, bool& viewSet) {
    if (p.current != program) {
        glUseProgram(program);
        p.current = program;
    }
    if (!viewSet) {
        glUniform1i(texLoc, 0);
        glUniform2fv(viewLoc, 1, p.gl->view);
        viewSet = true;
    }
}

void BindDrawUniforms(GLenum target, GLuint index, GLuint buffer, GLintptr offset,
                      GLsizeiptr size) {
    glad_glBindBufferRange(target, index, buffer, offset, size);
    Programs* p = tFlushing;
    if (!p || !p->enabled || buffer != p->gl->fragBuf)
        return;
    const auto* frag = reinterpret_cast<const GLNVGfragUniforms*>(p->gl->uniforms + offset);
    if (PaintProgram* program = ProgramFor(*p, *frag)) {
        UseProgram(*p, program->shader.prog, program->shader.loc[GLNVG_LOC_VIEWSIZE],
                   program->shader.loc[GLNVG_LOC_TEX], program->viewSet);
    } else {
        const GLNVGshader& main = p->gl->shader;
        UseProgram(*p, main.prog, main.loc[GLNVG_LOC_VIEWSIZE], main.loc[GLNVG_LOC_TEX],
                   p->mainViewSet);
    }
}

void Flush(void* uptr) {
    Programs* p = Find(uptr);
    if (p) {
        // The renderer starts each flush in its own program with the view size set.
        p->current = p->gl->shader.prog;
        p->mainViewSet = true;
        for (PaintProgram& program : p->programs)
            program.viewSet = false;
    }
    tFlushing = p;
    glnvg__renderFlush(uptr);
    tFlushing = nullptr;
}

void Delete(void* uptr) {
    std::unique_ptr<Programs> owned;
    {
        std::lock_guard<std::mutex> guard(gContextsLock);
        auto it = std::find_if(gContexts.begin(), gContexts.end(),
                               [uptr](const auto& p) { return p->gl == uptr; });
        if (it != gContexts.end()) {
            owned = std::move(*it);
            gContexts.erase(it);
        }
    }
    if (owned)
        DeletePrograms(*owned);
    glnvg__renderDelete(uptr);
}

}  // namespace

namespace quendaris {

NVGcontext* CreateNanoVGContext(int flags) {
    NVGcontext* vg = nvgCreateGL3(flags);
    if (!vg)
        return nullptr;
    NVGparams* params = nvgInternalParams(vg);
    auto programs = std::make_unique<Programs>();
    programs->gl = static_cast<GLNVGcontext*>(params->userPtr);
    if (!CompilePrograms(*programs)) {
        // Every draw stays with the renderer's own program.
        DeletePrograms(*programs);
        return vg;
    }
    {
        std::lock_guard<std::mutex> guard(gContextsLock);
        gContexts.push_back(std::move(programs));
    }
    params->renderFlush = Flush;
    params->renderDelete = Delete;
    return vg;
}

void UsePaintPrograms(NVGcontext* vg, bool enable) {
    if (!vg)
        return;
    if (Programs* p = Find(nvgInternalParams(vg)->userPtr))
        p->enabled = enable;
}

}  // namespace quendaris
