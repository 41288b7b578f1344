#include "ByteChunk.h"

#include <cstring>
#include <new>

namespace quendaris {

int ByteChunk::Resize(int size) {
    if (size < 0)
        size = 0;
    try {
        size_t wanted = static_cast<size_t>(size);
        if (wanted > mBytes.capacity()) {
            mBytes.reserve((wanted + kGranularity - 1) / kGranularity * kGranularity);
        }
        mBytes.resize(wanted);
    } catch (const std::bad_alloc&) {
        mBytes.clear();
    }
    return Size();
}

int ByteChunk::PutBytes(const void* data, int size) {
    if (size <= 0 || !data)
        return Size();
    int start = Size();
    if (Resize(start + size) == 0)
        return 0;
    std::memcpy(mBytes.data() + start, data, static_cast<size_t>(size));
    return Size();
}

int ByteChunk::GetBytes(void* data, int size, int position) const {
    if (position < 0 || size < 0 || position > Size() - size)
        return -1;
    if (size > 0)
        std::memcpy(data, mBytes.data() + position, static_cast<size_t>(size));
    return position + size;
}

int ByteChunk::PutDoubleLE(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    return PutBytes(bytes, 8);
}

int ByteChunk::GetDoubleLE(double& value, int position) const {
    uint8_t bytes[8];
    int next = GetBytes(bytes, 8, position);
    if (next < 0)
        return -1;
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    std::memcpy(&value, &bits, sizeof value);
    return next;
}

int ByteChunk::PutInt32LE(int32_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    return PutBytes(bytes, 4);
}

int ByteChunk::GetInt32LE(int32_t& value, int position) const {
    uint8_t bytes[4];
    int next = GetBytes(bytes, 4, position);
    if (next < 0)
        return -1;
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(bytes[i]) << (8 * i);
    value = static_cast<int32_t>(bits);
    return next;
}

}  // namespace quendaris
