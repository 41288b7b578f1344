#include "KeyTranslation.h"

#include "pluginterfaces/base/keycodes.h"

using namespace Steinberg;

namespace quendaris {

namespace {

constexpr int16 kSpaceKey = KEY_SPACE;

// Windows codes for VST3 keys 1 .. 56, in key order.
constexpr int kKeyTable[] = {
    8,   9,   12,  13,  19,  27,  32,  34,  35,  36,  37,  38,  39, 40,  // 1 .. 14
    33,  34,  41,  42,  13,  44,  45,  46,  47,                          // 15 .. 23
    96,  97,  98,  99,  100, 101, 102, 103, 104, 105,                    // 24 .. 33
    106, 107, 108, 109, 110, 111,                                        // 34 .. 39
    112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123,          // 40 .. 51
    144, 145, 16,  17,  18};                                             // 52 .. 56

constexpr int16 kEqualsKey = 57;
constexpr int16 kFirstAsciiKey = 128;

void WriteUtf8(uint32_t codePoint, char (&out)[5]) {
    int n = 0;
    if (codePoint < 0x80) {
        out[n++] = static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out[n++] = static_cast<char>(0xC0 | (codePoint >> 6));
        out[n++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out[n++] = static_cast<char>(0xE0 | (codePoint >> 12));
        out[n++] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (codePoint & 0x3F));
    }
    out[n] = 0;
}

void ApplyModifiers(int16 modifiers, KeyEvent& key) {
    key.shift = (modifiers & kShiftKey) != 0;
    key.alt = (modifiers & kAlternateKey) != 0;
    key.ctrl = (modifiers & kCommandKey) != 0;
}

}  // namespace

int WindowsVirtualKey(int16 vst3Key, char16 character) {
    if (vst3Key == 0 || vst3Key == kEqualsKey)
        return LayoutVirtualKey(character);
    if (vst3Key >= kFirstAsciiKey)
        return vst3Key - 80;
    if (vst3Key >= 1 && vst3Key <= 56)
        return kKeyTable[vst3Key - 1];
    return 0;
}

KeyEvent MakeKeyEvent(char16 character, int16 vst3Key, int16 modifiers) {
    KeyEvent key;
    // Surrogate halves are not characters of their own.
    if (character != 0 && (character < 0xD800 || character > 0xDFFF))
        WriteUtf8(character, key.utf8);
    else if (character == 0 && vst3Key >= kFirstAsciiKey)
        WriteUtf8(static_cast<uint32_t>(vst3Key - 80), key.utf8);
    else if (character == 0 && vst3Key == kSpaceKey)
        WriteUtf8(' ', key.utf8);
    key.vk = WindowsVirtualKey(vst3Key, character);
    ApplyModifiers(modifiers, key);
    return key;
}

bool MakeReaperKeyEvent(int16 vst3Key, int16 modifiers, KeyEvent& out) {
    if (vst3Key != kSpaceKey)
        return false;
    out = KeyEvent{};
    out.vk = 32;
    WriteUtf8(' ', out.utf8);
    ApplyModifiers(modifiers, out);
    return true;
}

}  // namespace quendaris
