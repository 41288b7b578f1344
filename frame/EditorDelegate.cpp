#include "EditorDelegate.h"

#include <algorithm>
#include <cstring>

namespace quendaris {

EditorDelegate::EditorDelegate(int nParams) {
    int count = std::max(nParams, 0);
    mParams.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        mParams.push_back(std::make_unique<Param>());
}

EditorDelegate::~EditorDelegate() {
    while (!mParams.empty())
        mParams.pop_back();
}

void* EditorDelegate::OpenWindow(void* parent) {
    (void)parent;
    return nullptr;
}

void EditorDelegate::CloseWindow() {}

void EditorDelegate::OnParentWindowResize(int width, int height) {
    (void)width;
    (void)height;
}

void EditorDelegate::OnUIOpen() {
    OnStateRestored();
}

void EditorDelegate::OnParamChange(int paramIdx, ParamChangeSource source, int sampleOffset) {
    (void)source;
    (void)sampleOffset;
    OnParamValueChanged(paramIdx);
}

void EditorDelegate::NotifyAllParamsChanged(ParamChangeSource source) {
    for (int i = 0; i < NParams(); ++i) {
        OnParamChange(i, source, -1);
        OnParamChangeUI(i, source);
    }
}

bool EditorDelegate::OnMessage(int msgTag, int ctrlTag, int dataSize, const void* data) {
    (void)msgTag;
    (void)ctrlTag;
    (void)dataSize;
    (void)data;
    return false;
}

void EditorDelegate::OnStateRestored() {
    for (int i = 0; i < NParams(); ++i)
        SendParamValueToEditor(i, mParams[i]->Normal(), true);
}

bool EditorDelegate::OnKeyDown(const KeyEvent& key) {
    (void)key;
    return false;
}

bool EditorDelegate::OnKeyUp(const KeyEvent& key) {
    (void)key;
    return false;
}

void EditorDelegate::SendControlValueFromDelegate(int ctrlTag, double normalValue) {
    (void)ctrlTag;
    (void)normalValue;
}

void EditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                                const void* data) {
    (void)ctrlTag;
    (void)msgTag;
    (void)dataSize;
    (void)data;
}

void EditorDelegate::SendArbitraryMsgFromDelegate(int msgTag, int dataSize, const void* data) {
    OnMessage(msgTag, -1, dataSize, data);
}

void EditorDelegate::SendMidiMsgFromDelegate(const MidiMessage& msg) {
    OnMidiMsgUI(msg);
}

void EditorDelegate::SendSysexMsgFromDelegate(const SysExMessage& msg) {
    OnSysexMsgUI(msg);
}

void EditorDelegate::SendParamValueToEditor(int paramIdx, double value, bool valueIsNormal) {
    (void)value;
    (void)valueIsNormal;
    OnParamChangeUI(paramIdx, kDelegate);
}

void EditorDelegate::SendParamValueFromUI(int paramIdx, double normalValue) {
    Param* param = GetParam(paramIdx);
    if (!param)
        return;
    param->SetNormal(normalValue);
    OnParamChange(paramIdx, kUI, -1);
    OnParamChangeUI(paramIdx, kUI);
}

bool EditorDelegate::EditorResizeFromUI(int width, int height, bool needsHostResize) {
    (void)width;
    (void)height;
    (void)needsHostResize;
    return true;
}

void EditorDelegate::SendMidiMsgFromUI(const MidiMessage& msg) {
    DeferMidiMsg(msg);
}

void EditorDelegate::SendSysexMsgFromUI(int offset, int dataSize, const void* data) {
    SysExMessage msg;
    msg.offset = offset;
    msg.size = std::min(std::max(dataSize, 0), kMaxSysExBytes);
    if (data && msg.size > 0)
        std::memcpy(msg.data, data, static_cast<size_t>(msg.size));
    DeferSysexMsg(msg);
}

void EditorDelegate::SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize,
                                            const void* data) {
    OnMessage(msgTag, ctrlTag, dataSize, data);
}

bool EditorDelegate::ConstrainEditorResize(int& width, int& height) const {
    bool inside =
        width >= mMinWidth && width <= mMaxWidth && height >= mMinHeight && height <= mMaxHeight;
    if (inside)
        return true;
    width = std::min(mMaxWidth, std::max(mMinWidth, width));
    height = std::min(mMaxHeight, std::max(mMinHeight, height));
    return false;
}

bool EditorDelegate::SerializeEditorState(ByteChunk& chunk) const {
    float scale = 1.0f;
    return chunk.Put(static_cast<int32_t>(mEditorWidth)) > 0 &&
           chunk.Put(static_cast<int32_t>(mEditorHeight)) > 0 && chunk.Put(scale) > 0;
}

int EditorDelegate::ReadEditorStateFields(const ByteChunk& chunk, int startPos,
                                          EditorStateFields& out) {
    EditorStateFields fields;
    int pos = chunk.Get(fields.width, startPos);
    if (pos >= 0)
        pos = chunk.Get(fields.height, pos);
    if (pos >= 0)
        pos = chunk.Get(fields.scale, pos);
    if (pos < 0 || fields.width <= 0 || fields.height <= 0 || !(fields.scale > 0.0f))
        return -1;
    out = fields;
    return pos;
}

int EditorDelegate::UnserializeEditorState(const ByteChunk& chunk, int startPos) {
    EditorStateFields fields;
    int pos = ReadEditorStateFields(chunk, startPos, fields);
    if (pos >= 0)
        SetEditorSize(fields.width, fields.height);
    return pos;
}

Param* EditorDelegate::GetParam(int paramIdx) {
    if (paramIdx < 0 || paramIdx >= NParams())
        return nullptr;
    return mParams[static_cast<size_t>(paramIdx)].get();
}

const Param* EditorDelegate::GetParam(int paramIdx) const {
    if (paramIdx < 0 || paramIdx >= NParams())
        return nullptr;
    return mParams[static_cast<size_t>(paramIdx)].get();
}

void EditorDelegate::SetEditorSize(int width, int height) {
    mEditorWidth = width;
    mEditorHeight = height;
}

void EditorDelegate::SetSizeConstraints(int widthA, int widthB, int heightA, int heightB) {
    mMinWidth = std::min(widthA, widthB);
    mMaxWidth = std::max(widthA, widthB);
    mMinHeight = std::min(heightA, heightB);
    mMaxHeight = std::max(heightA, heightB);
}

}  // namespace quendaris
