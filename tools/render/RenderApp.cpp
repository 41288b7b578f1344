#include "RenderApp.h"

#include "ArgumentParser.h"
#include "AudioFile.h"
#include "BundleLocator.h"
#include "ClipCheck.h"
#include "DemoSignal.h"
#include "HostError.h"
#include "ParameterListing.h"
#include "ProgressBar.h"
#include "RenderHost.h"
#include "Summary.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

namespace quendaris::render {
namespace {

constexpr const char* kProgram = "quendaris-render";

struct Source {
    LoadedAudio loaded;
    std::string description;
};

std::string Hz(double rate) {
    char text[32];
    std::snprintf(text, sizeof(text), "%g Hz", rate);
    return text;
}

Source LoadSource(const RenderOptions& options) {
    if (!options.inputPath) {
        const double rate = options.sampleRate.value_or(kDemoDefaultRate);
        return {{GenerateDemoSignal(rate), FloatWavFormat()}, "the built-in demo"};
    }
    Source source{ReadAudioFile(*options.inputPath), "\"" + *options.inputPath + "\""};
    const double fileRate = source.loaded.audio.sampleRate;
    if (options.sampleRate && *options.sampleRate != fileRate) {
        throw UsageError("\"" + *options.inputPath + "\" is at " + Hz(fileRate) +
                         " but --rate asks for " + Hz(*options.sampleRate) +
                         "; convert the file first (no resampling here) or leave out --rate");
    }
    return source;
}

const ParameterDescription& BypassParameter(const ParameterResolver& resolver) {
    for (const auto& parameter : resolver.Parameters()) {
        if (parameter.isBypass) {
            return parameter;
        }
    }
    throw ParameterError("the plug-in has no bypass parameter, so --bypass cannot be used");
}

void Note(std::ostream& err, const std::optional<std::string>& note) {
    if (note) {
        err << kProgram << ": note: " << *note << "\n";
    }
}

void Warn(std::ostream& err, const std::optional<std::string>& warning) {
    if (warning) {
        err << kProgram << ": warning: " << *warning << "\n";
    }
}

AudioFileFormat OutputFormat(const RenderOptions& options, const LoadedAudio& source) {
    if (!options.floatOutput) {
        return source.format;
    }
    return FloatFormatLike(source.format, source.audio.ChannelCount(),
                           static_cast<int>(source.audio.sampleRate));
}

RenderPlan BuildPlan(const RenderOptions& options, const ParameterResolver& resolver,
                     size_t rampFrames, std::ostream& err) {
    RenderPlan plan;
    std::set<uint32_t> ramped;
    for (const auto& request : options.ramps) {
        const auto from = resolver.Resolve(request.name, request.from);
        const auto to = resolver.Resolve(request.name, request.to);
        Note(err, from.clampNote);
        Note(err, to.clampNote);
        if (!ramped.insert(from.id).second) {
            throw ParameterError(from.name + " is ramped twice");
        }
        plan.lanes.push_back({from.id, from.name, from.plain, to.plain, rampFrames});
    }
    for (const auto& setting : options.settings) {
        const auto value = resolver.Resolve(setting.name, setting.value);
        Note(err, value.clampNote);
        if (ramped.count(value.id) != 0) {
            throw ParameterError(value.name + " is both set and ramped; choose one");
        }
        plan.initialValues.push_back(value);
    }
    if (options.bypass) {
        const auto& bypass = BypassParameter(resolver);
        plan.initialValues.push_back(
            {bypass.id, bypass.name, 1.0, resolver.ToPlain(bypass, 1.0), std::nullopt});
    }
    return plan;
}

void DescribePlan(const RenderPlan& plan, const ParameterResolver& resolver, std::ostream& err) {
    for (const auto& value : plan.initialValues) {
        const auto& parameter = resolver.Find(std::to_string(value.id));
        err << "  " << value.name << " = " << DisplayValue(resolver, parameter, value.normalized)
            << "\n";
    }
    for (const auto& lane : plan.lanes) {
        const auto& parameter = resolver.Find(std::to_string(lane.id));
        err << "  " << lane.name << " ramps from "
            << DisplayValue(resolver, parameter, resolver.ToNormalized(parameter, lane.fromPlain))
            << " to "
            << DisplayValue(resolver, parameter, resolver.ToNormalized(parameter, lane.toPlain))
            << "\n";
    }
}

std::string AbsolutePath(const std::string& path) {
    std::error_code error;
    const auto absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

int Render(RenderOptions& options, const std::string& bundlePath, std::ostream& out,
           std::ostream& err, const AppEnvironment& environment) {
    Source source = LoadSource(options);
    const AudioBuffer& input = source.loaded.audio;
    const AudioFileFormat outputFormat = OutputFormat(options, source.loaded);
    CheckOutputWritable(options.outputPath);
    Note(err, ExtensionMismatch(options.outputPath, outputFormat));

    RenderHost host(bundlePath);
    const ParameterResolver resolver(host.Parameters(), host);
    if (!options.inputPath) {
        AddDemoAutomation(options,
                          [&resolver](const std::string& name) { return resolver.Knows(name); });
    }
    const RenderPlan plan = BuildPlan(options, resolver, input.FrameCount(), err);
    host.Prepare({input.ChannelCount(), input.sampleRate, options.blockSize, options.precision});

    err << kProgram << ": rendering " << source.description << " (" << input.ChannelCount()
        << " ch, " << input.sampleRate << " Hz, " << FormatDescription(source.loaded.format)
        << ") through " << host.PluginName() << "\n";
    if (outputFormat.code != source.loaded.format.code) {
        err << "  written as " << FormatDescription(outputFormat) << "\n";
    }
    DescribePlan(plan, resolver, err);

    const auto tailFrames =
        static_cast<size_t>(std::llround(options.tailSeconds * input.sampleRate));
    ProgressBar bar(stderr, options.showProgress && environment.stderrIsTerminal);
    const auto started = std::chrono::steady_clock::now();
    const AudioBuffer output = host.Render(
        input, plan, tailFrames, [&bar](size_t done, size_t total) { bar.Update(done, total); });
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - started;
    bar.Finish();

    WriteAudioFileAtomically(options.outputPath, output, outputFormat);
    RenderReport report{MeasureLevels(input), MeasureLevels(output), output.FrameCount(),
                        output.DurationSeconds(), wall.count()};
    err << FormatReport(report);
    Warn(err, ClippingWarning(output, outputFormat, options.outputPath));
    out << "wrote " << AbsolutePath(options.outputPath) << "\n";
    return kExitSuccess;
}

int ListParameters(const std::string& bundlePath, std::ostream& out) {
    RenderHost host(bundlePath);
    const ParameterResolver resolver(host.Parameters(), host);
    out << host.PluginName() << " (" << bundlePath << ")\n" << FormatParameterList(resolver);
    return kExitSuccess;
}

}  // namespace

int RunRender(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
              const AppEnvironment& environment) {
    try {
        RenderOptions options = ParseArguments(arguments);
        if (options.showHelp) {
            out << UsageText(kProgram);
            return kExitSuccess;
        }
        const std::string bundlePath = LocateBundle(
            {options.pluginPath, environment.builtBundlePath, environment.homeDirectory});
        if (options.listParameters) {
            return ListParameters(bundlePath, out);
        }
        return Render(options, bundlePath, out, err, environment);
    } catch (const UsageError& error) {
        err << kProgram << ": " << error.what() << "\nTry '" << kProgram << " --help'.\n";
        return kExitUsage;
    } catch (const ParameterError& error) {
        err << kProgram << ": " << error.what() << "\n";
        return kExitUsage;
    } catch (const std::exception& error) {
        err << kProgram << ": " << error.what() << "\n";
        return kExitFailure;
    } catch (...) {
        err << kProgram << ": rendering failed for an unknown reason\n";
        return kExitFailure;
    }
}

}  // namespace quendaris::render
