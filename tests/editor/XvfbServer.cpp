#include "XvfbServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quendaris::test {

namespace {

constexpr int kStartTimeoutMs = 15000;

// Reads the display number Xvfb writes once it accepts connections.
std::string ReadDisplayNumber(int fd, std::string& error) {
    std::string number;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char c = 0;
        const ssize_t n = read(fd, &c, 1);
        if (n <= 0) {
            error = "Xvfb exited before it reported a display";
            return {};
        }
        if (c == '\n')
            return number;
        number += c;
    }
    error = "Xvfb did not start in time";
    return {};
}

}  // namespace

XvfbServer::XvfbServer(const char* screen) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        mError = std::strerror(errno);
        return;
    }
    mPid = fork();
    if (mPid == 0) {
        close(pipeFds[0]);
        const int devNull = open("/dev/null", O_RDWR);
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
        // Preloaded sanitizer or test libraries are for the test program, not the server.
        unsetenv("LD_PRELOAD");
        const std::string fd = std::to_string(pipeFds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-noreset",
               "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    if (mPid < 0) {
        mError = std::strerror(errno);
        close(pipeFds[0]);
        return;
    }
    const std::string number = ReadDisplayNumber(pipeFds[0], mError);
    close(pipeFds[0]);
    if (number.empty())
        return;
    mDisplay = ":" + number;
    if (const char* previous = std::getenv("DISPLAY")) {
        mHadDisplay = true;
        mPreviousDisplay = previous;
    }
    setenv("DISPLAY", mDisplay.c_str(), 1);
}

XvfbServer::~XvfbServer() {
    if (mPid > 0) {
        kill(mPid, SIGTERM);
        int status = 0;
        waitpid(mPid, &status, 0);
    }
    if (mHadDisplay)
        setenv("DISPLAY", mPreviousDisplay.c_str(), 1);
    else if (!mDisplay.empty())
        unsetenv("DISPLAY");
}

}  // namespace quendaris::test
