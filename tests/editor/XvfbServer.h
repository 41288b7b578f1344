#pragma once

#include <string>
#include <sys/types.h>

namespace quendaris::test {

// A private X server for one test program: Xvfb picks a free display itself (-displayfd),
// DISPLAY points at it while the object lives, and the server is stopped at destruction.
class XvfbServer {
  public:
    explicit XvfbServer(const char* screen = "1280x1024x24");
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool Running() const { return mPid > 0 && !mDisplay.empty(); }
    const std::string& Display() const { return mDisplay; }
    const std::string& Error() const { return mError; }

  private:
    pid_t mPid = -1;
    std::string mDisplay;
    std::string mError;
    std::string mPreviousDisplay;
    bool mHadDisplay = false;
};

}  // namespace quendaris::test
