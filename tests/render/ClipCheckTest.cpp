#include "ClipCheck.h"
#include "TempFolder.h"

#include <sndfile.h>

#include <gtest/gtest.h>

namespace quendaris::render {
namespace {

AudioBuffer TwoChannels(std::vector<double> left, std::vector<double> right) {
    AudioBuffer audio(2, left.size(), 48000.0);
    audio.channels = {std::move(left), std::move(right)};
    return audio;
}

constexpr AudioFileFormat kFlac24{SF_FORMAT_FLAC | SF_FORMAT_PCM_24};

TEST(ClipCheck, CountsOnlySamplesBeyondFullScale) {
    const auto audio = TwoChannels({1.0, -1.0, 1.0000001, -1.5, 0.3, 2.0}, {-1.01, 0.0, 0.0});
    EXPECT_EQ(CountOverFullScale(audio), (std::vector<size_t>{3, 1}));
}

TEST(ClipCheck, WarningSaysHowManyByHowMuchAndWhatToDo) {
    // Peak 2.0 is +6.02 dBFS: Output must come down by 6.1 dB in its 0.1 dB steps.
    const auto audio = TwoChannels({2.0, 0.5, -1.2}, {1.1, 0.0, 0.0});
    const auto warning = ClippingWarning(audio, kFlac24, "renders/out.flac");
    ASSERT_TRUE(warning.has_value());
    for (const char* expected :
         {"3 samples (ch 1: 2, ch 2: 1)", "clipped", "FLAC", "24 bit",
          "Lower Output by at least 6.1 dB", "32-bit float", "--float -o renders/out.wav"}) {
        EXPECT_NE(warning->find(expected), std::string::npos) << expected << "\n" << *warning;
    }
}

TEST(ClipCheck, NoWarningWhenEverythingFitsOrTheFormatIsFloat) {
    EXPECT_FALSE(ClippingWarning(TwoChannels({1.0, -1.0}, {0.5, 0.0}), kFlac24, "o.flac"));
    const auto loud = TwoChannels({3.0, -4.0}, {0.5, 0.0});
    EXPECT_FALSE(ClippingWarning(loud, FloatWavFormat(), "o.wav"));
    EXPECT_FALSE(ClippingWarning(loud, {SF_FORMAT_AIFF | SF_FORMAT_DOUBLE}, "o.aiff"));
    EXPECT_TRUE(ClippingWarning(loud, {SF_FORMAT_WAV | SF_FORMAT_PCM_16}, "o.wav"));
}

// The count is what the file really lost: every counted sample, and no other, lies at full
// scale once written as 24-bit FLAC and read back.
TEST(ClipCheck, CountMatchesTheSamplesAFileHoldsAtFullScale) {
    AudioBuffer audio(2, 5000, 48000.0);
    uint32_t state = 99u;
    for (auto& channel : audio.channels) {
        for (double& sample : channel) {
            state = state * 1664525u + 1013904223u;
            const double u = static_cast<double>(state >> 8) / 16777216.0;  // 0 … 1
            // Magnitudes up to 0.98 or from 1.02 on, never ambiguously close to full scale.
            const double magnitude = u < 0.8 ? u * 1.225 : 1.02 + (u - 0.8) * 5.0;
            sample = (state & 1u) ? magnitude : -magnitude;
        }
    }
    testing::TempFolder folder;
    WriteAudioFileAtomically(folder.File("c.flac"), audio, kFlac24);
    const auto loaded = ReadAudioFile(folder.File("c.flac"));
    const double highest = 8388607.0 / 8388608.0;
    std::vector<size_t> atFullScale;
    for (const auto& channel : loaded.audio.channels) {
        size_t count = 0;
        for (double sample : channel) {
            count += (sample >= highest || sample <= -1.0) ? 1 : 0;
        }
        atFullScale.push_back(count);
    }
    const auto counted = CountOverFullScale(audio);
    EXPECT_GT(counted[0], 500u);
    EXPECT_EQ(counted, atFullScale);
}

TEST(ClipCheck, FloatOutputKeepsTheContainerWhenItCanHoldFloat) {
    EXPECT_EQ(FloatFormatLike(kFlac24, 2, 48000).code, FloatWavFormat().code);
    EXPECT_EQ(FloatFormatLike({SF_FORMAT_AIFF | SF_FORMAT_PCM_16}, 2, 44100).code,
              SF_FORMAT_AIFF | SF_FORMAT_FLOAT);
    EXPECT_EQ(FloatFormatLike({SF_FORMAT_WAV | SF_FORMAT_PCM_16}, 1, 96000).code,
              SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_TRUE(HoldsOverFullScale(FloatFormatLike(kFlac24, 2, 48000)));
    EXPECT_FALSE(HoldsOverFullScale(kFlac24));
}

}  // namespace
}  // namespace quendaris::render
