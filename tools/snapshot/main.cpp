// quendaris-snapshot: a picture of the real editor, drawn off-screen.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "AudioFile.h"
#include "DemoSignal.h"
#include "EditorSnapshot.h"
#include "ParameterListing.h"
#include "SnapshotOptions.h"

namespace {

int Run(const quendaris::snapshot::SnapshotOptions& options) {
    using namespace quendaris;
    snapshot::EditorSnapshot editor(options.scale);
    if (options.listParameters) {
        std::fputs(render::FormatParameterList(editor.Resolver()).c_str(), stdout);
        return 0;
    }
    for (const render::ParameterSetting& s : options.settings) {
        editor.Set(s.name, s.value);
    }
    if (options.inputPath) {
        editor.Process(render::ReadAudioFile(*options.inputPath).audio);
    } else if (options.demo) {
        editor.Process(render::GenerateDemoSignal(render::kDemoDefaultRate));
    }
    if (!editor.WritePng(options.outputPath)) {
        std::fprintf(stderr, "quendaris-snapshot: cannot write %s\n", options.outputPath.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quendaris::snapshot;
    const std::string program = "quendaris-snapshot";
    try {
        const SnapshotOptions options =
            ParseSnapshotArguments(std::vector<std::string>(argv + 1, argv + argc));
        if (options.showHelp) {
            std::fputs(SnapshotUsage(program).c_str(), stdout);
            return 0;
        }
        return Run(options);
    } catch (const SnapshotUsageError& e) {
        std::fprintf(stderr, "%s: %s\n%s", program.c_str(), e.what(),
                     SnapshotUsage(program).c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), e.what());
        return 1;
    }
}
