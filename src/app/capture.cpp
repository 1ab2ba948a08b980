// capture.cpp -- the show rendered to a video: every frame read back and piped to ffmpeg
#include "app/capture.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"

namespace {

std::string shellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class VideoCapture : public FrameObserver {
public:
    VideoCapture(std::FILE* pipe, int fps, long long untilMs)
        : pipe_(pipe), fps_(fps), untilMs_(untilMs), startWall_(wallMilliseconds())
    {
        endMs_ = untilMs_ >= 0 ? static_cast<double>(untilMs_) : showDurationMs();
    }

    bool frameDone(Timeline& timeline) override
    {
        uint32_t now = showTimeOfFrame();
        if (timeline.finished() || (untilMs_ >= 0 && now >= untilMs_)) return false;
        readFramePixels(pixels_);
        if (std::fwrite(pixels_.data(), 1, pixels_.size(), pipe_) != pixels_.size()) {
            std::fprintf(stderr, "\ndemo: ffmpeg stopped taking frames (%s)\n", std::strerror(errno));
            failed_ = true;
            return false;
        }
        ++frames_;
        if (frames_ % 15 == 0) printProgress(timeline, now);
        advanceVirtualFrame();
        return true;
    }

    int finish(int code) override
    {
        std::fprintf(stderr, "\n");
        int status = pclose(pipe_);
        if (status != 0 && !failed_) std::fprintf(stderr, "demo: ffmpeg failed (status %d)\n", status);
        return failed_ || status != 0 ? 1 : code;
    }

private:
    void printProgress(const Timeline& timeline, uint32_t now)
    {
        double elapsed = (wallMilliseconds() - startWall_) / 1000.0;
        double rate = elapsed > 0 ? frames_ / elapsed : 0;
        double framesLeft = std::max(0.0, (endMs_ - now) * fps_ / 1000.0);
        int secondsLeft = rate > 0 ? static_cast<int>(framesLeft / rate) : 0;
        std::fprintf(stderr, "\rcapture: scene %d/%d  show %6.1f s  %5.1f fps  time left %d:%02d   ",
                     timeline.current + 1, timeline.count, now / 1000.0, rate, secondsLeft / 60,
                     secondsLeft % 60);
    }

    std::FILE* pipe_;
    int fps_;
    long long untilMs_;
    double endMs_;
    double startWall_;
    long long frames_ = 0;
    bool failed_ = false;
    std::vector<uint8_t> pixels_;
};

bool ffmpegAvailable() { return std::system("command -v ffmpeg >/dev/null 2>&1") == 0; }

}  // namespace

std::unique_ptr<FrameObserver> makeCapture(const Options& options)
{
    if (!ffmpegAvailable()) {
        std::fprintf(stderr, "demo: --capture needs ffmpeg, which is not installed (apt-get install ffmpeg)\n");
        return nullptr;
    }
    std::string command = "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24 "
                          "-video_size " + std::to_string(kFrameWidth) + "x" + std::to_string(kFrameHeight) +
                          " -framerate " + std::to_string(options.fps) +
                          " -i pipe:0";
    std::error_code ec;
    bool withMusic = std::filesystem::is_regular_file("quirky.mp3", ec);
    if (withMusic) command += " -i " + shellQuote(std::filesystem::absolute("quirky.mp3").string());
    command += " -map 0:v";
    if (withMusic) command += " -map 1:a -c:a aac -b:a 192k -shortest";
    command += " -vf vflip -c:v libx264 -preset veryfast -crf 18 -pix_fmt yuv420p"
               " -movflags +faststart " + shellQuote(options.captureFile);
    std::FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) {
        std::fprintf(stderr, "demo: could not start ffmpeg\n");
        return nullptr;
    }
    if (!withMusic) std::fprintf(stderr, "demo: quirky.mp3 not found; the video has no sound\n");
    return std::make_unique<VideoCapture>(pipe, options.fps, options.untilMs);
}

