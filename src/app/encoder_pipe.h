// encoder_pipe.h -- an encoder child process in its own process group, fed by a writer thread
// of ours: picture on its standard input, sound on its descriptor 3
#pragma once
#include <sys/types.h>

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
        std::vector<uint8_t> sound;  // written before the picture
        std::vector<uint8_t> picture;
    };
    static constexpr size_t kQueuedChunks = 4;
    // After a quit signal, how long the encoder may take no data before it is given up.
    static constexpr double kGiveUpMs = 1500;

    ~EncoderPipe();
    // Starts argv[0] (looked up on PATH) with the two pipes. False with the reason.
    bool start(const std::vector<std::string>& argv, std::string& error);
    // Queues a chunk, waiting while the queue is full. False once writing has failed or a
    // quit signal has come; the chunk is then dropped. The last few chunks of a capture are
    // queued `closing`: without waiting, even after a signal.
    bool push(Chunk chunk, bool closing = false);
    // Writes what is queued, closes the pipes and waits for the encoder. After a quit signal
    // an encoder that takes nothing is killed. True when it ended with status 0.
    bool finish(std::string& error);

    long long chunksWritten() const { return written_.load(); }
    double waitedMs() const { return waitedMs_; }       // the producer, waiting for queue space
    double encoderCpuSeconds() const { return cpuSeconds_; }  // the child's user + system time

private:
    void writeLoop();
    bool writeAll(int fd, const std::vector<uint8_t>& bytes);
    bool signalled();
    void stopWriter();
    bool waitForChild(std::string& error);

    pid_t child_ = -1;
    int pictureFd_ = -1, soundFd_ = -1;
    std::thread writer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Chunk> queue_;
    bool closing_ = false;
    bool writerDone_ = false;
    std::string writeError_;
    std::atomic<bool> abandon_{false};
    std::atomic<long long> written_{0};
    std::atomic<double> lastProgressMs_{0};
    double signalSeenMs_ = -1;
    double waitedMs_ = 0;
    double cpuSeconds_ = 0;
};
