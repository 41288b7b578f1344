#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

namespace quendaris {

// A thread that waits for the display's vertical blank and posts one tick message per blank
// to a window. The wait functions come from gdi32 at run time; where they are missing (or
// fail) the thread sleeps 16 ms per tick instead and tries to open the adapter again at most
// once a second. It shares only the stop flag and the posted counter with the window.
class VSyncPoster {
  public:
    // The gdi32 entry points, as plain function pointers so they can be swapped in tests.
    struct OpenAdapterArgs {
        HDC hdc;
        UINT adapter;
        LUID adapterLuid;
        UINT sourceId;
    };
    struct CloseAdapterArgs {
        UINT adapter;
    };
    struct WaitArgs {
        UINT adapter;
        UINT device;
        UINT sourceId;
    };
    using OpenFn = LONG(APIENTRY*)(OpenAdapterArgs*);
    using CloseFn = LONG(APIENTRY*)(const CloseAdapterArgs*);
    using WaitFn = LONG(APIENTRY*)(const WaitArgs*);
    struct Functions {
        OpenFn open = nullptr;
        CloseFn close = nullptr;
        WaitFn wait = nullptr;
        bool Complete() const { return open && close && wait; }
    };
    // The three functions from gdi32.dll; incomplete where the system lacks any of them.
    static Functions FromGdi32();

    static constexpr DWORD kFallbackSleepMs = 16;
    static constexpr DWORD kRetryAfterMs = 1000;
    static constexpr DWORD kStopTimeoutMs = 10000;

    VSyncPoster(HWND window, UINT message, Functions functions);
    ~VSyncPoster();
    VSyncPoster(const VSyncPoster&) = delete;
    VSyncPoster& operator=(const VSyncPoster&) = delete;

    bool Start();
    // Sets the stop flag and waits for the thread, at most kStopTimeoutMs.
    void Stop();
    uint64_t PostedCount() const { return mPosted.load(std::memory_order_acquire); }

  private:
    static DWORD WINAPI ThreadMain(LPVOID self);
    void Run();
    bool WaitForBlank();
    void CloseAdapter();

    HWND mWindow;
    UINT mMessage;
    Functions mFunctions;
    HANDLE mThread = nullptr;
    std::atomic<bool> mStop{false};
    std::atomic<uint64_t> mPosted{0};
    UINT mAdapter = 0;
    UINT mSourceId = 0;
    bool mAdapterOpen = false;
};

}  // namespace quendaris
