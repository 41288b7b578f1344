#include "GraphicsEditorDelegate.h"

namespace quendaris {

GraphicsEditorDelegate::GraphicsEditorDelegate(int nParams) : EditorDelegate(nParams) {}

// The surface's controls may still reach the delegate while they are torn down.
GraphicsEditorDelegate::~GraphicsEditorDelegate() {
    CloseWindow();
}

void* GraphicsEditorDelegate::OpenWindow(void* parent) {
    if (!mGraphics) {
        mGraphics = CreateGraphics();
        if (mGraphics && mSavedWidth > 0 && mSavedHeight > 0 && mSavedScale != 0.0f) {
            mGraphics->Resize(mSavedWidth, mSavedHeight, mSavedScale, false);
        }
    }
    return mGraphics ? mGraphics->OpenWindow(parent) : nullptr;
}

void GraphicsEditorDelegate::CloseWindow() {
    if (mClosing)
        return;
    mClosing = true;
    OnUIClose();
    if (mGraphics) {
        mSavedWidth = mGraphics->Width();
        mSavedHeight = mGraphics->Height();
        mSavedScale = mGraphics->DrawScale();
        mGraphics->CloseWindow();
        mGraphics.reset();
    }
    mClosing = false;
}

void GraphicsEditorDelegate::OnParentWindowResize(int width, int height) {
    if (!mGraphics)
        return;
    float scale = mGraphics->DrawScale();
    if (!(scale > 0.0f))
        return;
    mGraphics->Resize(static_cast<int>(width / scale), static_cast<int>(height / scale), 1.0f,
                      false);
}

bool GraphicsEditorDelegate::OnKeyDown(const KeyEvent& key) {
    if (!mGraphics)
        return false;
    float x = 0.0f;
    float y = 0.0f;
    mGraphics->PointerPosition(x, y);
    return mGraphics->OnKeyDown(x, y, key);
}

bool GraphicsEditorDelegate::OnKeyUp(const KeyEvent& key) {
    if (!mGraphics)
        return false;
    float x = 0.0f;
    float y = 0.0f;
    mGraphics->PointerPosition(x, y);
    return mGraphics->OnKeyUp(x, y, key);
}

void GraphicsEditorDelegate::SendControlValueFromDelegate(int ctrlTag, double normalValue) {
    if (mGraphics)
        mGraphics->SetControlValueFromDelegate(ctrlTag, normalValue);
}

void GraphicsEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                                        const void* data) {
    if (mGraphics)
        mGraphics->SendControlMsgFromDelegate(ctrlTag, msgTag, dataSize, data);
}

void GraphicsEditorDelegate::SendMidiMsgFromDelegate(const MidiMessage& msg) {
    if (mGraphics)
        mGraphics->SendMidiMsgToControls(msg);
    EditorDelegate::SendMidiMsgFromDelegate(msg);
}

void GraphicsEditorDelegate::SendParamValueToEditor(int paramIdx, double value,
                                                    bool valueIsNormal) {
    const Param* param = GetParam(paramIdx);
    if (mGraphics && param) {
        double normal = valueIsNormal ? value : param->ToNormal(value);
        mGraphics->SetParamValueFromDelegate(paramIdx, normal);
    }
    EditorDelegate::SendParamValueToEditor(paramIdx, value, valueIsNormal);
}

bool GraphicsEditorDelegate::SerializeEditorState(ByteChunk& chunk) const {
    int32_t width = mGraphics ? mGraphics->Width() : mSavedWidth;
    int32_t height = mGraphics ? mGraphics->Height() : mSavedHeight;
    float scale = mGraphics ? mGraphics->DrawScale() : mSavedScale;
    return chunk.Put(width) > 0 && chunk.Put(height) > 0 && chunk.Put(scale) > 0;
}

int GraphicsEditorDelegate::UnserializeEditorState(const ByteChunk& chunk, int startPos) {
    EditorStateFields fields;
    int pos = ReadEditorStateFields(chunk, startPos, fields);
    if (pos < 0)
        return -1;
    if (mGraphics) {
        mGraphics->Resize(fields.width, fields.height, fields.scale, false);
    } else {
        mSavedWidth = fields.width;
        mSavedHeight = fields.height;
        mSavedScale = fields.scale;
    }
    return pos;
}

void GraphicsEditorDelegate::SetScreenScale(float scale) {
    if (mGraphics)
        mGraphics->SetScreenScale(scale);
}

std::unique_ptr<EditorGraphics> GraphicsEditorDelegate::CreateGraphics() {
    return mMakeGraphics ? mMakeGraphics() : nullptr;
}

void GraphicsEditorDelegate::LayoutUI(EditorGraphics& graphics) {
    if (mLayout)
        mLayout(graphics);
}

}  // namespace quendaris
