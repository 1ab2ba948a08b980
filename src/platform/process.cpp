// process.cpp -- child processes: started in a process group of their own with the descriptors
// we hand them, signalled as a group, reaped within a time limit
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr size_t kMostChildDescriptors = 8;

// In the child, between fork and exec: only calls that are safe there.
[[noreturn]] void becomeChild(const char* path, char* const* argv, const int* descriptors, int count)
{
    setpgid(0, 0);
    // Each source goes above the targets first: a source may itself be one of 0..count-1, and
    // dup2 onto itself would keep its close-on-exec flag.
    int lifted[kMostChildDescriptors];
    for (int i = 0; i < count; ++i) lifted[i] = fcntl(descriptors[i], F_DUPFD_CLOEXEC, count);
    for (int i = 0; i < count; ++i)
        if (lifted[i] < 0 || dup2(lifted[i], i) < 0) _exit(127);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int number : {SIGPIPE, SIGXFSZ, SIGINT, SIGTERM, SIGHUP}) sigaction(number, &standard, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(path, argv);
    _exit(127);
}

}  // namespace

void openClosedStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // The lowest free descriptor is this one.
        if (open("/dev/null", O_RDWR) != fd) _exit(1);
    }
}

void unblockQuitSignals()
{
    sigset_t quit;
    sigemptyset(&quit);
    for (int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&quit, number);
    sigprocmask(SIG_UNBLOCK, &quit, nullptr);
}

std::string findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t begin = 0;
    while (begin <= folders.size()) {
        size_t end = folders.find(':', begin);
        if (end == std::string::npos) end = folders.size();
        std::string folder = folders.substr(begin, end - begin);
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        begin = end + 1;
    }
    return "";
}

int startChild(const std::string& path, const std::vector<std::string>& argv, const std::vector<int>& descriptors,
               std::string& error)
{
    if (descriptors.size() > kMostChildDescriptors) {
        error = "too many descriptors for a child";
        return -1;
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t child = fork();
    if (child == 0) becomeChild(path.c_str(), args.data(), descriptors.data(), static_cast<int>(descriptors.size()));
    if (child < 0) {
        error = std::strerror(errno);
        return -1;
    }
    setpgid(child, child);  // also here, so that the group exists before we signal it
    return child;
}

void killChildGroup(int child)
{
    if (child > 0) kill(-child, SIGKILL);
}

bool reapChild(int child, double limitMs, ChildStatus& status)
{
    double began = wallMilliseconds();
    for (;;) {
        int raw = 0;
        rusage usage{};
        pid_t got = wait4(child, &raw, WNOHANG, &usage);
        if (got == child || (got < 0 && errno != EINTR)) {
            status.exited = got == child && WIFEXITED(raw);
            status.code = status.exited ? WEXITSTATUS(raw) : -1;
            status.signal = got == child && WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
            status.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                                (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            return true;
        }
        if (limitMs >= 0 && wallMilliseconds() - began >= limitMs) return false;
        usleep(10000);
    }
}

int anonymousFile()
{
    return memfd_create("demo-child-output", MFD_CLOEXEC);
}

std::string readAnonymousFile(int fd, size_t maxBytes)
{
    std::string text(maxBytes, '\0');
    ssize_t got = pread(fd, text.data(), maxBytes, 0);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}
