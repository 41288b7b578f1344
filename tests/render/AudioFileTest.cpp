#include "AudioFile.h"
#include "TempFolder.h"

#include <sndfile.h>

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

namespace quendaris::render {
namespace {

AudioBuffer Ramp(int channels, size_t frames, double rate) {
    AudioBuffer audio(channels, frames, rate);
    for (int c = 0; c < channels; ++c) {
        for (size_t i = 0; i < frames; ++i) {
            audio.channels[c][i] = (c + 1) * 0.25 * std::sin(0.01 * static_cast<double>(i));
        }
    }
    return audio;
}

TEST(AudioFile, FloatWavRoundTripsToFloatPrecision) {
    testing::TempFolder folder;
    const auto original = Ramp(2, 10000, 44100.0);
    WriteAudioFileAtomically(folder.File("a.wav"), original, FloatWavFormat());
    const auto loaded = ReadAudioFile(folder.File("a.wav"));
    EXPECT_EQ(loaded.format.code, FloatWavFormat().code);
    EXPECT_DOUBLE_EQ(loaded.audio.sampleRate, 44100.0);
    ASSERT_EQ(loaded.audio.ChannelCount(), 2);
    ASSERT_EQ(loaded.audio.FrameCount(), 10000u);
    for (int c = 0; c < 2; ++c) {
        for (size_t i = 0; i < 10000; ++i) {
            ASSERT_EQ(loaded.audio.channels[c][i],
                      static_cast<double>(static_cast<float>(original.channels[c][i])));
        }
    }
}

TEST(AudioFile, KeepsTheInputFormatForFlacAndAiff) {
    testing::TempFolder folder;
    const auto original = Ramp(1, 3000, 48000.0);
    for (const AudioFileFormat format : {AudioFileFormat{SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
                                         AudioFileFormat{SF_FORMAT_AIFF | SF_FORMAT_PCM_24}}) {
        const auto path = folder.File("f" + std::to_string(format.code));
        WriteAudioFileAtomically(path, original, format);
        const auto loaded = ReadAudioFile(path);
        EXPECT_EQ(loaded.format.code & (SF_FORMAT_TYPEMASK | SF_FORMAT_SUBMASK), format.code);
        ASSERT_EQ(loaded.audio.FrameCount(), 3000u);
        EXPECT_NEAR(loaded.audio.channels[0][1234], original.channels[0][1234], 1.0 / 32768);
    }
}

TEST(AudioFile, IntegerFormatsClipOversInsteadOfWrapping) {
    testing::TempFolder folder;
    AudioBuffer loud(1, 4, 48000.0);
    loud.channels[0] = {1.5, -1.5, 0.5, 2.0};
    WriteAudioFileAtomically(folder.File("loud.wav"), loud, {SF_FORMAT_WAV | SF_FORMAT_PCM_16});
    const auto loaded = ReadAudioFile(folder.File("loud.wav"));
    EXPECT_GT(loaded.audio.channels[0][0], 0.99);
    EXPECT_LT(loaded.audio.channels[0][1], -0.99);
    EXPECT_GT(loaded.audio.channels[0][3], 0.99);
}

TEST(AudioFile, UnreadableInputNamesTheFile) {
    testing::TempFolder folder;
    std::ofstream(folder.File("junk.wav")) << "this is not audio";
    for (const auto& path : {folder.File("junk.wav"), folder.File("missing.wav")}) {
        try {
            ReadAudioFile(path);
            FAIL() << path;
        } catch (const AudioFileError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
        }
    }
}

TEST(AudioFile, FailedWriteLeavesNothingBehindAndKeepsAnOldFile) {
    testing::TempFolder folder;
    std::ofstream(folder.File("keep.wav")) << "old";
    const AudioFileFormat impossible{SF_FORMAT_WAV | SF_FORMAT_VORBIS};
    EXPECT_THROW(
        WriteAudioFileAtomically(folder.File("keep.wav"), Ramp(1, 10, 48000.0), impossible),
        AudioFileError);
    EXPECT_EQ(folder.EntryCount(), 1u);
    std::ifstream kept(folder.File("keep.wav"));
    std::string content;
    kept >> content;
    EXPECT_EQ(content, "old");
}

TEST(AudioFile, UnwritableFolderIsReportedBeforeAnyWork) {
    testing::TempFolder folder;
    std::ofstream(folder.File("plain-file")) << "x";
    const auto inside = folder.File("plain-file") + "/out.wav";
    EXPECT_THROW(CheckOutputWritable(inside), AudioFileError);
    EXPECT_THROW(CheckOutputWritable(folder.File("no-such-folder") + "/out.wav"), AudioFileError);
    EXPECT_THROW(WriteAudioFileAtomically(inside, Ramp(1, 10, 48000.0), FloatWavFormat()),
                 AudioFileError);
    EXPECT_NO_THROW(CheckOutputWritable(folder.File("fine.wav")));
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(AudioFile, OutputIsAFolderIsRefused) {
    testing::TempFolder folder;
    EXPECT_THROW(CheckOutputWritable(folder.File("")), AudioFileError);
}

TEST(AudioFile, WarnsWhenTheNamePromisesAnotherContainer) {
    EXPECT_TRUE(ExtensionMismatch("out.flac", FloatWavFormat()).has_value());
    EXPECT_TRUE(ExtensionMismatch("out.ogg", FloatWavFormat()).has_value());
    EXPECT_TRUE(ExtensionMismatch("dir/out.aif", {SF_FORMAT_FLAC | SF_FORMAT_PCM_16}).has_value());
    EXPECT_FALSE(ExtensionMismatch("out.wav", FloatWavFormat()).has_value());
    EXPECT_FALSE(ExtensionMismatch("OUT.WAV", FloatWavFormat()).has_value());
    EXPECT_FALSE(ExtensionMismatch("out.aif", {SF_FORMAT_AIFF | SF_FORMAT_PCM_24}).has_value());
    EXPECT_FALSE(ExtensionMismatch("out.render", FloatWavFormat()).has_value());
    EXPECT_FALSE(ExtensionMismatch("out", FloatWavFormat()).has_value());
}

TEST(AudioFile, DescribesFormatsInWords) {
    const auto text = FormatDescription(FloatWavFormat());
    EXPECT_NE(text.find("WAV"), std::string::npos);
    EXPECT_NE(text.find("float"), std::string::npos);
}

}  // namespace
}  // namespace quendaris::render
