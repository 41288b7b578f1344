#include "Automation.h"

namespace quendaris::render {

double AutomationLane::ValueAt(size_t frame) const {
    if (frame + 1 >= rampFrames) {
        return toPlain;
    }
    const double position = static_cast<double>(frame) / static_cast<double>(rampFrames - 1);
    return fromPlain + (toPlain - fromPlain) * position;
}

std::vector<BlockPoint> RampPointsForBlock(size_t blockStart, int blockFrames) {
    std::vector<BlockPoint> points;
    if (blockFrames <= 0) {
        return points;
    }
    if (blockStart == 0 && blockFrames > 1) {
        points.push_back({0, 0});
    }
    points.push_back({blockFrames - 1, blockStart + static_cast<size_t>(blockFrames) - 1});
    return points;
}

}  // namespace quendaris::render
