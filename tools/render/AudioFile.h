#pragma once

#include "AudioBuffer.h"

#include <optional>
#include <stdexcept>
#include <string>

namespace quendaris::render {

// Reading or writing an audio file failed; the message names the file and the reason.
class AudioFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Container and sample format in libsndfile's encoding (major | subtype | endianness).
struct AudioFileFormat {
    int code = 0;
};

AudioFileFormat FloatWavFormat();

// True for floating-point samples, which keep values beyond full scale as they are; every other
// format clips them to full scale.
bool HoldsOverFullScale(AudioFileFormat format);

// 32-bit float in the container of `format` when that container can hold it for this many
// channels at this rate, otherwise 32-bit float WAV.
AudioFileFormat FloatFormatLike(AudioFileFormat format, int channels, int sampleRate);

struct LoadedAudio {
    AudioBuffer audio;
    AudioFileFormat format;
};

LoadedAudio ReadAudioFile(const std::string& path);

// Writes the whole buffer to a temporary file beside `path` and renames it into place, so a
// failure (full disk, unwritable folder, unsupported format) never leaves a partial file behind.
void WriteAudioFileAtomically(const std::string& path, const AudioBuffer& audio,
                              AudioFileFormat format);

// Fails early, before any rendering, when no file can be created in the output's folder.
void CheckOutputWritable(const std::string& path);

std::string FormatDescription(AudioFileFormat format);

// A warning when the output's name promises another container than the one written
// ("out.flac" while writing WAV); nothing when they agree or the extension is unknown.
std::optional<std::string> ExtensionMismatch(const std::string& path, AudioFileFormat format);

}  // namespace quendaris::render
