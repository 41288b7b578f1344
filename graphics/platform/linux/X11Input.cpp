#include "X11Input.h"

#include <X11/keysym.h>
#include <cstdlib>

namespace quendaris {

namespace {

struct KeyCodePair {
    KeySym keysym;
    int vk;
};

constexpr KeyCodePair kKeys[] = {
    {XK_BackSpace, 8},       {XK_Tab, 9},           {XK_ISO_Left_Tab, 9},
    {XK_Clear, 12},          {XK_Return, 13},       {XK_KP_Enter, 13},
    {XK_Pause, 19},          {XK_Escape, 27},       {XK_space, 32},
    {XK_Prior, 33},          {XK_Next, 34},         {XK_End, 35},
    {XK_Home, 36},           {XK_Left, 37},         {XK_Up, 38},
    {XK_Right, 39},          {XK_Down, 40},         {XK_Select, 41},
    {XK_Print, 42},          {XK_Insert, 45},       {XK_Delete, 46},
    {XK_Help, 47},           {XK_KP_Multiply, 106}, {XK_KP_Add, 107},
    {XK_KP_Separator, 108},  {XK_KP_Subtract, 109}, {XK_KP_Decimal, 110},
    {XK_KP_Divide, 111},     {XK_Num_Lock, 144},    {XK_Scroll_Lock, 145},
    {XK_Shift_L, 16},        {XK_Shift_R, 16},      {XK_Control_L, 17},
    {XK_Control_R, 17},      {XK_Alt_L, 18},        {XK_Alt_R, 18},
    {XK_semicolon, 0xBA},    {XK_colon, 0xBA},      {XK_equal, 0xBB},
    {XK_plus, 0xBB},         {XK_comma, 0xBC},      {XK_less, 0xBC},
    {XK_minus, 0xBD},        {XK_underscore, 0xBD}, {XK_period, 0xBE},
    {XK_greater, 0xBE},      {XK_slash, 0xBF},      {XK_question, 0xBF},
    {XK_grave, 0xC0},        {XK_asciitilde, 0xC0}, {XK_bracketleft, 0xDB},
    {XK_braceleft, 0xDB},    {XK_backslash, 0xDC},  {XK_bar, 0xDC},
    {XK_bracketright, 0xDD}, {XK_braceright, 0xDD}, {XK_apostrophe, 0xDE},
    {XK_quotedbl, 0xDE}};

}  // namespace

int VirtualKeyFromKeysym(KeySym keysym) {
    if (keysym >= XK_a && keysym <= XK_z)
        return static_cast<int>(keysym - XK_a) + 'A';
    if (keysym >= XK_A && keysym <= XK_Z)
        return static_cast<int>(keysym - XK_A) + 'A';
    if (keysym >= XK_0 && keysym <= XK_9)
        return static_cast<int>(keysym - XK_0) + '0';
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return static_cast<int>(keysym - XK_KP_0) + 96;
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return static_cast<int>(keysym - XK_F1) + 112;
    for (const KeyCodePair& key : kKeys)
        if (key.keysym == keysym)
            return key.vk;
    return 0;
}

KeyMods ModsFromState(unsigned state, bool left, bool right) {
    return KeyMods(left || (state & Button1Mask) != 0, right || (state & Button3Mask) != 0,
                   (state & ShiftMask) != 0, (state & ControlMask) != 0, (state & Mod1Mask) != 0);
}

bool DoubleClickDetector::Press(unsigned button, Time time, int x, int y) {
    const bool isDouble = mPending && button == mButton && time >= mTime &&
                          time - mTime <= kMaxIntervalMs && std::abs(x - mX) <= kMaxDistance &&
                          std::abs(y - mY) <= kMaxDistance;
    mPending = !isDouble;
    mButton = button;
    mTime = time;
    mX = x;
    mY = y;
    return isDouble;
}

}  // namespace quendaris
