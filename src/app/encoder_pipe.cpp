// encoder_pipe.cpp -- the encoder child and the thread that feeds it, so that neither a slow
// nor a stuck encoder holds up the program's way out
#include "app/encoder_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/platform.h"

namespace {

double cpuSecondsOfChildren()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

EncoderPipe::~EncoderPipe()
{
    if (writer_.joinable() || child_ > 0) {
        std::string ignored;
        abandon_ = true;
        finish(ignored);
    }
}

bool EncoderPipe::start(const std::vector<std::string>& argv, std::string& error)
{
    int picture[2], sound[2];
    if (pipe2(picture, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (pipe2(sound, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        close(picture[0]);
        close(picture[1]);
        return false;
    }
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    cpuSeconds_ = -cpuSecondsOfChildren();

    child_ = fork();
    if (child_ == 0) {
        // Its own process group: a terminal's Ctrl-C reaches us, and we end the encoder cleanly.
        setpgid(0, 0);
        signal(SIGPIPE, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        signal(SIGTERM, SIG_DFL);
        dup2(picture[0], 0);
        dup2(sound[0], 3);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(picture[0]);
    close(sound[0]);
    if (child_ < 0) {
        error = std::strerror(errno);
        close(picture[1]);
        close(sound[1]);
        return false;
    }
    setpgid(child_, child_);
    pictureFd_ = picture[1];
    soundFd_ = sound[1];
    fcntl(pictureFd_, F_SETFL, O_NONBLOCK);
    fcntl(soundFd_, F_SETFL, O_NONBLOCK);
    lastProgressMs_ = wallMilliseconds();
    writer_ = std::thread(&EncoderPipe::writeLoop, this);
    return true;
}

bool EncoderPipe::signalled()
{
    if (signalSeenMs_ < 0 && quitSignal() != 0) signalSeenMs_ = wallMilliseconds();
    return signalSeenMs_ >= 0;
}

bool EncoderPipe::push(Chunk chunk, bool closing)
{
    double began = wallMilliseconds();
    std::unique_lock<std::mutex> lock(mutex_);
    while (!closing && queue_.size() >= kQueuedChunks && writeError_.empty() && !signalled())
        changed_.wait_for(lock, std::chrono::milliseconds(50));
    waitedMs_ += wallMilliseconds() - began;
    if (!writeError_.empty() || (!closing && signalled())) return false;
    queue_.push_back(std::move(chunk));
    changed_.notify_all();
    return true;
}

bool EncoderPipe::writeAll(int fd, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        if (abandon_) return false;
        ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            lastProgressMs_ = wallMilliseconds();
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd waiting{fd, POLLOUT, 0};
            poll(&waiting, 1, 100);
        } else {
            std::lock_guard<std::mutex> lock(mutex_);
            writeError_ = std::strerror(errno);
            return false;
        }
    }
    return true;
}

void EncoderPipe::writeLoop()
{
    for (;;) {
        Chunk chunk;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return !queue_.empty() || closing_; });
            if (queue_.empty()) break;
            chunk = std::move(queue_.front());
        }
        bool ok = writeAll(soundFd_, chunk.sound) && writeAll(pictureFd_, chunk.picture);
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.pop_front();
        changed_.notify_all();
        if (!ok) break;
        ++written_;
    }
    close(pictureFd_);
    close(soundFd_);
    std::lock_guard<std::mutex> lock(mutex_);
    writerDone_ = true;
    changed_.notify_all();
}

// Waits for the writer; after a quit signal, an encoder that takes nothing is given up.
void EncoderPipe::stopWriter()
{
    std::unique_lock<std::mutex> lock(mutex_);
    closing_ = true;
    changed_.notify_all();
    while (!writerDone_) {
        changed_.wait_for(lock, std::chrono::milliseconds(50));
        double now = wallMilliseconds();
        if (signalled() && now - std::max(signalSeenMs_, lastProgressMs_.load()) > kGiveUpMs) abandon_ = true;
        if (abandon_) kill(-child_, SIGKILL);
    }
    lock.unlock();
    writer_.join();
}

bool EncoderPipe::waitForChild(std::string& error)
{
    int status = 0;
    double closedAt = wallMilliseconds();
    while (waitpid(child_, &status, WNOHANG) == 0) {
        // An encoder that has its whole input may take its time to finish the file, unless
        // it has been given up or the user has asked us to end and it still does not.
        if (abandon_ || (signalled() && wallMilliseconds() - closedAt > 5000)) kill(-child_, SIGKILL);
        usleep(20000);
    }
    child_ = -1;
    cpuSeconds_ += cpuSecondsOfChildren();
    if (abandon_) error = "stopped taking frames and was stopped";
    else if (!writeError_.empty()) error = "stopped taking frames (" + writeError_ + ")";
    else if (WIFEXITED(status) && WEXITSTATUS(status) == 127) error = "could not be started";
    else if (!WIFEXITED(status)) error = "was ended by signal " + std::to_string(WTERMSIG(status));
    else if (WEXITSTATUS(status) != 0) error = "failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    return error.empty();
}

bool EncoderPipe::finish(std::string& error)
{
    if (writer_.joinable()) stopWriter();
    if (child_ <= 0) return false;
    return waitForChild(error);
}
