// show.cpp -- start-up in the show's order, the message loop, and shutdown
#include "app/show.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/frame.h"
#include "app/headless.h"
#include "app/window.h"
#include "audio/music_player.h"
#include "platform/platform.h"
#include "scenes/scenes.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"
#include "world/world.h"

namespace {

struct SceneEntry {
    void (*init)();
    void (*draw)(uint32_t);
};

const SceneEntry kScenes[kSceneCount] = {
    {scene0Init, scene0Draw}, {scene1Init, scene1Draw}, {scene2Init, scene2Draw},
    {scene3Init, scene3Draw}, {scene4Init, scene4Draw}, {scene5Init, scene5Draw},
    {scene6Init, scene6Draw}, {scene7Init, scene7Draw}, {scene8Init, scene8Draw},
    {scene9Init, scene9Draw}, {scene10Init, scene10Draw},
};

// Presents every frame and keeps the soundtrack playing.
class ScreenPresenter : public FrameObserver {
public:
    bool frameDone(Timeline&) override
    {
        presentFrame();
        if (musicPlayer) musicPlayer->play();
        return true;
    }
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

// The eleven entries with their durations from the schedule, in order.
static void fillTimeline(Timeline& timeline)
{
    static TimelineEntry entries[kSceneCount];
    for (TimelineEntry& entry : entries) entry = TimelineEntry();
    timeline.entries = entries;
    timeline.count = kSceneCount;
    timeline.firstUpdate = true;
    for (int i = 0; i < kSceneCount; ++i) {
        timeline.setEntry(i, kSceneDurationsMs[i], kScenes[i].draw);
        timeline.setInit(i, kScenes[i].init);
    }
}

int messageLoop(Timeline& timeline, FrameObserver& observer)
{
    WindowMessage message;
    for (;;) {
        if (peekMessage(message)) {
            if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
            dispatchMessage(message);
            continue;
        }
        observer.frameBegins();
        glClearColor(clearColour.r, clearColour.g, clearColour.b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderFrame(timeline);
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
    if (!resolved.dataDir.empty() && chdir(resolved.dataDir.c_str()) != 0) {
        std::fprintf(stderr, "demo: cannot use the data folder '%s'\n", resolved.dataDir.c_str());
        return 2;
    }

    std::unique_ptr<FrameObserver> observer;
    if (headless) {
        observer = makeHeadlessObserver(resolved, processStart);
        if (!observer) return 1;
        useVirtualClock(resolved.fps);
        setMessageBoxesHeadless(true);
        windowMode = WindowMode::Offscreen;
    } else {
        windowMode = resolved.windowed     ? WindowMode::Windowed
                     : resolved.modeSwitch ? WindowMode::FullScreenSwitch
                                           : WindowMode::FullScreenDesktop;
        observer = std::make_unique<ScreenPresenter>();
    }
    installSignalHandlers();

    // A window that cannot be made is not a successful run.
    if (!createWindowAndContext("Demo engine", kFrameWidth, kFrameHeight, 32)) return 1;
    if (!headless) {
        musicPlayer = new MusicPlayer;
        musicPlayer->init();
    }
    Timeline timeline;
    fillTimeline(timeline);

    int exitCode = messageLoop(timeline, *observer);
    exitCode = observer->finish(exitCode);
    destroyWindowAndContext();
    return exitCode;
}
