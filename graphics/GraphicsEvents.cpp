#include <algorithm>

#include "Graphics.h"
#include "frame/EditorDelegate.h"

namespace quendaris {

bool Graphics::IsCaptured(const Control* control) const {
    for (const auto& entry : mCapturedMap) {
        if (entry.second == control)
            return true;
    }
    return false;
}

Control* Graphics::CapturedControl(uint64_t pointerId) const {
    auto it = mCapturedMap.find(pointerId);
    return it == mCapturedMap.end() ? nullptr : it->second;
}

void Graphics::ReleaseCaptures() {
    mCapturedMap.clear();
}

Control* Graphics::FindControlAt(float x, float y, bool capture, bool hover, uint64_t pointerId) {
    if (Control* held = CapturedControl(pointerId))
        return held;
    Control* found = nullptr;
    int foundIdx = -1;
    if (mPopupControl && !mPopupControl->IsHidden())
        found = mPopupControl;
    else if (mTextEntryControl && !mTextEntryControl->IsHidden())
        found = mTextEntryControl;
    else if (mCornerResizer && mCornerResizer->HitTest(x, y))
        found = mCornerResizer;
    else if (mPerfDisplay && mPerfDisplay->HitTest(x, y))
        found = mPerfDisplay;
    else if (!hover || mMouseOver) {
        // From the top of the drawing order; the background is never hovered.
        int lowest = hover ? 1 : 0;
        for (int i = NControls() - 1; i >= lowest && !found; --i) {
            Control* c = mControls[static_cast<size_t>(i)];
            if (c->IsHidden() || c->IsMouseTransparent())
                continue;
            if (c->IsDisabled() &&
                !(hover ? c->HoverWhenDisabled() : c->PointerEventsWhenDisabled()))
                continue;
            if (!c->HitTest(x, y))
                continue;
            found = c;
            foundIdx = i;
        }
    }
    if (capture && found)
        mCapturedMap[pointerId] = found;
    if (hover)
        mHoveredIdx = foundIdx;
    return found;
}

void Graphics::OnPointerDown(const std::vector<PointerEvent>& events) {
    if (events.size() == 1) {
        mPressX = events[0].x;
        mPressY = events[0].y;
    }
    for (const PointerEvent& e : events) {
        mLastX = e.x;
        mLastY = e.y;
        Control* c = FindControlAt(e.x, e.y, true, false, e.mods.pointerId);
        if (!c)
            continue;
        int slot = std::max(0, c->SlotAtPoint(e.x, e.y));
        int paramIdx = c->ParamOfSlot(slot);
        if (e.mods.R && paramIdx >= 0) {
            // Right clicks on parameters belong to the host's menu.
            ReleaseCaptures();
            if (mCursorHidden)
                HideCursor(false);
            OpenHostContextMenu(*c, paramIdx, e.x, e.y);
            return;
        }
        for (int s = 0; s < c->NSlots(); ++s) {
            if (c->ParamOfSlot(s) >= 0)
                mDelegate->BeginParamEditFromUI(c->ParamOfSlot(s));
        }
        c->HandlePress(e.x, e.y, e.mods);
    }
}

void Graphics::OnPointerDrag(const std::vector<PointerEvent>& events) {
    if (mCapturedMap.empty())
        return;
    for (const PointerEvent& e : events) {
        Control* c = CapturedControl(e.mods.pointerId);
        if (!c || (mTextEntryControl && c != mTextEntryControl))
            continue;
        if (e.dX == 0.0f && e.dY == 0.0f)
            continue;
        mLastX = e.x;
        mLastY = e.y;
        c->HandleDrag(e.x, e.y, e.dX, e.dY, e.mods);
        if (mCursorHidden && mCursorLocked) {
            MovePlatformCursor(mLockX, mLockY);
            mLastX = mLockX;
            mLastY = mLockY;
        }
    }
}

void Graphics::OnPointerUp(const std::vector<PointerEvent>& events) {
    for (const PointerEvent& e : events) {
        mLastX = e.x;
        mLastY = e.y;
        Control* c = CapturedControl(e.mods.pointerId);
        if (!c)
            continue;
        c->HandleRelease(e.x, e.y, e.mods);
        for (int s = 0; s < c->NSlots(); ++s) {
            if (c->ParamOfSlot(s) >= 0)
                mDelegate->EndParamEditFromUI(c->ParamOfSlot(s));
        }
        mCapturedMap.erase(e.mods.pointerId);
    }
    if (events.size() == 1 && events[0].mods.pointerId == 0) {
        const PointerEvent& e = events[0];
        Control* c = FindControlAt(e.x, e.y, false, true);
        if (c != mHoveredControl) {
            if (mHoveredControl)
                mHoveredControl->HandleHoverLeave();
            mHoveredControl = c;
        }
        if (c)
            c->HandleHoverEnter(e.x, e.y, e.mods);
    }
}

bool Graphics::OnPointerDoubleClick(float x, float y, const KeyMods& mod) {
    Control* c = FindControlAt(x, y, true, false, mod.pointerId);
    if (!c)
        return false;
    if (c->DoubleClickAsPress()) {
        ReleaseCaptures();
        PointerEvent e;
        e.x = x;
        e.y = y;
        e.mods = mod;
        OnPointerDown({e});
        return true;
    }
    // A reset, outside any begin/end edit pair.
    c->HandleDoubleClick(x, y, mod);
    ReleaseCaptures();
    if (mCursorHidden)
        HideCursor(false);
    return true;
}

bool Graphics::OnPointerWheel(float x, float y, const KeyMods& mod, float d) {
    Control* c = FindControlAt(x, y, false, false, mod.pointerId);
    if (c)
        c->HandleWheel(x, y, mod, d);
    return c != nullptr;
}

bool Graphics::OnPointerOver(float x, float y, const KeyMods& mod) {
    mLastX = x;
    mLastY = y;
    Control* c = FindControlAt(x, y, false, true);
    if (c != mHoveredControl) {
        if (mHoveredControl)
            mHoveredControl->HandleHoverLeave();
        mHoveredControl = c;
    }
    if (c)
        c->HandleHoverEnter(x, y, mod);
    return c != nullptr;
}

void Graphics::OnPointerOut() {
    SetCursor(kCursorArrow);
    ForAllControls([](Control& c) { c.HandleHoverLeave(); });
    mHoveredControl = nullptr;
    mHoveredIdx = -1;
}

void Graphics::OnDrop(const char* path, float x, float y) {
    if (Control* c = FindControlAt(x, y, false, false))
        c->HandleDropPath(path);
}

void Graphics::OnDropMultiple(const std::vector<const char*>& paths, float x, float y) {
    if (Control* c = FindControlAt(x, y, false, false))
        c->HandleDropPaths(paths);
}

void Graphics::OnGesture(float x, float y, const GestureInfo& gesture) {
    Control* c = FindControlAt(x, y, false, false);
    if (c && c->WantsGestures())
        c->HandleGesture(x, y, gesture);
}

bool Graphics::OnKeyDown(float x, float y, const KeyEvent& key) {
    return KeyEventToControls(x, y, key, false);
}

bool Graphics::OnKeyUp(float x, float y, const KeyEvent& key) {
    return KeyEventToControls(x, y, key, true);
}

bool Graphics::KeyEventToControls(float x, float y, const KeyEvent& key, bool isUp) {
    Control* c = FindControlAt(x, y, false, false);
    if (c && GetControlIdx(c) != 0) {
        bool handled = isUp ? c->HandleKeyRelease(x, y, key) : c->HandleKeyPress(x, y, key);
        if (handled)
            return true;
    }
    return mKeyHandler ? mKeyHandler(key, isUp) : false;
}

void Graphics::OpenHostContextMenu(Control& control, int paramIdx, float x, float y) {
    std::vector<ContextMenuItem> items;
    control.CreateContextMenu(items);
    if (!mEditorHost)
        return;
    float s = CombinedScale();
    mEditorHost->PopupHostContextMenu(paramIdx, static_cast<int>(x * s), static_cast<int>(y * s),
                                      items, &control);
}

}  // namespace quendaris
