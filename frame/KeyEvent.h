#pragma once

namespace quendaris {

// A key press as the editor sees it: Windows virtual-key code, UTF-8 text and modifiers.
struct KeyEvent {
    int vk = 0;
    char utf8[5] = {};
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
};

}  // namespace quendaris
