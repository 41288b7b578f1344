#pragma once

#include <vector>

#include "base/source/fobject.h"
#include "frame/HostEventLoop.h"
#include "pluginterfaces/gui/iplugview.h"

namespace quendaris {

// The host's IRunLoop seen as a HostEventLoop. Each registration gets its own handler object
// that the host may keep referencing; once removed, a handler ignores any further call.
class Vst3RunLoop : public HostEventLoop {
  public:
    explicit Vst3RunLoop(Steinberg::Linux::IRunLoop* loop);
    ~Vst3RunLoop() override;
    Vst3RunLoop(const Vst3RunLoop&) = delete;
    Vst3RunLoop& operator=(const Vst3RunLoop&) = delete;

    int AddTimer(uint32_t periodMs, Handler handler) override;
    int AddFdHandler(int fd, Handler handler) override;
    void Remove(int id) override;
    void RemoveAll();

    Steinberg::Linux::IRunLoop* Loop() const { return mLoop; }
    int HandlerCount() const { return static_cast<int>(mEntries.size()); }

  private:
    class LoopHandler;
    struct Entry {
        int id;
        bool timer;
        Steinberg::IPtr<LoopHandler> handler;
    };
    void Unregister(const Entry& entry);

    Steinberg::IPtr<Steinberg::Linux::IRunLoop> mLoop;
    std::vector<Entry> mEntries;
    int mNextId = 1;
};

}  // namespace quendaris
