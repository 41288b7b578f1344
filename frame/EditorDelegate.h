#pragma once

#include <memory>
#include <vector>

#include "ByteChunk.h"
#include "HostEventLoop.h"
#include "KeyEvent.h"
#include "MessageQueue.h"
#include "Param.h"
#include "ParamChangeSource.h"

namespace quendaris {

// The editor's view of the plug-in: owns the parameter list, keeps the editor's size and its
// limits, and moves values between the editor's controls and the plug-in.
// The virtual operations below keep their order; most are hooks that do nothing here.
class EditorDelegate {
  public:
    explicit EditorDelegate(int nParams);
    virtual ~EditorDelegate();
    EditorDelegate(const EditorDelegate&) = delete;
    EditorDelegate& operator=(const EditorDelegate&) = delete;

    // Returns the editor's native window inside parent, or null without an editor.
    virtual void* OpenWindow(void* parent);
    virtual void CloseWindow();
    virtual void OnParentWindowResize(int width, int height);
    // The editor's window is open: show every parameter's current value.
    virtual void OnUIOpen();
    virtual void OnUIClose() {}
    // Per-parameter change hook.
    virtual void OnParamValueChanged(int paramIdx) { (void)paramIdx; }
    virtual void OnParamChange(int paramIdx, ParamChangeSource source, int sampleOffset);
    // Per-parameter hook for changes the editor should know about.
    virtual void OnParamChangeUI(int paramIdx, ParamChangeSource source) {
        (void)paramIdx;
        (void)source;
    }
    virtual void NotifyAllParamsChanged(ParamChangeSource source);
    virtual void OnMidiMsgUI(const MidiMessage& msg) { (void)msg; }
    virtual void OnSysexMsgUI(const SysExMessage& msg) { (void)msg; }
    virtual bool OnMessage(int msgTag, int ctrlTag, int dataSize, const void* data);
    virtual void OnStateRestored();
    virtual bool OnKeyDown(const KeyEvent& key);
    virtual bool OnKeyUp(const KeyEvent& key);
    virtual void SendControlValueFromDelegate(int ctrlTag, double normalValue);
    virtual void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                            const void* data);
    virtual void SendArbitraryMsgFromDelegate(int msgTag, int dataSize, const void* data);
    virtual void SendMidiMsgFromDelegate(const MidiMessage& msg);
    virtual void SendSysexMsgFromDelegate(const SysExMessage& msg);
    virtual void SendParamValueToEditor(int paramIdx, double value, bool valueIsNormal);
    virtual void SendAllParamsToHost() {}
    virtual void BeginParamEditFromUI(int paramIdx) { (void)paramIdx; }
    // Stores the value and tells the plug-in; the API base also tells the host.
    virtual void SendParamValueFromUI(int paramIdx, double normalValue);
    virtual void EndParamEditFromUI(int paramIdx) { (void)paramIdx; }
    virtual bool EditorResizeFromUI(int width, int height, bool needsHostResize);
    virtual void SendMidiMsgFromUI(const MidiMessage& msg);
    virtual void SendSysexMsgFromUI(int offset, int dataSize, const void* data);
    virtual void SendArbitraryMsgFromUI(int msgTag, int ctrlTag, int dataSize, const void* data);
    // Queue writes towards the processor; the API base owns the queues.
    virtual bool DeferMidiMsg(const MidiMessage& msg) {
        (void)msg;
        return false;
    }
    virtual bool DeferSysexMsg(const SysExMessage& msg) {
        (void)msg;
        return false;
    }
    // Clamps width and height into the limits; true when they were already inside.
    virtual bool ConstrainEditorResize(int& width, int& height) const;
    virtual bool SerializeEditorState(ByteChunk& chunk) const;
    virtual int UnserializeEditorState(const ByteChunk& chunk, int startPos);
    virtual void SetScreenScale(float scale) { (void)scale; }
    // The host's event loop for an editor window that needs one; null while none is known.
    virtual HostEventLoop* GetHostEventLoop() { return nullptr; }

    int NParams() const { return static_cast<int>(mParams.size()); }
    // Null for an index outside the list.
    Param* GetParam(int paramIdx);
    const Param* GetParam(int paramIdx) const;

    int EditorWidth() const { return mEditorWidth; }
    int EditorHeight() const { return mEditorHeight; }
    void SetEditorSize(int width, int height);
    int MinWidth() const { return mMinWidth; }
    int MaxWidth() const { return mMaxWidth; }
    int MinHeight() const { return mMinHeight; }
    int MaxHeight() const { return mMaxHeight; }
    // Either order of each pair is accepted; the smaller becomes the minimum.
    void SetSizeConstraints(int widthA, int widthB, int heightA, int heightB);

  protected:
    // The editor's part of the state: width and height in pixels, then the draw scale.
    struct EditorStateFields {
        int32_t width = 0;
        int32_t height = 0;
        float scale = 0.0f;
    };
    // Reads the fields at startPos; -1 for a short chunk or one without a usable size.
    static int ReadEditorStateFields(const ByteChunk& chunk, int startPos, EditorStateFields& out);

  private:
    std::vector<std::unique_ptr<Param>> mParams;
    int mEditorWidth = 0;
    int mEditorHeight = 0;
    int mMinWidth = 10;
    int mMaxWidth = 100000;
    int mMinHeight = 10;
    int mMaxHeight = 100000;
};

}  // namespace quendaris
