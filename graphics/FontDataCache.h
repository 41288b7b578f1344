#pragma once

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace quendaris {

// Font bytes shared by every editor instance of the process, under "<id>-1.0x". Backends
// register fonts from these copies, so the bytes outlive any one drawing context. The table
// lives while at least one graphics context does: the last one to go clears it.
class FontDataCache {
  public:
    using Bytes = std::vector<unsigned char>;

    static FontDataCache& Instance();

    // The stored bytes for fontId; stores a copy of data first when the id is new.
    // Null for empty data.
    const Bytes* Store(const char* fontId, const void* data, size_t size);
    // Null when fontId was never stored.
    const Bytes* Find(const char* fontId) const;
    size_t Count() const;

    // Instance counting by the graphics contexts.
    void Retain();
    void Release();
    int LiveInstances() const;

    static std::string Key(const char* fontId);

  private:
    FontDataCache() = default;

    mutable std::mutex mLock;
    // Values are never moved once inserted (node-based map), so pointers stay valid.
    std::unordered_map<std::string, Bytes> mFonts;
    int mInstances = 0;
};

}  // namespace quendaris
