#pragma once

#include "KeyEvent.h"
#include "MessageQueue.h"

namespace quendaris {

// What the editor delegate needs from an editor surface. The graphics layer's context
// implements it; the delegate owns the object and talks to it only through this interface.
class EditorGraphics {
  public:
    virtual ~EditorGraphics() = default;

    // Creates the native window inside parent and returns its handle (null on failure).
    // The surface asks the delegate to lay it out and reports the open editor back to it.
    virtual void* OpenWindow(void* parent) = 0;
    virtual void CloseWindow() = 0;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual float DrawScale() const = 0;
    // Logical size and draw scale; the host is asked to follow only when needsHostResize.
    virtual void Resize(int width, int height, float drawScale, bool needsHostResize) = 0;
    virtual void SetScreenScale(float scale) = 0;

    // Current pointer position in logical pixels, for key events.
    virtual void PointerPosition(float& x, float& y) const = 0;
    virtual bool OnKeyDown(float x, float y, const KeyEvent& key) = 0;
    virtual bool OnKeyUp(float x, float y, const KeyEvent& key) = 0;

    // Hands a normalised value from the plug-in to every control slot bound to paramIdx.
    virtual void SetParamValueFromDelegate(int paramIdx, double normalValue) = 0;
    // Sets the value of the control registered under ctrlTag, if any.
    virtual void SetControlValueFromDelegate(int ctrlTag, double normalValue) = 0;
    virtual void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize,
                                            const void* data) = 0;
    // Passes a MIDI message to every control that wants MIDI.
    virtual void SendMidiMsgToControls(const MidiMessage& msg) = 0;
};

}  // namespace quendaris
