#pragma once

#include <cstddef>
#include <string>

namespace quendaris {

// A file built into the module. The stored name carries one wrapping character at either end
// ("XBACK.PNGX"); type is the extension in upper case ("PNG", "TTF").
struct EmbeddedResource {
    const char* storedName;
    const char* type;
    const unsigned char* data;
    size_t size;
};

struct ResourceTable {
    const EmbeddedResource* entries;
    size_t count;
};

// The resources built into this module (on Windows they live in the module's resource
// section instead and this table is empty).
const ResourceTable& ModuleResourceTable();

// Where a named resource was found: bytes inside the module, or a file.
struct ResourceLocation {
    enum Kind { kNotFound = 0, kModule, kFile };
    Kind kind = kNotFound;
    const void* data = nullptr;  // kModule: the bytes, alive as long as the module
    size_t size = 0;
    std::string path;  // kFile: the path as given

    bool Found() const { return kind != kNotFound; }
};

// Resources of 7 bytes or fewer count as missing.
constexpr size_t kMinResourceSize = 8;

// Whether a stored name, stripped of one character at each end, equals name ignoring case.
bool WrappedNameMatches(const char* storedName, const char* name);

// Looks name up as a module resource of the given type ("png", "ttf", "svg") in table (and,
// on Windows, in the resource section of moduleInstance), then as a file path. Never searches
// the working directory for a relative name.
ResourceLocation LocateResource(const ResourceTable* table, void* moduleInstance, const char* name,
                                const char* type);

}  // namespace quendaris
