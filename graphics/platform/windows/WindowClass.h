#pragma once

#include <windows.h>

namespace quendaris {

constexpr wchar_t kEditorWindowClass[] = L"QuendarisWndClass";

// The editor window class is registered by the first open editor of the process and
// unregistered when the last one closes.
class WindowClass {
  public:
    // Counts one more window; registers the class when it is the first. False when the
    // class could not be registered (nothing is counted then).
    static bool Acquire(HINSTANCE instance, WNDPROC procedure);
    static void Release(HINSTANCE instance);
    static int OpenCount();
};

// The window's DPI / 96, from "GetDpiForWindow" looked up once in user32; 1.0 without it.
float WindowDpiScale(HWND window);

}  // namespace quendaris
