#pragma once

#include <functional>
#include <memory>

#include "EditorDelegate.h"
#include "EditorGraphics.h"

namespace quendaris {

// An editor delegate whose editor is a graphics surface made by the plug-in's functions.
class GraphicsEditorDelegate : public EditorDelegate {
  public:
    using MakeGraphicsFunction = std::function<std::unique_ptr<EditorGraphics>()>;
    using LayoutFunction = std::function<void(EditorGraphics& graphics)>;

    explicit GraphicsEditorDelegate(int nParams);
    ~GraphicsEditorDelegate() override;

    void* OpenWindow(void* parent) override;
    void CloseWindow() override;
    void OnParentWindowResize(int width, int height) override;
    bool OnKeyDown(const KeyEvent& key) override;
    bool OnKeyUp(const KeyEvent& key) override;
    void SendControlValueFromDelegate(int ctrlTag, double normalValue) override;
    void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                    const void* data) override;
    void SendMidiMsgFromDelegate(const MidiMessage& msg) override;
    void SendParamValueToEditor(int paramIdx, double value, bool valueIsNormal) override;
    bool SerializeEditorState(ByteChunk& chunk) const override;
    int UnserializeEditorState(const ByteChunk& chunk, int startPos) override;
    void SetScreenScale(float scale) override;
    // Null when no make-graphics function is installed.
    virtual std::unique_ptr<EditorGraphics> CreateGraphics();
    // Called by the surface while its window opens.
    virtual void LayoutUI(EditorGraphics& graphics);

    void SetMakeGraphicsFunction(MakeGraphicsFunction function) {
        mMakeGraphics = std::move(function);
    }
    void SetLayoutFunction(LayoutFunction function) { mLayout = std::move(function); }

    // The open editor, or null.
    EditorGraphics* GetUI() { return mGraphics.get(); }
    bool HasSavedEditorSize() const { return mSavedWidth > 0 && mSavedHeight > 0; }

  private:
    MakeGraphicsFunction mMakeGraphics;
    LayoutFunction mLayout;
    std::unique_ptr<EditorGraphics> mGraphics;
    int mSavedWidth = 0;
    int mSavedHeight = 0;
    float mSavedScale = 0.0f;
    bool mClosing = false;
};

}  // namespace quendaris
