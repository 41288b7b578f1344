#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/source/fobject.h"
#include "pluginterfaces/vst/ivstcontextmenu.h"

#include "GraphicsTypes.h"
#include "frame/KeyEvent.h"
#include "frame/MessageQueue.h"

namespace quendaris {

class EditorDelegate;
class Graphics;
class Param;

// Base of every element of the editor. A control owns its rectangles, value slots bound to
// parameters, a text style and a blend; the graphics context calls its handlers for drawing
// and input. User gestures become parameter edits through StoreValue + MarkDirty(true, slot);
// host values arrive through ApplyDelegateValue.
//
// Controls are reference counted (the host's context menu may hold one as its target); a new
// control starts with one reference, which AddControl takes over.
class Control : public Steinberg::Vst::IContextMenuTarget, public Steinberg::FObject {
  public:
    using ActionFunction = std::function<void(Control*)>;
    using AnimationFunction = std::function<void(Control*)>;
    using GestureFunction = std::function<void(Control*, const GestureInfo&)>;

    enum Direction { kVertical = 0, kHorizontal = 1 };

    explicit Control(const Rect& bounds, int paramIdx = kNoParameter,
                     ActionFunction action = nullptr);
    ~Control() override;

    // IContextMenuTarget: a chosen item of the host's context menu.
    Steinberg::tresult PLUGIN_API executeMenuItem(Steinberg::int32 tag) override;

    // Input handlers; coordinates are logical pixels.
    virtual void HandlePress(float x, float y, const KeyMods& mod);
    virtual void HandleRelease(float x, float y, const KeyMods& mod);
    virtual void HandleDrag(float x, float y, float dX, float dY, const KeyMods& mod);
    virtual void HandleDoubleClick(float x, float y, const KeyMods& mod);
    // d in wheel notches.
    virtual void HandleWheel(float x, float y, const KeyMods& mod, float d);
    virtual bool HandleKeyPress(float x, float y, const KeyEvent& key);
    virtual bool HandleKeyRelease(float x, float y, const KeyEvent& key);
    virtual void HandleHoverEnter(float x, float y, const KeyMods& mod);
    virtual void HandleHoverLeave();
    virtual void HandleDragResize(float x, float y);
    virtual void HandleDropPath(const char* path);
    virtual void HandleDropPaths(const std::vector<const char*>& paths);
    // Lifecycle hooks.
    virtual void HandleRescale();
    virtual void HandleBoundsChanged();
    virtual void HandleInit();
    virtual void HandleAttached();
    virtual void HandleDelegateMessage(int msgTag, int dataSize, const void* data);
    virtual void HandleMidi(const MidiMessage& msg);
    virtual bool HandleGesture(float x, float y, const GestureInfo& gesture);
    // menu is null when the popup was dismissed without a choice.
    virtual void HandleMenuChoice(const PopupMenu* menu, int slot);
    // A control's own items for the host context menu; none here.
    virtual void CreateContextMenu(std::vector<ContextMenuItem>& items);
    virtual void HandleContextItem(int tag);
    // Text committed in a value prompt for a slot without a parameter.
    virtual void HandleTextEntry(const char* text, int slot);

    virtual void Paint(Graphics& g) = 0;
    // Marks a control the host highlights; the graphics context never calls it itself.
    virtual void PaintHostHighlight(Graphics& g);

    // Throws std::out_of_range for a slot outside the slot list.
    virtual void BindParam(int paramIdx, int slot = 0);
    // -1 when the control has more than one slot, else 0.
    virtual int SlotAtPoint(float x, float y) const;
    virtual void ApplyDelegateValue(double value, int slot = 0);
    virtual void ApplyUserValue(double value, int slot = 0);
    virtual void ResetToDefault(int slot = kAllSlots);
    // Stores without clamping; slot -1 stores into every slot.
    virtual void StoreValue(double value, int slot = 0);
    virtual void SetTextStyle(const TextStyle& style);
    virtual void MoveTo(float x, float y);
    virtual void ResizeTo(float w, float h);
    virtual void SetHidden(bool hide);
    // Disabled controls draw at a quarter of their alpha.
    virtual void SetInactive(bool inactive);
    virtual void SetMouseTransparent(bool transparent);
    // False everywhere while all four target coordinates are 0; right and bottom edges are out.
    virtual bool HitTest(float x, float y) const;
    // Clamps the slot values into 0..1 and marks the control dirty; with triggerAction the
    // values go to the delegate, sibling controls follow and the action callback runs.
    virtual void MarkDirty(bool triggerAction = true, int slot = kAllSlots);
    virtual void MarkClean();
    virtual bool NeedsRedraw() const;
    virtual bool WantsGestures() const;
    // Sets the value from a point inside bounds (direction kVertical: bottom 0, top 1).
    virtual void SetValueFromPoint(float x, float y, Direction direction, const Rect& bounds,
                                   int slot = kAllSlots, double lo = 0.0, double hi = 1.0);
    virtual void FinishAnimation();

    // Values.
    double ReadValue(int slot = 0) const;
    int ParamOfSlot(int slot = 0) const;
    // Null for an unbound slot or an index outside the delegate's parameter list.
    const Param* ParamObject(int slot = 0) const;
    // Opens the graphics context's value prompt over bounds for a bound slot, unless prompting
    // is disabled.
    void PromptForValue(const Rect& bounds, int slot);
    int NSlots() const { return static_cast<int>(mSlots.size()); }
    // Appends a slot bound to paramIdx; answers its index.
    int AddSlot(int paramIdx = kNoParameter);

    // Geometry.
    const Rect& GetRect() const { return mRect; }
    const Rect& GetTargetRect() const { return mTargetRect; }
    void SetRect(const Rect& r) { mRect = r; }
    void SetTargetRect(const Rect& r) { mTargetRect = r; }
    void SetTargetAndDrawRects(const Rect& r) { mRect = mTargetRect = r; }

    // Flags.
    bool IsDirty() const { return mDirty; }
    bool IsHidden() const { return mHidden; }
    bool IsDisabled() const { return mDisabled; }
    bool IsMouseTransparent() const { return mMouseTransparent; }
    bool PromptDisabled() const { return mPromptDisabled; }
    void DisablePrompt(bool disable) { mPromptDisabled = disable; }
    bool DoubleClickAsPress() const { return mDoubleClickAsPress; }
    void SetDoubleClickAsPress(bool on) { mDoubleClickAsPress = on; }
    bool HoverWhenDisabled() const { return mHoverWhenDisabled; }
    void SetHoverWhenDisabled(bool on) { mHoverWhenDisabled = on; }
    bool PointerEventsWhenDisabled() const { return mPointerEventsWhenDisabled; }
    void SetPointerEventsWhenDisabled(bool on) { mPointerEventsWhenDisabled = on; }
    bool WantsMidi() const { return mWantsMidi; }
    void SetWantsMidi(bool on) { mWantsMidi = on; }
    bool PromptShowsLabel() const { return mPromptShowsLabel; }
    void SetPromptShowsLabel(bool on) { mPromptShowsLabel = on; }
    bool PointerIsOver() const { return mPointerIsOver; }
    int TextEntryLength() const { return mTextEntryLength; }
    void SetTextEntryLength(int length) { mTextEntryLength = length; }
    const std::string& Tooltip() const { return mTooltip; }
    void SetTooltip(const char* text) { mTooltip = text ? text : ""; }
    void SetHostHighlight(bool on, const Color& color) {
        mHostHighlighted = on;
        mHighlightColor = color;
    }

    // Style.
    const TextStyle& GetTextStyle() const { return mTextStyle; }
    const Blend& GetBlend() const { return mBlend; }
    void SetBlend(const Blend& blend) { mBlend = blend; }

    // Ownership links; set by the graphics context.
    void SetDelegate(EditorDelegate* delegate) { mDelegate = delegate; }
    EditorDelegate* GetDelegate() const { return mDelegate; }
    void SetGraphics(Graphics* graphics) { mGraphics = graphics; }
    Graphics* GetUI() const { return mGraphics; }
    void SetParent(Control* parent) { mParent = parent; }
    Control* GetParent() const { return mParent; }
    const std::string& GetGroup() const { return mGroup; }
    void SetGroup(const char* group) { mGroup = group ? group : ""; }

    // Callbacks.
    void SetActionFunction(ActionFunction f) { mActionFunction = std::move(f); }
    void SetAnimation(AnimationFunction f) { mAnimationFunction = std::move(f); }
    void SetAnimationEndFunction(ActionFunction f) { mAnimationEndFunction = std::move(f); }
    bool HasAnimation() const { return static_cast<bool>(mAnimationFunction); }
    // Calls the animation callback, if any.
    void RunAnimation();
    void AttachGestureHandler(GestureType type, GestureFunction f) { mGestures[type] = f; }
    int LastGesture() const { return mLastGesture; }

    OBJ_METHODS(Control, FObject)
    REFCOUNT_METHODS(FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(Steinberg::Vst::IContextMenuTarget)
    END_DEFINE_INTERFACES(FObject)

  protected:
    // The slot a -1 / one-slot argument addresses; see MarkDirty.
    int ResolveSlot(int slot) const { return NSlots() == 1 ? 0 : slot; }
    void ClearPointerOver() { mPointerIsOver = false; }
    ValueSlot& Slot(int slot) { return mSlots.at(static_cast<size_t>(slot)); }
    const ValueSlot& Slot(int slot) const { return mSlots.at(static_cast<size_t>(slot)); }

    Rect mRect;
    Rect mTargetRect;
    std::string mGroup;
    TextStyle mTextStyle;
    Blend mBlend;
    int mTextEntryLength = 7;
    bool mDirty = true;
    bool mHidden = false;
    bool mDisabled = false;
    bool mPromptDisabled = true;
    bool mDoubleClickAsPress = false;
    bool mHoverWhenDisabled = false;
    bool mPointerEventsWhenDisabled = false;
    bool mMouseTransparent = false;
    bool mWantsMidi = false;
    bool mPromptShowsLabel = false;
    bool mPointerIsOver = false;
    std::string mTooltip;
    Color mHighlightColor{255, 255, 0, 0};
    bool mHostHighlighted = false;
    Control* mParent = nullptr;
    EditorDelegate* mDelegate = nullptr;
    Graphics* mGraphics = nullptr;
    ActionFunction mActionFunction;
    ActionFunction mAnimationEndFunction;
    AnimationFunction mAnimationFunction;
    std::vector<ValueSlot> mSlots;
    std::unordered_map<int, GestureFunction> mGestures;
    int mLastGesture = -1;
};

}  // namespace quendaris
