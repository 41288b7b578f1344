#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace quendaris::render {

// Parameter names and display texts are matched the way people type them: case does not matter.
inline bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace quendaris::render
