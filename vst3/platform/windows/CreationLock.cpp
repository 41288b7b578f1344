#include "vst3/CreationLock.h"

#include <windows.h>

namespace quendaris::vst3 {
namespace {

// One process-wide critical section, made on first use and deleted when the module goes away.
class CreationSection {
  public:
    CreationSection() { InitializeCriticalSection(&section_); }
    ~CreationSection() { DeleteCriticalSection(&section_); }
    CreationSection(const CreationSection&) = delete;
    CreationSection& operator=(const CreationSection&) = delete;

    CRITICAL_SECTION* Get() { return &section_; }

  private:
    CRITICAL_SECTION section_;
};

CRITICAL_SECTION* Section() {
    static CreationSection section;
    return section.Get();
}

}  // namespace

void LockInstanceCreation() {
    EnterCriticalSection(Section());
}

void UnlockInstanceCreation() {
    LeaveCriticalSection(Section());
}

}  // namespace quendaris::vst3
