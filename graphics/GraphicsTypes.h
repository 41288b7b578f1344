#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace quendaris {

class APIBitmap;

// Control tags are chosen by the layout; -1 registers nothing.
constexpr int kNoTag = -1;
// Slot argument that addresses every value slot of a control.
constexpr int kAllSlots = -1;
// Parameter index of a slot bound to no parameter.
constexpr int kNoParameter = -1;

// Axis-aligned rectangle in logical pixels: left, top, right, bottom.
struct Rect {
    float L = 0.0f;
    float T = 0.0f;
    float R = 0.0f;
    float B = 0.0f;

    Rect() = default;
    Rect(float l, float t, float r, float b) : L(l), T(t), R(r), B(b) {}

    float W() const { return R - L; }
    float H() const { return B - T; }
    float MW() const { return 0.5f * (L + R); }
    float MH() const { return 0.5f * (T + B); }
    bool Empty() const { return W() <= 0.0f || H() <= 0.0f; }
    bool AllZero() const { return L == 0.0f && T == 0.0f && R == 0.0f && B == 0.0f; }

    bool Contains(float x, float y) const { return x >= L && x < R && y >= T && y < B; }
    bool Contains(const Rect& r) const { return r.L >= L && r.T >= T && r.R <= R && r.B <= B; }
    bool Intersects(const Rect& r) const { return r.L < R && L < r.R && r.T < B && T < r.B; }
    // Empty (all zero) when the rectangles do not overlap.
    Rect Intersect(const Rect& r) const {
        Rect i(std::max(L, r.L), std::max(T, r.T), std::min(R, r.R), std::min(B, r.B));
        return i.Empty() ? Rect() : i;
    }
    // An empty operand leaves the other unchanged.
    Rect Union(const Rect& r) const {
        if (Empty())
            return r;
        if (r.Empty())
            return *this;
        return Rect(std::min(L, r.L), std::min(T, r.T), std::max(R, r.R), std::max(B, r.B));
    }
    Rect Padded(float pad) const { return Rect(L - pad, T - pad, R + pad, B + pad); }
    Rect Translated(float dx, float dy) const { return Rect(L + dx, T + dy, R + dx, B + dy); }
    // The same size centred on (x, y).
    Rect CentredOn(float x, float y) const {
        float w = W();
        float h = H();
        return Rect(x - 0.5f * w, y - 0.5f * h, x + 0.5f * w, y + 0.5f * h);
    }
    // Scaled by s, left and top floored, right and bottom rounded up: whole device pixels.
    Rect ToDevice(float s) const {
        return Rect(std::floor(L * s), std::floor(T * s), std::ceil(R * s), std::ceil(B * s));
    }
    // Grown outward to whole device pixels at scale s, expressed in logical pixels again.
    Rect PixelAligned(float s) const {
        Rect d = ToDevice(s);
        return Rect(d.L / s, d.T / s, d.R / s, d.B / s);
    }

    bool operator==(const Rect& r) const { return L == r.L && T == r.T && R == r.R && B == r.B; }
    bool operator!=(const Rect& r) const { return !(*this == r); }
};

// Colour with 0..255 channels, alpha first.
struct Color {
    int A = 255;
    int R = 0;
    int G = 0;
    int B = 0;

    Color() = default;
    Color(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

    bool operator==(const Color& c) const { return A == c.A && R == c.R && G == c.G && B == c.B; }
    bool operator!=(const Color& c) const { return !(*this == c); }
};

// How a control's drawing is mixed in; only the weight is used, multiplying every alpha.
struct Blend {
    int method = 0;
    float weight = 1.0f;

    Blend() = default;
    Blend(int m, float w) : method(m), weight(w) {}
};

// Weight of an optional blend: null means fully opaque drawing.
inline float BlendWeight(const Blend* blend) {
    return blend ? blend->weight : 1.0f;
}

enum HAlign { kAlignNear = 0, kAlignCentre = 1, kAlignFar = 2 };
enum VAlign { kVAlignTop = 0, kVAlignMiddle = 1, kVAlignBottom = 2 };

constexpr int kFontIdSize = 64;

// Font, size, colours, angle and alignment of a control's text; copied as a whole.
struct TextStyle {
    char fontId[kFontIdSize] = "Roboto-Regular";
    float size = 14.0f;  // logical pixels
    Color fgColor{255, 0, 0, 0};
    Color entryBgColor{255, 255, 255, 255};
    Color entryFgColor{255, 0, 0, 0};
    float angle = 0.0f;  // degrees, clockwise
    int align = kAlignCentre;
    int valign = kVAlignMiddle;

    TextStyle() = default;
    TextStyle(float textSize, const Color& colour, const char* font = nullptr,
              int horizontal = kAlignCentre, int vertical = kVAlignMiddle, float degrees = 0.0f)
        : size(textSize), fgColor(colour), angle(degrees), align(horizontal), valign(vertical) {
        if (font)
            SetFont(font);
    }
    // Longer ids are cut to fit.
    void SetFont(const char* font) {
        size_t n = 0;
        for (; font[n] && n + 1 < sizeof(fontId); ++n)
            fontId[n] = font[n];
        fontId[n] = '\0';
    }
};

// One normalised value of a control and the parameter it is bound to.
struct ValueSlot {
    int paramIdx = kNoParameter;
    double value = 0.0;  // normalised 0..1
};

// Buttons and modifier keys of a pointer event, and which pointer it came from.
struct KeyMods {
    bool L = false;          // left button
    bool R = false;          // right button
    bool S = false;          // shift
    bool C = false;          // control
    bool A = false;          // alt
    uint64_t pointerId = 0;  // 0 for the mouse, else a touch id
    float touchRadius = 0.0f;

    KeyMods() = default;
    KeyMods(bool left, bool right, bool shift = false, bool control = false, bool alt = false,
            uint64_t id = 0)
        : L(left), R(right), S(shift), C(control), A(alt), pointerId(id) {}
};

// A pointer position in logical pixels; dX, dY are the movement since the previous one.
struct PointerEvent {
    float x = 0.0f;
    float y = 0.0f;
    float dX = 0.0f;
    float dY = 0.0f;
    KeyMods mods;
};

enum LineCap { kCapButt = 0, kCapRound = 1, kCapSquare = 2 };
enum LineJoin { kJoinMiter = 0, kJoinRound = 1, kJoinBevel = 2 };
enum FillRule { kFillWinding = 0, kFillEvenOdd = 1 };
// Direction of an arc or of a sub-path.
enum Winding { kWindingCW = 0, kWindingCCW = 1 };

constexpr int kMaxDashes = 8;

// On/off lengths of a dashed stroke; no entries means a solid line.
struct DashStyle {
    float lengths[kMaxDashes] = {};
    int count = 0;
    float offset = 0.0f;
};

struct LineStyle {
    float miterLimit = 10.0f;
    bool preserve = false;  // keep the path after stroking
    int cap = kCapButt;
    int join = kJoinMiter;
    DashStyle dash;
};

struct FillStyle {
    int rule = kFillWinding;
    bool preserve = false;  // keep the path after filling
};

// 2-D affine transform: x' = xx x + xy y + tx, y' = yx x + yy y + ty.
struct Matrix {
    double xx = 1.0;
    double yx = 0.0;
    double xy = 0.0;
    double yy = 1.0;
    double tx = 0.0;
    double ty = 0.0;

    Matrix() = default;
    Matrix(double a, double b, double c, double d, double e, double f)
        : xx(a), yx(b), xy(c), yy(d), tx(e), ty(f) {}

    // This transform applied after m.
    Matrix Concat(const Matrix& m) const {
        return Matrix(xx * m.xx + xy * m.yx, yx * m.xx + yy * m.yx, xx * m.xy + xy * m.yy,
                      yx * m.xy + yy * m.yy, xx * m.tx + xy * m.ty + tx,
                      yx * m.tx + yy * m.ty + ty);
    }
    // Each helper applies its operation before this transform (as a path transform does).
    Matrix& Translate(double x, double y) { return *this = Concat(Matrix(1, 0, 0, 1, x, y)); }
    Matrix& Scale(double x, double y) { return *this = Concat(Matrix(x, 0, 0, y, 0, 0)); }
    // Degrees, clockwise on screen (y grows downwards).
    Matrix& Rotate(double degrees) {
        double a = degrees * 3.14159265358979323846 / 180.0;
        double c = std::cos(a);
        double s = std::sin(a);
        return *this = Concat(Matrix(c, s, -s, c, 0, 0));
    }
    // The identity for a singular transform.
    Matrix Inverted() const {
        double d = xx * yy - xy * yx;
        if (d == 0.0)
            return Matrix();
        double id = 1.0 / d;
        return Matrix(yy * id, -yx * id, -xy * id, xx * id, (xy * ty - yy * tx) * id,
                      (yx * tx - xx * ty) * id);
    }
    void TransformPoint(double& x, double& y) const {
        double nx = xx * x + xy * y + tx;
        double ny = yx * x + yy * y + ty;
        x = nx;
        y = ny;
    }
};

enum PaintType { kPaintSolid = 0, kPaintLinear = 1, kPaintRadial = 2 };
enum PaintExtend { kExtendPad = 0, kExtendNone = 1, kExtendReflect = 2, kExtendRepeat = 3 };

struct ColorStop {
    Color color;
    float offset = 0.0f;
};

constexpr int kMaxColorStops = 16;

// What a fill or stroke is painted with: a solid colour or a gradient. The transform maps
// drawing coordinates to gradient space: a linear gradient runs along x from 0 to 1 there, a
// radial one from the centre (distance 0) to the radius (distance 1).
struct PaintSource {
    int type = kPaintSolid;
    int extend = kExtendPad;
    ColorStop stops[kMaxColorStops];
    int nStops = 0;
    Matrix transform;

    PaintSource() = default;
    // A solid colour.
    PaintSource(const Color& color) : nStops(1) { stops[0].color = color; }  // NOLINT

    // Colour c1 at (x1, y1) and at or before it, c2 at (x2, y2) and beyond, mixed between.
    static PaintSource LinearGradient(float x1, float y1, float x2, float y2, const Color& c1,
                                      const Color& c2);
    static PaintSource RadialGradient(float cx, float cy, float r, const Color& inner,
                                      const Color& outer);
    // False when the stop list is full.
    bool AddStop(const Color& color, float offset);

    // Gradient position of a drawing point (x after the transform).
    float PositionAt(float x, float y) const;
    // Colour at a gradient position: first stop before it, last stop after it, linear in
    // between, every channel including alpha (rounded to the nearest integer).
    Color ColorAtPosition(float position) const;
    // Colour the paint gives a drawing point.
    Color ColorAt(float x, float y) const;
    // Ends of a linear gradient (or centre and a point on the radius of a radial one) in
    // drawing coordinates, recovered from the transform.
    void GradientPoints(float& x1, float& y1, float& x2, float& y2) const;
};

// A bitmap as controls see it: the backend's pixels, the logical size and how the pixels
// split into frames. The graphics context's cache owns the backend bitmap.
struct BitmapRef {
    APIBitmap* bitmap = nullptr;
    int w = 0;  // logical width: pixel width / the bitmap's own scale, truncated
    int h = 0;
    int nFrames = 1;
    bool framesHorizontal = false;
    std::string resourceName;

    bool IsValid() const { return bitmap != nullptr; }
    int W() const { return w; }
    int H() const { return h; }
    int N() const { return nFrames; }
    int FrameW() const { return framesHorizontal && nFrames > 0 ? w / nFrames : w; }
    int FrameH() const { return !framesHorizontal && nFrames > 0 ? h / nFrames : h; }
};

// One item a control adds to the host's context menu.
struct ContextMenuItem {
    std::string name;
    int tag = 0;
    bool checked = false;
    bool disabled = false;
};

// A popup menu of texts with at most one checked; chosen is -1 until the user picks one.
struct PopupMenu {
    std::vector<std::string> items;
    int checked = -1;
    int chosen = -1;
};

// Touch gesture kinds a control may register handlers for.
enum GestureType {
    kGestureUnknown = 0,
    kGestureDoubleTap,
    kGestureTripleTap,
    kGestureLongPress1,
    kGestureLongPress2,
    kGestureSwipeLeft,
    kGestureSwipeRight,
    kGestureSwipeUp,
    kGestureSwipeDown,
    kGesturePinch,
    kGestureRotate,
};

struct GestureInfo {
    float x = 0.0f;
    float y = 0.0f;
    float scale = 0.0f;
    float velocity = 0.0f;
    float angle = 0.0f;
    int state = 0;
    GestureType type = kGestureUnknown;
};

// Mouse cursor shapes a window layer can show; any other value means the arrow.
enum CursorType {
    kCursorArrow = 0,
    kCursorIBeam,
    kCursorWait,
    kCursorCross,
    kCursorUpArrow,
    kCursorSizeNWSE,
    kCursorSizeNESW,
    kCursorSizeWE,
    kCursorSizeNS,
    kCursorSizeAll,
    kCursorNo,
    kCursorHand,
    kCursorAppStarting,
    kCursorHelp,
};

}  // namespace quendaris
