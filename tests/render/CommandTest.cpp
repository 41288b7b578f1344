#include "AudioFile.h"
#include "RenderApp.h"
#include "TempFolder.h"
#include "TestSignals.h"

#include <sndfile.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace quendaris::render {
namespace {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

Outcome RunCommand(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    AppEnvironment environment;
    environment.builtBundlePath = QUENDARIS_BUILT_BUNDLE;
    const int code = RunRender(arguments, out, err, environment);
    return {code, out.str(), err.str()};
}

class Command : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteAudioFileAtomically(Input(), testing::BusySignal(2, 24000, 48000.0),
                                 {SF_FORMAT_FLAC | SF_FORMAT_PCM_16});
    }
    std::string Input() const { return folder.File("in.flac"); }
    std::string Output() const { return folder.File("out.flac"); }
    bool OutputExists() const { return std::filesystem::exists(Output()); }

    testing::TempFolder folder;
};

TEST_F(Command, RendersAFileInItsOwnFormatAndReports) {
    const auto outcome =
        RunCommand({Input(), "-o", Output(), "--set", "Cutoff=800", "--set", "Model=P-Filter",
                    "--set", "Poles=4-Pole", "--set", "Resonance=70"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    const auto written = ReadAudioFile(Output());
    EXPECT_EQ(written.format.code & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK),
              SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(written.audio.FrameCount(), 24000u);
    EXPECT_EQ(written.audio.ChannelCount(), 2);
    for (const char* expected : {"input  ch 1", "output ch 2", "dBFS", "24000 frames", "real time",
                                 "Model = P-Filter", "Cutoff = 800 Hz"}) {
        EXPECT_NE(outcome.err.find(expected), std::string::npos) << expected << "\n" << outcome.err;
    }
    EXPECT_NE(outcome.out.find("wrote " + Output()), std::string::npos) << outcome.out;
    EXPECT_EQ(folder.EntryCount(), 2u);  // no temporary file left behind
}

TEST_F(Command, TailLengthensTheOutput) {
    const auto outcome = RunCommand({Input(), "-o", Output(), "--tail", "0.25"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(ReadAudioFile(Output()).audio.FrameCount(), 24000u + 12000u);
}

TEST_F(Command, DemoNeedsNoInputAndIsAFloatWav) {
    const auto wav = folder.File("demo.wav");
    const auto outcome = RunCommand({"-o", wav, "--precision", "64", "--block", "300"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    const auto written = ReadAudioFile(wav);
    EXPECT_EQ(written.format.code & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK),
              SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(written.audio.FrameCount(), 384000u);
    EXPECT_NE(outcome.err.find("Cutoff ramps from 150 Hz to 5000 Hz"), std::string::npos)
        << outcome.err;
}

TEST_F(Command, DemoRateCanBeChosen) {
    const auto wav = folder.File("demo.wav");
    ASSERT_EQ(RunCommand({"-o", wav, "--rate", "44100"}).exitCode, 0);
    EXPECT_DOUBLE_EQ(ReadAudioFile(wav).audio.sampleRate, 44100.0);
}

TEST_F(Command, BadParametersExitWithTwoAndWriteNothing) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--set", "Frequency=800"}, "valid names: Bypass, Cutoff, Resonance, Model"},
        {{"--set", "Cutoff=loud"}, "expected a number from 20 to 20000 Hz"},
        {{"--set", "Model=X-Filter"}, "M-Filter, S-Filter, P-Filter, W-Filter"},
        {{"--set", "Poles=6-Pole"}, "2-Pole, 4-Pole"},
        {{"--ramp", "Cutoff=200:high"}, "expected a number"},
        {{"--ramp", "Cutoff=200:800", "--set", "Cutoff=300"}, "both set and ramped"},
        {{"--rate", "44100"}, "48000 Hz but --rate asks for 44100 Hz"},
        {{"--block", "0"}, "--block"},
    };
    for (const auto& [extra, message] : cases) {
        std::vector<std::string> arguments = {Input(), "-o", Output()};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const auto outcome = RunCommand(arguments);
        EXPECT_EQ(outcome.exitCode, 2) << extra.front();
        EXPECT_NE(outcome.err.find(message), std::string::npos) << outcome.err;
        EXPECT_FALSE(OutputExists()) << extra.front();
        EXPECT_EQ(folder.EntryCount(), 1u);
    }
}

TEST_F(Command, OutOfRangeValuesAreClampedWithANote) {
    const auto outcome = RunCommand({Input(), "-o", Output(), "--set", "Cutoff=99999"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(outcome.err.find("Cutoff=99999 is outside 20 to 20000 Hz; using 20000 Hz"),
              std::string::npos)
        << outcome.err;
}

TEST_F(Command, ThreeChannelFileIsRefusedNamingTheAcceptedLayouts) {
    const auto threeChannels = folder.File("three.wav");
    WriteAudioFileAtomically(threeChannels, testing::BusySignal(3, 4800, 48000.0),
                             FloatWavFormat());
    const auto outcome = RunCommand({threeChannels, "-o", Output()});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("does not accept 3-channel audio"), std::string::npos)
        << outcome.err;
    EXPECT_NE(outcome.err.find("mono in to mono out, stereo in to stereo out"), std::string::npos);
    EXPECT_FALSE(OutputExists());
}

TEST_F(Command, UnreadableInputAndUnwritableOutputFailCleanly) {
    auto outcome = RunCommand({folder.File("missing.wav"), "-o", Output()});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("missing.wav"), std::string::npos);

    outcome = RunCommand({Input(), "-o", Input() + "/below-a-file.flac"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("cannot write"), std::string::npos) << outcome.err;
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST_F(Command, BrokenBundleIsReported) {
    const auto bundle = folder.File("broken.vst3");
    std::filesystem::create_directories(bundle + "/Contents/x86_64-linux");
    std::ofstream(bundle + "/Contents/x86_64-linux/broken.so") << "not a library";
    const auto outcome = RunCommand({Input(), "-o", Output(), "--plugin", bundle});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.err.find("cannot load the plug-in bundle"), std::string::npos) << outcome.err;
    EXPECT_FALSE(OutputExists());
}

TEST_F(Command, ListShowsEveryParameterWithRangesAndTexts) {
    const auto outcome = RunCommand({"--list"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    for (const char* expected : {"65536", "Cutoff", "20 to 20000", "1840", "Hz", "Resonance",
                                 "M-Filter, S-Filter, P-Filter, W-Filter", "2-Pole, 4-Pole",
                                 "Off, On", "-24 to 24", "dB", "host bypass"}) {
        EXPECT_NE(outcome.out.find(expected), std::string::npos) << expected << "\n" << outcome.out;
    }
}

TEST_F(Command, TheProgramItselfExitsWithTwoOnBadValues) {
    const std::string command = std::string("'") + QUENDARIS_RENDER_EXE + "' '" + Input() +
                                "' -o '" + Output() + "' --set Cutoff=loud 2>/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_FALSE(OutputExists());
}

TEST_F(Command, TheProgramItselfRendersTheDemo) {
    const auto wav = folder.File("demo.wav");
    const std::string command =
        std::string("'") + QUENDARIS_RENDER_EXE + "' -o '" + wav + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadAudioFile(wav).audio.FrameCount(), 384000u);
}

TEST_F(Command, BypassFlagRendersTheInputUnchanged) {
    const auto wav = folder.File("float.wav");
    const auto input = testing::BusySignal(1, 6000, 48000.0);
    WriteAudioFileAtomically(wav, input, FloatWavFormat());
    const auto out = folder.File("bypassed.wav");
    ASSERT_EQ(RunCommand({wav, "-o", out, "--bypass", "--set", "Cutoff=100"}).exitCode, 0);
    EXPECT_EQ(ReadAudioFile(out).audio.channels, ReadAudioFile(wav).audio.channels);
}

// Two saws per channel peaking at -6 dBFS, as 24-bit FLAC.
std::string WriteTwoSaws(const testing::TempFolder& folder) {
    AudioBuffer audio(2, 24000, 48000.0);
    for (int c = 0; c < 2; ++c) {
        for (size_t i = 0; i < audio.FrameCount(); ++i) {
            const double t = static_cast<double>(i) / audio.sampleRate;
            const double low = 2.0 * std::fmod(110.0 * (c + 1) * t, 1.0) - 1.0;
            const double high = 2.0 * std::fmod(164.8 * (c + 1) * t, 1.0) - 1.0;
            audio.channels[c][i] = 0.25 * (low + high);
        }
    }
    const auto path = folder.File("saws.flac");
    WriteAudioFileAtomically(path, audio, {SF_FORMAT_FLAC | SF_FORMAT_PCM_24});
    return path;
}

size_t SamplesAtFullScale(const AudioBuffer& audio) {
    size_t count = 0;
    for (const auto& channel : audio.channels) {
        for (double sample : channel) {
            count += (sample >= 8388607.0 / 8388608.0 || sample <= -1.0) ? 1 : 0;
        }
    }
    return count;
}

TEST_F(Command, ClippingIntoAnIntegerFormatIsReportedWithWhatToDo) {
    const auto saws = WriteTwoSaws(folder);
    const std::vector<std::string> resonant = {"--set",        "Model=W-Filter",  "--set",
                                               "Poles=4-Pole", "--set",           "Resonance=90",
                                               "--ramp",       "Cutoff=100:6000", "--no-progress"};
    auto withArguments = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), resonant.begin(), resonant.end());
        return RunCommand(arguments);
    };

    const auto clipped = withArguments({saws, "-o", Output()});
    ASSERT_EQ(clipped.exitCode, 0) << clipped.err;
    std::smatch found;
    ASSERT_TRUE(std::regex_search(clipped.err, found,
                                  std::regex("warning: ([0-9]+) samples .* clipped.*"
                                             "Lower Output by at least ([0-9.]+) dB")))
        << clipped.err;
    const size_t reported = std::stoul(found[1].str());
    const std::string reduction = found[2].str();
    EXPECT_NE(clipped.err.find("--float -o " + folder.File("out.wav")), std::string::npos)
        << clipped.err;
    // The count is what the file lost.
    EXPECT_EQ(SamplesAtFullScale(ReadAudioFile(Output()).audio), reported);
    EXPECT_GT(reported, 100u);

    // The float output the warning offers keeps the peaks, and needs no warning.
    const auto wav = folder.File("out.wav");
    const auto kept = withArguments({saws, "--float", "-o", wav});
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.err.find("warning"), std::string::npos) << kept.err;
    EXPECT_NE(kept.err.find("written as WAV"), std::string::npos) << kept.err;
    const auto floatOutput = ReadAudioFile(wav);
    EXPECT_EQ(floatOutput.format.code & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK),
              SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    double peak = 0.0;
    size_t beyond = 0;
    for (const auto& channel : floatOutput.audio.channels) {
        for (double sample : channel) {
            peak = std::fmax(peak, std::fabs(sample));
            beyond += std::fabs(sample) > 1.0 ? 1 : 0;
        }
    }
    EXPECT_GT(peak, 1.2);
    EXPECT_NEAR(static_cast<double>(beyond), static_cast<double>(reported), 2.0);

    // Lowering Output by the amount it names is enough.
    const auto lowered = withArguments({saws, "-o", Output(), "--set", "Output=-" + reduction});
    ASSERT_EQ(lowered.exitCode, 0) << lowered.err;
    EXPECT_EQ(lowered.err.find("warning"), std::string::npos) << lowered.err;
    EXPECT_EQ(SamplesAtFullScale(ReadAudioFile(Output()).audio), 0u);
}

}  // namespace
}  // namespace quendaris::render
