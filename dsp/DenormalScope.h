#pragma once

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <xmmintrin.h>
#define QUENDARIS_HAS_MXCSR 1
#endif

namespace quendaris {

// Flushes subnormal results and operands to zero while it lives, then restores the caller's
// floating-point mode. Decaying filter states otherwise spend seconds in the subnormal range,
// where every operation is many times slower.
class DenormalScope {
  public:
#if QUENDARIS_HAS_MXCSR
    static constexpr unsigned kFlushToZero = 0x8000;
    static constexpr unsigned kDenormalsAreZero = 0x0040;

    DenormalScope() : saved_(_mm_getcsr()) {
        _mm_setcsr(saved_ | kFlushToZero | kDenormalsAreZero);
    }
    ~DenormalScope() {
        _mm_setcsr(saved_);
    }

  private:
    unsigned saved_;
#else
    DenormalScope() = default;
#endif

  public:
    DenormalScope(const DenormalScope&) = delete;
    DenormalScope& operator=(const DenormalScope&) = delete;
};

}  // namespace quendaris
