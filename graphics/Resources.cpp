#include "Resources.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace quendaris {
namespace {

bool EqualNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string UpperCase(const char* s) {
    std::string out(s ? s : "");
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFREG;
}

bool IsAbsolutePath(const char* name) {
#if defined(_WIN32)
    if (std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' &&
        (name[2] == '\\' || name[2] == '/'))
        return true;
    return name[0] == '\\' || name[0] == '/';
#else
    return name[0] == '/';
#endif
}

#if defined(_WIN32)
// The given module, or else the one this code is linked into (never the host's program).
HMODULE ResolveModule(void* moduleInstance) {
    HMODULE module = static_cast<HMODULE>(moduleInstance);
    if (!module) {
        GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&ResolveModule), &module);
    }
    return module;
}
#endif

// Folder of the module this code is linked into, with a trailing separator; empty if unknown.
std::string ModuleFolder(void* moduleInstance) {
    std::string path;
#if defined(_WIN32)
    char buffer[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(ResolveModule(moduleInstance), buffer, MAX_PATH);
    if (n > 0 && n < MAX_PATH)
        path.assign(buffer, n);
    size_t cut = path.find_last_of("\\/");
#else
    (void)moduleInstance;
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&ModuleFolder), &info) && info.dli_fname) {
        // A program's own name may come back relative; make it absolute once, here.
        char* resolved = realpath(info.dli_fname, nullptr);
        path = resolved ? resolved : info.dli_fname;
        std::free(resolved);
    }
    size_t cut = path.find_last_of('/');
#endif
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

#if defined(_WIN32)
struct ResourceSearch {
    const char* name;
    std::string found;
};

BOOL CALLBACK MatchResourceName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
    auto* search = reinterpret_cast<ResourceSearch*>(param);
    if (IS_INTRESOURCE(name) || !WrappedNameMatches(name, search->name))
        return TRUE;
    search->found = name;
    return FALSE;
}

// A resource of the module's resource section whose stored name wraps name.
bool FindSectionResource(void* moduleInstance, const char* name, const std::string& type,
                         ResourceLocation& out) {
    HMODULE module = ResolveModule(moduleInstance);
    if (!module)
        return false;
    ResourceSearch search{name, {}};
    EnumResourceNamesA(module, type.c_str(), MatchResourceName,
                       reinterpret_cast<LONG_PTR>(&search));
    if (search.found.empty())
        return false;
    HRSRC info = FindResourceA(module, search.found.c_str(), type.c_str());
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const void* data = handle ? LockResource(handle) : nullptr;
    DWORD size = info ? SizeofResource(module, info) : 0;
    if (!data || size < kMinResourceSize)
        return false;
    out.kind = ResourceLocation::kModule;
    out.data = data;
    out.size = size;
    return true;
}
#endif

}  // namespace

bool WrappedNameMatches(const char* storedName, const char* name) {
    if (!storedName || !name)
        return false;
    size_t stored = std::strlen(storedName);
    size_t n = std::strlen(name);
    return stored >= 2 && stored - 2 == n && EqualNoCase(storedName + 1, name, n);
}

ResourceLocation LocateResource(const ResourceTable* table, void* moduleInstance, const char* name,
                                const char* type) {
    ResourceLocation location;
    if (!name || !*name)
        return location;
    std::string upperType = UpperCase(type);
    if (table) {
        for (size_t i = 0; i < table->count; ++i) {
            const EmbeddedResource& r = table->entries[i];
            if (UpperCase(r.type) == upperType && WrappedNameMatches(r.storedName, name) &&
                r.size >= kMinResourceSize) {
                location.kind = ResourceLocation::kModule;
                location.data = r.data;
                location.size = r.size;
                return location;
            }
        }
    }
#if defined(_WIN32)
    if (FindSectionResource(moduleInstance, name, upperType, location))
        return location;
#endif
    // Files: an absolute path as given; a relative one beside the module or in the bundle's
    // Resources folder, never against the working directory.
    std::string candidates[3];
    if (IsAbsolutePath(name)) {
        candidates[0] = name;
    } else {
        std::string folder = ModuleFolder(moduleInstance);
        if (!folder.empty()) {
            candidates[0] = folder + name;
            candidates[1] = folder + "../Resources/" + name;
        }
    }
    for (const std::string& path : candidates) {
        if (!path.empty() && IsRegularFile(path)) {
            location.kind = ResourceLocation::kFile;
            location.path = path;
            return location;
        }
    }
    return location;
}

}  // namespace quendaris
