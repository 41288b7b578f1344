#include "WindowClass.h"

#include <mutex>

namespace quendaris {
namespace {

std::mutex gClassLock;
int gOpenCount = 0;

}  // namespace

bool WindowClass::Acquire(HINSTANCE instance, WNDPROC procedure) {
    std::lock_guard<std::mutex> lock(gClassLock);
    if (gOpenCount == 0) {
        WNDCLASSW windowClass{};
        windowClass.style = CS_DBLCLKS | CS_OWNDC;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kEditorWindowClass;
        if (!RegisterClassW(&windowClass))
            return false;
    }
    ++gOpenCount;
    return true;
}

void WindowClass::Release(HINSTANCE instance) {
    std::lock_guard<std::mutex> lock(gClassLock);
    if (gOpenCount == 0)
        return;
    if (--gOpenCount == 0)
        UnregisterClassW(kEditorWindowClass, instance);
}

int WindowClass::OpenCount() {
    std::lock_guard<std::mutex> lock(gClassLock);
    return gOpenCount;
}

float WindowDpiScale(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const GetDpiForWindowFn getDpi = [] {
        HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<GetDpiForWindowFn>(
                            reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")))
                      : nullptr;
    }();
    if (!getDpi || !window)
        return 1.0f;
    UINT dpi = getDpi(window);
    return dpi ? float(dpi) / 96.0f : 1.0f;
}

}  // namespace quendaris
