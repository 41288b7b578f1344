#pragma once

#include <cstdint>
#include <functional>

namespace quendaris {

// Timers and file-descriptor watches that the host runs on its user-interface thread, for an
// editor window that must not run a thread of its own (the X11 window is driven this way).
class HostEventLoop {
  public:
    using Handler = std::function<void()>;

    virtual ~HostEventLoop() = default;
    // Each answers an id above 0, or 0 when the host refused.
    virtual int AddTimer(uint32_t periodMs, Handler handler) = 0;
    virtual int AddFdHandler(int fd, Handler handler) = 0;
    // After this the handler is never called again, even if the host calls it once more.
    virtual void Remove(int id) = 0;
};

}  // namespace quendaris
