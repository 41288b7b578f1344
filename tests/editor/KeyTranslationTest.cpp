// Key messages from the host become the editor's key records.
#include <gtest/gtest.h>

#include <cstring>

#include "pluginterfaces/base/keycodes.h"
#include "vst3/KeyTranslation.h"

using namespace Steinberg;

namespace quendaris {
namespace {

TEST(KeyTranslation, NamedKeysTakeTheirWindowsCodes) {
    const struct {
        int16 key;
        int vk;
    } cases[] = {{KEY_BACK, 8},      {KEY_TAB, 9},        {KEY_CLEAR, 12},   {KEY_RETURN, 13},
                 {KEY_ENTER, 13},    {KEY_PAUSE, 19},     {KEY_ESCAPE, 27},  {KEY_SPACE, 32},
                 {KEY_NEXT, 34},     {KEY_PAGEDOWN, 34},  {KEY_END, 35},     {KEY_HOME, 36},
                 {KEY_LEFT, 37},     {KEY_UP, 38},        {KEY_RIGHT, 39},   {KEY_DOWN, 40},
                 {KEY_PAGEUP, 33},   {KEY_SELECT, 41},    {KEY_PRINT, 42},   {KEY_SNAPSHOT, 44},
                 {KEY_INSERT, 45},   {KEY_DELETE, 46},    {KEY_HELP, 47},    {KEY_NUMPAD0, 96},
                 {KEY_NUMPAD9, 105}, {KEY_MULTIPLY, 106}, {KEY_DIVIDE, 111}, {KEY_F1, 112},
                 {KEY_F12, 123},     {KEY_NUMLOCK, 144},  {KEY_SCROLL, 145}, {KEY_SHIFT, 16},
                 {KEY_CONTROL, 17},  {KEY_ALT, 18}};
    for (const auto& c : cases)
        EXPECT_EQ(WindowsVirtualKey(c.key, 0), c.vk) << "key " << c.key;
    EXPECT_EQ(WindowsVirtualKey(KEY_F13, 0), 0);
    EXPECT_EQ(WindowsVirtualKey(VKEY_FIRST_ASCII, 0), 48);
    EXPECT_EQ(WindowsVirtualKey(VKEY_FIRST_ASCII + 17, 0), 65);
}

TEST(KeyTranslation, CharactersTakeTheLayoutCode) {
    EXPECT_EQ(WindowsVirtualKey(0, 'a'), 'A');
    EXPECT_EQ(WindowsVirtualKey(0, 'A'), 0x100 | 'A');
    EXPECT_EQ(WindowsVirtualKey(0, '7'), '7');
    EXPECT_EQ(WindowsVirtualKey(0, '-'), 0xBD);
    EXPECT_EQ(WindowsVirtualKey(0, '+'), 0x1BB);
    EXPECT_EQ(WindowsVirtualKey(0, '.'), 0xBE);
    EXPECT_EQ(WindowsVirtualKey(KEY_EQUALS, '='), 0xBB);
    EXPECT_EQ(WindowsVirtualKey(0, 0x00E9), -1);
}

TEST(KeyTranslation, TextComesFromTheCharacterOrTheKey) {
    KeyEvent letter = MakeKeyEvent('q', 0, 0);
    EXPECT_STREQ(letter.utf8, "q");
    EXPECT_EQ(letter.vk, 'Q');
    KeyEvent accented = MakeKeyEvent(0x00E9, 0, 0);
    EXPECT_STREQ(accented.utf8, "\xC3\xA9");
    KeyEvent euro = MakeKeyEvent(0x20AC, 0, 0);
    EXPECT_STREQ(euro.utf8, "\xE2\x82\xAC");
    KeyEvent space = MakeKeyEvent(0, KEY_SPACE, 0);
    EXPECT_STREQ(space.utf8, " ");
    EXPECT_EQ(space.vk, 32);
    KeyEvent digit = MakeKeyEvent(0, VKEY_FIRST_ASCII + 5, 0);
    EXPECT_STREQ(digit.utf8, "5");
    KeyEvent arrow = MakeKeyEvent(0, KEY_LEFT, 0);
    EXPECT_STREQ(arrow.utf8, "");
    EXPECT_EQ(arrow.vk, 37);
    KeyEvent halfPair = MakeKeyEvent(0xD83D, 0, 0);
    EXPECT_STREQ(halfPair.utf8, "");
}

TEST(KeyTranslation, ModifierBitsMapToShiftAltControl) {
    KeyEvent none = MakeKeyEvent('x', 0, 0);
    EXPECT_FALSE(none.shift || none.alt || none.ctrl);
    KeyEvent all = MakeKeyEvent('x', 0, kShiftKey | kAlternateKey | kCommandKey);
    EXPECT_TRUE(all.shift && all.alt && all.ctrl);
    // The Windows key (VST3 control) is not Control.
    KeyEvent win = MakeKeyEvent('x', 0, kControlKey);
    EXPECT_FALSE(win.ctrl);
}

TEST(KeyTranslation, UnderReaperOnlyTheSpaceBarReachesTheEditor) {
    KeyEvent event;
    EXPECT_FALSE(MakeReaperKeyEvent(0, 0, event));
    EXPECT_FALSE(MakeReaperKeyEvent(KEY_RETURN, 0, event));
    ASSERT_TRUE(MakeReaperKeyEvent(KEY_SPACE, kShiftKey, event));
    EXPECT_EQ(event.vk, 32);
    EXPECT_STREQ(event.utf8, " ");
    EXPECT_TRUE(event.shift);
    EXPECT_FALSE(event.ctrl);
}

}  // namespace
}  // namespace quendaris
