#include "Vst3RunLoop.h"

#include <algorithm>

using namespace Steinberg;
using namespace Steinberg::Linux;

namespace quendaris {

class Vst3RunLoop::LoopHandler : public FObject, public ITimerHandler, public IEventHandler {
  public:
    explicit LoopHandler(Handler handler) : mHandler(std::move(handler)) {}

    void Kill() { mDead = true; }

    void PLUGIN_API onTimer() override { Run(); }
    void PLUGIN_API onFDIsSet(FileDescriptor) override { Run(); }

    OBJ_METHODS(LoopHandler, FObject)
    DEFINE_INTERFACES
    DEF_INTERFACE(ITimerHandler)
    DEF_INTERFACE(IEventHandler)
    END_DEFINE_INTERFACES(FObject)
    REFCOUNT_METHODS(FObject)

  private:
    void Run() {
        if (mDead)
            return;
        // The callback may remove this very handler; stay alive until it returns.
        IPtr<LoopHandler> self(this);
        mHandler();
    }

    Handler mHandler;
    bool mDead = false;
};

Vst3RunLoop::Vst3RunLoop(IRunLoop* loop) : mLoop(loop) {}

Vst3RunLoop::~Vst3RunLoop() {
    RemoveAll();
}

int Vst3RunLoop::AddTimer(uint32_t periodMs, Handler handler) {
    if (!mLoop || !handler)
        return 0;
    auto object = owned(new LoopHandler(std::move(handler)));
    if (mLoop->registerTimer(object, std::max<uint32_t>(periodMs, 1)) != kResultOk) {
        object->Kill();
        return 0;
    }
    mEntries.push_back({mNextId, true, object});
    return mNextId++;
}

int Vst3RunLoop::AddFdHandler(int fd, Handler handler) {
    if (!mLoop || !handler || fd < 0)
        return 0;
    auto object = owned(new LoopHandler(std::move(handler)));
    if (mLoop->registerEventHandler(object, fd) != kResultOk) {
        object->Kill();
        return 0;
    }
    mEntries.push_back({mNextId, false, object});
    return mNextId++;
}

void Vst3RunLoop::Remove(int id) {
    auto it = std::find_if(mEntries.begin(), mEntries.end(),
                           [id](const Entry& entry) { return entry.id == id; });
    if (it == mEntries.end())
        return;
    Entry entry = *it;
    mEntries.erase(it);
    Unregister(entry);
}

void Vst3RunLoop::RemoveAll() {
    std::vector<Entry> entries;
    entries.swap(mEntries);
    for (const Entry& entry : entries)
        Unregister(entry);
}

void Vst3RunLoop::Unregister(const Entry& entry) {
    entry.handler->Kill();
    if (entry.timer)
        mLoop->unregisterTimer(entry.handler);
    else
        mLoop->unregisterEventHandler(entry.handler);
}

}  // namespace quendaris
