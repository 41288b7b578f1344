#pragma once

#include <atomic>
#include <cstdint>

namespace quendaris {

struct MidiMessage {
    int offset = 0;  // sample offset within the block
    uint8_t status = 0;
    uint8_t data1 = 0;
    uint8_t data2 = 0;
};

constexpr int kMaxSysExBytes = 512;

struct SysExMessage {
    int offset = 0;
    int size = 0;
    uint8_t data[kMaxSysExBytes] = {};
};

// Fixed ring between exactly one writer thread and one reader thread, without locks.
// One slot always stays empty, so a ring of N slots holds N - 1 entries; a push into a full
// ring is dropped and reported as false.
template <typename T, int N>
class MessageQueue {
    static_assert(N >= 2, "a ring needs a free slot");

  public:
    bool Push(const T& item) {
        int write = mWrite.load(std::memory_order_relaxed);
        int next = (write + 1) % N;
        if (next == mRead.load(std::memory_order_acquire))
            return false;
        mSlots[write] = item;
        mWrite.store(next, std::memory_order_release);
        return true;
    }

    bool Pop(T& item) {
        int read = mRead.load(std::memory_order_relaxed);
        if (read == mWrite.load(std::memory_order_acquire))
            return false;
        item = mSlots[read];
        mRead.store((read + 1) % N, std::memory_order_release);
        return true;
    }

    int Count() const {
        int count = mWrite.load(std::memory_order_acquire) - mRead.load(std::memory_order_acquire);
        return count < 0 ? count + N : count;
    }
    static constexpr int Capacity() { return N - 1; }

  private:
    T mSlots[N] = {};
    std::atomic<int> mWrite{0};
    std::atomic<int> mRead{0};
};

}  // namespace quendaris
