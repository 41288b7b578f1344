#include "vst3/CreationLock.h"

#include <mutex>

namespace quendaris::vst3 {
namespace {

std::mutex& CreationMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

void LockInstanceCreation() {
    CreationMutex().lock();
}

void UnlockInstanceCreation() {
    CreationMutex().unlock();
}

}  // namespace quendaris::vst3
