#pragma once

// Serialises instance construction when a host creates instances from several threads.
// Each platform provides the lock itself (vst3/platform/<os>/).
namespace quendaris::vst3 {

void LockInstanceCreation();
void UnlockInstanceCreation();

class CreationLockGuard {
  public:
    CreationLockGuard() { LockInstanceCreation(); }
    ~CreationLockGuard() { UnlockInstanceCreation(); }
    CreationLockGuard(const CreationLockGuard&) = delete;
    CreationLockGuard& operator=(const CreationLockGuard&) = delete;
};

}  // namespace quendaris::vst3
