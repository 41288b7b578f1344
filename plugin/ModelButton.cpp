#include "ModelButton.h"

#include "ButtonLook.h"
#include "frame/Param.h"

namespace quendaris {

ModelButton::ModelButton(const Rect& bounds, int paramIdx, int modelIndex, const char* text)
    : Control(bounds, -1, nullptr), mModelIndex(modelIndex), mText(text ? text : "") {
    BindParam(paramIdx, 0);
}

bool ModelButton::IsActive() const {
    const Param* p = ParamObject(0);
    return p && p->Value() == static_cast<double>(mModelIndex);
}

// Selecting the model that is already active sends the same value again, which is harmless.
void ModelButton::HandlePress(float, float, const KeyMods&) {
    if (const Param* p = ParamObject(0)) {
        StoreValue(p->ToNormal(mModelIndex), 0);
        MarkDirty(true, -1);
    }
}

void ModelButton::Paint(Graphics& g) {
    button_look::Paint(g, GetRect(), IsActive(), mText.c_str(), nullptr);
}

}  // namespace quendaris
