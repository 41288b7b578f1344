#pragma once

#include "ParameterResolver.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quendaris::render {

// A linear ramp of a parameter's real value from the first frame of the input to its last.
struct AutomationLane {
    uint32_t id = 0;
    std::string name;
    double fromPlain = 0.0;
    double toPlain = 0.0;
    size_t rampFrames = 0;  // the ramp ends on frame rampFrames - 1 and holds from there on

    double ValueAt(size_t frame) const;
};

// One automation point inside a block.
struct BlockPoint {
    int offset = 0;
    size_t frame = 0;  // absolute frame the point describes
};

// The points a block carries for a ramp: the block's last frame, which makes the value exact at
// every block end, and on the very first block also frame 0, so the ramp starts where it should.
std::vector<BlockPoint> RampPointsForBlock(size_t blockStart, int blockFrames);

// Everything the host sends to the plug-in besides audio.
struct RenderPlan {
    std::vector<ResolvedValue> initialValues;  // sent at the start of the first block
    std::vector<AutomationLane> lanes;
};

}  // namespace quendaris::render
