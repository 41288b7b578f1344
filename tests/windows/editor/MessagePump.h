#pragma once

#include <windows.h>

namespace quendaris::test {

// Handles messages for ms milliseconds. The clock is read after every message: when a
// frame takes longer than a tick, the display timer is always due and the queue never empties.
inline void Pump(DWORD ms) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (GetTickCount() - start < ms && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (GetTickCount() - start < ms);
}

}  // namespace quendaris::test
