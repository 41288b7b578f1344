#include "WinFont.h"

#include <map>
#include <memory>
#include <mutex>

#include "FontFileInfo.h"
#include "TextConversion.h"

namespace quendaris {

WinFont::WinFont(const LOGFONTW& description, std::string style)
    : mDescription(description),
      mStyle(std::move(style)),
      mFont(CreateFontIndirectW(&description)) {}

WinFont::~WinFont() {
    if (mFont)
        DeleteObject(mFont);
}

HFONT WinFont::CreateWithHeight(int height) const {
    LOGFONTW description = mDescription;
    description.lfHeight = height;
    return CreateFontIndirectW(&description);
}

namespace {

struct PrivateFont {
    HANDLE registration = nullptr;
    std::unique_ptr<WinFont> font;
    ~PrivateFont() {
        font.reset();
        if (registration)
            RemoveFontMemResourceEx(registration);
    }
};

std::mutex gFontLock;
std::map<std::string, std::unique_ptr<PrivateFont>> gFonts;

LOGFONTW DescriptionOf(const FontFileInfo& info) {
    LOGFONTW description{};
    description.lfWeight = info.bold ? FW_BOLD : FW_NORMAL;
    description.lfItalic = info.italic;
    description.lfUnderline = info.underline;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfOutPrecision = OUT_TT_PRECIS;
    description.lfQuality = CLEARTYPE_QUALITY;
    std::wstring family = Utf8ToWide(info.family.c_str());
    wcsncpy(description.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    return description;
}

}  // namespace

bool RegisterPrivateFont(const char* fontId, const void* data, int size) {
    if (!fontId || !data || size <= 0)
        return false;
    auto entry = std::make_unique<PrivateFont>();
    DWORD installed = 0;
    entry->registration =
        AddFontMemResourceEx(const_cast<void*>(data), DWORD(size), nullptr, &installed);
    if (!entry->registration)
        return false;
    auto info = ParseFontFile(static_cast<const uint8_t*>(data), size_t(size), 0);
    if (!info)
        return false;
    entry->font = std::make_unique<WinFont>(DescriptionOf(*info), std::string());
    if (!entry->font->Valid())
        return false;
    std::lock_guard<std::mutex> lock(gFontLock);
    gFonts[fontId] = std::move(entry);
    return true;
}

HFONT CreateTextBoxFont(const char* fontId, int height) {
    {
        std::lock_guard<std::mutex> lock(gFontLock);
        auto found = fontId ? gFonts.find(fontId) : gFonts.end();
        if (found != gFonts.end())
            return found->second->font->CreateWithHeight(height);
    }
    LOGFONTW description{};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(description), &description);
    description.lfHeight = height;
    return CreateFontIndirectW(&description);
}

int PrivateFontCount() {
    std::lock_guard<std::mutex> lock(gFontLock);
    return int(gFonts.size());
}

void ClearPrivateFonts() {
    std::lock_guard<std::mutex> lock(gFontLock);
    gFonts.clear();
}

}  // namespace quendaris
