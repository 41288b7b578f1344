#pragma once

#include "graphics/Graphics.h"

namespace quendaris {

// The look the model buttons, the bypass switch and the slope segments share: an amber body
// when active, a dark one with a drop shadow when not, a thin dark outline and a centred caption.
namespace button_look {

constexpr float kCornerRadius = 4.0f;
constexpr float kShadowOffset = 2.0f;

const Color kShadow{100, 0, 0, 0};
const Color kActiveTop{255, 180, 100, 0};
const Color kActiveBottom{255, 255, 160, 0};
const Color kInactiveTop{255, 70, 70, 70};
const Color kInactiveBottom{255, 25, 25, 25};
const Color kOutline{255, 15, 15, 15};
const Color kActiveCaption{255, 20, 20, 20};
const Color kInactiveCaption{255, 220, 220, 220};

TextStyle CaptionStyle(bool active);

// Draws one button face in rect with caption text.
void Paint(Graphics& g, const Rect& rect, bool active, const char* text, const Blend* blend);

}  // namespace button_look

}  // namespace quendaris
