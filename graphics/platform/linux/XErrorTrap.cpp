#include "XErrorTrap.h"

namespace quendaris {

namespace {

// The innermost trap; the UI thread is the only one that opens editor windows.
thread_local XErrorTrap* gActiveTrap = nullptr;

}  // namespace

XErrorTrap::XErrorTrap(Display* display) : mDisplay(display), mOuter(gActiveTrap) {
    XSync(mDisplay, False);
    gActiveTrap = this;
    mPrevious = XSetErrorHandler(&XErrorTrap::Handle);
}

XErrorTrap::~XErrorTrap() {
    XSync(mDisplay, False);
    XSetErrorHandler(mPrevious);
    gActiveTrap = mOuter;
}

bool XErrorTrap::Failed() {
    XSync(mDisplay, False);
    return mErrors > 0;
}

int XErrorTrap::Handle(Display* display, XErrorEvent* error) {
    for (XErrorTrap* trap = gActiveTrap; trap; trap = trap->mOuter) {
        if (trap->mDisplay == display) {
            ++trap->mErrors;
            trap->mLastError = error->error_code;
            return 0;
        }
    }
    XErrorTrap* outermost = gActiveTrap;
    while (outermost && outermost->mOuter)
        outermost = outermost->mOuter;
    XErrorHandler previous = outermost ? outermost->mPrevious : nullptr;
    return previous ? previous(display, error) : 0;
}

}  // namespace quendaris
