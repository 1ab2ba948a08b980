// headless.cpp -- stills, capture and benchmark: each watches the frames of the virtual clock
#include "app/headless.h"

#include <GL/gl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/capture.h"
#include "app/frame_stats.h"
#include "app/png.h"
#include "platform/platform.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"
#include "world/world.h"

namespace {

class StillsWriter : public FrameObserver {
public:
    StillsWriter(std::string dir, std::vector<unsigned> times) : dir_(std::move(dir)), times_(std::move(times)) {}

    bool needsPixels(uint32_t showMs) const override { return next_ < times_.size() && times_[next_] <= showMs; }

    bool frameDone(Timeline&) override
    {
        uint32_t now = showTimeOfFrame();
        while (next_ < times_.size() && times_[next_] <= now) {
            if (pixels_.empty() || pixelsTime_ != now) {
                readFramePixels(pixels_);
                pixelsTime_ = now;
            }
            std::string path = dir_ + "/" + std::to_string(times_[next_]) + ".png";
            std::string reason;
            if (!writeFramePng(path, pixels_, outputWidth(), outputHeight(), reason)) {
                std::fprintf(stderr, "demo: could not write %s (%s)\n", path.c_str(), reason.c_str());
                failed_ = true;
                return false;
            }
            ++next_;
        }
        advanceVirtualFrame();
        return next_ < times_.size();
    }
    int finish(int code) override
    {
        if (failed_) return 1;
        if (next_ < times_.size() && quitSignal() != 0) {
            std::fprintf(stderr, "demo: stopped by a signal; %zu of %zu stills not written (from %u ms on)\n",
                         times_.size() - next_, times_.size(), times_[next_]);
            return 128 + quitSignal();
        }
        return code;
    }

private:
    std::string dir_;
    std::vector<unsigned> times_;
    size_t next_ = 0;
    std::vector<uint8_t> pixels_;
    uint32_t pixelsTime_ = 0;
    bool failed_ = false;
};

// Small stills side by side in one picture: a glance at the whole show.
class ContactSheet : public FrameObserver {
public:
    static constexpr int kColumns = 4;
    static constexpr int kShrink = 4;  // each tile is the frame at a quarter of its size

    ContactSheet(std::string file, std::vector<unsigned> times, int width, int height)
        : file_(std::move(file)), times_(std::move(times)), width_(width), height_(height)
    {
        int rows = (static_cast<int>(times_.size()) + kColumns - 1) / kColumns;
        sheetWidth_ = kColumns * tileWidth();
        sheetHeight_ = rows * tileHeight();
        sheet_.assign(static_cast<size_t>(sheetWidth_) * sheetHeight_ * 3, 0);
    }

    bool needsPixels(uint32_t showMs) const override { return next_ < times_.size() && times_[next_] <= showMs; }

    bool frameDone(Timeline&) override
    {
        uint32_t now = showTimeOfFrame();
        if (next_ < times_.size() && times_[next_] <= now) {
            readFramePixels(pixels_);
            while (next_ < times_.size() && times_[next_] <= now) placeTile(next_++);
        }
        advanceVirtualFrame();
        return next_ < times_.size();
    }

    int finish(int code) override
    {
        if (next_ < times_.size() && quitSignal() != 0) {
            std::fprintf(stderr, "demo: stopped by a signal; %s not written\n", file_.c_str());
            return 128 + quitSignal();
        }
        std::string reason;
        if (writeFramePng(file_, sheet_, sheetWidth_, sheetHeight_, reason)) return code;
        std::fprintf(stderr, "demo: could not write %s (%s)\n", file_.c_str(), reason.c_str());
        return 1;
    }

private:
    int tileWidth() const { return width_ / kShrink; }
    int tileHeight() const { return height_ / kShrink; }

    // Box-filters the frame into tile `index`; rows stay bottom first, like the frame.
    void placeTile(size_t index)
    {
        int rows = sheetHeight_ / tileHeight();
        int left = static_cast<int>(index % kColumns) * tileWidth();
        int bottom = (rows - 1 - static_cast<int>(index / kColumns)) * tileHeight();
        for (int y = 0; y < tileHeight(); ++y)
            for (int x = 0; x < tileWidth(); ++x)
                for (int c = 0; c < 3; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < kShrink; ++dy)
                        for (int dx = 0; dx < kShrink; ++dx)
                            sum += pixels_[((static_cast<size_t>(y) * kShrink + dy) * width_ + x * kShrink + dx) * 3 + c];
                    sheet_[((static_cast<size_t>(bottom) + y) * sheetWidth_ + left + x) * 3 + c] =
                        static_cast<uint8_t>(sum / (kShrink * kShrink));
                }
    }

    std::string file_;
    std::vector<unsigned> times_;
    int width_, height_;  // the read-back's pixels
    size_t next_ = 0;
    int sheetWidth_ = 0, sheetHeight_ = 0;
    std::vector<uint8_t> sheet_;
    std::vector<uint8_t> pixels_;
};

// The middle of every scene, and the last scene's grey veil.
std::vector<unsigned> defaultSheetTimes()
{
    std::vector<unsigned> times;
    for (int i = 0; i < kSceneCount; ++i) times.push_back((sceneStartMs(i) + sceneStartMs(i + 1)) / 2);
    times.push_back(showDurationMs() - 1300);
    return times;
}

struct FrameTimes {
    std::vector<double> ms;
    double cpuMs = 0;  // processor time of all threads over these frames

    void print(const char* label, int index, bool last) const
    {
        double maxTime = ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end());
        double cpuPerFrame = ms.empty() ? 0 : cpuMs / static_cast<double>(ms.size());
        std::printf("    {\"%s\": %d, \"frames\": %zu, \"median_ms\": %.3f, \"p95_ms\": %.3f, "
                    "\"max_ms\": %.3f, \"cpu_ms_per_frame\": %.3f}%s\n",
                    label, index, ms.size(), percentile(ms, 0.5), percentile(ms, 0.95), maxTime,
                    cpuPerFrame, last ? "" : ",");
    }
};

// Times every frame (drawing finished, not only queued) per scene; with --until it runs on
// past the show's end on empty frames and tells whether memory stays flat there. With --scene N
// the scenes before N are fast-forwarded untimed, so N starts in the state of a full run, and
// the run ends with N.
class Benchmark : public FrameObserver {
public:
    Benchmark(int fps, double processStart, long long untilMs, int scene)
        : fps_(fps), processStart_(processStart), untilMs_(untilMs), scene_(scene), sceneTimes_(kSceneCount)
    {
        if (scene_ > 0) sceneStartMs_ = UINT32_MAX;  // known once the scene before it runs
    }

    bool needsPixels(uint32_t showMs) const override { return showMs >= sceneStartMs_; }
    void frameBegins() override
    {
        frameStart_ = wallMilliseconds();
        frameStartCpu_ = processCpuMilliseconds();
    }

    bool frameDone(Timeline& timeline) override
    {
        uint32_t now = showTimeOfFrame();
        if (firstFrameEnd_ < 0) {
            glFinish();
            firstFrameEnd_ = wallMilliseconds();
        }
        if (scene_ >= 0 && timeline.running && timeline.current < scene_) {
            if (timeline.current == scene_ - 1) {
                const TimelineScene& before = timeline.scenes[scene_ - 1];
                sceneStartMs_ = before.start + before.duration;
            }
            advanceVirtualFrame();
            return true;
        }
        if (scene_ >= 0 && (timeline.finished() || timeline.current > scene_)) return false;
        if (untilMs_ < 0 ? timeline.finished() : now >= untilMs_) return false;
        glFinish();
        double end = wallMilliseconds();
        if (firstTimedStart_ < 0) firstTimedStart_ = frameStart_;
        FrameTimes* times = &afterShow_;
        if (!timeline.finished())
            times = &sceneTimes_[timeline.current];
        else if (afterShow_.ms.empty())
            memoryAtShowEnd_ = memoryUse();
        times->ms.push_back(end - frameStart_);
        times->cpuMs += processCpuMilliseconds() - frameStartCpu_;
        advanceVirtualFrame();
        return true;
    }

    int finish(int code) override
    {
        // A run cut short has no whole report to give.
        if (quitSignal() != 0) {
            std::fprintf(stderr, "demo: stopped by a signal; no benchmark report\n");
            return 128 + quitSignal();
        }
        MemoryUse memory = memoryUse();
        const char* threads = std::getenv("LP_NUM_THREADS");
        std::printf("{\n  \"fps\": %d,\n  \"renderer\": \"%s\",\n", fps_,
                    reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
        std::printf("  \"lp_num_threads\": \"%s\",\n  \"cores\": %u,\n", threads ? threads : "unset",
                    std::thread::hardware_concurrency());
        std::printf("  \"frame\": \"%dx%d\",\n  \"samples\": %d,\n", frameWidth(), frameHeight(), frameSamples());
        std::printf("  \"startup_ms\": {\"to_first_frame\": %.1f, \"world_setup\": %.1f},\n",
                    firstFrameEnd_ - processStart_, worldSetUpMilliseconds);
        if (scene_ > 0) std::printf("  \"fast_forward_ms\": %.1f,\n", firstTimedStart_ - firstFrameEnd_);
        std::printf("  \"scenes\": [\n");
        int first = scene_ >= 0 ? scene_ : 0, last = scene_ >= 0 ? scene_ : kSceneCount - 1;
        for (int i = first; i <= last; ++i) sceneTimes_[i].print("scene", i, i == last);
        std::printf("  ],\n");
        if (!afterShow_.ms.empty()) {
            std::printf("  \"after_show\": [\n");
            afterShow_.print("empty_frames_until_ms", static_cast<int>(untilMs_), true);
            std::printf("  ],\n");
            std::printf("  \"resident_kb_after_show\": {\"first_empty_frame\": %ld, \"last_frame\": %ld},\n",
                        memoryAtShowEnd_.residentKb, memory.residentKb);
        }
        std::printf("  \"peak_resident_kb\": %ld\n}\n", memory.peakKb);
        return code;
    }

private:
    int fps_;
    double processStart_;
    long long untilMs_;
    int scene_;  // -1: every scene
    uint32_t sceneStartMs_ = 0;  // show time of the first frame that is painted and timed
    double frameStart_ = 0;
    double frameStartCpu_ = 0;
    double firstFrameEnd_ = -1;
    double firstTimedStart_ = -1;
    std::vector<FrameTimes> sceneTimes_;
    FrameTimes afterShow_;
    MemoryUse memoryAtShowEnd_;
};

}  // namespace

uint32_t showTimeOfFrame() { return tickCount(); }

std::unique_ptr<FrameObserver> makeHeadlessObserver(const Options& options, double processStartMs)
{
    switch (options.mode) {
    case RunMode::Stills: {
        std::error_code ec;
        std::filesystem::create_directories(options.stillsDir, ec);
        if (!std::filesystem::is_directory(options.stillsDir, ec)) {
            std::fprintf(stderr, "demo: cannot write stills into '%s'\n", options.stillsDir.c_str());
            return nullptr;
        }
        return std::make_unique<StillsWriter>(options.stillsDir, options.stillTimes);
    }
    case RunMode::ContactSheet:
        return std::make_unique<ContactSheet>(
            options.sheetFile, options.stillTimes.empty() ? defaultSheetTimes() : options.stillTimes,
            options.width > 0 ? options.width : kFrameWidth, options.width > 0 ? options.height : kFrameHeight);
    case RunMode::Capture:
        return makeCapture(options);
    case RunMode::Benchmark:
        return std::make_unique<Benchmark>(options.fps, processStartMs, options.untilMs, options.scene);
    default:
        return nullptr;
    }
}
