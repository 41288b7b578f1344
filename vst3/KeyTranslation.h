#pragma once

#include "frame/KeyEvent.h"
#include "pluginterfaces/base/ftypes.h"

namespace quendaris {

// The Windows virtual-key code for a VST3 virtual key; keys 0 and 57 take the keyboard
// layout's code for the character.
int WindowsVirtualKey(Steinberg::int16 vst3Key, Steinberg::char16 character);
// The keyboard layout's virtual-key code for a character, shift state in the high byte.
int LayoutVirtualKey(Steinberg::char16 character);
// A VST3 key message as the editor's key record.
KeyEvent MakeKeyEvent(Steinberg::char16 character, Steinberg::int16 vst3Key,
                      Steinberg::int16 modifiers);
// Under REAPER only the space bar goes to the editor; false for any other key.
bool MakeReaperKeyEvent(Steinberg::int16 vst3Key, Steinberg::int16 modifiers, KeyEvent& out);

}  // namespace quendaris
