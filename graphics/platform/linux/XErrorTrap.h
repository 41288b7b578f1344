#pragma once

#include <X11/Xlib.h>

namespace quendaris {

// Catches the X errors of one connection while it lives. X error handlers are process-wide
// and Xlib's default one exits the host, so the handler is installed only around risky calls
// (after a sync, so earlier errors are not ours) and the previous one is put back afterwards.
// Errors of other connections still go to the previous handler.
class XErrorTrap {
  public:
    explicit XErrorTrap(Display* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Syncs and answers whether any error arrived since the trap was set.
    bool Failed();
    int LastErrorCode() const { return mLastError; }

  private:
    static int Handle(Display* display, XErrorEvent* error);

    Display* mDisplay;
    XErrorHandler mPrevious;
    XErrorTrap* mOuter;
    int mErrors = 0;
    int mLastError = 0;
};

}  // namespace quendaris
