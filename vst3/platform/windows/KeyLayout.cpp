#include <windows.h>

#include "vst3/KeyTranslation.h"

namespace quendaris {

int LayoutVirtualKey(Steinberg::char16 character) {
    return VkKeyScanExA(static_cast<CHAR>(character), GetKeyboardLayout(0));
}

}  // namespace quendaris
