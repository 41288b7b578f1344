#include "ProgressBar.h"
#include "RenderApp.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv) {
    using namespace quendaris::render;
    AppEnvironment environment;
    environment.builtBundlePath = QUENDARIS_BUILT_BUNDLE;
    if (const char* home = std::getenv("HOME")) {
        environment.homeDirectory = home;
    }
    environment.stderrIsTerminal = ProgressBar::IsTerminal(stderr);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return RunRender(arguments, std::cout, std::cerr, environment);
}
