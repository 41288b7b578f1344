#include <cstring>

#include "vst3/KeyTranslation.h"

namespace quendaris {

namespace {

constexpr int kShifted = 0x100;

// Punctuation on the US layout: unshifted and shifted character of each key, with its code.
struct PunctuationKey {
    char plain;
    char shifted;
    int code;
};
constexpr PunctuationKey kPunctuation[] = {{';', ':', 0xBA}, {'=', '+', 0xBB}, {',', '<', 0xBC},
                                           {'-', '_', 0xBD}, {'.', '>', 0xBE}, {'/', '?', 0xBF},
                                           {'`', '~', 0xC0}, {'[', '{', 0xDB}, {'\\', '|', 0xDC},
                                           {']', '}', 0xDD}, {'\'', '"', 0xDE}};

constexpr char kShiftedDigits[] = ")!@#$%^&*(";

}  // namespace

// X11 hosts pass characters, not key positions; the US layout is the common reference.
int LayoutVirtualKey(Steinberg::char16 character) {
    if (character >= 'a' && character <= 'z')
        return character - 'a' + 'A';
    if (character >= 'A' && character <= 'Z')
        return kShifted | character;
    if ((character >= '0' && character <= '9') || character == ' ')
        return character;
    if (character == '\b' || character == '\t' || character == '\r' || character == 27)
        return character;
    if (character > 0 && character < 128) {
        const char c = static_cast<char>(character);
        if (const char* digit = std::strchr(kShiftedDigits, c))
            return kShifted | ('0' + static_cast<int>(digit - kShiftedDigits));
        for (const PunctuationKey& key : kPunctuation) {
            if (key.plain == c)
                return key.code;
            if (key.shifted == c)
                return kShifted | key.code;
        }
    }
    return -1;
}

}  // namespace quendaris
