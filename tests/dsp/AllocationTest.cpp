// Counts every heap allocation of the process so that audio processing can be shown to make none.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "FilterEngine.h"
#include "TestSignals.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* Allocate(std::size_t size) {
    if (counting.load()) {
        allocations.fetch_add(1);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace quendaris {
namespace {

class CountAllocations {
  public:
    CountAllocations() {
        allocations.store(0);
        counting.store(true);
    }
    ~CountAllocations() { counting.store(false); }
    long Count() const { return allocations.load(); }
};

TEST(Allocation, SteadyStateProcessingNeverAllocates) {
    constexpr int kMaxBlock = 512;
    constexpr int kLongBlock = 5000;  // longer than the prepared size and the chunk limit
    FilterEngine engine;
    engine.Reset(48000.0, 2, kMaxBlock);
    const std::vector<double> left = test::WhiteNoise(kLongBlock, 0.8, 1);
    const std::vector<double> right = test::WhiteNoise(kLongBlock, 0.8, 2);
    std::vector<double> outLeft(kLongBlock), outRight(kLongBlock), outThird(kLongBlock);
    const double* ins[3] = {left.data(), right.data(), left.data()};
    double* outs[3] = {outLeft.data(), outRight.data(), outThird.data()};
    BlockParameters p;
    p.resonance = 90.0;
    p.drive = 70.0;
    engine.ProcessBlock(p, ins, outs, 2, kMaxBlock);

    long count = 0;
    {
        const CountAllocations counter;
        for (int block = 0; block < 40; ++block) {  // several analyser frames complete
            p.model = (block / 5) % 4;              // fades between all models
            p.poles = block % 2;
            engine.ProcessBlock(p, ins, outs, 2, kMaxBlock);
        }
        engine.ProcessBlock(p, ins, outs, 2, kLongBlock);
        engine.ProcessBlock(p, ins, outs, 1, 300);
        engine.ProcessBlock(p, ins, outs, 3, 300);
        engine.ProcessBlock(p, ins, outs, 2, 0);
        double* partial[2] = {outLeft.data(), nullptr};
        engine.ProcessBlock(p, ins, partial, 2, 256);
        p.bypass = 1.0;
        engine.ProcessBlock(p, ins, outs, 2, kMaxBlock);
        engine.ResponseMagnitude(1000.0f);
        count = counter.Count();
    }
    EXPECT_EQ(count, 0);
}

TEST(Allocation, CounterSeesAllocations) {
    const CountAllocations counter;
    std::vector<double>* v = new std::vector<double>(10);
    delete v;
    EXPECT_GE(counter.Count(), 2);
}

}  // namespace
}  // namespace quendaris
