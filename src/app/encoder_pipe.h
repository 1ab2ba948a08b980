// encoder_pipe.h -- an encoder child process in its own process group, fed by a writer thread
// of ours: picture on its standard input, sound on its descriptor 3, each written as the encoder
// takes it, so that neither can hold up the other
#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class EncoderPipe {
public:
    struct Chunk {
        std::vector<uint8_t> sound;
        std::vector<uint8_t> picture;
    };
    static constexpr size_t kQueuedPictures = 4;
    // After a quit signal, how long the encoder may take no data before it is given up.
    static constexpr double kGiveUpMs = 1500;
    // How long an encoder may take nothing while data waits for it before it is given up.
    static constexpr double kStallMs = 5000;

    ~EncoderPipe();
    // Starts the program at `path` with the two pipes; its messages go to a file of ours.
    // False with the reason.
    bool start(const std::string& path, const std::vector<std::string>& argv, std::string& error);
    // Queues a chunk, waiting while the pictures queued are many. The sound never waits: the
    // caller keeps it a bounded lead ahead of the picture. False once writing has failed or a
    // quit signal has come; the chunk is then dropped. The last few chunks of a capture are
    // queued `closing`: without waiting, even after a signal.
    bool push(Chunk chunk, bool closing = false);
    // No more sound comes: the sound pipe is closed once what is queued of it is written, for
    // the encoder may wait for the sound's end before it takes the last pictures.
    void endSound();
    // Writes what is queued, closes the pipes and waits for the encoder. After a quit signal
    // an encoder that takes nothing is killed. True when it ended with status 0; `messages`
    // is what it wrote to its standard error.
    bool finish(std::string& error, std::string& messages);
    // The encoder's work is not wanted: finish kills it instead of waiting.
    void abandon() { abandon_ = true; }

    long long chunksWritten() const { return written_.load(); }
    double waitedMs() const { return waitedMs_; }       // the producer, waiting for queue space
    double encoderCpuSeconds() const { return cpuSeconds_; }  // the child's user + system time

private:
    struct Stream {
        int fd = -1;
        std::deque<std::vector<uint8_t>> queue;
        size_t offset = 0;  // bytes of the front buffer already written
    };
    void writeLoop();
    bool writeSome(Stream& stream, bool& emptied);
    bool signalled();
    void stopWriter();
    bool waitForChild(std::string& error);

    int child_ = -1;
    int messagesFd_ = -1;
    Stream picture_, sound_;
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool closing_ = false;
    bool soundEnded_ = false;
    bool writerDone_ = false;
    std::string writeError_;
    std::atomic<bool> abandon_{false};
    std::atomic<bool> stalled_{false};
    std::atomic<long long> written_{0};
    std::atomic<double> lastProgressMs_{0};
    double signalSeenMs_ = -1;
    double waitedMs_ = 0;
    double cpuSeconds_ = 0;
};
