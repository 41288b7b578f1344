#pragma once

#include <memory>

namespace quendaris {

class EditorDelegate;
class EditorGraphics;

// The editor window of this platform for the delegate: 800 x 580 at 60 frames per second,
// draw scale 1.0, finding its resources in this module.
std::unique_ptr<EditorGraphics> MakeBrisvaleGraphics(EditorDelegate& delegate);

}  // namespace quendaris
