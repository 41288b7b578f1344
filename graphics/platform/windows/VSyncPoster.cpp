#include "VSyncPoster.h"

namespace quendaris {

VSyncPoster::Functions VSyncPoster::FromGdi32() {
    Functions functions;
    HMODULE gdi = GetModuleHandleW(L"gdi32.dll");
    if (!gdi)
        return functions;
    // Cast through a generic function pointer: the entry points' types are declared above.
    auto find = [gdi](const char* name) {
        return reinterpret_cast<void (*)()>(GetProcAddress(gdi, name));
    };
    functions.open = reinterpret_cast<OpenFn>(find("D3DKMTOpenAdapterFromHdc"));
    functions.close = reinterpret_cast<CloseFn>(find("D3DKMTCloseAdapter"));
    functions.wait = reinterpret_cast<WaitFn>(find("D3DKMTWaitForVerticalBlankEvent"));
    return functions;
}

VSyncPoster::VSyncPoster(HWND window, UINT message, Functions functions)
    : mWindow(window), mMessage(message), mFunctions(functions) {}

VSyncPoster::~VSyncPoster() {
    Stop();
}

bool VSyncPoster::Start() {
    if (mThread)
        return true;
    mStop.store(false);
    mThread = CreateThread(nullptr, 0, &VSyncPoster::ThreadMain, this, 0, nullptr);
    if (!mThread)
        return false;
    SetThreadPriority(mThread, THREAD_PRIORITY_TIME_CRITICAL);
    return true;
}

void VSyncPoster::Stop() {
    if (!mThread)
        return;
    mStop.store(true);
    if (WaitForSingleObject(mThread, kStopTimeoutMs) != WAIT_OBJECT_0)
        TerminateThread(mThread, 0);
    CloseHandle(mThread);
    mThread = nullptr;
}

DWORD WINAPI VSyncPoster::ThreadMain(LPVOID self) {
    static_cast<VSyncPoster*>(self)->Run();
    return 0;
}

void VSyncPoster::Run() {
    bool canWait = mFunctions.Complete();
    // The first attempt to open the adapter happens at once.
    DWORD lastFailure = GetTickCount() - kRetryAfterMs;
    while (!mStop.load()) {
        if (!canWait) {
            Sleep(kFallbackSleepMs);
        } else if (mAdapterOpen) {
            if (!WaitForBlank()) {
                CloseAdapter();
                Sleep(kFallbackSleepMs);
            }
        } else if (GetTickCount() - lastFailure >= kRetryAfterMs) {
            OpenAdapterArgs open{};
            open.hdc = GetDC(mWindow);
            LONG status = open.hdc ? mFunctions.open(&open) : -1;
            if (open.hdc)
                ReleaseDC(mWindow, open.hdc);
            if (status != 0) {
                lastFailure = GetTickCount();
                Sleep(kFallbackSleepMs);
            } else {
                mAdapter = open.adapter;
                mSourceId = open.sourceId;
                mAdapterOpen = true;
                if (!WaitForBlank()) {
                    CloseAdapter();
                    lastFailure = GetTickCount();
                    Sleep(kFallbackSleepMs);
                }
            }
        } else {
            Sleep(kFallbackSleepMs);
        }
        uint64_t tick = mPosted.fetch_add(1, std::memory_order_acq_rel) + 1;
        PostMessageW(mWindow, mMessage, WPARAM(tick), 0);
    }
    CloseAdapter();
}

bool VSyncPoster::WaitForBlank() {
    WaitArgs wait{mAdapter, 0, mSourceId};
    return mFunctions.wait(&wait) == 0;
}

void VSyncPoster::CloseAdapter() {
    if (!mAdapterOpen)
        return;
    CloseAdapterArgs close{mAdapter};
    mFunctions.close(&close);
    mAdapterOpen = false;
}

}  // namespace quendaris
