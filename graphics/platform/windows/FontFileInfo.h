#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace quendaris {

// What the window layer needs to know about a font file before it asks the system for a font
// of the same family: names, style bits and vertical metrics of one face.
struct FontFileInfo {
    std::string family;  // name id 1, UTF-8
    std::string style;   // name id 2, UTF-8
    uint16_t unitsPerEm = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int16_t ascender = 0;
    int16_t descender = 0;
    int16_t lineGap = 0;
    bool hasFontDescriptor = false;  // an "fdsc" table is present
};

// Number of faces in a font file or collection; 0 when the data is not a font.
int FontFaceCount(const uint8_t* data, size_t size);

// Reads face faceIndex of a TrueType/OpenType font or font collection. Answers nothing for
// anything malformed: unknown signature, a face index out of range, a missing "head", "name"
// or "hhea" table, or a table or string that reaches past the end of the data.
std::optional<FontFileInfo> ParseFontFile(const uint8_t* data, size_t size, int faceIndex);

}  // namespace quendaris
