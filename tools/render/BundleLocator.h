#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quendaris::render {

constexpr const char* kBundleName = "quendaris.vst3";

struct BundleSearch {
    std::optional<std::string> requestedPath;  // --plugin; used alone when given
    std::string builtPath;                     // where this build tree puts the bundle
    std::optional<std::string> homeDirectory;
};

// The places searched in order when no bundle was requested.
std::vector<std::string> BundleCandidates(const BundleSearch& search);

// The bundle to load; throws HostError naming every place that was tried.
std::string LocateBundle(const BundleSearch& search);

}  // namespace quendaris::render
