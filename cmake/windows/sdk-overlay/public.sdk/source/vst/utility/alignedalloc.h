#pragma once

// Stands in for the SDK's aligned allocation helpers in the MinGW build: the SDK takes
// std::aligned_alloc there, which msvcrt does not provide. Blocks come from the CRT's own
// aligned heap, so they must go back through _aligned_free, never plain free.
#include "pluginterfaces/base/ftypes.h"

#include <malloc.h>

#include <cstdlib>

namespace Steinberg {
namespace Vst {

inline void* aligned_alloc(size_t numBytes, uint32_t alignment) {
    if (alignment == 0)
        return std::malloc(numBytes);
    return _aligned_malloc(numBytes, alignment);
}

inline void aligned_free(void* addr, uint32_t alignment) {
    if (alignment == 0)
        std::free(addr);
    else
        _aligned_free(addr);
}

}  // namespace Vst
}  // namespace Steinberg
