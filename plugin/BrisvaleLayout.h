#pragma once

#include <memory>

namespace quendaris {

class EditorDelegate;
class EditorGraphics;
class Graphics;

// Fills a new editor with the effect's background, captions and controls.
void LayoutBrisvale(Graphics& g);

// The editor window of this platform for the delegate: 800 x 580 at 60 frames per second,
// draw scale 1.0.
std::unique_ptr<EditorGraphics> MakeBrisvaleGraphics(EditorDelegate& delegate);

}  // namespace quendaris
