// capture.cpp -- the show (or a stretch of it) rendered to a video with its soundtrack:
// frames read back one frame late, an encoder child fed from a thread of its own
#include "app/capture.h"

#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/capture_span.h"
#include "app/encoder_pipe.h"
#include "audio/music_player.h"
#include "platform/platform.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"

namespace {

namespace fs = std::filesystem;

// The sound runs this far ahead of the picture: the encoder reads sound in packets of up to
// a tenth of a second, and wants a packet past the time of the pictures it holds before it
// takes more of them (at 1000 fps, 4096 samples ahead were too few). A capture cut short
// shows its last frame on for this long at most, to the sound already sent.
constexpr long long kSoundLeadSamples = 16384;
// Of a longer soundtrack a capture decodes only this much (the show is 150 s).
constexpr double kLongestSoundtrackSeconds = 600;
// Speed at the quality of a slower preset: measured on the show's frames.
const char* const kEncoderPreset = "superfast";

// Lossless pictures for comparing captures frame by frame (a join against one whole capture).
bool losslessWanted()
{
    const char* value = std::getenv("DEMO_CAPTURE_LOSSLESS");
    return value && *value && std::string(value) != "0";
}

long long captureEndMs(const Options& options)
{
    return options.untilMs >= 0 ? options.untilMs : static_cast<long long>(showDurationMs());
}

// Soundtrack samples [first, first + count) as little-endian bytes; silence past its end.
std::vector<uint8_t> soundBytes(const std::vector<int16_t>& soundtrack, long long first, long long count)
{
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(count) * 2);
    for (long long index = first; index < first + count; ++index) {
        int16_t sample = index < static_cast<long long>(soundtrack.size()) ? soundtrack[index] : 0;
        bytes.push_back(static_cast<uint8_t>(sample & 0xFF));
        bytes.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
    }
    return bytes;
}

std::string firstLine(const std::string& text)
{
    std::string line = text.substr(0, text.find('\n'));
    return line.size() > 200 ? line.substr(0, 200) + "..." : line;
}

// The one reason a capture failed, from how the encoder ended and what it said; empty when it
// ended well and said nothing (it speaks only of errors).
std::string reasonOfFailure(const std::string& ending, const std::string& messages)
{
    if (messages.find("No space left on device") != std::string::npos) return "the disk is full";
    if (messages.empty()) return ending;
    return (ending.empty() ? "the encoder reported an error" : ending) + ": " + firstLine(messages);
}

// Whether the file is a video of exactly `frames` pictures, with a sound track or none as
// wanted, as the probe reads it to its end.
bool isWholeVideo(const std::string& ffprobe, const std::string& file, long long frames, bool withSound)
{
    int output = anonymousFile();
    if (output < 0) return false;
    std::string error;
    int child = startChild(ffprobe,
                           {"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                            "stream=codec_type,nb_read_packets", "-of", "csv=p=0", file},
                           {0, output, output}, error);
    ChildStatus status;
    if (child > 0 && !reapChild(child, 60000, status)) {
        killChildGroup(child);
        reapChild(child, -1, status);
    }
    std::string report = readAnonymousFile(output, 4096);
    close(output);
    bool ended = child > 0 && status.exited && status.code == 0;
    std::string video = "video," + std::to_string(frames) + "\n";
    if (!withSound) return ended && report == video;
    std::string expected = video + "audio,";
    long long soundPackets = std::atoll(report.c_str() + std::min(expected.size(), report.size()));
    return ended && report.rfind(expected, 0) == 0 && soundPackets > 0 &&
           std::count(report.begin(), report.end(), '\n') == 2;
}

class VideoCapture : public FrameObserver {
public:
    VideoCapture(const Options& options, std::string partialFile, std::string ffprobe)
        : fps_(options.fps), width_(options.width > 0 ? options.width : kFrameWidth),
          height_(options.width > 0 ? options.height : kFrameHeight), target_(options.captureFile),
          partial_(std::move(partialFile)),
          ffprobe_(std::move(ffprobe)), withSound_(!options.noSound), fromMs_(std::max(0LL, options.fromMs))
    {
        CaptureSpan span = captureSpan(fromMs_, captureEndMs(options), fps_, kSoundtrackRate);
        firstFrame_ = span.firstFrame;
        plannedFrames_ = span.frames;
        soundStart_ = span.firstSample;
        if (withSound_) soundtrack_ = decodeSoundtrack(kLongestSoundtrackSeconds);
    }

    bool start(const std::string& ffmpeg, std::string& error)
    {
        std::vector<std::string> argv = {
            "ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
            "-probesize", "32", "-f", "rawvideo", "-pix_fmt", "rgb24",
            "-video_size", std::to_string(width_) + "x" + std::to_string(height_),
            "-framerate", std::to_string(fps_), "-i", "pipe:0"};
        if (withSound_)
            argv.insert(argv.end(), {"-probesize", "32", "-analyzeduration", "0", "-f", "s16le", "-ar",
                                     std::to_string(kSoundtrackRate), "-ac", "1", "-i", "pipe:3"});
        argv.insert(argv.end(), {"-map", "0:v"});
        if (withSound_) argv.insert(argv.end(), {"-map", "1:a", "-c:a", "aac", "-b:a", "192k"});
        // Every capture with the same settings, each starting on a key frame: stretches join
        // without re-encoding.
        argv.insert(argv.end(), {"-vf", "vflip", "-c:v", "libx264", "-preset", kEncoderPreset,
                                 losslessWanted() ? "-qp" : "-crf", losslessWanted() ? "0" : "18",
                                 "-pix_fmt", "yuv420p", "-movflags", "+faststart", partial_});
        startWall_ = wallMilliseconds();
        if (!encoder_.start(ffmpeg, argv, error)) return false;
        if (!withSound_) encoder_.endSound();
        return true;
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

    // A run that ends before the capture's end (no window could be made) leaves no file.
    ~VideoCapture() override
    {
        std::error_code ec;
        if (!finished_) fs::remove(partial_, ec);
    }

    int finish(int code) override
    {
        finished_ = true;
        bool interrupted = quitSignal() != 0;
        if (takeLastFrameCopy(picture_) && send(true)) {
            // Cut short: the picture runs on (its last frame) to the sound already sent.
            while (soundSent_ > soundEndOfFrame(framesSent_ - 1) && send(true)) {}
        }
        std::string error, messages;
        if (framesSent_ == 0) encoder_.abandon();  // nothing to wait for
        encoder_.finish(error, messages);
        std::fprintf(stderr, "\n");
        if (framesSent_ == 0) error = interrupted ? "stopped before its first frame" : "got no frame: the show ended first";
        else error = reasonOfFailure(error, messages);
        if (error.empty() && !isWholeVideo(ffprobe_, partial_, framesSent_, withSound_))
            error = "the encoder's file is not a whole video of " + std::to_string(framesSent_) + " frames" +
                    (withSound_ ? " with sound" : "");
        if (error.empty()) {
            std::error_code ec;
            fs::rename(partial_, target_, ec);
            if (ec) error = "could not rename the finished video to it (" + ec.message() + ")";
        }
        if (!error.empty()) {
            std::fprintf(stderr, "demo: could not write %s: %s\n", target_.c_str(), error.c_str());
            std::error_code ec;
            fs::remove(partial_, ec);
            return interrupted && framesSent_ == 0 ? 128 + quitSignal() : 1;
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
        if (withSound_) chunk.sound = soundBytes(soundtrack_, soundStart_ + soundSent_, upTo - soundSent_);
        chunk.picture = picture_;
        if (!encoder_.push(std::move(chunk), closing)) return false;
        soundSent_ = upTo;
        if (soundSent_ >= soundEndOfFrame(plannedFrames_ - 1)) encoder_.endSound();
        ++framesSent_;
        return true;
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
    std::string target_, partial_, ffprobe_;
    bool withSound_;
    bool finished_ = false;
    long long fromMs_;
    long long firstFrame_ = 0, plannedFrames_ = 0;
    long long soundStart_ = 0;
    std::vector<int16_t> soundtrack_;
    EncoderPipe encoder_;
    std::vector<uint8_t> picture_;
    long long framesRead_ = 0, framesSent_ = 0, soundSent_ = 0;
    double startWall_ = 0, frameStart_ = 0, renderMs_ = 0, readBackMs_ = 0;
};

// Beside the target, with its extension, so that ffmpeg picks the same container; the process
// id keeps two runs apart, and the name is cut to what the folder takes.
std::string partialFileFor(const fs::path& target)
{
    std::string folder = target.parent_path().string();
    std::string stem = target.stem().string(), tail = ".partial-" + std::to_string(getpid()) + target.extension().string();
    size_t room = longestNameIn(folder) - 1 - std::min(tail.size(), longestNameIn(folder) - 1);
    return (target.parent_path() / ("." + stem.substr(0, room) + tail)).string();
}

// Everything that can be known before rendering: one line naming the file and the reason.
bool checkTarget(const std::string& target, const std::string& partial)
{
    std::string reason;
    if (checkOutputName(target, reason) && createNewFile(partial, reason)) return true;
    std::fprintf(stderr, "demo: cannot write %s: %s\n", target.c_str(),
                 reason == std::strerror(ENOENT) ? "its folder does not exist" : reason.c_str());
    return false;
}

}  // namespace

std::unique_ptr<FrameObserver> makeCapture(const Options& options)
{
    std::string ffmpeg = findProgram("ffmpeg"), ffprobe = findProgram("ffprobe");
    if (ffmpeg.empty() || ffprobe.empty()) {
        std::fprintf(stderr, "demo: --capture needs ffmpeg and ffprobe, which are not installed (apt-get install ffmpeg)\n");
        return nullptr;
    }
    std::string partial = partialFileFor(options.captureFile);
    if (!checkTarget(options.captureFile, partial)) return nullptr;
    auto capture = std::make_unique<VideoCapture>(options, partial, ffprobe);
    std::string error;
    if (!capture->start(ffmpeg, error)) {
        std::fprintf(stderr, "demo: could not start ffmpeg (%s)\n", error.c_str());
        std::error_code ec;
        fs::remove(partial, ec);
        return nullptr;
    }
    return capture;
}

namespace {

void appendLittleEndian(std::vector<uint8_t>& bytes, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

// A mono 16-bit PCM WAV file of the sample bytes.
std::vector<uint8_t> wavFile(const std::vector<uint8_t>& samples)
{
    std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F'};
    appendLittleEndian(bytes, static_cast<uint32_t>(36 + samples.size()), 4);
    for (char c : std::string("WAVEfmt ")) bytes.push_back(static_cast<uint8_t>(c));
    appendLittleEndian(bytes, 16, 4);
    appendLittleEndian(bytes, 1, 2);  // PCM
    appendLittleEndian(bytes, 1, 2);  // one channel
    appendLittleEndian(bytes, kSoundtrackRate, 4);
    appendLittleEndian(bytes, kSoundtrackRate * 2, 4);
    appendLittleEndian(bytes, 2, 2);
    appendLittleEndian(bytes, 16, 2);
    for (char c : std::string("data")) bytes.push_back(static_cast<uint8_t>(c));
    appendLittleEndian(bytes, static_cast<uint32_t>(samples.size()), 4);
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    return bytes;
}

}  // namespace

int writeCaptureSound(const Options& options)
{
    CaptureSpan span = captureSpan(std::max(0LL, options.fromMs), captureEndMs(options), options.fps, kSoundtrackRate);
    std::vector<int16_t> soundtrack = decodeSoundtrack(kLongestSoundtrackSeconds);
    std::string reason;
    if (!writeFileWhole(options.soundFile, wavFile(soundBytes(soundtrack, span.firstSample, span.samples)), reason)) {
        std::fprintf(stderr, "demo: could not write %s: %s\n", options.soundFile.c_str(), reason.c_str());
        return 1;
    }
    return 0;
}
