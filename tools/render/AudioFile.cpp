#include "AudioFile.h"

#include <sndfile.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quendaris::render {
namespace {

constexpr size_t kChunkFrames = 4096;

std::string SystemError() {
    return std::strerror(errno);
}

// Keeps a temporary file unless Commit() renamed it into place.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& finalPath) {
        const std::filesystem::path target(finalPath);
        const auto folder = target.has_parent_path() ? target.parent_path() : ".";
        path_ = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
        descriptor_ = mkstemp(path_.data());
        if (descriptor_ < 0) {
            throw AudioFileError("cannot write in the folder \"" + folder.string() +
                                 "\": " + SystemError());
        }
        MakeReadableLikeNewFiles();
    }
    ~TemporaryFile() {
        if (descriptor_ >= 0) {
            close(descriptor_);
        }
        if (!committed_) {
            std::remove(path_.c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int Descriptor() const { return descriptor_; }

    void Commit(const std::string& finalPath) {
        const bool synced = fsync(descriptor_) == 0;
        const bool closed = close(descriptor_) == 0;
        descriptor_ = -1;
        if (!synced || !closed) {
            throw AudioFileError("cannot finish writing \"" + finalPath + "\": " + SystemError());
        }
        if (std::rename(path_.c_str(), finalPath.c_str()) != 0) {
            throw AudioFileError("cannot move the rendered file to \"" + finalPath +
                                 "\": " + SystemError());
        }
        committed_ = true;
    }

  private:
    // mkstemp creates owner-only files; a rendered file gets the usual permissions instead.
    void MakeReadableLikeNewFiles() {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(descriptor_, 0666 & ~mask);
    }

    std::string path_;
    int descriptor_ = -1;
    bool committed_ = false;
};

void ReadAllFrames(SNDFILE* file, const std::string& path, int channelCount, AudioBuffer& audio) {
    std::vector<double> interleaved(kChunkFrames * static_cast<size_t>(channelCount));
    for (;;) {
        const sf_count_t got =
            sf_readf_double(file, interleaved.data(), static_cast<sf_count_t>(kChunkFrames));
        if (got <= 0) {
            break;
        }
        for (int c = 0; c < channelCount; ++c) {
            auto& channel = audio.channels[static_cast<size_t>(c)];
            for (sf_count_t f = 0; f < got; ++f) {
                channel.push_back(interleaved[static_cast<size_t>(f * channelCount + c)]);
            }
        }
    }
    if (sf_error(file) != SF_ERR_NO_ERROR) {
        throw AudioFileError("cannot read \"" + path + "\": " + sf_strerror(file));
    }
}

void WriteAllFrames(SNDFILE* file, const std::string& path, const AudioBuffer& audio) {
    const size_t channelCount = static_cast<size_t>(audio.ChannelCount());
    std::vector<double> interleaved(kChunkFrames * channelCount);
    const size_t frames = audio.FrameCount();
    for (size_t start = 0; start < frames; start += kChunkFrames) {
        const size_t count = std::min(kChunkFrames, frames - start);
        for (size_t f = 0; f < count; ++f) {
            for (size_t c = 0; c < channelCount; ++c) {
                interleaved[f * channelCount + c] = audio.channels[c][start + f];
            }
        }
        const auto wanted = static_cast<sf_count_t>(count);
        if (sf_writef_double(file, interleaved.data(), wanted) != wanted) {
            throw AudioFileError("cannot write \"" + path + "\": " + sf_strerror(file));
        }
    }
}

std::string FormatName(int command, int format) {
    SF_FORMAT_INFO info{};
    info.format = format;
    if (sf_command(nullptr, command, &info, sizeof(info)) != 0 || info.name == nullptr) {
        return "unknown";
    }
    return info.name;
}

std::string LowerCase(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

// The container libsndfile associates with a file extension, or 0 when it knows none.
int MajorFormatForExtension(const std::string& extension) {
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof(count));
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof(info)) == 0 &&
            info.extension != nullptr && LowerCase(info.extension) == extension) {
            return info.format & SF_FORMAT_TYPEMASK;
        }
    }
    return 0;
}

}  // namespace

AudioFileFormat FloatWavFormat() {
    return {SF_FORMAT_WAV | SF_FORMAT_FLOAT};
}

bool HoldsOverFullScale(AudioFileFormat format) {
    const int subtype = format.code & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

AudioFileFormat FloatFormatLike(AudioFileFormat format, int channels, int sampleRate) {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = (format.code & SF_FORMAT_TYPEMASK) | SF_FORMAT_FLOAT;
    return sf_format_check(&info) ? AudioFileFormat{info.format} : FloatWavFormat();
}

LoadedAudio ReadAudioFile(const std::string& path) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        throw AudioFileError("cannot read \"" + path + "\": " + sf_strerror(nullptr));
    }
    LoadedAudio loaded;
    loaded.format.code = info.format;
    loaded.audio = AudioBuffer(info.channels, 0, info.samplerate);
    try {
        ReadAllFrames(file, path, info.channels, loaded.audio);
    } catch (...) {
        sf_close(file);
        throw;
    }
    sf_close(file);
    return loaded;
}

void WriteAudioFileAtomically(const std::string& path, const AudioBuffer& audio,
                              AudioFileFormat format) {
    SF_INFO info{};
    info.channels = audio.ChannelCount();
    info.samplerate = static_cast<int>(audio.sampleRate);
    info.format = format.code;
    if (!sf_format_check(&info)) {
        throw AudioFileError("cannot write \"" + path + "\": the format " +
                             FormatDescription(format) + " cannot hold " +
                             std::to_string(info.channels) + " channels at " +
                             std::to_string(info.samplerate) + " Hz");
    }
    TemporaryFile temporary(path);
    SNDFILE* file = sf_open_fd(temporary.Descriptor(), SFM_WRITE, &info, SF_FALSE);
    if (file == nullptr) {
        throw AudioFileError("cannot write \"" + path + "\": " + sf_strerror(nullptr));
    }
    // Integer formats clip overs instead of wrapping them around.
    sf_command(file, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    try {
        WriteAllFrames(file, path, audio);
    } catch (...) {
        sf_close(file);
        throw;
    }
    if (sf_close(file) != 0) {
        throw AudioFileError("cannot finish writing \"" + path + "\"");
    }
    temporary.Commit(path);
}

void CheckOutputWritable(const std::string& path) {
    if (std::filesystem::is_directory(path)) {
        throw AudioFileError("cannot write \"" + path + "\": it is a folder");
    }
    TemporaryFile probe(path);
}

std::string FormatDescription(AudioFileFormat format) {
    return FormatName(SFC_GET_FORMAT_INFO, format.code & SF_FORMAT_TYPEMASK) + ", " +
           FormatName(SFC_GET_FORMAT_INFO, format.code & SF_FORMAT_SUBMASK);
}

std::optional<std::string> ExtensionMismatch(const std::string& path, AudioFileFormat format) {
    std::string extension = LowerCase(std::filesystem::path(path).extension().string());
    if (extension.size() < 2) {
        return std::nullopt;
    }
    extension.erase(0, 1);
    // libsndfile lists AIFF as "aiff" and Ogg as "oga"; people also write "aif" and "ogg".
    if (extension == "aif") {
        extension = "aiff";
    } else if (extension == "ogg") {
        extension = "oga";
    }
    const int named = MajorFormatForExtension(extension);
    const int written = format.code & SF_FORMAT_TYPEMASK;
    if (named == 0 || named == written) {
        return std::nullopt;
    }
    return "\"" + path + "\" is written as " + FormatDescription(format) +
           ", whatever its name says";
}

}  // namespace quendaris::render
