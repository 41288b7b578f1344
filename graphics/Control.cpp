#include "Control.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "Graphics.h"
#include "frame/EditorDelegate.h"
#include "frame/Param.h"

namespace quendaris {

Control::Control(const Rect& bounds, int paramIdx, ActionFunction action)
    : mRect(bounds), mTargetRect(bounds), mActionFunction(std::move(action)) {
    mSlots.push_back(ValueSlot{paramIdx, 0.0});
}

Control::~Control() = default;

Steinberg::tresult PLUGIN_API Control::executeMenuItem(Steinberg::int32 tag) {
    HandleContextItem(tag);
    return Steinberg::kResultOk;
}

void Control::HandlePress(float x, float y, const KeyMods& mod) {
    if (!mod.R)
        return;
    int slot = SlotAtPoint(x, y);
    const Param* param = ParamObject(slot);
    if (slot >= 0 && param && !mPromptDisabled) {
        // Enumerated values get a menu over the whole control, numbers a small text box.
        Rect bounds = param->DisplayTextCount() > 0
                          ? mRect
                          : Rect(0.0f, 0.0f, 40.0f, 16.0f).CentredOn(mRect.MW(), mRect.MH());
        PromptForValue(bounds, slot);
    }
    MarkDirty(false);
}

void Control::HandleRelease(float, float, const KeyMods&) {}
void Control::HandleDrag(float, float, float, float, const KeyMods&) {}

void Control::HandleDoubleClick(float x, float y, const KeyMods&) {
    ResetToDefault(SlotAtPoint(x, y));
}

void Control::HandleWheel(float, float, const KeyMods&, float) {}
bool Control::HandleKeyPress(float, float, const KeyEvent&) {
    return false;
}
bool Control::HandleKeyRelease(float, float, const KeyEvent&) {
    return false;
}

void Control::HandleHoverEnter(float, float, const KeyMods&) {
    bool was = mPointerIsOver;
    mPointerIsOver = true;
    if (!was)
        MarkDirty(false);
}

void Control::HandleHoverLeave() {
    bool was = mPointerIsOver;
    mPointerIsOver = false;
    if (was)
        MarkDirty(false);
}

void Control::HandleDragResize(float, float) {}
void Control::HandleDropPath(const char*) {}

void Control::HandleDropPaths(const std::vector<const char*>& paths) {
    if (!paths.empty())
        HandleDropPath(paths.front());
}

void Control::HandleRescale() {}
void Control::HandleBoundsChanged() {}
void Control::HandleInit() {}
void Control::HandleAttached() {}
void Control::HandleDelegateMessage(int, int, const void*) {}
void Control::HandleMidi(const MidiMessage&) {}

bool Control::HandleGesture(float, float, const GestureInfo& gesture) {
    auto it = mGestures.find(gesture.type);
    if (it == mGestures.end())
        return false;
    mLastGesture = gesture.type;
    it->second(this, gesture);
    return true;
}

void Control::HandleMenuChoice(const PopupMenu* menu, int slot) {
    const Param* param = ParamObject(slot);
    if (!menu || menu->chosen < 0 || slot < 0 || !param)
        return;
    ApplyUserValue(param->ToNormal(static_cast<double>(menu->chosen)), slot);
}

void Control::CreateContextMenu(std::vector<ContextMenuItem>&) {}
void Control::HandleContextItem(int) {}
void Control::HandleTextEntry(const char*, int) {}

void Control::PaintHostHighlight(Graphics& g) {
    if (mHostHighlighted)
        g.PaintCircle(mHighlightColor, mTargetRect.R - 5.0f, mTargetRect.T + 5.0f, 2.0f);
}

void Control::BindParam(int paramIdx, int slot) {
    if (slot < 0 || slot >= NSlots())
        throw std::out_of_range("Control::BindParam: no such value slot");
    Slot(slot).paramIdx = paramIdx;
    MarkDirty(false);
}

int Control::SlotAtPoint(float, float) const {
    return NSlots() > 1 ? -1 : 0;
}

void Control::ApplyDelegateValue(double value, int slot) {
    // A host echo must not fight the user's drag.
    if (mGraphics && mGraphics->IsCaptured(this))
        return;
    if (slot < 0 || slot >= NSlots() || Slot(slot).value == value)
        return;
    StoreValue(value, slot);
    MarkDirty(false);
}

void Control::ApplyUserValue(double value, int slot) {
    if (slot < 0 || slot >= NSlots() || Slot(slot).value == value)
        return;
    StoreValue(value, slot);
    MarkDirty(true, slot);
}

void Control::ResetToDefault(int slot) {
    slot = ResolveSlot(slot);
    for (int s = 0; s < NSlots(); ++s) {
        if (slot != kAllSlots && s != slot)
            continue;
        if (const Param* param = ParamObject(s))
            StoreValue(param->ToNormal(param->DefaultValue()), s);
    }
    MarkDirty(true, slot);
}

void Control::StoreValue(double value, int slot) {
    if (slot == kAllSlots) {
        for (ValueSlot& s : mSlots)
            s.value = value;
    } else if (slot >= 0 && slot < NSlots()) {
        Slot(slot).value = value;
    }
}

void Control::SetTextStyle(const TextStyle& style) {
    mTextStyle = style;
}

void Control::MoveTo(float x, float y) {
    x = std::max(0.0f, x);
    y = std::max(0.0f, y);
    float dx = x - mRect.L;
    float dy = y - mRect.T;
    mRect = mRect.Translated(dx, dy);
    mTargetRect = mTargetRect.Translated(dx, dy);
    mPointerIsOver = false;
    HandleBoundsChanged();
}

void Control::ResizeTo(float w, float h) {
    mTargetRect = Rect(mRect.L, mRect.T, mRect.L + std::max(0.0f, w), mRect.T + std::max(0.0f, h));
    mRect = mTargetRect;
    mPointerIsOver = false;
    HandleBoundsChanged();
}

void Control::SetHidden(bool hide) {
    mHidden = hide;
    MarkDirty(false);
}

void Control::SetInactive(bool inactive) {
    mDisabled = inactive;
    mBlend.weight = inactive ? 0.25f : 1.0f;
    MarkDirty(false);
}

void Control::SetMouseTransparent(bool transparent) {
    mMouseTransparent = transparent;
}

bool Control::HitTest(float x, float y) const {
    return !mTargetRect.AllZero() && mTargetRect.Contains(x, y);
}

void Control::MarkDirty(bool triggerAction, int slot) {
    slot = ResolveSlot(slot);
    auto addressed = [&](int s) { return slot == kAllSlots || s == slot; };
    for (int s = 0; s < NSlots(); ++s) {
        if (addressed(s))
            StoreValue(std::clamp(Slot(s).value, 0.0, 1.0), s);
    }
    mDirty = true;
    if (!triggerAction)
        return;
    for (int s = 0; s < NSlots(); ++s) {
        int paramIdx = Slot(s).paramIdx;
        if (!addressed(s) || paramIdx < 0)
            continue;
        if (mDelegate)
            mDelegate->SendParamValueFromUI(paramIdx, Slot(s).value);
        if (mGraphics)
            mGraphics->SyncSiblingControls(this, s);
    }
    if (mActionFunction)
        mActionFunction(this);
}

void Control::MarkClean() {
    mDirty = false;
}

bool Control::NeedsRedraw() const {
    return mAnimationFunction ? true : mDirty;
}

bool Control::WantsGestures() const {
    return !mGestures.empty() && !mAnimationFunction;
}

void Control::SetValueFromPoint(float x, float y, Direction direction, const Rect& bounds, int slot,
                                double lo, double hi) {
    x = std::clamp(x, bounds.L, std::max(bounds.L, bounds.R));
    y = std::clamp(y, bounds.T, std::max(bounds.T, bounds.B));
    double v = 0.0;
    if (direction == kHorizontal) {
        if (bounds.W() > 0.0f)
            v = (x - bounds.L) / bounds.W();
    } else if (bounds.H() > 0.0f) {
        v = 1.0 - (y - bounds.T) / bounds.H();
    }
    v = std::round(v * 1000.0) / 1000.0;
    v = std::clamp(v, std::min(lo, hi), std::max(lo, hi));
    StoreValue(v, slot);
    MarkDirty(true, slot);
}

void Control::FinishAnimation() {
    mAnimationFunction = nullptr;
    MarkDirty(false);
    if (mAnimationEndFunction)
        mAnimationEndFunction(this);
}

double Control::ReadValue(int slot) const {
    return slot >= 0 && slot < NSlots() ? Slot(slot).value : 0.0;
}

int Control::ParamOfSlot(int slot) const {
    return slot >= 0 && slot < NSlots() ? Slot(slot).paramIdx : kNoParameter;
}

const Param* Control::ParamObject(int slot) const {
    int paramIdx = ParamOfSlot(slot);
    if (paramIdx < 0 || !mDelegate)
        return nullptr;
    return static_cast<const EditorDelegate*>(mDelegate)->GetParam(paramIdx);
}

void Control::PromptForValue(const Rect& bounds, int slot) {
    if (mGraphics && slot >= 0 && ParamOfSlot(slot) >= 0 && !mPromptDisabled)
        mGraphics->OpenValuePrompt(*this, bounds, slot);
}

int Control::AddSlot(int paramIdx) {
    mSlots.push_back(ValueSlot{paramIdx, 0.0});
    return NSlots() - 1;
}

void Control::RunAnimation() {
    if (mAnimationFunction)
        mAnimationFunction(this);
}

}  // namespace quendaris
