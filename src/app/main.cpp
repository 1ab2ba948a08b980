// main.cpp -- entry point: the command line, then the show
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/options.h"
#include "app/show.h"
#include "platform/platform.h"

namespace {

bool writesToStandardOutput(RunMode mode)
{
    return mode == RunMode::Help || mode == RunMode::Version || mode == RunMode::Benchmark;
}

// What went to standard output must have arrived: a failed write is one line and exit code 1.
int checkStandardOutput(int exitCode)
{
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return exitCode;
    std::fprintf(stderr, "demo: could not write to standard output (%s)\n",
                 errno ? std::strerror(errno) : "write error");
    return 1;
}

int run(const Options& options)
{
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

}  // namespace

int main(int argc, char** argv)
{
    // Before anything else: no pipe of ours may become a standard descriptor, and a signal in
    // the first moments (or around a child's start) ends the program our way.
    bool outputOpen = openClosedStandardDescriptors();
    installSignalHandlers();
    unblockQuitSignals();
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "demo: %s (see demo --help)\n", error.c_str());
        return 2;
    }
    if (!outputOpen && writesToStandardOutput(options.mode)) {
        std::fprintf(stderr, "demo: standard output is closed; nothing to write to\n");
        return 1;
    }
    return checkStandardOutput(run(options));
}
