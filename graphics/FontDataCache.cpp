#include "FontDataCache.h"

#include <cstdio>

namespace quendaris {

FontDataCache& FontDataCache::Instance() {
    static FontDataCache cache;
    return cache;
}

std::string FontDataCache::Key(const char* fontId) {
    char suffix[16];
    std::snprintf(suffix, sizeof(suffix), "-%.1fx", 1.0);
    return std::string(fontId ? fontId : "") + suffix;
}

const FontDataCache::Bytes* FontDataCache::Store(const char* fontId, const void* data,
                                                 size_t size) {
    std::lock_guard<std::mutex> lock(mLock);
    std::string key = Key(fontId);
    auto it = mFonts.find(key);
    if (it != mFonts.end())
        return &it->second;
    if (!data || size == 0)
        return nullptr;
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    return &mFonts.emplace(key, Bytes(bytes, bytes + size)).first->second;
}

const FontDataCache::Bytes* FontDataCache::Find(const char* fontId) const {
    std::lock_guard<std::mutex> lock(mLock);
    auto it = mFonts.find(Key(fontId));
    return it == mFonts.end() ? nullptr : &it->second;
}

size_t FontDataCache::Count() const {
    std::lock_guard<std::mutex> lock(mLock);
    return mFonts.size();
}

void FontDataCache::Retain() {
    std::lock_guard<std::mutex> lock(mLock);
    ++mInstances;
}

void FontDataCache::Release() {
    std::lock_guard<std::mutex> lock(mLock);
    if (mInstances > 0 && --mInstances == 0)
        mFonts.clear();
}

int FontDataCache::LiveInstances() const {
    std::lock_guard<std::mutex> lock(mLock);
    return mInstances;
}

}  // namespace quendaris
