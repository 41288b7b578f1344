#include "WindowRules.h"

#include <cmath>

namespace quendaris::winrules {

unsigned TimerIntervalMs(int framesPerSecond) {
    unsigned interval = 1000u / unsigned(framesPerSecond < 1 ? 1 : framesPerSecond);
    return interval < 20 ? 15 : interval;
}

float WheelNotches(int16_t rawDelta) {
    return float(int(rawDelta) / 120);
}

bool AcceptsTypedChar(uint32_t ch, const Param* param) {
    if (ch == 0x08 || !param)
        return true;
    bool digitOrSign = (ch >= '0' && ch <= '9') || ch == '+' || ch == '-';
    if (param->Type() == kTypeDouble)
        return digitOrSign || ch == '.';
    return digitOrSign;
}

BoxGeometry ValueBoxGeometry(float l, float t, float r, float b, float scale) {
    BoxGeometry box;
    box.x = int(l * scale);
    box.y = int(t * scale);
    box.width = int((r - l) * scale + 1.0f);
    box.height = int((b - t) * scale + 1.0f);
    return box;
}

int CentredLineOffset(int boxHeight, float scale, float textSize) {
    return int((float(boxHeight) - scale * textSize) / 2.0f);
}

bool TickGate::Accept(uint64_t tickNumber, uint64_t latestPosted) {
    if (mSkipUntil != 0 && latestPosted < mSkipUntil)
        return false;
    mSkipUntil = 0;
    return tickNumber == latestPosted;
}

void TickGate::AfterPaint(uint64_t postedBefore, uint64_t postedAfter) {
    if (postedAfter != postedBefore)
        mSkipUntil = postedAfter + 1;
}

}  // namespace quendaris::winrules
