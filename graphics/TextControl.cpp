#include "TextControl.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "Graphics.h"

namespace quendaris {

TextControl::TextControl(const Rect& bounds, const char* label, const TextStyle& style,
                         const Color& background, bool sizeToString)
    : Control(bounds, kNoParameter),
      mLabel(label ? label : ""),
      mBackground(background),
      mSizeToString(sizeToString) {
    mTextStyle = style;
    mMouseTransparent = true;
}

void TextControl::SetLabel(const char* label) {
    const char* text = label ? label : "";
    if (mLabel == text)
        return;
    mLabel = text;
    if (mSizeToString)
        SizeToString();
    MarkDirty(false);
}

void TextControl::SetLabelFormatted(int maxLength, const char* format, ...) {
    if (maxLength < 0 || !format)
        return;
    std::vector<char> buffer(static_cast<size_t>(maxLength) + 1);
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    SetLabel(buffer.data());
}

void TextControl::ClearLabel() {
    SetLabel("");
}

void TextControl::HandleInit() {
    if (mSizeToString)
        SizeToString();
}

void TextControl::Paint(Graphics& g) {
    g.PaintRect(mBackground, mRect, &mBlend);
    // While the window's text box edits this control it shows the text instead.
    if (!mLabel.empty() && g.GetEditedControl() != this)
        g.RenderText(mTextStyle, mLabel.c_str(), mRect, &mBlend);
}

void TextControl::SizeToString() {
    if (!mGraphics)
        return;
    Rect measured = mRect;
    mGraphics->MeasureTextExtent(mTextStyle, mLabel.c_str(), measured);
    float cx = mRect.MW();
    float cy = mRect.MH();
    mRect = Rect(0.0f, 0.0f, measured.W(), measured.H()).CentredOn(cx, cy);
    mTargetRect = mRect;
    ClearPointerOver();
    HandleBoundsChanged();
}

}  // namespace quendaris
