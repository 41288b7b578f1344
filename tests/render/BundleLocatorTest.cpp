#include "BundleLocator.h"
#include "HostError.h"
#include "TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace quendaris::render {
namespace {

TEST(BundleLocator, TheBuiltBundleComesFirst) {
    testing::TempFolder folder;
    std::filesystem::create_directories(folder.File("build/quendaris.vst3"));
    std::filesystem::create_directories(folder.File("home/.vst3/quendaris.vst3"));
    EXPECT_EQ(
        LocateBundle({std::nullopt, folder.File("build/quendaris.vst3"), folder.File("home")}),
        folder.File("build/quendaris.vst3"));
}

TEST(BundleLocator, FallsBackToTheUsersVst3Folder) {
    testing::TempFolder folder;
    std::filesystem::create_directories(folder.File("home/.vst3/quendaris.vst3"));
    EXPECT_EQ(LocateBundle({std::nullopt, folder.File("gone/quendaris.vst3"), folder.File("home")}),
              folder.File("home") + "/.vst3/quendaris.vst3");
}

TEST(BundleLocator, ARequestedBundleMustExist) {
    testing::TempFolder folder;
    EXPECT_THROW(LocateBundle({folder.File("nope.vst3"), "", std::nullopt}), HostError);
}

TEST(BundleLocator, NothingFoundListsEveryPlaceLookedIn) {
    testing::TempFolder folder;
    try {
        LocateBundle({std::nullopt, folder.File("gone.vst3"), folder.File("home")});
        FAIL();
    } catch (const HostError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(folder.File("gone.vst3")), std::string::npos);
        EXPECT_NE(message.find("/.vst3/quendaris.vst3"), std::string::npos);
        EXPECT_NE(message.find("--plugin"), std::string::npos);
    }
}

}  // namespace
}  // namespace quendaris::render
