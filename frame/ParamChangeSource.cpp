#include "ParamChangeSource.h"

namespace quendaris {

const char* ParamChangeSourceLabel(int source) {
    static const char* const kLabels[] = {"Reset",           "Host",      "Preset", "UI",
                                          "Editor Delegate", "Recompile", "Unknown"};
    if (source < kReset || source > kUnknown)
        return kLabels[kUnknown];
    return kLabels[source];
}

}  // namespace quendaris
