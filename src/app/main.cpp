// main.cpp -- entry point: the command line, then the show
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/options.h"
#include "app/show.h"

namespace {

// A closed standard descriptor would be handed to the next file the program opens; it gets
// /dev/null instead. True if standard output was open.
bool fillClosedStandardDescriptors()
{
    bool outputOpen = fcntl(STDOUT_FILENO, F_GETFD) != -1;
    for (int fd : {STDIN_FILENO, STDOUT_FILENO}) {
        if (fcntl(fd, F_GETFD) != -1) continue;
        int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
    return outputOpen;
}

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
    bool outputOpen = fillClosedStandardDescriptors();
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
