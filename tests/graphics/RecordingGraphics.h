#pragma once

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "graphics/Graphics.h"
#include "frame/EditorDelegate.h"

namespace quendaris {
namespace testing {

// Pixels of a bitmap that exists only as its size: the bytes "W H" give the pixel size.
class FakeBitmap : public APIBitmap {
  public:
    FakeBitmap(int w, int h, int scale, std::string source)
        : APIBitmap(w, h, scale, 1.0f), mSource(std::move(source)) {}
    const std::string& Source() const { return mSource; }

  private:
    std::string mSource;
};

// A graphics context whose backend and window only record what they were asked to do, as
// one text line per primitive. Text uses a monospaced metric: every character is half the
// font size wide and the line is one font size high.
class RecordingGraphics : public Graphics {
  public:
    struct Fill {
        PaintSource paint;
        float weight;
        bool stroke;
        float thickness;
    };
    struct TextEntry {
        int paramIdx;
        Rect bounds;
        int maxLength;
        std::string text;
    };

    explicit RecordingGraphics(EditorDelegate& delegate, int width = 800, int height = 580,
                               float drawScale = 1.0f)
        : Graphics(delegate, width, height, 60, drawScale) {}
    ~RecordingGraphics() override {
        RemoveAllControls();
        ClearBitmapCache();
    }

    // Log helpers.
    std::vector<std::string> log;
    std::vector<Fill> fills;
    std::vector<std::vector<Rect>> invalidated;
    std::vector<TextEntry> textEntries;
    std::vector<std::string> decoded;  // sources of every bitmap decoded
    std::set<std::string> fonts;
    Matrix transform;
    float windowScale = 1.0f;
    bool open = false;
    int platformResizes = 0;
    bool popupAvailable = false;
    int popupChoice = -1;

    void ClearLog() {
        log.clear();
        fills.clear();
    }
    size_t Count(const std::string& prefix) const {
        size_t n = 0;
        for (const std::string& line : log)
            n += line.compare(0, prefix.size(), prefix) == 0;
        return n;
    }

    // ---- window layer ----
    void* OpenWindow(void*) override {
        open = true;
        SetScreenScale(windowScale);
        LayoutUI();
        SetAllControlsDirty();
        GetDelegate()->OnUIOpen();
        return GetWindow();
    }
    void CloseWindow() override {
        RemoveAllControls();
        ClearBitmapCache();
        open = false;
    }
    void* GetWindow() const override {
        return open ? const_cast<RecordingGraphics*>(this) : nullptr;
    }
    void InvalidateDeviceRects(const std::vector<Rect>& rects) override {
        invalidated.push_back(rects);
    }
    void CreatePlatformTextEntry(int paramIdx, const TextStyle&, const Rect& bounds, int maxLength,
                                 const char* text) override {
        textEntries.push_back({paramIdx, bounds, maxLength, text});
    }
    float GetPlatformWindowScale() const override { return windowScale; }
    void PlatformResize(bool) override { ++platformResizes; }
    void SetPlatformCursor(int type) override { Add("SetCursor %d", type); }
    void HidePlatformCursor(bool hide, bool lock) override { Add("HideCursor %d %d", hide, lock); }
    void MovePlatformCursor(float x, float y) override { Add("MoveCursor %g %g", x, y); }
    bool CreatePlatformPopupMenu(PopupMenu& menu, const Rect&) override {
        if (!popupAvailable)
            return false;
        menu.chosen = popupChoice;
        return true;
    }

    // ---- backend ----
    const char* GetDrawingAPIString() const override { return "recording"; }
    void PathReset() override { Add("PathReset"); }
    void PathMove(float x, float y) override { Add("PathMove %g %g", x, y); }
    void PathLine(float x, float y) override { Add("PathLine %g %g", x, y); }
    void PathArcSegment(float cx, float cy, float r, float a1, float a2, Winding w) override {
        Add("PathArc %g %g %g %g %g %d", cx, cy, r, a1, a2, static_cast<int>(w));
    }
    void PathCloseFigure() override { Add("PathClose"); }
    void PathCubic(float a, float b, float c, float d, float e, float f) override {
        Add("PathCubic %g %g %g %g %g %g", a, b, c, d, e, f);
    }
    void PathQuad(float a, float b, float c, float d) override {
        Add("PathQuad %g %g %g %g", a, b, c, d);
    }
    void SetPathWinding(Winding w) override { Add("SetPathWinding %d", static_cast<int>(w)); }
    void FillPath(const PaintSource& paint, const FillStyle&, const Blend* blend) override {
        fills.push_back({paint, BlendWeight(blend), false, 0.0f});
        const Color& c = paint.stops[0].color;
        Add("Fill %d %d %d %d w%g", c.A, c.R, c.G, c.B, BlendWeight(blend));
    }
    void StrokePath(const PaintSource& paint, float thickness, const LineStyle&,
                    const Blend* blend) override {
        fills.push_back({paint, BlendWeight(blend), true, thickness});
        const Color& c = paint.stops[0].color;
        Add("Stroke %g %d %d %d %d w%g", thickness, c.A, c.R, c.G, c.B, BlendWeight(blend));
    }
    void SetPathTransform(const Matrix& m) override { transform = m; }
    void ClipToRect(const Rect& r) override { Add("Clip %g %g %g %g", r.L, r.T, r.R, r.B); }
    void StartFrame() override { Add("StartFrame"); }
    void FinishFrame() override { Add("FinishFrame"); }
    void DrawBitmapPixels(const BitmapRef& b, const Rect& d, int srcX, int srcY,
                          const Blend* blend) override {
        Add("Bitmap %s %g %g %g %g src %d %d w%g", b.resourceName.c_str(), d.L, d.T, d.R, d.B, srcX,
            srcY, BlendWeight(blend));
    }
    void DrawTextAt(const TextStyle& style, const char* str, float x, float y,
                    const Blend* blend) override {
        if (!fonts.count(style.fontId))
            return;
        Add("Text '%s' %g %g a%d w%g", str, x, y, style.fgColor.A, BlendWeight(blend));
    }
    bool MeasureTextAt(const TextStyle& style, const char* str, float x, float y,
                       Rect& bounds) const override {
        if (!fonts.count(style.fontId))
            return false;
        float w = 0.5f * style.size * static_cast<float>(std::string(str).size());
        float h = style.size;
        float l = style.align == kAlignNear ? x : style.align == kAlignFar ? x - w : x - 0.5f * w;
        float t = style.valign == kVAlignTop      ? y
                  : style.valign == kVAlignBottom ? y - h
                                                  : y - 0.5f * h;
        bounds = Rect(l, t, l + w, t + h);
        return true;
    }
    std::unique_ptr<APIBitmap> LoadAPIBitmapFromMemory(const void* data, int size,
                                                       int scale) override {
        return Decode(std::string(static_cast<const char*>(data), static_cast<size_t>(size)), scale,
                      "memory");
    }
    std::unique_ptr<APIBitmap> LoadAPIBitmapFromFile(const char* path, int scale) override {
        std::ifstream file(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        return Decode(bytes, scale, path);
    }
    bool LoadAPIFont(const char* fontId, const void* data, int size) override {
        if (!data || size <= 0)
            return false;
        fonts.insert(fontId);
        return true;
    }

    using Graphics::LiveInstances;

  private:
    template <typename... Args>
    void Add(const char* format, Args... args) {
        char line[256];
        std::snprintf(line, sizeof(line), format, args...);
        log.emplace_back(line);
    }
    void Add(const char* text) { log.emplace_back(text); }

    std::unique_ptr<APIBitmap> Decode(const std::string& bytes, int scale, const char* source) {
        int w = 0;
        int h = 0;
        if (std::sscanf(bytes.c_str(), "%d %d", &w, &h) != 2 || w <= 0 || h <= 0)
            return nullptr;
        decoded.push_back(source);
        return std::make_unique<FakeBitmap>(w, h, scale, source);
    }
};

}  // namespace testing
}  // namespace quendaris
