// NanoVG's OpenGL 3 renderer, compiled here, with a fragment program per kind of paint.
//
// The renderer draws everything with one fragment shader that branches on the paint type of
// each draw, and hands each draw its values by binding a range of a uniform buffer. On software
// GL (Mesa's llvmpipe) both are slow: every branch runs for every fragment, both texture
// lookups included, and every change of fragment state (uniforms, program, stencil or colour
// mask) costs about a tenth of a millisecond, so an editor frame of a hundred draws spent most
// of its time there. The renderer's one call of glBindBufferRange, made just before each draw,
// is routed through BindDrawUniforms below: it switches to a program holding only the branch
// the draw's values select (only when the kind of paint changes) and passes the values as
// constant vertex attributes that reach the fragment stage as flat inputs, which costs a
// microsecond. The programs share the renderer's vertex positions, texture unit and blending,
// and compute what the renderer's branch computes. Before a flush, the draws are regrouped so
// that draws of one state run together wherever that leaves the picture unchanged. Concave
// fills count their windings with short triangles near the outline instead of one long fan.
#include "NanoVGGL3.h"

#include <glad/gl.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {
void BindDrawUniforms(GLenum target, GLuint index, GLuint buffer, GLintptr offset, GLsizeiptr size);
void DrawArrays(GLenum mode, GLint first, GLsizei count);
}  // namespace

// The renderer's only call of glBindBufferRange binds a draw's uniforms; its draws pass through
// DrawArrays, which draws local fans (below) as the triangles they are.
#undef glBindBufferRange
#define glBindBufferRange BindDrawUniforms
#undef glDrawArrays
#define glDrawArrays DrawArrays
#define NANOVG_GL3_IMPLEMENTATION
#include "nanovg.h"
#include "nanovg_gl.h"
#undef glBindBufferRange
#define glBindBufferRange glad_glBindBufferRange
#undef glDrawArrays
#define glDrawArrays glad_glDrawArrays
// The framebuffer helpers are C functions but their header does not say so.
extern "C" {
#include "nanovg_gl_utils.h"
}

namespace {

enum Program { kStencil, kSolid, kGradient, kImage, kTriangles, kProgramCount };

constexpr const char* kVersion = "#version 150 core\n";

// The draw's values (GLNVGfragUniforms, its two integers as floats) arrive as attributes that
// no array feeds, so each keeps the value set for the draw. The scissor and paint transforms are
// affine, so they are applied per vertex and interpolated; the rest goes on flat, as a uniform
// would. Software GL sets up every fragment input of every triangle, so fewer inputs make each
// triangle cheaper.
constexpr const char* kVertexShader = R"(
uniform vec2 viewSize;
in vec2 vertex;
in vec2 tcoord;
in vec4 draw0, draw1, draw2, draw3, draw4, draw5, draw6, draw7, draw8, draw9, draw10;
out vec4 fcoords;
out vec2 fpaint;
flat out vec4 innerCol, outerCol, paintShape, scissorStroke;
void main(void) {
    vec3 p = vec3(vertex, 1.0);
    // The scissor in units of its edge fade, so that its extent and the stroke values share one
    // input.
    fcoords = vec4(tcoord, (mat3(draw0.xyz, draw1.xyz, draw2.xyz) * p).xy * draw8.zw);
    fpaint = (mat3(draw3.xyz, draw4.xyz, draw5.xyz) * p).xy;
    innerCol = draw6;
    outerCol = draw7;
    paintShape = draw9;
    scissorStroke = vec4(draw8.xy * draw8.zw, draw10.xz);
    gl_Position = vec4(2.0 * vertex.x / viewSize.x - 1.0, 1.0 - 2.0 * vertex.y / viewSize.y, 0, 1);
}
)";

// The renderer's fragment helpers, on the draw's values.
constexpr const char* kFragmentShader = R"(
flat in vec4 innerCol, outerCol, paintShape, scissorStroke;
#define scissorExt scissorStroke.xy
#define extent paintShape.xy
#define radius paintShape.z
#define feather paintShape.w
#define strokeMult scissorStroke.z
#define texType int(scissorStroke.w)
uniform sampler2D tex;
// Texture coordinate and scissor position in one input: software GL sets up each input of
// every triangle.
in vec4 fcoords;
#define ftcoord fcoords.xy
#define fscissor fcoords.zw
in vec2 fpaint;
out vec4 outColor;

float sdroundrect(vec2 pt, vec2 ext, float rad) {
    vec2 ext2 = ext - vec2(rad, rad);
    vec2 d = abs(pt) - ext2;
    return min(max(d.x, d.y), 0.0) + length(max(d, 0.0)) - rad;
}

float scissorMask() {
    vec2 sc = vec2(0.5, 0.5) - (abs(fscissor) - scissorExt);
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
    outColor = innerCol * (strokeMask() * scissorMask());
#elif defined(PAINT_GRADIENT)
    float d = clamp((sdroundrect(fpaint, extent, radius) + feather * 0.5) / feather, 0.0, 1.0);
    outColor = mix(innerCol, outerCol, d) * (strokeMask() * scissorMask());
#elif defined(PAINT_IMAGE)
    outColor = texel(fpaint / extent) * innerCol * (strokeMask() * scissorMask());
#elif defined(PAINT_TRIANGLES)
    outColor = texel(ftcoord) * scissorMask() * innerCol;
#endif
}
)";

constexpr std::array<const char*, kProgramCount> kPaintDefines = {
    "#define PAINT_STENCIL 1\n", "#define PAINT_SOLID 1\n", "#define PAINT_GRADIENT 1\n",
    "#define PAINT_IMAGE 1\n", "#define PAINT_TRIANGLES 1\n"};

// GLNVGfragUniforms as eleven attribute vectors, after the renderer's position and texture
// coordinate (locations 0 and 1).
constexpr int kDrawVectors = 11;
constexpr GLuint kFirstDrawAttribute = 2;
static_assert(sizeof(GLNVGfragUniforms) == kDrawVectors * 4 * sizeof(float),
              "the renderer's draw values are eleven vectors");

struct PaintProgram {
    GLNVGshader shader{};
    unsigned activeVectors = 0;  // bit k: the program reads vector k
    bool viewSet = false;
};

// Where a draw may touch the target, in device pixels (half-open), and what it needs of the GL
// state: the draws of one key run without a change of fragment state between them.
struct Placed {
    int x0, y0, x1, y1;
    int kind;
    int image;
    GLNVGblend blend;
    GLNVGcall call;
    int waitingFor = 0;  // earlier draws it overlaps that are not yet drawn
    bool drawn = false;
};

// What one NanoVG context adds to the renderer: its programs and the routing state of a flush.
struct Programs {
    GLNVGcontext* gl = nullptr;
    std::vector<NVGvertex> triangles;  // DrawSolidTriangles' scratch
    std::vector<Placed> placed;        // a flush's draws in their new order
    float pixelRatio = 1.0f;
    std::array<PaintProgram, kProgramCount> programs{};
    bool enabled = true;
    GLuint current = 0;
    bool mainViewSet = true;
    bool localFans = true;
    std::vector<NVGvertex> loop, nextLoop, fanTriangles;  // AppendLocalFans' scratch
    std::vector<GLint> triangleLists;  // first vertices of the flush's fill fans drawn as triangles
    int lastFlushLocalFans = 0;
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

// What this file adds to `vg`'s renderer; null without a context or without the programs.
Programs* ProgramsOf(NVGcontext* vg) {
    return vg ? Find(nvgInternalParams(vg)->userPtr) : nullptr;
}

bool LinkWithDrawAttributes(PaintProgram& program) {
    const GLuint prog = program.shader.prog;
    char name[16];
    for (int k = 0; k < kDrawVectors; ++k) {
        std::snprintf(name, sizeof(name), "draw%d", k);
        glBindAttribLocation(prog, kFirstDrawAttribute + static_cast<GLuint>(k), name);
    }
    glLinkProgram(prog);
    GLint linked = GL_FALSE;
    glGetProgramiv(prog, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
        return false;
    for (int k = 0; k < kDrawVectors; ++k) {
        std::snprintf(name, sizeof(name), "draw%d", k);
        if (glGetAttribLocation(prog, name) >= 0)
            program.activeVectors |= 1u << k;
    }
    return true;
}

bool CompilePrograms(Programs& p) {
    GLint attributes = 0;
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &attributes);
    if (attributes < static_cast<GLint>(kFirstDrawAttribute) + kDrawVectors)
        return false;
    const char* options = (p.gl->flags & NVG_ANTIALIAS) ? "#define EDGE_AA 1\n" : "";
    for (int i = 0; i < kProgramCount; ++i) {
        const std::string defines = std::string(options) + kPaintDefines[i];
        PaintProgram& program = p.programs[i];
        GLNVGshader& s = program.shader;
        if (!glnvg__createShader(&s, "paint", kVersion, defines.c_str(), kVertexShader,
                                 kFragmentShader) ||
            !LinkWithDrawAttributes(program))
            return false;
        s.loc[GLNVG_LOC_VIEWSIZE] = glGetUniformLocation(s.prog, "viewSize");
        s.loc[GLNVG_LOC_TEX] = glGetUniformLocation(s.prog, "tex");
    }
    return true;
}

void DeletePrograms(Programs& p) {
    for (PaintProgram& program : p.programs)
        glnvg__deleteShader(&program.shader);
}

// Marks the paint of DrawSolidTriangles (a feather no paint of NanoVG's has): its draw goes to
// the solid program, which reads no texture.
constexpr float kSolidTrianglesMark = -1234.5f;

bool SameColor(const NVGcolor& a, const NVGcolor& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

// The kind of program a draw with these uniforms needs; kProgramCount is the renderer's own.
int KindOf(const GLNVGfragUniforms& frag) {
    // Stencil strokes discard fragments below a threshold; only the renderer's program does.
    if (frag.strokeThr > -1.0f)
        return kProgramCount;
    switch (frag.type) {
        case NSVG_SHADER_SIMPLE:
            return kStencil;
        case NSVG_SHADER_FILLGRAD:
            return SameColor(frag.innerCol, frag.outerCol) ? kSolid : kGradient;
        case NSVG_SHADER_FILLIMG:
            return kImage;
        case NSVG_SHADER_IMG:
            return frag.feather == kSolidTrianglesMark ? kSolid : kTriangles;
        default:
            return kProgramCount;
    }
}

// The program for a draw with these uniforms, or null for the renderer's own.
PaintProgram* ProgramFor(Programs& p, const GLNVGfragUniforms& frag) {
    const int kind = KindOf(frag);
    if (kind == kProgramCount)
        return nullptr;
    if (kind == kStencil) {
        // The stencil pass writes no colour and none of these programs discards: the one in use
        // serves and spares a switch.
        for (PaintProgram& program : p.programs) {
            if (program.shader.prog == p.current)
                return &program;
        }
    }
    return &p.programs[kind];
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

void SetDrawValues(const PaintProgram& program, const GLNVGfragUniforms& frag) {
    float vectors[kDrawVectors * 4];
    std::memcpy(vectors, &frag, sizeof(vectors));
    vectors[42] = static_cast<float>(frag.texType);
    vectors[43] = static_cast<float>(frag.type);
    for (int k = 0; k < kDrawVectors; ++k) {
        if (program.activeVectors & (1u << k))
            glVertexAttrib4fv(kFirstDrawAttribute + static_cast<GLuint>(k), vectors + 4 * k);
    }
}

void BindDrawUniforms(GLenum target, GLuint index, GLuint buffer, GLintptr offset,
                      GLsizeiptr size) {
    Programs* p = tFlushing;
    if (p && p->enabled && buffer == p->gl->fragBuf) {
        const auto* frag = reinterpret_cast<const GLNVGfragUniforms*>(p->gl->uniforms + offset);
        if (PaintProgram* program = ProgramFor(*p, *frag)) {
            UseProgram(*p, program->shader.prog, program->shader.loc[GLNVG_LOC_VIEWSIZE],
                       program->shader.loc[GLNVG_LOC_TEX], program->viewSet);
            SetDrawValues(*program, *frag);
            return;
        }
        const GLNVGshader& main = p->gl->shader;
        UseProgram(*p, main.prog, main.loc[GLNVG_LOC_VIEWSIZE], main.loc[GLNVG_LOC_TEX],
                   p->mainViewSet);
    }
    glad_glBindBufferRange(target, index, buffer, offset, size);
}

void DrawArrays(GLenum mode, GLint first, GLsizei count) {
    const Programs* p = tFlushing;
    if (mode == GL_TRIANGLE_FAN && p &&
        std::find(p->triangleLists.begin(), p->triangleLists.end(), first) !=
            p->triangleLists.end())
        mode = GL_TRIANGLES;
    glad_glDrawArrays(mode, first, count);
}

// The paint a call's colour pass uses: a fill's stencil pass comes first.
const GLNVGfragUniforms& PaintOf(const GLNVGcontext& gl, const GLNVGcall& call) {
    const int offset =
        call.uniformOffset + ((call.type == GLNVG_FILL ||
                               (call.type == GLNVG_STROKE && (gl.flags & NVG_STENCIL_STROKES)))
                                  ? gl.fragSize
                                  : 0);
    return *reinterpret_cast<const GLNVGfragUniforms*>(gl.uniforms + offset);
}

struct Extent {
    float x0 = 1e30f, y0 = 1e30f, x1 = -1e30f, y1 = -1e30f;
    bool finite = true;
    void Add(const NVGvertex* v, int count) {
        for (int i = 0; i < count; ++i) {
            finite = finite && std::isfinite(v[i].x) && std::isfinite(v[i].y);
            x0 = std::min(x0, v[i].x);
            x1 = std::max(x1, v[i].x);
            y0 = std::min(y0, v[i].y);
            y1 = std::max(y1, v[i].y);
        }
    }
};

// Every vertex a call draws, fill fans, fringes and cover quads alike.
Extent ExtentOf(const GLNVGcontext& gl, const GLNVGcall& call) {
    Extent e;
    for (int i = 0; i < call.pathCount; ++i) {
        const GLNVGpath& path = gl.paths[call.pathOffset + i];
        if (call.type != GLNVG_STROKE)
            e.Add(gl.verts + path.fillOffset, path.fillCount);
        e.Add(gl.verts + path.strokeOffset, path.strokeCount);
    }
    e.Add(gl.verts + call.triangleOffset, call.triangleCount);
    return e;
}

// A device pixel coordinate, clamped so that far-off vertices convert safely.
int PixelAt(float v, bool up) {
    constexpr float kFar = 1 << 24;
    const float clamped = std::clamp(up ? std::ceil(v) : std::floor(v), -kFar, kFar);
    return static_cast<int>(clamped);
}

Placed Place(const Programs& p, const GLNVGcall& call) {
    const Extent e = ExtentOf(*p.gl, call);
    const float r = p.pixelRatio;
    Placed placed{INT_MIN,    INT_MIN,        INT_MAX, INT_MAX, KindOf(PaintOf(*p.gl, call)),
                  call.image, call.blendFunc, call};
    // A draw without vertices, or with one that is not a number, keeps its place among all
    // others. Otherwise a pixel of margin on every side: rasterisation and antialiasing never
    // reach further.
    if (e.finite && e.x0 <= e.x1 && e.y0 <= e.y1) {
        placed.x0 = PixelAt(e.x0 * r, false) - 1;
        placed.y0 = PixelAt(e.y0 * r, false) - 1;
        placed.x1 = PixelAt(e.x1 * r, true) + 1;
        placed.y1 = PixelAt(e.y1 * r, true) + 1;
    }
    if (placed.kind == kTriangles || placed.kind == kImage || placed.kind == kProgramCount)
        return placed;
    placed.image = 0;  // solid and gradient paints read no texture
    return placed;
}

bool Overlap(const Placed& a, const Placed& b) {
    return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

bool SameState(const Placed& a, const Placed& b) {
    return a.kind == b.kind && a.image == b.image && a.blend.srcRGB == b.blend.srcRGB &&
           a.blend.dstRGB == b.blend.dstRGB && a.blend.srcAlpha == b.blend.srcAlpha &&
           a.blend.dstAlpha == b.blend.dstAlpha;
}

// Beyond this many draws in a flush, finding the overlaps would cost more than it saves.
constexpr int kMostRegroupedDraws = 1024;

// Reorders a flush's draws so that draws of one state run together: a draw may go before any
// draw it shares no pixels with, and keeps its place after every earlier draw it overlaps, so
// the picture is the same. It draws every ready draw of the state in use (earliest first), and
// when none is left, changes to the state of the earliest ready draw. A frame of many
// controls then changes program a few times per kind of paint instead of several times per
// control.
void GroupDrawsByState(Programs& p) {
    GLNVGcontext& gl = *p.gl;
    if (gl.ncalls < 3 || gl.ncalls > kMostRegroupedDraws)
        return;
    std::vector<Placed>& placed = p.placed;
    const size_t n = static_cast<size_t>(gl.ncalls);
    placed.clear();
    for (size_t i = 0; i < n; ++i) {
        placed.push_back(Place(p, gl.calls[i]));
        for (size_t k = 0; k < i; ++k)
            placed[i].waitingFor += Overlap(placed[k], placed[i]) ? 1 : 0;
    }
    size_t state = 0;
    for (size_t drawn = 0; drawn < n; ++drawn) {
        size_t next = n;
        for (size_t i = 0; i < n && next == n; ++i) {
            if (!placed[i].drawn && placed[i].waitingFor == 0 &&
                SameState(placed[i], placed[state]))
                next = i;
        }
        for (size_t i = 0; i < n && next == n; ++i) {
            if (!placed[i].drawn && placed[i].waitingFor == 0)
                next = i;
        }
        placed[next].drawn = true;
        for (size_t j = next + 1; j < n; ++j)
            placed[j].waitingFor -= Overlap(placed[next], placed[j]) ? 1 : 0;
        gl.calls[drawn] = placed[next].call;
        state = next;
    }
}

// ---- Local fans ----
// NanoVG counts the windings of a concave fill in the stencil buffer with a triangle fan from
// each path's first point. On a long wiggly outline (a spectrum's area) the fan's triangles are
// slivers reaching across the shape, and software GL shades every 4 x 4 block a sliver touches,
// so the fan costs several times what the shape's pixels do. The same windings come from
// triangles near the outline: each run of kFanRun edges fans from a point amid them, and a
// triangle from each run's point along the run's last vertex to the next run's point joins them.
// What those triangles add up to is the outline less the loop through the runs' points, so that
// loop is filled the same way, level by level, until it is small enough for a plain fan. Every
// edge added is drawn once each way between the same two vertices, so every pixel centre gets
// exactly the windings of NanoVG's fan.
constexpr int kFanRun = 8;
constexpr int kLocalFansMinPoints = 3 * kFanRun;

NVGvertex MeanOf(const NVGvertex* v, int count) {
    float x = 0.0f;
    float y = 0.0f;
    for (int i = 0; i < count; ++i) {
        x += v[i].x;
        y += v[i].y;
    }
    return NVGvertex{x / static_cast<float>(count), y / static_cast<float>(count), 0.5f, 1.0f};
}

void AppendTriangle(std::vector<NVGvertex>& out, const NVGvertex& a, const NVGvertex& b,
                    const NVGvertex& c) {
    out.push_back(a);
    out.push_back(b);
    out.push_back(c);
}

// Appends to `out` triangles whose windings add up to those of the closed polygon `loop`;
// `loop` and `next` are scratch.
void AppendLocalFans(std::vector<NVGvertex>& loop, std::vector<NVGvertex>& next,
                     std::vector<NVGvertex>& out) {
    while (loop.size() > static_cast<size_t>(kFanRun) + 2) {
        const int n = static_cast<int>(loop.size());
        next.clear();
        for (int first = 0; first < n; first += kFanRun)
            next.push_back(MeanOf(&loop[static_cast<size_t>(first)], std::min(kFanRun, n - first)));
        const int runs = static_cast<int>(next.size());
        for (int run = 0; run < runs; ++run) {
            const NVGvertex& centre = next[static_cast<size_t>(run)];
            const int first = run * kFanRun;
            const int end = std::min(n, first + kFanRun);
            for (int k = first; k < end; ++k)
                AppendTriangle(out, centre, loop[static_cast<size_t>(k)],
                               loop[static_cast<size_t>((k + 1) % n)]);
            AppendTriangle(out, centre, loop[static_cast<size_t>(end % n)],
                           next[static_cast<size_t>((run + 1) % runs)]);
        }
        loop.swap(next);
    }
    for (size_t k = 1; k + 1 < loop.size(); ++k)
        AppendTriangle(out, loop[0], loop[k], loop[k + 1]);
}

// Replaces the fans of a concave fill's long paths by local fans, appended to the flush's
// vertices and drawn as triangles.
void ReplaceFans(Programs& p, GLNVGcall& call) {
    GLNVGcontext& gl = *p.gl;
    for (int i = 0; i < call.pathCount; ++i) {
        GLNVGpath& path = gl.paths[call.pathOffset + i];
        if (path.fillCount < kLocalFansMinPoints)
            continue;
        p.loop.assign(gl.verts + path.fillOffset, gl.verts + path.fillOffset + path.fillCount);
        p.fanTriangles.clear();
        AppendLocalFans(p.loop, p.nextLoop, p.fanTriangles);
        const int count = static_cast<int>(p.fanTriangles.size());
        const int offset = glnvg__allocVerts(&gl, count);
        if (offset < 0)
            return;
        std::memcpy(gl.verts + offset, p.fanTriangles.data(),
                    sizeof(NVGvertex) * p.fanTriangles.size());
        path.fillOffset = offset;
        path.fillCount = count;
        p.triangleLists.push_back(offset);
    }
}

void Fill(void* uptr, NVGpaint* paint, NVGcompositeOperationState op, NVGscissor* scissor,
          float fringe, const float* bounds, const NVGpath* paths, int npaths) {
    GLNVGcontext* gl = static_cast<GLNVGcontext*>(uptr);
    const int calls = gl->ncalls;
    glnvg__renderFill(uptr, paint, op, scissor, fringe, bounds, paths, npaths);
    Programs* p = Find(uptr);
    if (p && p->localFans && gl->ncalls == calls + 1 && gl->calls[calls].type == GLNVG_FILL)
        ReplaceFans(*p, gl->calls[calls]);
}

void Cancel(void* uptr) {
    if (Programs* p = Find(uptr))
        p->triangleLists.clear();
    glnvg__renderCancel(uptr);
}

void Viewport(void* uptr, float width, float height, float devicePixelRatio) {
    if (Programs* p = Find(uptr))
        p->pixelRatio = devicePixelRatio > 0.0f ? devicePixelRatio : 1.0f;
    glnvg__renderViewport(uptr, width, height, devicePixelRatio);
}

void Flush(void* uptr) {
    Programs* p = Find(uptr);
    if (p && p->enabled)
        GroupDrawsByState(*p);
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
    if (p) {
        p->lastFlushLocalFans = static_cast<int>(p->triangleLists.size());
        p->triangleLists.clear();
    }
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
    params->renderViewport = Viewport;
    params->renderFill = Fill;
    params->renderCancel = Cancel;
    params->renderFlush = Flush;
    params->renderDelete = Delete;
    return vg;
}

void UseAttributeProgram(NVGcontext* vg, bool enable) {
    if (Programs* p = ProgramsOf(vg))
        p->enabled = enable;
}

void UseLocalFans(NVGcontext* vg, bool enable) {
    if (Programs* p = ProgramsOf(vg))
        p->localFans = enable;
}

int LocalFansOfLastFlush(NVGcontext* vg) {
    const Programs* p = ProgramsOf(vg);
    return p ? p->lastFlushLocalFans : 0;
}

bool AttributeProgramInUse(NVGcontext* vg) {
    const Programs* p = ProgramsOf(vg);
    return p && p->enabled;
}

void DrawSolidTriangles(NVGcontext* vg, NVGcolor color, const NVGscissor& scissor, const float* xy,
                        int points) {
    NVGparams* params = nvgInternalParams(vg);
    Programs* p = ProgramsOf(vg);
    if (!p || !p->enabled || points < 3)
        return;
    p->triangles.resize(static_cast<size_t>(points));
    for (int i = 0; i < points; ++i) {
        // The middle of a stroke's width, fully inside: the solid program's stroke mask is 1.
        p->triangles[static_cast<size_t>(i)] = NVGvertex{xy[2 * i], xy[2 * i + 1], 0.5f, 1.0f};
    }
    NVGpaint paint{};
    nvgTransformIdentity(paint.xform);
    paint.feather = kSolidTrianglesMark;
    paint.innerColor = paint.outerColor = color;
    NVGscissor clip = scissor;
    NVGcompositeOperationState over{NVG_ONE, NVG_ONE_MINUS_SRC_ALPHA, NVG_ONE,
                                    NVG_ONE_MINUS_SRC_ALPHA};
    params->renderTriangles(params->userPtr, &paint, over, &clip, p->triangles.data(), points,
                            1.0f);
}

}  // namespace quendaris
