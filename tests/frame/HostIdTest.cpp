#include <string>

#include <gtest/gtest.h>

#include "FilterParams.h"
#include "HostId.h"
#include "PluginApiBase.h"

namespace quendaris {
namespace {

TEST(HostIdTest, EveryKnownNameInTableOrder) {
    const std::pair<const char*, int> table[] = {
        {"reaper", 1},         {"protools", 2},
        {"cubase", 3},         {"nuendo", 4},
        {"cakewalk", 5},       {"vegas", 6},
        {"fruity", 7},         {"samplitude", 8},
        {"live", 9},           {"tracktion", 10},
        {"ntracks", 11},       {"melodyne", 12},
        {"vstmanlib", 13},     {"aulab", 14},
        {"forte", 15},         {"chainer", 16},
        {"audition", 17},      {"orion", 18},
        {"bias", 19},          {"sawstudio", 20},
        {"logic", 21},         {"garageband", 22},
        {"digital", 23},       {"audiomulch", 25},
        {"presonus", 26},      {"vst3plugintesthost", 27},
        {"ardour", 28},        {"renoise", 29},
        {"openmpt", 30},       {"wavelab elements", 32},
        {"wavelab", 31},       {"twistedwave", 33},
        {"bitwig studio", 34}, {"reason", 36},
        {"gwvst", 37},         {"waveform", 38},
        {"audacity", 39},      {"acoustica", 40},
        {"plugindoctor", 41},  {"izotope rx", 42},
        {"savihost", 43},      {"blue cat's vst host", 44},
        {"mixbus", 45},        {"standalone", 24},
        {"www", 35},
    };
    for (const auto& entry : table) {
        EXPECT_EQ(ComputeHostId(entry.first), entry.second) << entry.first;
    }
}

TEST(HostIdTest, ComparedInLowerCase) {
    EXPECT_EQ(ComputeHostId("REAPER"), kHostReaper);
    EXPECT_EQ(ComputeHostId("Bitwig Studio"), kHostBitwig);
    EXPECT_EQ(ComputeHostId("Steinberg WaveLab Elements 12"), kHostWaveLabElements);
    EXPECT_EQ(ComputeHostId("WaveLab Pro"), kHostWaveLab);
}

TEST(HostIdTest, FirstTextInOrderWins) {
    EXPECT_EQ(ComputeHostId("reaper live"), kHostReaper);
    EXPECT_EQ(ComputeHostId("Ableton Live 11"), kHostAbletonLive);
    // "standalone" is tested late, so a name that also contains an earlier text takes that.
    EXPECT_EQ(ComputeHostId("my standalone app"), kHostStandalone);
    EXPECT_EQ(ComputeHostId("logic standalone"), kHostLogic);
    EXPECT_EQ(ComputeHostId("Bitwig"), kHostUnknown);
}

TEST(HostIdTest, EmptyAndUnknownNames) {
    EXPECT_EQ(ComputeHostId(""), kHostUnknown);
    EXPECT_EQ(ComputeHostId("Some Other Host"), kHostUnknown);
}

TEST(HostIdTest, OnlyTheFirst255CharactersCount) {
    EXPECT_EQ(ComputeHostId(std::string(254, 'x') + "reaper"), kHostUnknown);
    EXPECT_EQ(ComputeHostId(std::string(249, 'x') + "reaper"), kHostReaper);
}

class HostLogPlugin : public PluginApiBase {
  public:
    HostLogPlugin() : PluginApiBase(testing::FilterConfig(), kApiVst3) {}
    void LogLine(const char* line) override { lastLine = line; }
    void OnHostIdentified() override { ++identified; }
    std::string lastLine;
    int identified = 0;
};

TEST(SetHostTest, StoresNameIdAndVersion) {
    HostLogPlugin plugin;
    plugin.SetHost("Ardour", (8 << 16) | (4 << 8) | 1);
    EXPECT_EQ(plugin.GetHost(), kHostArdour);
    EXPECT_EQ(plugin.HostName(), "Ardour");
    EXPECT_EQ(plugin.HostVersion(), 0x080401);
    EXPECT_EQ(plugin.lastLine, "host_known:Ardour:v8.4.1");
    EXPECT_EQ(plugin.identified, 1);
}

TEST(SetHostTest, UnknownHostIsLoggedAsUnknown) {
    HostLogPlugin plugin;
    plugin.SetHost("Mystery", 0);
    EXPECT_EQ(plugin.GetHost(), kHostUnknown);
    EXPECT_EQ(plugin.lastLine, "host_unknown:Mystery:v0.0.0");
}

}  // namespace
}  // namespace quendaris
