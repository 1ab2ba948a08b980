// show.cpp -- start-up in the show's order, the message loop, and shutdown
#include "app/show.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/capture.h"
#include "app/editor.h"
#include "app/frame.h"
#include "app/frame_pacer.h"
#include "app/frame_stats.h"
#include "app/headless.h"
#include "app/sound_follower.h"
#include "app/window.h"
#include "audio/music_player.h"
#include "geometry/mesh_draw.h"
#include "platform/platform.h"
#include "render/blur.h"
#include "scenes/scene_table.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"
#include "world/world.h"

namespace {

// Presents every frame and keeps the soundtrack playing; in real time each frame is drawn for
// the moment it will be seen, and a cut's first frame is held for its moment (FramePacer).
// Unless quiet, it says on standard error when each scene's first frame was presented (calendar
// time, to line it up with a recording of the sound), and at the show's end (or the quit before
// it) how its frames ran.
class ScreenPresenter : public FrameObserver {
public:
    explicit ScreenPresenter(bool quiet) : quiet_(quiet) {}

    // The first frame is drawn first; the soundtrack then starts, and the clock once it is heard.
    void frameBegins() override
    {
        if (!started_) startWithThisFrame(0);
        if (following_) restUntilTheNextRefresh();
        if (following_ && musicPlayer) follower_.frame(musicPlayer->positionMs(), wallMilliseconds());
        frameClockMs_ = tickCount();
        frameBegun_ = calendarSeconds();
        frameBegunWallMs_ = wallMilliseconds();
        plan_ = FramePacer::Plan();
        if (following_) {
            plan_ = pacer_.plan(frameClockMs_, cutAhead_ ? nextCutTick_ : frameClockMs_);
            pinRealClockUntilPresent(plan_.showMs);
        }
        frameShowMs_ = tickCount();
    }

    bool frameDone(Timeline& timeline) override
    {
        if (plan_.held || startPending_) glFinish();
        double drawnMs = wallMilliseconds();
        double presentAtMs = drawnMs;
        if (plan_.held)  // a cut's first frame, drawn ahead: on screen at the cut
            presentAtMs = frameBegunWallMs_ + static_cast<int32_t>(plan_.presentAtMs - frameClockMs_);
        double heardAtMs = 0;
        if (startPending_) {  // the first frame: on screen as its sound is heard
            heardAtMs = startSoundForClock(startMs_);
            presentAtMs = heardAtMs - openingPresentMs();
        }
        double leftMs = presentAtMs - wallMilliseconds();
        if (leftMs >= 1) sleepMilliseconds(static_cast<uint32_t>(leftMs));
        double presentBegunMs = wallMilliseconds();
        presentFrame();
        double presented = calendarSeconds();
        if (startPending_) {
            startClockAt(startMs_, heardAtMs);
            startPending_ = false;
            following_ = true;
        } else if (following_) {
            pacer_.framePresented(frameBegunWallMs_, drawnMs, presentBegunMs, wallMilliseconds(), plan_.held);
        }
        if (following_) {
            cutAhead_ = !timeline.finished() && timeline.current < timeline.count;
            if (cutAhead_) {
                const TimelineScene& scene = timeline.scenes[timeline.current];
                nextCutTick_ = timeline.startTick + scene.start + scene.duration;
            }
        }
        if (!timeline.finished()) {
            statistics_.frameShown(timeline.current, wallMilliseconds());
            if (timeline.current != shownScene_ && !quiet_)
                std::fprintf(stderr, "scene %d presented at %.3f (show %d ms, begun at %.3f with the clock at %d ms)\n",
                             timeline.current, presented, static_cast<int32_t>(frameShowMs_ - timeline.startTick),
                             frameBegun_, static_cast<int32_t>(frameClockMs_ - timeline.startTick));
            shownScene_ = timeline.current;
        } else {
            reportFrames();
        }
        if (musicPlayer) musicPlayer->play();
        return true;
    }

    int finish(int loopExitCode) override
    {
        reportFrames();
        return loopExitCode;
    }

protected:
    // The soundtrack and the clock start at `showMs` once this frame is drawn, so that it is
    // presented as the first sample is heard.
    void startWithThisFrame(uint32_t showMs)
    {
        started_ = true;
        startPending_ = true;
        startMs_ = showMs;
        int hz = displayRefreshHz();
        refreshMs_ = 1000.0 / (hz > 0 ? hz : 60);
        useRealClockFrom(showMs);
        pinRealClockUntilPresent(showMs);
    }

    bool started_ = false;

private:
    // A frame begun sooner than a refresh after the one before would never be seen whole: the
    // rest of the refresh goes to the sound and the other programs (without it, a light scene
    // drew 400 frames a second where the screen does not wait for its refresh).
    void restUntilTheNextRefresh() const
    {
        const double waitMs = frameBegunWallMs_ + refreshMs_ - wallMilliseconds();
        if (waitMs >= 1) sleepMilliseconds(static_cast<uint32_t>(waitMs));
    }

    void reportFrames()
    {
        if (reported_ || quiet_ || shownScene_ < 0) return;
        reported_ = true;
        std::fputs(statistics_.report(refreshMs_).c_str(), stderr);
    }

    bool quiet_;
    bool reported_ = false;
    int shownScene_ = -1;
    uint32_t frameClockMs_ = 0;     // the clock as the frame began
    uint32_t frameShowMs_ = 0;      // the show time it is drawn for: when it will be seen
    double frameBegun_ = 0;         // the calendar then
    double frameBegunWallMs_ = 0;   // and the wall clock, for the pacing
    bool startPending_ = false;
    uint32_t startMs_ = 0;
    bool following_ = false;
    double refreshMs_ = 1000.0 / 60;  // the display's
    SoundFollower follower_;
    FramePacer pacer_;
    FramePacer::Plan plan_;
    bool cutAhead_ = false;     // the current scene's end is known
    uint32_t nextCutTick_ = 0;
    FrameStatistics statistics_{kSceneCount};
};

// The show from a later moment: fast-forwards there on the virtual clock (nothing painted or
// presented, a progress line instead), then plays in real time from the first frame at or after
// it, the clock and the soundtrack taking up the same show time together.
class LateStart : public ScreenPresenter {
public:
    LateStart(uint32_t startMs, bool quiet) : ScreenPresenter(quiet), startMs_(startMs) {}
    ~LateStart() override
    {
        if (!live_) std::fputc('\n', stderr);  // quit during the fast-forward: end its progress line
    }

    int finish(int loopExitCode) override { return live_ ? ScreenPresenter::finish(loopExitCode) : loopExitCode; }

    bool needsPixels(uint32_t showMs) const override { return showMs >= startMs_; }

    void frameBegins() override
    {
        if (!live_ && tickCount() >= startMs_) goLive();
        started_ = true;  // the base's first frame is not the show's first
        ScreenPresenter::frameBegins();
    }

    bool frameDone(Timeline& timeline) override
    {
        if (live_) {
            bool first = !logged_;
            logged_ = true;
            ScreenPresenter::frameDone(timeline);
            if (first) logFirstLiveFrame();
            return true;
        }
        if (virtualFrameIndex() % 60 == 0)
            std::fprintf(stderr, "\rfast-forward: show %.1f s of %.1f s ", tickCount() / 1000.0, startMs_ / 1000.0);
        advanceVirtualFrame();
        return true;
    }

private:
    void goLive()
    {
        uint32_t showMs = tickCount();
        // The soundtrack starts once this frame is drawn (seeking into an MP3 takes a while, and
        // the clock waits for it).
        startWithThisFrame(showMs);
        live_ = true;
        std::fprintf(stderr, "\rfast-forward: show %.1f s reached in %.1f s of wall time\n", showMs / 1000.0,
                     (wallMilliseconds() - startWall_) / 1000.0);
    }

    void logFirstLiveFrame() const
    {
        double music = musicPlayer ? musicPlayer->positionMs() : -1;
        if (music < 0)
            std::fprintf(stderr, "first real-time frame: show %u ms, no soundtrack playing\n", tickCount());
        else
            std::fprintf(stderr, "first real-time frame: show %u ms, soundtrack %.0f ms\n", tickCount(), music);
    }

    uint32_t startMs_;
    bool live_ = false;
    bool logged_ = false;
    double startWall_ = wallMilliseconds();
};

// Taken when the program is loaded, as near to the process start as C++ reaches.
const double kProgramLoaded = wallMilliseconds();

std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

}  // namespace

// The scenes in the schedule's running order, with their durations.
void fillTimeline(Timeline& timeline)
{
    static TimelineScene scenes[kSceneCount];
    for (TimelineScene& scene : scenes) scene = TimelineScene();
    timeline.scenes = scenes;
    timeline.count = kSceneCount;
    timeline.firstUpdate = true;
    for (int i = 0; i < kSceneCount; ++i) {
        timeline.setScene(i, kSchedule[i].durationMs, kScenes[i].draw);
        timeline.setInit(i, kScenes[i].init);
    }
}

int messageLoop(Timeline& timeline, FrameObserver& observer, bool paintAllFrames)
{
    WindowMessage message;
    for (;;) {
        if (peekMessage(message)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            dispatchMessage(message);
            continue;
        }
        setFramePainted(paintAllFrames || observer.needsPixels(tickCount()));
        observer.frameBegins();
        if (observer.drawsFrame()) {
            // renderFrame clears again (alpha 0.5), and that clear decides every pixel: this one
            // costs a fill and nothing depends on it, not even the alpha, which no blend reads before then.
            glClearColor(clearColour.r, clearColour.g, clearColour.b, 1.0f);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            renderFrame(timeline);
        }
        if (!observer.frameDone(timeline)) return 0;
    }
}

int runProgram(const Options& options)
{
    double processStart = kProgramLoaded;
    bool headless = options.mode != RunMode::Show;
    Options resolved = options;
    if (!resolved.stillsDir.empty()) resolved.stillsDir = absolutePath(resolved.stillsDir);
    if (!resolved.captureFile.empty()) resolved.captureFile = absolutePath(resolved.captureFile);
    if (!resolved.sheetFile.empty()) resolved.sheetFile = absolutePath(resolved.sheetFile);
    if (!resolved.soundFile.empty()) resolved.soundFile = absolutePath(resolved.soundFile);
    if (!resolved.dataDir.empty() && !useWorkingDirectory(resolved.dataDir.c_str())) {
        std::fprintf(stderr, "demo: cannot use the data folder '%s'\n", resolved.dataDir.c_str());
        return 2;
    }
    if (resolved.mode == RunMode::CaptureSound) return writeCaptureSound(resolved);

    std::unique_ptr<FrameObserver> observer;
    Editor* editor = nullptr;
    if (resolved.edit) {
        windowMode = resolved.fullScreen ? WindowMode::FullScreenDesktop : WindowMode::Windowed;
        auto made = std::make_unique<Editor>(EditorClock::Real, resolved.fps,
                                             static_cast<uint32_t>(resolved.startMs > 0 ? resolved.startMs : 0));
        editor = made.get();
        observer = std::move(made);
    } else if (headless) {
        observer = makeHeadlessObserver(resolved, processStart);
        if (!observer) return 1;
        useVirtualClock(resolved.fps);
        setMessageBoxesHeadless(true);
        windowMode = WindowMode::Offscreen;
    } else {
        windowMode = resolved.windowed     ? WindowMode::Windowed
                     : resolved.modeSwitch ? WindowMode::FullScreenSwitch
                                           : WindowMode::FullScreenDesktop;
        if (resolved.startMs > 0) {
            observer = std::make_unique<LateStart>(static_cast<uint32_t>(resolved.startMs), resolved.quiet);
            useVirtualClock(resolved.fps);
        } else {
            observer = std::make_unique<ScreenPresenter>(resolved.quiet);
        }
    }
    blurReference = options.referenceBlur;
    cullChunksOutOfView = !options.drawAllChunks;
    frameRequest = {options.width, options.height, options.sizeScreen, options.samples};

    // A window that cannot be made is not a successful run.
    if (!createWindowAndContext("Demo engine", kFrameWidth, kFrameHeight, 32)) return windowFailureExitCode();
    if (editor) editor->install();
    if (!headless) {
        musicPlayer = new MusicPlayer;
        musicPlayer->init();
    }
    Timeline timeline;
    fillTimeline(timeline);

    int exitCode = messageLoop(timeline, *observer, resolved.paintAllFrames);
    exitCode = observer->finish(exitCode);
    destroyWindowAndContext();
    return exitCode;
}
