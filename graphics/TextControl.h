#pragma once

#include <string>

#include "Control.h"

namespace quendaris {

// A static label: a filled background and a line of text. It takes no pointer events.
class TextControl : public Control {
  public:
    // With sizeToString the rectangle follows the label's measured size, centred where it was.
    TextControl(const Rect& bounds, const char* label = "", const TextStyle& style = TextStyle(),
                const Color& background = Color(0, 0, 0, 0), bool sizeToString = false);

    // Does nothing for the current string.
    virtual void SetLabel(const char* label);
    // printf-style; the result is cut to maxLength characters.
    virtual void SetLabelFormatted(int maxLength, const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    virtual void ClearLabel();

    void HandleInit() override;
    void Paint(Graphics& g) override;

    const std::string& GetLabel() const {
        return mLabel;
    }
    const Color& GetBackgroundColor() const {
        return mBackground;
    }

  protected:
    void SizeToString();

    std::string mLabel;
    Color mBackground;
    bool mSizeToString;
};

}  // namespace quendaris
