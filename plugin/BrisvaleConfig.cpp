#include "BrisvaleConfig.h"

namespace quendaris {

PluginConfig BrisvaleConfig() {
    PluginConfig config;
    config.nParams = kNumBrisvaleParams;
    config.nPresets = 1;
    config.channelIOStr = "1-1 2-2";
    config.pluginName = "QUENDARIS";
    config.productName = "QUENDARIS";
    config.mfrName = "Obelin Fieldworks";
    config.vendorVersion = 0x00010000;
    config.uniqueId = FourCharCode("Qnds");
    config.mfrId = FourCharCode("Obfw");
    config.latency = 0;
    config.plugType = kPluginEffect;
    config.hasEditor = true;
    config.editorWidth = 800;
    config.editorHeight = 630;
    // One third and three times the editor size.
    config.editorWidthLimitA = 800 / 3;
    config.editorWidthLimitB = 800 * 3;
    config.editorHeightLimitA = 630 / 3;
    config.editorHeightLimitB = 630 * 3;
    config.hostMayResize = false;
    return config;
}

}  // namespace quendaris
