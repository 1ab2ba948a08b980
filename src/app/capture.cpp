// capture.cpp -- the show (or a stretch of it) rendered to a video with its soundtrack:
// frames read back one frame late, an encoder child fed from a thread of its own
#include "app/capture.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/encoder_pipe.h"
#include "audio/music_player.h"
#include "platform/platform.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"

namespace {

namespace fs = std::filesystem;

// The sound runs this far ahead of the picture in the pipes: the encoder reads some sound
// before it takes the first frames.
constexpr long long kSoundLeadSamples = 4096;
// A soundtrack longer than this is not decoded for a capture (the show is 150 s).
constexpr double kLongestSoundtrackSeconds = 600;
// Speed at the quality of a slower preset: measured on the show's frames.
const char* const kEncoderPreset = "superfast";

// Frame k of the virtual clock shows time floor(k * 1000 / fps) ms.
long long firstFrameAtOrAfter(long long ms, int fps) { return (ms * fps + 999) / 1000; }

class VideoCapture : public FrameObserver {
public:
    VideoCapture(const Options& options, std::string partialFile)
        : fps_(options.fps), width_(options.width > 0 ? options.width : kFrameWidth),
          height_(options.width > 0 ? options.height : kFrameHeight), target_(options.captureFile),
          partial_(std::move(partialFile)),
          fromMs_(std::max(0LL, options.fromMs)),
          endMs_(options.untilMs >= 0 ? options.untilMs : static_cast<long long>(showDurationMs()))
    {
        firstFrame_ = firstFrameAtOrAfter(fromMs_, fps_);
        plannedFrames_ = std::max(0LL, firstFrameAtOrAfter(endMs_, fps_) - firstFrame_);
        soundStart_ = firstFrame_ * kSoundtrackRate / fps_;
        soundtrack_ = decodeSoundtrack(kLongestSoundtrackSeconds);
    }

    bool start(std::string& error)
    {
        std::vector<std::string> argv = {
            "ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
            "-probesize", "32", "-f", "rawvideo", "-pix_fmt", "rgb24",
            "-video_size", std::to_string(width_) + "x" + std::to_string(height_),
            "-framerate", std::to_string(fps_), "-i", "pipe:0",
            "-probesize", "32", "-analyzeduration", "0", "-f", "s16le",
            "-ar", std::to_string(kSoundtrackRate), "-ac", "1", "-i", "pipe:3",
            "-map", "0:v", "-map", "1:a", "-vf", "vflip",
            "-c:v", "libx264", "-preset", kEncoderPreset, "-crf", "18", "-pix_fmt", "yuv420p",
            "-c:a", "aac", "-b:a", "192k", "-movflags", "+faststart", partial_};
        startWall_ = wallMilliseconds();
        return encoder_.start(argv, error);
    }

    // The lead-in before a clip is fast-forwarded: nothing of it reaches the pixels.
    bool needsPixels(uint32_t showMs) const override { return showMs >= fromMs_; }
    void frameBegins() override { frameStart_ = wallMilliseconds(); }

    bool frameDone(Timeline& timeline) override
    {
        long long frame = static_cast<long long>(virtualFrameIndex());
        if (frame < firstFrame_) {
            advanceVirtualFrame();
            return true;
        }
        if (timeline.finished() || frame - firstFrame_ >= plannedFrames_) return false;
        glFinish();
        double rendered = wallMilliseconds();
        renderMs_ += rendered - frameStart_;
        bool havePrevious = copyFrameAndTakePrevious(picture_);
        readBackMs_ += wallMilliseconds() - rendered;
        ++framesRead_;
        if (havePrevious && !send()) return false;
        if (framesRead_ % 15 == 0) printProgress(timeline);
        advanceVirtualFrame();
        return true;
    }

    int finish(int code) override
    {
        bool interrupted = quitSignal() != 0;
        if (takeLastFrameCopy(picture_) && send(true)) {
            // Cut short: the picture runs on (its last frame) to the sound already sent.
            while (soundSent_ > soundEndOfFrame(framesSent_ - 1) && send(true)) {}
        }
        std::string error;
        bool ok = encoder_.finish(error);
        std::fprintf(stderr, "\n");
        if (ok && framesSent_ == 0) error = "got no frame: the show ended first";
        if (ok && error.empty()) {
            std::error_code ec;
            fs::rename(partial_, target_, ec);
            if (ec) error = "could not rename it (" + ec.message() + ")";
        }
        if (!error.empty()) {
            std::fprintf(stderr, "demo: could not write %s: ffmpeg %s\n", target_.c_str(), error.c_str());
            std::error_code ec;
            fs::remove(partial_, ec);
            return 1;
        }
        printSummary(interrupted);
        return code;
    }

private:
    // Sound samples from the clip's start to the end of clip frame `index`.
    long long soundEndOfFrame(long long index) const { return (index + 1) * kSoundtrackRate / fps_; }

    // Queues the held picture with the sound up to its end, and while the capture goes on
    // a little past it (never past the planned end).
    bool send(bool closing = false)
    {
        long long covering = soundEndOfFrame(framesSent_);
        long long ahead = std::min(covering + kSoundLeadSamples, soundEndOfFrame(plannedFrames_ - 1));
        long long upTo = std::max({closing ? covering : ahead, covering, soundSent_});
        EncoderPipe::Chunk chunk;
        chunk.sound = soundSamples(soundSent_, upTo);
        chunk.picture = picture_;
        if (!encoder_.push(std::move(chunk), closing)) return false;
        soundSent_ = upTo;
        ++framesSent_;
        return true;
    }

    // Clip samples [from, to) as little-endian bytes; silence past the soundtrack's end.
    std::vector<uint8_t> soundSamples(long long from, long long to) const
    {
        std::vector<uint8_t> bytes;
        for (long long i = from; i < to; ++i) {
            long long index = soundStart_ + i;
            int16_t sample = index < static_cast<long long>(soundtrack_.size()) ? soundtrack_[index] : 0;
            bytes.push_back(static_cast<uint8_t>(sample & 0xFF));
            bytes.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
        }
        return bytes;
    }

    void printProgress(const Timeline& timeline)
    {
        double elapsed = (wallMilliseconds() - startWall_) / 1000.0;
        long long encoded = encoder_.chunksWritten();
        double rate = elapsed > 0 ? encoded / elapsed : 0;
        int secondsLeft = rate > 0 ? static_cast<int>((plannedFrames_ - encoded) / rate) : 0;
        std::fprintf(stderr, "\rcapture: scene %d/%d  show %6.1f s  %5.1f fps encoded  time left %d:%02d   ",
                     timeline.current + 1, timeline.count, tickCount() / 1000.0, rate, secondsLeft / 60,
                     secondsLeft % 60);
    }

    void printSummary(bool interrupted)
    {
        double wall = (wallMilliseconds() - startWall_) / 1000.0;
        std::fprintf(stderr,
                     "capture: %s%lld frames (%.2f s of video) in %.1f s; render %.1f s, read-back %.1f s, "
                     "waiting for the encoder %.1f s; encoder CPU %.1f s\n",
                     interrupted ? "stopped early, " : "", framesSent_, framesSent_ / static_cast<double>(fps_),
                     wall, renderMs_ / 1000, readBackMs_ / 1000, encoder_.waitedMs() / 1000,
                     encoder_.encoderCpuSeconds());
    }

    int fps_;
    int width_, height_;  // the read-back's pixels
    std::string target_, partial_;
    long long fromMs_, endMs_;
    long long firstFrame_ = 0, plannedFrames_ = 0;
    long long soundStart_ = 0;
    std::vector<int16_t> soundtrack_;
    EncoderPipe encoder_;
    std::vector<uint8_t> picture_;
    long long framesRead_ = 0, framesSent_ = 0, soundSent_ = 0;
    double startWall_ = 0, frameStart_ = 0, renderMs_ = 0, readBackMs_ = 0;
};

bool ffmpegAvailable() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

// Beside the target, with its extension, so that ffmpeg picks the same container.
std::string partialFileFor(const std::string& target)
{
    fs::path path(target);
    return (path.parent_path() / ("." + path.stem().string() + ".partial" + path.extension().string())).string();
}

}  // namespace

std::unique_ptr<FrameObserver> makeCapture(const Options& options)
{
    if (!ffmpegAvailable()) {
        std::fprintf(stderr, "demo: --capture needs ffmpeg, which is not installed (apt-get install ffmpeg)\n");
        return nullptr;
    }
    auto capture = std::make_unique<VideoCapture>(options, partialFileFor(options.captureFile));
    std::string error;
    if (!capture->start(error)) {
        std::fprintf(stderr, "demo: could not start ffmpeg (%s)\n", error.c_str());
        return nullptr;
    }
    return capture;
}
