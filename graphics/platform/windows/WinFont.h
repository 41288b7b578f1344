#pragma once

#include <windows.h>

#include <string>

namespace quendaris {

// A system font made from a font file's description, with the style name the file gave it
// (empty for fonts loaded from memory, which match any face).
class WinFont {
  public:
    WinFont(const LOGFONTW& description, std::string style);
    ~WinFont();
    WinFont(const WinFont&) = delete;
    WinFont& operator=(const WinFont&) = delete;

    bool Valid() const { return mFont != nullptr; }
    HFONT Font() const { return mFont; }
    const LOGFONTW& Description() const { return mDescription; }
    const std::string& Style() const { return mStyle; }
    // A font of the same description at another height, owned by the caller.
    HFONT CreateWithHeight(int height) const;

  private:
    LOGFONTW mDescription;
    std::string mStyle;
    HFONT mFont;
};

// Registers font bytes privately with the system and keeps the registration and a WinFont in
// process-wide tables under fontId. False (with nothing registered) for bytes that are not a
// font or a font the system does not take.
bool RegisterPrivateFont(const char* fontId, const void* data, int size);
// Height-adjusted copy of the font cached under fontId for text boxes; the default GUI font's
// description when there is none. Owned by the caller.
HFONT CreateTextBoxFont(const char* fontId, int height);
// Number of fonts in the tables.
int PrivateFontCount();
// Forgets every registration (when the last editor of the process goes).
void ClearPrivateFonts();

}  // namespace quendaris
