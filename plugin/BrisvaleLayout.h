#pragma once

namespace quendaris {

class Graphics;

// Fills a fresh 800 x 580 editor: background, captions, the version line, and finally the
// text font from the module's resources.
void LayoutBrisvale(Graphics& graphics);

}  // namespace quendaris
