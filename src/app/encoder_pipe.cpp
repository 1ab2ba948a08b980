// encoder_pipe.cpp -- the encoder child and the thread that feeds it, so that neither a slow
// nor a stuck encoder holds up the program's way out.
//
// An encoder reads its inputs in the order of their time stamps, and buffers an amount of each
// that we do not know (its own queues, the codec's delay). Writing one input whole before the
// other deadlocks as soon as the encoder wants the other one first: the writer waits for room
// in the picture pipe while the encoder waits for sound that comes only after that picture.
// So both pipes are non-blocking and written as each takes data, and the sound, which does not
// depend on rendering, is queued a little ahead of the picture.
#include "app/encoder_pipe.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr size_t kMostMessageBytes = 4096;
// An encoder with its whole input may take this long to finish the file.
constexpr double kFinishingMs = 60000;

void closeBoth(int pipe[2])
{
    close(pipe[0]);
    close(pipe[1]);
}

void closeOnce(int& fd)
{
    if (fd >= 0) close(fd);
    fd = -1;
}

}  // namespace

EncoderPipe::~EncoderPipe()
{
    if (writer_.joinable() || child_ > 0) {
        std::string ignored, messages;
        abandon_ = true;
        finish(ignored, messages);
    }
    if (messagesFd_ >= 0) close(messagesFd_);
}

bool EncoderPipe::start(const std::string& path, const std::vector<std::string>& argv, std::string& error)
{
    int picture[2], sound[2];
    if (pipe2(picture, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (pipe2(sound, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        closeBoth(picture);
        return false;
    }
    messagesFd_ = anonymousFile();
    int messages = messagesFd_ >= 0 ? messagesFd_ : 2;
    child_ = startChild(path, argv, {picture[0], messages, messages, sound[0]}, error);
    close(picture[0]);
    close(sound[0]);
    if (child_ < 0) {
        close(picture[1]);
        close(sound[1]);
        return false;
    }
    picture_.fd = picture[1];
    sound_.fd = sound[1];
    fcntl(picture_.fd, F_SETFL, O_NONBLOCK);
    fcntl(sound_.fd, F_SETFL, O_NONBLOCK);
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
    auto failed = [&] { return !writeError_.empty() || stalled_ || writerDone_; };
    while (!closing && picture_.queue.size() >= kQueuedPictures && !failed() && !signalled())
        changed_.wait_for(lock, std::chrono::milliseconds(50));
    waitedMs_ += wallMilliseconds() - began;
    if (failed() || (!closing && signalled())) return false;
    if (!chunk.sound.empty()) sound_.queue.push_back(std::move(chunk.sound));
    picture_.queue.push_back(std::move(chunk.picture));
    changed_.notify_all();
    return true;
}

void EncoderPipe::endSound()
{
    std::lock_guard<std::mutex> lock(mutex_);
    soundEnded_ = true;
    changed_.notify_all();
}

// Writes what the pipe takes of the stream's front buffer. False on a write error.
bool EncoderPipe::writeSome(Stream& stream, bool& emptied)
{
    const std::vector<uint8_t>* front;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        front = &stream.queue.front();  // stays put while the producer appends
    }
    ssize_t n = write(stream.fd, front->data() + stream.offset, front->size() - stream.offset);
    if (n < 0 && (errno == EAGAIN || errno == EINTR)) return true;
    if (n < 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        writeError_ = std::strerror(errno);
        return false;
    }
    stream.offset += static_cast<size_t>(n);
    lastProgressMs_ = wallMilliseconds();
    emptied = stream.offset == front->size();
    if (emptied) {
        std::lock_guard<std::mutex> lock(mutex_);
        stream.queue.pop_front();
        stream.offset = 0;
        changed_.notify_all();
    }
    return true;
}

void EncoderPipe::writeLoop()
{
    while (!abandon_) {
        bool havePicture, haveSound;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            auto waiting = [&] { return !picture_.queue.empty() || !sound_.queue.empty(); };
            if (!waiting()) {
                if (closing_) break;
                changed_.wait_for(lock, std::chrono::milliseconds(100));
                lastProgressMs_ = wallMilliseconds();  // an idle encoder is not a stuck one
                continue;
            }
            havePicture = !picture_.queue.empty();
            haveSound = !sound_.queue.empty();
            if ((closing_ || soundEnded_) && !haveSound) closeOnce(sound_.fd);
        }
        const short wanted = POLLOUT, none = 0;
        pollfd fds[2] = {{picture_.fd, havePicture ? wanted : none, 0}, {sound_.fd, haveSound ? wanted : none, 0}};
        poll(fds, 2, 100);
        bool ok = true, emptied = false;
        if (havePicture && fds[0].revents != 0) {
            ok = writeSome(picture_, emptied);
            if (ok && emptied) ++written_;
        }
        if (ok && haveSound && fds[1].revents != 0) ok = writeSome(sound_, emptied);
        if (!ok) break;
        if (wallMilliseconds() - lastProgressMs_ > kStallMs) {
            stalled_ = true;
            break;
        }
    }
    closeOnce(picture_.fd);
    closeOnce(sound_.fd);
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
        if (abandon_) killChildGroup(child_);  // its pipes break: the writer wakes at once
    }
    lock.unlock();
    writer_.join();
}

bool EncoderPipe::waitForChild(std::string& error)
{
    ChildStatus status;
    bool givenUp = abandon_ || stalled_;
    // An encoder that has its whole input may take its time to finish the file, unless it has
    // been given up or the user has asked us to end and it still does not.
    double limit = givenUp ? 0 : signalled() ? 5000 : kFinishingMs;
    if (!reapChild(child_, limit, status)) {
        killChildGroup(child_);
        givenUp = true;
        reapChild(child_, -1, status);
    }
    child_ = -1;
    cpuSeconds_ = status.cpuSeconds;
    if (stalled_) error = "the encoder took no data for " + std::to_string(static_cast<int>(kStallMs / 1000)) + " s";
    else if (givenUp) error = "the encoder stopped taking data and was stopped";
    else if (!writeError_.empty()) error = "the encoder stopped taking data (" + writeError_ + ")";
    else if (status.exited && status.code == 127) error = "ffmpeg could not be started";
    else if (!status.exited) error = "the encoder was ended by signal " + std::to_string(status.signal);
    else if (status.code != 0) error = "the encoder failed (exit status " + std::to_string(status.code) + ")";
    return error.empty();
}

bool EncoderPipe::finish(std::string& error, std::string& messages)
{
    if (writer_.joinable()) stopWriter();
    if (child_ <= 0) return false;
    if (abandon_ || stalled_) killChildGroup(child_);
    bool ok = waitForChild(error);
    if (messagesFd_ >= 0) messages = readAnonymousFile(messagesFd_, kMostMessageBytes);
    return ok;
}
