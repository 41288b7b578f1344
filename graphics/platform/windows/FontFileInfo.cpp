#include "FontFileInfo.h"

namespace quendaris {
namespace {

constexpr uint32_t Tag(char a, char b, char c, char d) {
    return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) |
           (uint32_t(uint8_t(c)) << 8) | uint32_t(uint8_t(d));
}

constexpr uint32_t kTrueType = 0x00010000;
constexpr uint32_t kTrueTypeOne = Tag('1', '\0', '\0', '\0');
constexpr uint32_t kType1 = Tag('t', 'y', 'p', '1');
constexpr uint32_t kOpenType = Tag('O', 'T', 'T', 'O');
constexpr uint32_t kCollection = Tag('t', 't', 'c', 'f');

// Big-endian reads that refuse to leave the buffer.
class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

    bool Has(size_t offset, size_t count) const {
        return mData && offset <= mSize && count <= mSize - offset;
    }
    std::optional<uint16_t> U16(size_t offset) const {
        if (!Has(offset, 2))
            return std::nullopt;
        return uint16_t((mData[offset] << 8) | mData[offset + 1]);
    }
    std::optional<int16_t> S16(size_t offset) const {
        auto value = U16(offset);
        if (!value)
            return std::nullopt;
        return int16_t(*value);
    }
    std::optional<uint32_t> U32(size_t offset) const {
        if (!Has(offset, 4))
            return std::nullopt;
        return (uint32_t(mData[offset]) << 24) | (uint32_t(mData[offset + 1]) << 16) |
               (uint32_t(mData[offset + 2]) << 8) | uint32_t(mData[offset + 3]);
    }
    const uint8_t* At(size_t offset) const { return mData + offset; }

  private:
    const uint8_t* mData;
    size_t mSize;
};

struct Table {
    size_t offset = 0;
    size_t length = 0;
};

bool IsSingleFontSignature(uint32_t signature) {
    return signature == kTrueType || signature == kTrueTypeOne || signature == kType1 ||
           signature == kOpenType;
}

// Offset of the face's table directory, or nothing for a bad signature or face index.
std::optional<size_t> FaceOffset(const Reader& in, int faceIndex) {
    auto signature = in.U32(0);
    if (!signature || faceIndex < 0)
        return std::nullopt;
    if (IsSingleFontSignature(*signature))
        return faceIndex == 0 ? std::optional<size_t>(0) : std::nullopt;
    if (*signature != kCollection)
        return std::nullopt;
    auto version = in.U32(4);
    auto count = in.U32(8);
    if (!version || !count || (*version != 0x00010000 && *version != 0x00020000))
        return std::nullopt;
    if (uint32_t(faceIndex) >= *count)
        return std::nullopt;
    auto offset = in.U32(12 + 4 * size_t(faceIndex));
    if (!offset)
        return std::nullopt;
    return size_t(*offset);
}

std::optional<Table> FindTable(const Reader& in, size_t face, uint32_t tag) {
    auto numTables = in.U16(face + 4);
    // A directory longer than the data is damaged even where its first records look sound.
    if (!numTables || !in.Has(face + 12, 16 * size_t(*numTables)))
        return std::nullopt;
    for (size_t i = 0; i < *numTables; ++i) {
        size_t record = face + 12 + 16 * i;
        auto recordTag = in.U32(record);
        auto offset = in.U32(record + 8);
        auto length = in.U32(record + 12);
        if (!recordTag || !offset || !length)
            return std::nullopt;
        if (*recordTag != tag)
            continue;
        if (!in.Has(*offset, *length))
            return std::nullopt;
        return Table{*offset, *length};
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// UTF-16 big-endian as the name table stores it; broken surrogates become U+FFFD.
std::string Utf16BeToUtf8(const uint8_t* bytes, size_t length) {
    std::string out;
    size_t units = length / 2;
    for (size_t i = 0; i < units; ++i) {
        uint32_t unit = (uint32_t(bytes[2 * i]) << 8) | bytes[2 * i + 1];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
            uint32_t low = (uint32_t(bytes[2 * i + 2]) << 8) | bytes[2 * i + 3];
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit < 0xE000 ? 0xFFFD : unit);
    }
    return out;
}

// Single-byte Macintosh names: ASCII kept, anything above it replaced.
std::string MacRomanToUtf8(const uint8_t* bytes, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i)
        AppendUtf8(out, bytes[i] < 0x80 ? bytes[i] : 0xFFFD);
    return out;
}

// Lower is better: Windows Unicode in US English, other Windows Unicode, Unicode, Macintosh.
int NameRank(uint16_t platform, uint16_t encoding, uint16_t language) {
    if (platform == 3 && (encoding == 1 || encoding == 10))
        return language == 0x409 ? 0 : 1;
    if (platform == 0)
        return 2;
    if (platform == 1 && encoding == 0)
        return 3;
    return -1;
}

std::optional<std::string> ReadName(const Reader& in, const Table& name, uint16_t nameId) {
    auto count = in.U16(name.offset + 2);
    auto stringOffset = in.U16(name.offset + 4);
    if (!count || !stringOffset)
        return std::nullopt;
    int bestRank = -1;
    std::string best;
    for (size_t i = 0; i < *count; ++i) {
        size_t record = name.offset + 6 + 12 * i;
        if (record + 12 > name.offset + name.length)
            return std::nullopt;
        auto platform = in.U16(record);
        auto encoding = in.U16(record + 2);
        auto language = in.U16(record + 4);
        auto id = in.U16(record + 6);
        auto length = in.U16(record + 8);
        auto offset = in.U16(record + 10);
        if (!platform || !encoding || !language || !id || !length || !offset)
            return std::nullopt;
        int rank = NameRank(*platform, *encoding, *language);
        if (*id != nameId || rank < 0 || (bestRank >= 0 && rank >= bestRank))
            continue;
        size_t start = name.offset + *stringOffset + *offset;
        if (!in.Has(start, *length) || start + *length > name.offset + name.length)
            return std::nullopt;
        best = *platform == 1 ? MacRomanToUtf8(in.At(start), *length)
                              : Utf16BeToUtf8(in.At(start), *length);
        bestRank = rank;
    }
    if (bestRank < 0)
        return std::nullopt;
    return best;
}

}  // namespace

int FontFaceCount(const uint8_t* data, size_t size) {
    Reader in(data, size);
    auto signature = in.U32(0);
    if (!signature)
        return 0;
    if (IsSingleFontSignature(*signature))
        return 1;
    if (*signature != kCollection)
        return 0;
    auto version = in.U32(4);
    auto count = in.U32(8);
    if (!version || !count || (*version != 0x00010000 && *version != 0x00020000))
        return 0;
    if (!in.Has(12, 4 * size_t(*count)) || *count > 0x7FFFFFFF)
        return 0;
    return int(*count);
}

std::optional<FontFileInfo> ParseFontFile(const uint8_t* data, size_t size, int faceIndex) {
    Reader in(data, size);
    auto face = FaceOffset(in, faceIndex);
    if (!face)
        return std::nullopt;
    auto head = FindTable(in, *face, Tag('h', 'e', 'a', 'd'));
    auto name = FindTable(in, *face, Tag('n', 'a', 'm', 'e'));
    auto hhea = FindTable(in, *face, Tag('h', 'h', 'e', 'a'));
    if (!head || !name || !hhea || head->length < 54 || hhea->length < 10)
        return std::nullopt;

    FontFileInfo info;
    info.unitsPerEm = *in.U16(head->offset + 18);
    uint16_t macStyle = *in.U16(head->offset + 44);
    info.bold = macStyle & 1;
    info.italic = macStyle & 2;
    info.underline = macStyle & 4;
    info.ascender = *in.S16(hhea->offset + 4);
    info.descender = *in.S16(hhea->offset + 6);
    info.lineGap = *in.S16(hhea->offset + 8);
    auto family = ReadName(in, *name, 1);
    if (!family || family->empty())
        return std::nullopt;
    info.family = *family;
    info.style = ReadName(in, *name, 2).value_or(std::string());
    info.hasFontDescriptor = FindTable(in, *face, Tag('f', 'd', 's', 'c')).has_value();
    return info;
}

}  // namespace quendaris
