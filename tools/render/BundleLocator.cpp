#include "BundleLocator.h"

#include "HostError.h"

#include <filesystem>

namespace quendaris::render {

std::vector<std::string> BundleCandidates(const BundleSearch& search) {
    std::vector<std::string> candidates;
    if (!search.builtPath.empty()) {
        candidates.push_back(search.builtPath);
    }
    if (search.homeDirectory) {
        candidates.push_back(*search.homeDirectory + "/.vst3/" + kBundleName);
    }
    candidates.push_back(std::string("/usr/local/lib/vst3/") + kBundleName);
    candidates.push_back(std::string("/usr/lib/vst3/") + kBundleName);
    return candidates;
}

std::string LocateBundle(const BundleSearch& search) {
    if (search.requestedPath) {
        if (!std::filesystem::exists(*search.requestedPath)) {
            throw HostError("plug-in bundle \"" + *search.requestedPath + "\" does not exist");
        }
        return *search.requestedPath;
    }
    std::string tried;
    for (const auto& candidate : BundleCandidates(search)) {
        if (std::filesystem::is_directory(candidate)) {
            return candidate;
        }
        tried += "\n  " + candidate;
    }
    throw HostError(
        "no QUENDARIS plug-in bundle found; build it (target quendaris) or pass "
        "--plugin PATH. Looked in:" +
        tried);
}

}  // namespace quendaris::render
