#include "graphics/platform/windows/FontFileInfo.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace quendaris {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (24 - 8 * i));
}
uint32_t Get32(const Bytes& b, size_t at) {
    return (uint32_t(b[at]) << 24) | (uint32_t(b[at + 1]) << 16) | (uint32_t(b[at + 2]) << 8) |
           b[at + 3];
}
uint32_t Tag(const char* t) {
    return (uint32_t(uint8_t(t[0])) << 24) | (uint32_t(uint8_t(t[1])) << 16) |
           (uint32_t(uint8_t(t[2])) << 8) | uint8_t(t[3]);
}

Bytes ReadRoboto() {
    std::ifstream file(QUENDARIS_ROBOTO_FONT, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct NameEntry {
    uint16_t platform, encoding, language, id;
    std::string text;  // ASCII; widened to UTF-16BE for Unicode platforms
};

// A font with just the tables the parser reads, laid out as a font file is.
Bytes MakeFont(uint32_t signature, uint16_t macStyle, const std::vector<NameEntry>& names,
               bool withDescriptor = false) {
    Bytes head(54, 0);
    Put16(head, 18, 1000);
    Put16(head, 44, macStyle);
    Bytes hhea(36, 0);
    Put16(hhea, 4, 800);
    Put16(hhea, 6, uint16_t(-200));
    Put16(hhea, 8, 90);
    Bytes strings;
    Bytes name(6 + 12 * names.size(), 0);
    Put16(name, 2, uint16_t(names.size()));
    Put16(name, 4, uint16_t(name.size()));
    for (size_t i = 0; i < names.size(); ++i) {
        Bytes text;
        for (char c : names[i].text) {
            if (names[i].platform != 1)
                text.push_back(0);
            text.push_back(uint8_t(c));
        }
        size_t r = 6 + 12 * i;
        Put16(name, r, names[i].platform);
        Put16(name, r + 2, names[i].encoding);
        Put16(name, r + 4, names[i].language);
        Put16(name, r + 6, names[i].id);
        Put16(name, r + 8, uint16_t(text.size()));
        Put16(name, r + 10, uint16_t(strings.size()));
        strings.insert(strings.end(), text.begin(), text.end());
    }
    name.insert(name.end(), strings.begin(), strings.end());

    std::vector<std::pair<const char*, Bytes>> tables = {
        {"head", head}, {"hhea", hhea}, {"name", name}};
    if (withDescriptor)
        tables.push_back({"fdsc", Bytes(8, 0)});
    Bytes font(12 + 16 * tables.size(), 0);
    Put32(font, 0, signature);
    Put16(font, 4, uint16_t(tables.size()));
    for (size_t i = 0; i < tables.size(); ++i) {
        size_t r = 12 + 16 * i;
        Put32(font, r, Tag(tables[i].first));
        Put32(font, r + 8, uint32_t(font.size()));
        Put32(font, r + 12, uint32_t(tables[i].second.size()));
        font.insert(font.end(), tables[i].second.begin(), tables[i].second.end());
    }
    return font;
}

Bytes WindowsFamily(const std::string& family, const std::string& style, uint16_t macStyle = 0) {
    return MakeFont(0x00010000, macStyle, {{3, 1, 0x409, 1, family}, {3, 1, 0x409, 2, style}});
}

// A collection of the given faces; table offsets in a collection count from the file start.
Bytes MakeCollection(const std::vector<Bytes>& faces, uint32_t version = 0x00010000) {
    Bytes out(12 + 4 * faces.size(), 0);
    Put32(out, 0, Tag("ttcf"));
    Put32(out, 4, version);
    Put32(out, 8, uint32_t(faces.size()));
    for (size_t f = 0; f < faces.size(); ++f) {
        uint32_t base = uint32_t(out.size());
        Put32(out, 12 + 4 * f, base);
        Bytes face = faces[f];
        uint16_t numTables = uint16_t((face[4] << 8) | face[5]);
        for (size_t i = 0; i < numTables; ++i)
            Put32(face, 12 + 16 * i + 8, Get32(face, 12 + 16 * i + 8) + base);
        out.insert(out.end(), face.begin(), face.end());
    }
    return out;
}

TEST(FontFileInfo, RobotoRegularFromItsOwnTables) {
    Bytes roboto = ReadRoboto();
    ASSERT_GT(roboto.size(), 100000u);
    EXPECT_EQ(FontFaceCount(roboto.data(), roboto.size()), 1);
    auto info = ParseFontFile(roboto.data(), roboto.size(), 0);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->family, "Roboto");
    EXPECT_EQ(info->style, "Regular");
    EXPECT_EQ(info->unitsPerEm, 2048);
    EXPECT_EQ(info->ascender, 1900);
    EXPECT_EQ(info->descender, -500);
    EXPECT_EQ(info->lineGap, 0);
    EXPECT_FALSE(info->bold || info->italic || info->underline);
    EXPECT_FALSE(info->hasFontDescriptor);
    EXPECT_FALSE(ParseFontFile(roboto.data(), roboto.size(), 1)) << "one face only";
}

TEST(FontFileInfo, EverySingleFontSignatureIsAccepted) {
    for (uint32_t signature : {0x00010000u, 0x31000000u, Tag("typ1"), Tag("OTTO")}) {
        Bytes font = MakeFont(signature, 0, {{3, 1, 0x409, 1, "Face"}});
        auto info = ParseFontFile(font.data(), font.size(), 0);
        ASSERT_TRUE(info) << std::hex << signature;
        EXPECT_EQ(info->family, "Face");
        EXPECT_EQ(info->style, "");
        EXPECT_EQ(info->unitsPerEm, 1000);
        EXPECT_EQ(info->ascender, 800);
        EXPECT_EQ(info->descender, -200);
        EXPECT_EQ(info->lineGap, 90);
    }
    for (uint32_t signature : {0u, Tag("true"), Tag("wOFF"), 0x00020000u}) {
        Bytes font = MakeFont(signature, 0, {{3, 1, 0x409, 1, "Face"}});
        EXPECT_FALSE(ParseFontFile(font.data(), font.size(), 0)) << std::hex << signature;
        EXPECT_EQ(FontFaceCount(font.data(), font.size()), 0);
    }
}

TEST(FontFileInfo, StyleBitsAndDescriptorTable) {
    struct Case {
        uint16_t macStyle;
        bool bold, italic, underline;
    } cases[] = {{1, true, false, false},
                 {2, false, true, false},
                 {4, false, false, true},
                 {7, true, true, true},
                 {8, false, false, false}};
    for (const Case& c : cases) {
        Bytes font = WindowsFamily("Face", "Any", c.macStyle);
        auto info = ParseFontFile(font.data(), font.size(), 0);
        ASSERT_TRUE(info);
        EXPECT_EQ(info->bold, c.bold) << c.macStyle;
        EXPECT_EQ(info->italic, c.italic) << c.macStyle;
        EXPECT_EQ(info->underline, c.underline) << c.macStyle;
    }
    Bytes described = MakeFont(0x00010000, 0, {{3, 1, 0x409, 1, "Face"}}, true);
    EXPECT_TRUE(ParseFontFile(described.data(), described.size(), 0)->hasFontDescriptor);
}

TEST(FontFileInfo, WindowsEnglishNamesWinOverOthers) {
    Bytes font = MakeFont(0x00010000, 0,
                          {{1, 0, 0, 1, "MacName"},
                           {0, 3, 0, 1, "UnicodeName"},
                           {3, 1, 0x407, 1, "GermanName"},
                           {3, 1, 0x409, 1, "EnglishName"},
                           {1, 0, 0, 2, "MacStyle"}});
    auto info = ParseFontFile(font.data(), font.size(), 0);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->family, "EnglishName");
    EXPECT_EQ(info->style, "MacStyle") << "the only style name there is";

    Bytes macOnly = MakeFont(0x00010000, 0, {{1, 0, 0, 1, "Mac"}});
    EXPECT_EQ(ParseFontFile(macOnly.data(), macOnly.size(), 0)->family, "Mac");
    Bytes noFamily = MakeFont(0x00010000, 0, {{3, 1, 0x409, 2, "Bold"}});
    EXPECT_FALSE(ParseFontFile(noFamily.data(), noFamily.size(), 0));
}

TEST(FontFileInfo, CollectionFacesComeFromTheHeaderOffsets) {
    Bytes regular = WindowsFamily("Family", "Regular");
    Bytes bold = WindowsFamily("Family", "Bold", 1);
    Bytes roboto = ReadRoboto();
    for (uint32_t version : {0x00010000u, 0x00020000u}) {
        Bytes ttc = MakeCollection({regular, bold, roboto}, version);
        EXPECT_EQ(FontFaceCount(ttc.data(), ttc.size()), 3);
        auto first = ParseFontFile(ttc.data(), ttc.size(), 0);
        auto second = ParseFontFile(ttc.data(), ttc.size(), 1);
        auto third = ParseFontFile(ttc.data(), ttc.size(), 2);
        ASSERT_TRUE(first && second && third);
        EXPECT_EQ(first->style, "Regular");
        EXPECT_FALSE(first->bold);
        EXPECT_EQ(second->style, "Bold");
        EXPECT_TRUE(second->bold);
        EXPECT_EQ(third->family, "Roboto");
        EXPECT_EQ(third->unitsPerEm, 2048);
        EXPECT_FALSE(ParseFontFile(ttc.data(), ttc.size(), 3));
        EXPECT_FALSE(ParseFontFile(ttc.data(), ttc.size(), -1));
    }
    Bytes future = MakeCollection({regular}, 0x00030000);
    EXPECT_FALSE(ParseFontFile(future.data(), future.size(), 0));
    EXPECT_EQ(FontFaceCount(future.data(), future.size()), 0);
}

TEST(FontFileInfo, DamagedDataIsRefusedWithoutReadingPastIt) {
    Bytes roboto = ReadRoboto();
    // Every cut through the directory and the tables the parser reads answers nothing; the
    // sanitised build checks that no read leaves the shortened buffer.
    for (size_t size = 0; size < roboto.size(); size += size < 4096 ? 1 : 4093) {
        Bytes cut(roboto.begin(), roboto.begin() + size);
        auto info = ParseFontFile(cut.data(), cut.size(), 0);
        if (info) {
            EXPECT_EQ(info->family, "Roboto") << size;
        }
    }
    EXPECT_FALSE(ParseFontFile(nullptr, 0, 0));
    EXPECT_FALSE(ParseFontFile(nullptr, 1000, 0));
    EXPECT_EQ(FontFaceCount(nullptr, 1000), 0);

    Bytes font = WindowsFamily("Face", "Regular");
    Bytes farTable = font;
    Put32(farTable, 12 + 8, 0xFFFFFFF0u);  // head's offset
    EXPECT_FALSE(ParseFontFile(farTable.data(), farTable.size(), 0));
    Bytes manyTables = font;
    Put16(manyTables, 4, 0xFFFF);
    EXPECT_FALSE(ParseFontFile(manyTables.data(), manyTables.size(), 0));
    Bytes longString = font;
    size_t nameTable = Get32(font, 12 + 2 * 16 + 8);
    Put16(longString, nameTable + 6 + 8, 0xFFFF);  // first name record's length
    EXPECT_FALSE(ParseFontFile(longString.data(), longString.size(), 0));

    Bytes hugeCollection = MakeCollection({font});
    Put32(hugeCollection, 8, 0x40000000u);
    EXPECT_EQ(FontFaceCount(hugeCollection.data(), hugeCollection.size()), 0);
    EXPECT_FALSE(ParseFontFile(hugeCollection.data(), hugeCollection.size(), 5));
    Bytes badFaceOffset = MakeCollection({font});
    Put32(badFaceOffset, 12, 0x7FFFFFF0u);
    EXPECT_FALSE(ParseFontFile(badFaceOffset.data(), badFaceOffset.size(), 0));
}

}  // namespace
}  // namespace quendaris
