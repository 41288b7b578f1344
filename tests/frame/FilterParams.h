#pragma once

#include "PluginConfig.h"
#include "PluginBase.h"

namespace quendaris::testing {

// A product-like set of nine parameters, declared the way the effect declares its own.
inline void DeclareFilterParams(EditorDelegate& delegate) {
    delegate.GetParam(0)->DeclareDouble("Cutoff", 1840., 20., 20000., 1., " Hz", 0, "",
                                        ShapePowCurve(3.0));
    delegate.GetParam(1)->DeclareDouble("Resonance", 50., 0., 100., 0.1, " %");
    delegate.GetParam(2)->DeclareEnum("Model", 0, 4, "", 0, "",
                                      {"M-Filter", "S-Filter", "P-Filter", "W-Filter"});
    delegate.GetParam(3)->DeclareDouble("Input", 0., -24., 24., 0.1, " dB");
    delegate.GetParam(4)->DeclareDouble("Drive", 0., 0., 100., 0.1, " %");
    delegate.GetParam(5)->DeclareDouble("Mix", 100., 0., 100., 0.1, " %");
    delegate.GetParam(6)->DeclareDouble("Output", 0., -24., 24., 0.1, " dB");
    delegate.GetParam(7)->DeclareBool("Poles", false, "Slope", 0, "", "2-Pole", "4-Pole");
    delegate.GetParam(8)->DeclareBool("Bypass", false, "Bypass", 0, "", "Off", "On");
}

inline PluginConfig FilterConfig() {
    PluginConfig config;
    config.nParams = 9;
    config.nPresets = 1;
    config.channelIOStr = "1-1 2-2";
    config.pluginName = "QUENDARIS";
    config.productName = "QUENDARIS";
    config.mfrName = "Obelin Fieldworks";
    config.vendorVersion = 0x00010000;
    config.uniqueId = FourCharCode("Qnds");
    config.mfrId = FourCharCode("Obfw");
    config.hasEditor = true;
    config.editorWidth = 800;
    config.editorHeight = 630;
    config.editorWidthLimitA = 2400;
    config.editorWidthLimitB = 266;
    config.editorHeightLimitA = 210;
    config.editorHeightLimitB = 1890;
    return config;
}

}  // namespace quendaris::testing
