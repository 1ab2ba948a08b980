// main.cpp -- entry point: the command line, then the show
#include <cstdio>
#include <string>

#include "app/options.h"
#include "app/show.h"
#include "platform/platform.h"

int main(int argc, char** argv)
{
    // Before anything else: no pipe of ours may become a standard descriptor, and a signal in
    // the first moments (or around a child's start) ends the program our way.
    openClosedStandardDescriptors();
    installSignalHandlers();
    unblockQuitSignals();
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "demo: %s (see demo --help)\n", error.c_str());
        return 2;
    }
    if (options.mode == RunMode::Help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (options.mode == RunMode::Version) {
        std::printf("demo %s\n", DEMO_VERSION);
        return 0;
    }
    return runProgram(options);
}
