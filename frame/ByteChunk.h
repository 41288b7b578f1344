#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace quendaris {

// Growable byte buffer for state and presets. Values are copied in and out in their native
// in-memory form; the parameter chunk itself is written little-endian by its users.
class ByteChunk {
  public:
    int Size() const { return static_cast<int>(mBytes.size()); }
    const uint8_t* Data() const { return mBytes.data(); }
    uint8_t* Data() { return mBytes.data(); }

    // Returns the new size; a failed allocation empties the chunk and returns 0.
    int Resize(int size);
    void Clear() { mBytes.clear(); }

    // Appends bytes; returns the new size, or 0 when the chunk could not grow.
    int PutBytes(const void* data, int size);
    // Copies size bytes from position into data; returns the position after them, or -1 when
    // the chunk is too short (nothing is copied then).
    int GetBytes(void* data, int size, int position) const;

    template <typename T>
    int Put(const T& value) {
        static_assert(std::is_trivially_copyable<T>::value, "plain values only");
        return PutBytes(&value, sizeof(T));
    }
    template <typename T>
    int Get(T& value, int position) const {
        static_assert(std::is_trivially_copyable<T>::value, "plain values only");
        return GetBytes(&value, sizeof(T), position);
    }

    // Little-endian binary64, the form the parameter chunk uses on every machine.
    int PutDoubleLE(double value);
    int GetDoubleLE(double& value, int position) const;
    int PutInt32LE(int32_t value);
    int GetInt32LE(int32_t& value, int position) const;

  private:
    static constexpr size_t kGranularity = 4096;
    std::vector<uint8_t> mBytes;
};

}  // namespace quendaris
