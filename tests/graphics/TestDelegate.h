#pragma once

#include <string>
#include <vector>

#include "frame/GraphicsEditorDelegate.h"
#include "frame/Param.h"

namespace quendaris {
namespace testing {

// A real editor delegate with a small parameter set that also notes the edits it is sent,
// in order: "begin 0", "value 0 0.25", "end 0".
class TestDelegate : public GraphicsEditorDelegate {
  public:
    enum { kGain = 0, kMode = 1, kSwitch = 2, kWidth = 3, kNumParams };

    TestDelegate() : GraphicsEditorDelegate(kNumParams) {
        GetParam(kGain)->DeclareDouble("Gain", 25.0, 0.0, 100.0, 0.01, "%");
        GetParam(kMode)->DeclareEnum("Mode", 1, 3, "", 0, "", {"A", "B", "C"});
        GetParam(kSwitch)->DeclareBool("Switch", false);
        GetParam(kWidth)->DeclareDouble("Width", 0.0, -1.0, 1.0, 0.001);
    }

    void BeginParamEditFromUI(int paramIdx) override {
        edits.push_back("begin " + std::to_string(paramIdx));
    }
    void SendParamValueFromUI(int paramIdx, double normalValue) override {
        char line[64];
        std::snprintf(line, sizeof(line), "value %d %g", paramIdx, normalValue);
        edits.emplace_back(line);
        GraphicsEditorDelegate::SendParamValueFromUI(paramIdx, normalValue);
    }
    void EndParamEditFromUI(int paramIdx) override {
        edits.push_back("end " + std::to_string(paramIdx));
    }
    bool EditorResizeFromUI(int width, int height, bool needsHostResize) override {
        resizes.push_back({width, height});
        return GraphicsEditorDelegate::EditorResizeFromUI(width, height, needsHostResize);
    }

    std::vector<std::string> edits;
    std::vector<std::pair<int, int>> resizes;
};

}  // namespace testing
}  // namespace quendaris
