#include "SwitchButton.h"

#include "ButtonLook.h"

namespace quendaris {

SwitchButton::SwitchButton(const Rect& bounds, int paramIdx, const char* text)
    : Control(bounds, -1, nullptr), mText(text ? text : "") {
    BindParam(paramIdx, 0);
}

void SwitchButton::HandlePress(float, float, const KeyMods&) {
    StoreValue(IsActive() ? 0.0 : 1.0, 0);
    MarkDirty(true, -1);
}

void SwitchButton::Paint(Graphics& g) {
    button_look::Paint(g, GetRect(), IsActive(), mText.c_str(), nullptr);
}

}  // namespace quendaris
