#include "Graphics.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

#include "BitmapControl.h"
#include "FontDataCache.h"
#include "frame/EditorDelegate.h"
#include "frame/GraphicsEditorDelegate.h"
#include "frame/Param.h"

namespace quendaris {
namespace {

// Controls are drawn and collected a little beyond their rectangle so antialiased edges
// are repainted too.
constexpr float kDirtyPad = 0.75f;

// Detaches and drops the graphics context's reference; a host menu may still hold one.
void ReleaseControl(Control* control) {
    if (!control)
        return;
    control->SetGraphics(nullptr);
    control->SetDelegate(nullptr);
    control->release();
}

std::string LowerCase(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The order in which the scaled variants of a bitmap are tried for a target scale.
std::vector<int> VariantSearchOrder(int target) {
    switch (target) {
        case 1:
            return {1, 3, 2};
        case 2:
            return {2, 3, 1};
        case 3:
            return {3, 2, 1};
        default: {
            std::vector<int> order;
            for (int s = target; s >= 1; --s)
                order.push_back(s);
            return order;
        }
    }
}

// "name.ext" at scale 1, "name@<s>x.ext" otherwise.
std::string VariantName(const std::string& name, size_t dot, int scale) {
    if (scale == 1)
        return name;
    return name.substr(0, dot) + "@" + std::to_string(scale) + "x" + name.substr(dot);
}

// Whether typed text names a value: a number or one of the parameter's display texts. A box
// committed empty or with stray letters would otherwise read as 0 and throw the value away.
bool ReadsAsValue(const Param& param, const char* text) {
    if (!text)
        return false;
    for (const char* c = text; *c; ++c) {
        if (std::isdigit(static_cast<unsigned char>(*c)))
            return true;
    }
    for (int i = 0; i < param.DisplayTextCount(); ++i) {
        const Param::DisplayText* entry = param.DisplayTextAt(i);
        if (entry && std::strcmp(entry->text, text) == 0)
            return true;
    }
    return false;
}

}  // namespace

Graphics::Graphics(EditorDelegate& delegate, int width, int height, int fps, float drawScale)
    : mDelegate(&delegate),
      mWidth(width),
      mHeight(height),
      mFPS(fps),
      mDrawScale(std::clamp(drawScale, 0.5f, 4.0f)),
      mResources(&ModuleResourceTable()) {
    std::lock_guard<std::mutex> lock(mBitmapCacheLock);
    FontDataCache::Instance().Retain();
}

// The window layer and backend are gone here, so nothing virtual may be called.
Graphics::~Graphics() {
    mCapturedMap.clear();
    for (Control*& special : {std::ref(mCornerResizer), std::ref(mPopupControl),
                              std::ref(mPerfDisplay), std::ref(mTextEntryControl)}) {
        ReleaseControl(special);
        special = nullptr;
    }
    while (!mControls.empty()) {
        Control* last = mControls.back();
        mControls.pop_back();
        ReleaseControl(last);
    }
    std::lock_guard<std::mutex> lock(mBitmapCacheLock);
    mBitmapCache.clear();
    FontDataCache::Instance().Release();
}

int Graphics::LiveInstances() {
    return FontDataCache::Instance().LiveInstances();
}

// ---- sizes and scales ----

int Graphics::RoundedScreenScale() const {
    return std::max(1, static_cast<int>(std::ceil(mScreenScale)));
}

int Graphics::BackingWidth() const {
    return static_cast<int>(static_cast<int>(mWidth * mDrawScale) * mScreenScale);
}

int Graphics::BackingHeight() const {
    return static_cast<int>(static_cast<int>(mHeight * mDrawScale) * mScreenScale);
}

// An unchanged scale leaves the editor alone, so the size the host was first told stands.
void Graphics::SetScreenScale(float scale) {
    if (!(scale > 0.0f) || !std::isfinite(scale) || scale == mScreenScale)
        return;
    mScreenScale = scale;
    ApplyScaleChange();
    ForAllControls([](Control& c) { c.HandleRescale(); });
    SetAllControlsDirty();
    if (WindowIsOpen())
        OnBackingSizeChanged();
}

void Graphics::ApplyScaleChange() {
    mDelegate->EditorResizeFromUI(BackingWidth(), BackingHeight(), true);
    if (WindowIsOpen())
        PlatformResize(false);
}

void Graphics::Resize(int width, int height, float drawScale, bool needsHostResize) {
    drawScale = std::clamp(drawScale, mMinScale, mMaxScale);
    if (width <= 0 || height <= 0)
        return;
    if (width == mWidth && height == mHeight && drawScale == mDrawScale)
        return;
    ReleaseCaptures();
    mWidth = width;
    mHeight = height;
    mDrawScale = drawScale;
    mDelegate->EditorResizeFromUI(BackingWidth(), BackingHeight(), needsHostResize);
    if (WindowIsOpen())
        PlatformResize(false);
    ForAllControls([](Control& c) { c.HandleBoundsChanged(); });
    SetAllControlsDirty();
    if (WindowIsOpen())
        OnBackingSizeChanged();
}

void Graphics::PointerPosition(float& x, float& y) const {
    x = mLastX;
    y = mLastY;
}

// ---- values from the delegate ----

void Graphics::SetParamValueFromDelegate(int paramIdx, double normalValue) {
    for (Control* c : mControls) {
        for (int s = 0; s < c->NSlots(); ++s) {
            if (c->ParamOfSlot(s) == paramIdx)
                c->ApplyDelegateValue(normalValue, s);
        }
    }
}

void Graphics::SetControlValueFromDelegate(int ctrlTag, double normalValue) {
    if (Control* c = GetControlWithTag(ctrlTag))
        c->ApplyDelegateValue(normalValue, 0);
}

void Graphics::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* data) {
    if (Control* c = GetControlWithTag(ctrlTag))
        c->HandleDelegateMessage(msgTag, dataSize, data);
}

void Graphics::SendMidiMsgToControls(const MidiMessage& msg) {
    for (Control* c : mControls) {
        if (c->WantsMidi())
            c->HandleMidi(msg);
    }
}

// ---- controls ----

Control* Graphics::AttachControl(Control* control, int tag, const char* group) {
    if (!control)
        return nullptr;
    if (tag >= 0 && mTagMap.count(tag)) {
        ReleaseControl(control);
        return nullptr;
    }
    if (tag >= 0)
        mTagMap[tag] = control;
    control->SetDelegate(mDelegate);
    control->SetGraphics(this);
    control->HandleInit();
    control->HandleBoundsChanged();
    control->HandleRescale();
    control->SetGroup(group);
    mControls.push_back(control);
    control->HandleAttached();
    return control;
}

Control* Graphics::SetBackgroundBitmap(const char* resourceName) {
    BitmapRef bitmap = LoadImageResource(resourceName, 1, false, 0);
    Rect bounds(0.0f, 0.0f, static_cast<float>(bitmap.FrameW()),
                static_cast<float>(bitmap.FrameH()));
    auto* background = new BitmapControl(bounds, bitmap, kNoParameter, Blend(0, 1.0f));
    background->SetDelegate(mDelegate);
    background->SetGraphics(this);
    background->HandleInit();
    background->HandleBoundsChanged();
    background->HandleRescale();
    mControls.insert(mControls.begin(), background);
    return background;
}

Control* Graphics::GetControl(int index) const {
    return index >= 0 && index < NControls() ? mControls[static_cast<size_t>(index)] : nullptr;
}

Control* Graphics::GetControlWithTag(int tag) const {
    auto it = mTagMap.find(tag);
    return it == mTagMap.end() ? nullptr : it->second;
}

int Graphics::GetControlIdx(const Control* control) const {
    auto it = std::find(mControls.begin(), mControls.end(), control);
    return it == mControls.end() ? -1 : static_cast<int>(it - mControls.begin());
}

void Graphics::RemoveAllControls() {
    ReleaseCaptures();
    if (mCursorHidden)
        HideCursor(false);
    for (Control** special : {&mCornerResizer, &mPopupControl, &mPerfDisplay, &mTextEntryControl}) {
        ReleaseControl(*special);
        *special = nullptr;
    }
    mTagMap.clear();
    mHoveredControl = nullptr;
    mHoveredIdx = -1;
    mEditedControl = nullptr;
    mEditedSlot = -1;
    while (!mControls.empty()) {
        Control* last = mControls.back();
        mControls.pop_back();
        ReleaseControl(last);
    }
}

void Graphics::SyncSiblingControls(Control* control, int slot) {
    if (!control)
        return;
    int paramIdx = control->ParamOfSlot(slot);
    if (paramIdx < 0)
        return;
    double value = control->ReadValue(slot);
    for (Control* other : mControls) {
        if (other == control)
            continue;
        for (int s = 0; s < other->NSlots(); ++s) {
            if (other->ParamOfSlot(s) == paramIdx)
                other->ApplyDelegateValue(value, s);
        }
    }
}

void Graphics::ForAllControls(const std::function<void(Control&)>& f) {
    for (Control* c : mControls)
        f(*c);
    for (Control* special : {mCornerResizer, mPopupControl, mPerfDisplay, mTextEntryControl}) {
        if (special)
            f(*special);
    }
}

void Graphics::SetAllControlsDirty() {
    ForAllControls([](Control& c) { c.MarkDirty(false); });
}

void Graphics::SetAllControlsClean() {
    ForAllControls([](Control& c) { c.MarkClean(); });
}

void Graphics::LayoutUI() {
    if (auto* delegate = dynamic_cast<GraphicsEditorDelegate*>(mDelegate))
        delegate->LayoutUI(*this);
}

// ---- drawing operations ----

void Graphics::PaintRect(const Color& color, const Rect& r, const Blend* blend) {
    PathReset();
    PathRectShape(r);
    FillPath(color, FillStyle(), blend);
}

void Graphics::PaintRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend) {
    PathReset();
    PathRoundRectShape(r, radius);
    FillPath(color, FillStyle(), blend);
}

void Graphics::PaintCircle(const Color& color, float cx, float cy, float r, const Blend* blend) {
    PathReset();
    PathCircleShape(cx, cy, r);
    FillPath(color, FillStyle(), blend);
}

void Graphics::PaintArc(const Color& color, float cx, float cy, float r, float a1, float a2,
                        const Blend* blend) {
    PathReset();
    PathMove(cx, cy);
    PathArcSegment(cx, cy, r, a1, a2, kWindingCW);
    PathCloseFigure();
    FillPath(color, FillStyle(), blend);
}

void Graphics::StrokeLine(const Color& color, float x1, float y1, float x2, float y2,
                          const Blend* blend, float thickness) {
    PathReset();
    PathMove(x1, y1);
    PathLine(x2, y2);
    StrokePath(color, thickness, LineStyle(), blend);
}

void Graphics::StrokeRect(const Color& color, const Rect& r, const Blend* blend, float thickness) {
    PathReset();
    PathRectShape(r);
    StrokePath(color, thickness, LineStyle(), blend);
}

void Graphics::StrokeRoundRect(const Color& color, const Rect& r, float radius, const Blend* blend,
                               float thickness) {
    PathReset();
    PathRoundRectShape(r, radius);
    StrokePath(color, thickness, LineStyle(), blend);
}

void Graphics::StrokeArc(const Color& color, float cx, float cy, float r, float a1, float a2,
                         const Blend* blend, float thickness) {
    PathReset();
    PathArcSegment(cx, cy, r, a1, a2, kWindingCW);
    StrokePath(color, thickness, LineStyle(), blend);
}

void Graphics::StrokeCircle(const Color& color, float cx, float cy, float r, const Blend* blend,
                            float thickness) {
    PathReset();
    PathCircleShape(cx, cy, r);
    StrokePath(color, thickness, LineStyle(), blend);
}

void Graphics::DrawBitmapFrame(const BitmapRef& bitmap, const Rect& dest, int srcX, int srcY,
                               const Blend* blend) {
    if (bitmap.IsValid() && !dest.Empty())
        DrawBitmapPixels(bitmap, dest, srcX, srcY, blend);
}

void Graphics::DrawBitmap(const BitmapRef& bitmap, const Rect& dest, int frame,
                          const Blend* blend) {
    if (!bitmap.IsValid())
        return;
    int n = std::max(1, bitmap.N());
    int i = std::clamp(frame, 1, n);
    int srcX = bitmap.framesHorizontal ? bitmap.W() * (i - 1) / n : 0;
    int srcY = bitmap.framesHorizontal ? 0 : bitmap.H() * (i - 1) / n;
    Rect frameRect(0.0f, 0.0f, static_cast<float>(bitmap.FrameW()),
                   static_cast<float>(bitmap.FrameH()));
    DrawBitmapFrame(bitmap, frameRect.CentredOn(dest.MW(), dest.MH()), srcX, srcY, blend);
}

namespace {

float AnchorX(const TextStyle& style, const Rect& r) {
    return style.align == kAlignNear ? r.L : style.align == kAlignFar ? r.R : r.MW();
}

float AnchorY(const TextStyle& style, const Rect& r) {
    return style.valign == kVAlignTop ? r.T : style.valign == kVAlignBottom ? r.B : r.MH();
}

// The axis-aligned box around bounds rotated by degrees about the origin.
Rect RotatedBox(const Rect& bounds, float degrees) {
    Matrix m;
    m.Rotate(degrees);
    double xs[4] = {bounds.L, bounds.R, bounds.R, bounds.L};
    double ys[4] = {bounds.T, bounds.T, bounds.B, bounds.B};
    Rect box;
    for (int i = 0; i < 4; ++i) {
        m.TransformPoint(xs[i], ys[i]);
        float x = static_cast<float>(xs[i]);
        float y = static_cast<float>(ys[i]);
        box = i == 0 ? Rect(x, y, x, y)
                     : Rect(std::min(box.L, x), std::min(box.T, y), std::max(box.R, x),
                            std::max(box.B, y));
    }
    return box;
}

// Offset that aligns box inside r by the style's alignment.
void AlignBox(const TextStyle& style, const Rect& box, const Rect& r, float& dx, float& dy) {
    dx = AnchorX(style, r) - AnchorX(style, box);
    dy = AnchorY(style, r) - AnchorY(style, box);
}

}  // namespace

void Graphics::RenderText(const TextStyle& style, const char* str, const Rect& r,
                          const Blend* blend) {
    if (!str || !*str)
        return;
    float x = AnchorX(style, r);
    float y = AnchorY(style, r);
    if (style.angle == 0.0f) {
        DrawTextAt(style, str, x, y, blend);
        return;
    }
    Rect bounds;
    if (!MeasureTextAt(style, str, x, y, bounds))
        return;
    float dx = 0.0f;
    float dy = 0.0f;
    AlignBox(style, RotatedBox(bounds, style.angle), r, dx, dy);
    PathTransformSave();
    PathTransformTranslate(dx, dy);
    PathTransformRotate(style.angle);
    DrawTextAt(style, str, x, y, blend);
    PathTransformRestore();
}

float Graphics::MeasureTextExtent(const TextStyle& style, const char* str, Rect& r) const {
    if (!str || !*str)
        return 0.0f;
    Rect bounds;
    if (!MeasureTextAt(style, str, AnchorX(style, r), AnchorY(style, r), bounds))
        return 0.0f;
    if (style.angle != 0.0f) {
        Rect box = RotatedBox(bounds, style.angle);
        float dx = 0.0f;
        float dy = 0.0f;
        AlignBox(style, box, r, dx, dy);
        bounds = box.Translated(dx, dy);
    }
    r = bounds;
    return bounds.W();
}

// ---- path helpers ----

void Graphics::PathRectShape(const Rect& r) {
    PathMove(r.L, r.T);
    PathLine(r.R, r.T);
    PathLine(r.R, r.B);
    PathLine(r.L, r.B);
    PathCloseFigure();
}

void Graphics::PathRoundRectShape(const Rect& r, float tl, float tr, float br, float bl) {
    if (tl <= 0.0f && tr <= 0.0f && br <= 0.0f && bl <= 0.0f) {
        PathRectShape(r);
        return;
    }
    PathMove(r.L, r.T + tl);
    PathArcSegment(r.L + tl, r.T + tl, tl, 270.0f, 360.0f, kWindingCW);
    PathArcSegment(r.R - tr, r.T + tr, tr, 0.0f, 90.0f, kWindingCW);
    PathArcSegment(r.R - br, r.B - br, br, 90.0f, 180.0f, kWindingCW);
    PathArcSegment(r.L + bl, r.B - bl, bl, 180.0f, 270.0f, kWindingCW);
    PathCloseFigure();
}

void Graphics::PathCircleShape(float cx, float cy, float r) {
    PathMove(cx, cy - r);
    PathArcSegment(cx, cy, r, 0.0f, 360.0f, kWindingCW);
    PathCloseFigure();
}

// ---- path transform ----

void Graphics::PathTransformReset() {
    mTransform = Matrix();
    SetPathTransform(mTransform);
}

void Graphics::PathTransformTranslate(float x, float y) {
    mTransform.Translate(x, y);
    SetPathTransform(mTransform);
}

void Graphics::PathTransformScale(float x, float y) {
    mTransform.Scale(x, y);
    SetPathTransform(mTransform);
}

void Graphics::PathTransformRotate(float degrees) {
    mTransform.Rotate(degrees);
    SetPathTransform(mTransform);
}

void Graphics::PathTransformSave() {
    mTransformStack.push_back(mTransform);
}

void Graphics::PathTransformRestore() {
    if (mTransformStack.empty())
        return;
    mTransform = mTransformStack.back();
    mTransformStack.pop_back();
    SetPathTransform(mTransform);
}

bool Graphics::BitmapExtSupported(const char* ext) const {
    std::string e = LowerCase(ext ? ext : "");
    return e.find("png") != std::string::npos || e.find("jpg") != std::string::npos ||
           e.find("jpeg") != std::string::npos;
}

bool Graphics::LoadPlatformFont(const char*, const void*, int) {
    return true;
}

bool Graphics::CreatePlatformPopupMenu(PopupMenu&, const Rect&) {
    return false;
}

// ---- dirty rectangles and painting ----

void Graphics::DisplayTick() {
    if (mCapturedMap.empty()) {
        float scale = GetPlatformWindowScale();
        if (scale > 0.0f && scale != mScreenScale)
            SetScreenScale(scale);
    }
    std::vector<Rect> rects;
    CollectDirtyRects(rects);
    if (rects.empty())
        return;
    std::vector<Rect> device;
    device.reserve(rects.size());
    for (const Rect& r : rects)
        device.push_back(r.ToDevice(CombinedScale()));
    InvalidateDeviceRects(device);
}

void Graphics::CollectDirtyRects(std::vector<Rect>& rects) {
    rects.clear();
    if (mDisplayTick)
        mDisplayTick();
    ForAllControls([](Control& c) { c.RunAnimation(); });
    ForAllControls([&rects](Control& c) {
        if (!c.NeedsRedraw())
            return;
        Rect r = c.GetRect().Padded(kDirtyPad);
        if (const Control* parent = c.GetParent())
            r = r.Intersect(parent->GetRect().Padded(kDirtyPad));
        if (!r.Empty())
            rects.push_back(r);
    });
    if (!rects.empty())
        SetAllControlsClean();
}

Rect Graphics::ControlDrawBounds(const Control& control) const {
    return control.GetRect().Padded(kDirtyPad).PixelAligned(CombinedScale());
}

void Graphics::DrawDirty(const std::vector<Rect>& rects) {
    if (rects.empty())
        return;
    StartFrame();
    float scale = CombinedScale();
    std::vector<Rect> aligned;
    for (const Rect& r : rects) {
        if (!r.Empty())
            aligned.push_back(r.PixelAligned(scale));
    }
    if (mStrictDrawing) {
        Rect all;
        for (const Rect& r : aligned)
            all = all.Union(r);
        aligned.assign(1, all);
    } else {
        // Drop rectangles inside another (of equal ones the first stays).
        std::vector<Rect> kept;
        for (size_t i = 0; i < aligned.size(); ++i) {
            bool inside = false;
            for (size_t j = 0; j < aligned.size() && !inside; ++j) {
                if (i != j && aligned[j].Contains(aligned[i]) &&
                    (aligned[i] != aligned[j] || j < i))
                    inside = true;
            }
            if (!inside)
                kept.push_back(aligned[i]);
        }
        aligned.swap(kept);
    }
    Rect drawn;
    for (const Rect& r : aligned)
        drawn = drawn.Union(r);
    SetFrameRegion(drawn);
    for (const Rect& region : aligned) {
        if (region.Empty())
            continue;
        for (Control* c : mControls)
            DrawControlInRect(*c, region);
        for (Control* special : {mPerfDisplay, mCornerResizer, mPopupControl, mTextEntryControl}) {
            if (special)
                DrawControlInRect(*special, region);
        }
    }
    FinishFrame();
}

void Graphics::DrawControlInRect(Control& control, const Rect& region) {
    if (control.IsHidden() && GetControlIdx(&control) != 0)
        return;
    Rect clip = ControlDrawBounds(control).Intersect(region);
    if (clip.Empty())
        return;
    for (const Control* p = control.GetParent(); p; p = p->GetParent()) {
        Rect parentBounds = ControlDrawBounds(*p);
        if (!clip.Intersects(parentBounds))
            return;
        clip = clip.Intersect(parentBounds);
    }
    mTransform = Matrix();
    mTransformStack.clear();
    SetPathTransform(mTransform);
    PathReset();
    mClipRect = clip;
    ClipToRect(clip);
    control.Paint(*this);
}

// ---- value prompt ----

void Graphics::OpenValuePrompt(Control& control, const Rect& bounds, int slot) {
    const Param* param = control.ParamObject(slot);
    if (!param || mEditedControl)
        return;
    bool menu =
        param->Type() == kTypeEnum || (param->Type() == kTypeBool && param->DisplayTextCount() > 0);
    if (menu) {
        PopupMenu popup;
        for (int i = 0; i < param->DisplayTextCount(); ++i) {
            const Param::DisplayText* text = param->DisplayTextAt(i);
            popup.items.emplace_back(text ? text->text : "");
            if (text && text->value == param->Value())
                popup.checked = i;
        }
        if (CreatePlatformPopupMenu(popup, bounds))
            control.HandleMenuChoice(popup.chosen >= 0 ? &popup : nullptr, slot);
        return;
    }
    std::string text;
    param->FormatValue(param->Value(), false, text, false);
    if (control.PromptShowsLabel()) {
        text += " ";
        text += param->Label();
    }
    mEditedControl = &control;
    mEditedSlot = slot;
    CreatePlatformTextEntry(control.ParamOfSlot(slot), control.GetTextStyle(), bounds,
                            control.TextEntryLength(), text.c_str());
    control.MarkDirty(false);
}

void Graphics::ApplyTypedValue(const char* text) {
    Control* control = mEditedControl;
    if (!control)
        return;
    int slot = mEditedSlot;
    mEditedControl = nullptr;
    mEditedSlot = -1;
    const Param* param = control->ParamObject(slot);
    if (slot >= 0 && param) {
        if (ReadsAsValue(*param, text))
            control->ApplyUserValue(param->ToNormal(param->ParseText(text)), slot);
    } else
        control->HandleTextEntry(text ? text : "", slot);
    control->MarkDirty(false);
}

void Graphics::CancelTextEntry() {
    Control* control = mEditedControl;
    mEditedControl = nullptr;
    mEditedSlot = -1;
    if (control)
        control->MarkDirty(false);
}

// ---- cursor ----

void Graphics::SetCursor(int cursorType) {
    mCursorType =
        cursorType >= kCursorArrow && cursorType <= kCursorHelp ? cursorType : kCursorArrow;
    SetPlatformCursor(mCursorType);
}

void Graphics::HideCursor(bool hide, bool lock) {
    if (hide) {
        mCursorHidden = true;
        mCursorLocked = lock;
        mLockX = mLastX;
        mLockY = mLastY;
    } else {
        mCursorHidden = false;
        mCursorLocked = false;
    }
    HidePlatformCursor(hide, hide && lock);
}

// ---- resources ----

ResourceLocation Graphics::LocateResource(const char* name, const char* type) const {
    return quendaris::LocateResource(mResources, mModuleInstance, name, type);
}

BitmapRef Graphics::LoadImageResource(const char* name, int nFrames, bool framesHorizontal,
                                      int targetScale) {
    if (!name || !*name)
        return BitmapRef();
    int target = targetScale <= 0 ? RoundedScreenScale() : targetScale;
    std::string resourceName(name);
    auto makeRef = [&](APIBitmap* bitmap) {
        BitmapRef ref;
        ref.bitmap = bitmap;
        ref.w = bitmap->Width() / bitmap->Scale();
        ref.h = bitmap->Height() / bitmap->Scale();
        ref.nFrames = std::max(1, nFrames);
        ref.framesHorizontal = framesHorizontal;
        ref.resourceName = resourceName;
        return ref;
    };
    auto cached = [&](int scale) -> APIBitmap* {
        std::lock_guard<std::mutex> lock(mBitmapCacheLock);
        auto it = mBitmapCache.find({resourceName, scale});
        return it == mBitmapCache.end() ? nullptr : it->second.get();
    };
    if (APIBitmap* hit = cached(target))
        return makeRef(hit);

    size_t dot = resourceName.find_last_of('.');
    if (dot == std::string::npos)
        return BitmapRef();
    std::string ext = resourceName.substr(dot + 1);
    if (!BitmapExtSupported(ext.c_str()))
        return BitmapRef();
    for (int scale : VariantSearchOrder(target)) {
        std::string candidate = VariantName(resourceName, dot, scale);
        ResourceLocation location = LocateResource(candidate.c_str(), LowerCase(ext).c_str());
        if (!location.Found())
            continue;
        // A variant decoded before for another target is reused.
        if (APIBitmap* hit = cached(scale))
            return makeRef(hit);
        std::unique_ptr<APIBitmap> bitmap =
            location.kind == ResourceLocation::kModule
                ? LoadAPIBitmapFromMemory(location.data, static_cast<int>(location.size), scale)
                : LoadAPIBitmapFromFile(location.path.c_str(), scale);
        if (!bitmap || bitmap->Scale() <= 0)
            return BitmapRef();
        APIBitmap* raw = bitmap.get();
        std::lock_guard<std::mutex> lock(mBitmapCacheLock);
        mBitmapCache[{resourceName, scale}] = std::move(bitmap);
        return makeRef(raw);
    }
    return BitmapRef();
}

bool Graphics::LoadFontFromMemory(const char* fontId, const void* data, int size) {
    if (!fontId || !*fontId || !data || size <= 0)
        return false;
    if (!LoadPlatformFont(fontId, data, size))
        return false;
    const FontDataCache::Bytes* bytes =
        FontDataCache::Instance().Store(fontId, data, static_cast<size_t>(size));
    return bytes && LoadAPIFont(fontId, bytes->data(), static_cast<int>(bytes->size()));
}

bool Graphics::LoadFontResource(const char* fontId, const char* name) {
    ResourceLocation location = LocateResource(name, "ttf");
    if (location.kind == ResourceLocation::kModule)
        return LoadFontFromMemory(fontId, location.data, static_cast<int>(location.size));
    if (location.kind != ResourceLocation::kFile)
        return false;
    std::ifstream file(location.path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    if (bytes.size() < kMinResourceSize)
        return false;
    return LoadFontFromMemory(fontId, bytes.data(), static_cast<int>(bytes.size()));
}

void Graphics::ClearBitmapCache() {
    std::lock_guard<std::mutex> lock(mBitmapCacheLock);
    mBitmapCache.clear();
}

}  // namespace quendaris
