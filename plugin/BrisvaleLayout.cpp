#include "BrisvaleLayout.h"

#include "graphics/Graphics.h"
#include "graphics/TextControl.h"

namespace quendaris {

namespace {

struct Caption {
    Rect bounds;
    const char* text;
};

constexpr const char* kFontId = "Roboto-Regular";

const Caption kCaptions[] = {{{100, 140, 200, 172}, "RESONANCE"},  {{280, 60, 480, 75}, "CUTOFF"},
                             {{600, 60, 740, 75}, "FILTER MODEL"}, {{40, 445, 110, 460}, "INPUT"},
                             {{130, 445, 200, 460}, "DRIVE"},      {{220, 445, 290, 460}, "MIX"},
                             {{310, 445, 380, 460}, "OUTPUT"},     {{460, 445, 560, 475}, "SLOPE"},
                             {{620, 445, 720, 475}, "BYPASS"}};

}  // namespace

void LayoutBrisvale(Graphics& g) {
    g.SetBackgroundBitmap("back.png");
    const TextStyle versionStyle(16.0f, Color(255, 238, 238, 238), kFontId, kAlignNear,
                                 kVAlignMiddle);
    const TextStyle captionStyle(16.0f, Color(255, 170, 170, 170), kFontId, kAlignCentre,
                                 kVAlignMiddle);
    g.AddControl(new TextControl(Rect(640, 540, 925, 560), "QUENDARIS Ver1.0.0.0", versionStyle));
    for (const Caption& caption : kCaptions)
        g.AddControl(new TextControl(caption.bounds, caption.text, captionStyle));
    g.LoadFontResource(kFontId, "Roboto-Regular.ttf");
}

}  // namespace quendaris
