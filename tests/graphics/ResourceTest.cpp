#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "RecordingGraphics.h"
#include "TestDelegate.h"
#include "graphics/FontDataCache.h"
#include "graphics/Resources.h"

namespace quendaris {
namespace testing {
namespace {

const unsigned char* Bytes(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}

// Pixel sizes as the fake backend decodes them: "W H" padded past the 7-byte minimum.
const char k10[] = "10 10   ";
const char k20[] = "20 20   ";
const char k30[] = "30 30   ";
const char k40[] = "40 40   ";

EmbeddedResource Png(const char* stored, const char* pixels) {
    return {stored, "PNG", Bytes(pixels), sizeof(k10) - 1};
}

std::string TempPath(const char* name) {
    return ::testing::TempDir() + name;
}

void WriteFile(const std::string& path, const char* text) {
    std::ofstream(path, std::ios::binary) << text;
}

TEST(ResourceLookup, WrappedNamesMatchIgnoringCaseAfterStrippingOneCharacterEachSide) {
    EXPECT_TRUE(WrappedNameMatches("XBACK.PNGX", "back.png"));
    EXPECT_TRUE(WrappedNameMatches("XROBOTO-REGULAR.TTFX", "Roboto-Regular.ttf"));
    EXPECT_FALSE(WrappedNameMatches("BACK.PNG", "back.png"));
    EXPECT_FALSE(WrappedNameMatches("XBACK.PNGX", "back.pn"));
    EXPECT_FALSE(WrappedNameMatches("X", ""));
    EXPECT_FALSE(WrappedNameMatches(nullptr, "a"));
}

TEST(ResourceLookup, ModuleResourcesNeedTheTypeAndMoreThanSevenBytes) {
    EmbeddedResource entries[] = {
        {"XBACK.PNGX", "PNG", Bytes("12345678"), 8},
        {"XTINY.PNGX", "PNG", Bytes("1234567"), 7},
    };
    ResourceTable table{entries, 2};
    ResourceLocation found = LocateResource(&table, nullptr, "back.png", "png");
    EXPECT_EQ(found.kind, ResourceLocation::kModule);
    EXPECT_EQ(found.size, 8u);
    EXPECT_EQ(found.data, entries[0].data);
    EXPECT_FALSE(LocateResource(&table, nullptr, "back.png", "ttf").Found());
    EXPECT_FALSE(LocateResource(&table, nullptr, "tiny.png", "png").Found());
    EXPECT_FALSE(LocateResource(&table, nullptr, "", "png").Found());
}

// Folder of this test program, with a trailing separator.
std::string ProgramFolder() {
#if defined(_WIN32)
    char self[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string exe(self, n);
    return exe.substr(0, exe.find_last_of("\\/") + 1);
#else
    char self[4096] = {};
    ssize_t n = readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string exe(self, n > 0 ? static_cast<size_t>(n) : 0);
    return exe.substr(0, exe.find_last_of('/') + 1);
#endif
}

TEST(ResourceLookup, FilesAreFoundByAbsolutePathButNeverInTheWorkingDirectory) {
    namespace fs = std::filesystem;
    std::string path = TempPath("quendaris-rel.png");
    WriteFile(path, k10);
    fs::path cwd = fs::current_path();
    fs::current_path(::testing::TempDir());
    ResourceLocation relative = LocateResource(nullptr, nullptr, "quendaris-rel.png", "png");
    ResourceLocation absolute = LocateResource(nullptr, nullptr, path.c_str(), "png");
    fs::current_path(cwd);
    std::remove(path.c_str());
    EXPECT_FALSE(relative.Found());
    EXPECT_EQ(absolute.kind, ResourceLocation::kFile);
    EXPECT_EQ(absolute.path, path);
}

TEST(ResourceLookup, RelativeNamesAreFoundBesideTheModule) {
    std::string path = ProgramFolder() + "quendaris-beside.png";
    WriteFile(path, k10);
    ResourceLocation found = LocateResource(nullptr, nullptr, "quendaris-beside.png", "png");
    std::remove(path.c_str());
    EXPECT_EQ(found.kind, ResourceLocation::kFile);
    EXPECT_EQ(found.path, path);
}

TEST(ResourceLookup, TheModuleCarriesTheEditorFont) {
    const ResourceTable& table = ModuleResourceTable();
    ResourceLocation font = LocateResource(&table, nullptr, "Roboto-Regular.ttf", "ttf");
    ASSERT_EQ(font.kind, ResourceLocation::kModule);
    EXPECT_GT(font.size, 100000u);
    const unsigned char* bytes = static_cast<const unsigned char*>(font.data);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(bytes[1], 0x01) << "a TrueType signature";
}

#if defined(_WIN32)
TEST(ResourceLookup, TheResourceSectionIsSearchedByWrappedName) {
    ResourceLocation png = LocateResource(nullptr, nullptr, "Section.png", "png");
    ASSERT_EQ(png.kind, ResourceLocation::kModule);
    EXPECT_EQ(std::string(static_cast<const char*>(png.data), png.size), "12 34   ");
    EXPECT_FALSE(LocateResource(nullptr, nullptr, "section.png", "ttf").Found());
    EXPECT_FALSE(LocateResource(nullptr, nullptr, "tiny.png", "png").Found())
        << "seven bytes count as missing";
    TestDelegate delegate;
    RecordingGraphics g(delegate);
    BitmapRef b = g.LoadImageResource("section.png", 1, false, 1);
    ASSERT_TRUE(b.IsValid());
    EXPECT_EQ(b.W(), 12);
    EXPECT_EQ(b.H(), 34);
    EXPECT_EQ(g.decoded, std::vector<std::string>({"memory"}));
}
#endif

// ---- bitmaps ----

class ImageTest : public ::testing::Test {
  protected:
    TestDelegate delegate;
    RecordingGraphics g{delegate};

    BitmapRef Load(std::initializer_list<EmbeddedResource> resources, int target) {
        entries.assign(resources);
        table = ResourceTable{entries.data(), entries.size()};
        g.SetResourceTable(&table);
        g.ClearBitmapCache();
        return g.LoadImageResource("back.png", 1, false, target);
    }
    // Scale of the variant a load found.
    static int FoundScale(const BitmapRef& b) { return b.bitmap->Scale(); }

    std::vector<EmbeddedResource> entries;
    ResourceTable table{nullptr, 0};
};

TEST_F(ImageTest, ScaleTwoTriesTwoThenThreeThenOne) {
    BitmapRef only1 = Load({Png("XBACK.PNGX", k10)}, 2);
    ASSERT_TRUE(only1.IsValid());
    EXPECT_EQ(FoundScale(only1), 1);
    EXPECT_EQ(only1.W(), 10) << "a 1x bitmap's logical size is its pixel size";
    EXPECT_EQ(only1.H(), 10);

    BitmapRef with3 = Load({Png("XBACK.PNGX", k10), Png("XBACK@3X.PNGX", k30)}, 2);
    EXPECT_EQ(FoundScale(with3), 3);
    EXPECT_EQ(with3.W(), 10);

    BitmapRef all =
        Load({Png("XBACK.PNGX", k10), Png("XBACK@3X.PNGX", k30), Png("XBACK@2X.PNGX", k20)}, 2);
    EXPECT_EQ(FoundScale(all), 2);
    EXPECT_EQ(all.W(), 10);
}

TEST_F(ImageTest, OtherTargetsSearchInTheirOwnOrder) {
    EXPECT_EQ(FoundScale(Load({Png("XBACK@2X.PNGX", k20), Png("XBACK@3X.PNGX", k30)}, 1)), 3);
    EXPECT_EQ(FoundScale(Load({Png("XBACK.PNGX", k10), Png("XBACK@2X.PNGX", k20)}, 1)), 1);
    EXPECT_EQ(FoundScale(Load({Png("XBACK.PNGX", k10), Png("XBACK@2X.PNGX", k20)}, 3)), 2);
    EXPECT_EQ(FoundScale(Load({Png("XBACK.PNGX", k10), Png("XBACK@3X.PNGX", k30)}, 5)), 3);
    EXPECT_EQ(FoundScale(Load({Png("XBACK@4X.PNGX", k40), Png("XBACK@3X.PNGX", k30)}, 5)), 4);
}

TEST_F(ImageTest, AutomaticScaleIsTheScreenScaleRoundedUp) {
    g.SetScreenScale(1.25f);
    BitmapRef b = Load({Png("XBACK.PNGX", k10), Png("XBACK@2X.PNGX", k20)}, 0);
    EXPECT_EQ(FoundScale(b), 2);
}

TEST_F(ImageTest, UnsupportedOrMissingImagesGiveAnEmptyBitmap) {
    Load({Png("XBACK.PNGX", k10)}, 1);
    EXPECT_FALSE(g.LoadImageResource("back.bmp", 1, false, 1).IsValid());
    EXPECT_FALSE(g.LoadImageResource("noext", 1, false, 1).IsValid());
    BitmapRef missing = g.LoadImageResource("missing.png", 1, false, 1);
    EXPECT_FALSE(missing.IsValid());
    EXPECT_EQ(missing.W(), 0);
    EXPECT_FALSE(g.LoadImageResource(nullptr, 1, false, 1).IsValid());
}

TEST_F(ImageTest, FramesAndOrientationAreTakenAsAsked) {
    Load({Png("XBACK.PNGX", k30)}, 1);
    BitmapRef b = g.LoadImageResource("back.png", 3, true, 1);
    EXPECT_EQ(b.N(), 3);
    EXPECT_TRUE(b.framesHorizontal);
    EXPECT_EQ(b.FrameW(), 10);
    EXPECT_EQ(b.FrameH(), 30);
    EXPECT_EQ(b.resourceName, "back.png");
}

TEST_F(ImageTest, EachVariantIsDecodedOncePerInstance) {
    Load({Png("XBACK.PNGX", k10)}, 1);
    g.LoadImageResource("back.png", 1, false, 1);
    g.LoadImageResource("back.png", 1, false, 2);
    EXPECT_EQ(g.decoded.size(), 1u);
    RecordingGraphics other(delegate);
    other.SetResourceTable(&table);
    other.LoadImageResource("back.png", 1, false, 1);
    EXPECT_EQ(other.decoded.size(), 1u) << "bitmaps belong to one drawing context";
    g.ClearBitmapCache();
    g.LoadImageResource("back.png", 1, false, 1);
    EXPECT_EQ(g.decoded.size(), 2u);
}

TEST_F(ImageTest, FilesAreDecodedByTheBackendFromTheirPath) {
    std::string path = TempPath("quendaris-file.png");
    WriteFile(path, k20);
    BitmapRef b = g.LoadImageResource(path.c_str(), 1, false, 1);
    std::remove(path.c_str());
    ASSERT_TRUE(b.IsValid());
    EXPECT_EQ(b.W(), 20);
    EXPECT_EQ(g.decoded.back(), path);
}

// ---- fonts ----

TEST(FontLoading, TheModuleFontRegistersUnderItsId) {
    TestDelegate delegate;
    RecordingGraphics g(delegate);
    EXPECT_TRUE(g.LoadFontResource("Roboto-Regular", "Roboto-Regular.ttf"));
    EXPECT_TRUE(g.fonts.count("Roboto-Regular"));
    EXPECT_FALSE(g.LoadFontResource("Other", "NoSuch.ttf"));
    EXPECT_FALSE(g.LoadFontFromMemory("Empty", nullptr, 0));
}

TEST(FontLoading, APlatformFailureFailsTheLoad) {
    struct NoPlatformFonts : RecordingGraphics {
        using RecordingGraphics::RecordingGraphics;
        bool LoadPlatformFont(const char*, const void*, int) override { return false; }
    };
    TestDelegate delegate;
    NoPlatformFonts g(delegate);
    const char data[] = "0123456789";
    EXPECT_FALSE(g.LoadFontFromMemory("F", data, sizeof(data)));
    EXPECT_TRUE(g.fonts.empty());
}

TEST(FontLoading, FontBytesAreSharedWhileAnyInstanceLives) {
    const char data[] = "font bytes";
    {
        TestDelegate delegate;
        RecordingGraphics a(delegate);
        {
            RecordingGraphics b(delegate);
            EXPECT_EQ(RecordingGraphics::LiveInstances(), 2);
            EXPECT_TRUE(b.LoadFontFromMemory("Shared", data, sizeof(data)));
        }
        const FontDataCache::Bytes* kept = FontDataCache::Instance().Find("Shared");
        ASSERT_NE(kept, nullptr);
        EXPECT_EQ(kept->size(), sizeof(data));
        EXPECT_TRUE(a.LoadFontFromMemory("Shared", "other!!!", 8));
        EXPECT_EQ(FontDataCache::Instance().Find("Shared")->size(), sizeof(data))
            << "the first bytes under an id stay";
    }
    EXPECT_EQ(RecordingGraphics::LiveInstances(), 0);
    EXPECT_EQ(FontDataCache::Instance().Find("Shared"), nullptr);
    EXPECT_EQ(FontDataCache::Key("Roboto-Regular"), "Roboto-Regular-1.0x");
}

}  // namespace
}  // namespace testing
}  // namespace quendaris
