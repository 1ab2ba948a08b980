// editor.cpp -- the show with editing keys: pause, seek, a free camera, save and reload of paths
#include "app/editor.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "app/recorder.h"
#include "app/show_restart.h"
#include "app/sound_follower.h"
#include "app/window.h"
#include "audio/music_player.h"
#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"

namespace {

Editor* activeEditor = nullptr;

const char* const kDataFiles[] = {"hiphop.bmp", "logo.bmp", "terrainheh.bmp", "texture2.bmp", "texture3.bmp",
                                  "mapclr.raw", "sc2.CMVM",   "sc3.CMVM",       "sc6.CMVM",     "sc9.CMVM",
                                  "sc10.CMVM",  "sc12.CMVM"};
constexpr double kPollIntervalMs = 1000;
constexpr float kMoveUnitsPerSecond = 10;
constexpr float kShiftSpeedUp = 5;
constexpr float kDegreesPerPixel = 0.25f;

intptr_t editorProcedure(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (activeEditor && activeEditor->handleMessage(message, wParam, lParam)) return 0;
    return windowProcedure(message, wParam, lParam);
}

// The first frame of the virtual clock at or after show time `ms`.
uint64_t frameAtOrAfter(long long ms, int fps) { return static_cast<uint64_t>((ms * fps + 999) / 1000); }

struct Direction {
    double x, y, z;
};

// A direction in the camera's eye space (x right, y up, -z ahead) in world space: the turns
// the view undoes (about x, then y, then z), then the look along +z.
Direction eyeToWorld(const Camera& c, Direction d)
{
    const double toRad = M_PI / 180;
    double a = c.rotX * toRad, b = c.rotY * toRad, g = c.rotZ * toRad;
    Direction r1 = {d.x, d.y * std::cos(a) - d.z * std::sin(a), d.y * std::sin(a) + d.z * std::cos(a)};
    Direction r2 = {r1.x * std::cos(b) + r1.z * std::sin(b), r1.y, -r1.x * std::sin(b) + r1.z * std::cos(b)};
    Direction r3 = {r2.x * std::cos(g) - r2.y * std::sin(g), r2.x * std::sin(g) + r2.y * std::cos(g), r2.z};
    return {-r3.x, r3.y, -r3.z};
}

WatchedFile stamp(const char* name)
{
    WatchedFile file;
    file.name = name;
    std::error_code ec;
    file.time = std::filesystem::last_write_time(name, ec);
    file.size = ec ? 0 : std::filesystem::file_size(name, ec);
    return file;
}

bool isCameraPathFile(const std::string& name) { return name.size() > 5 && name.substr(name.size() - 5) == ".CMVM"; }

// The file's bytes where they decode as a camera path.
bool cameraPathFileLoads(const std::string& name, std::vector<uint8_t>& bytes)
{
    Vertex *eyes = nullptr, *angles = nullptr;
    int32_t n = 0;
    keepFileContents(name, nullptr);
    if (!readWholeFile(name.c_str(), 1 << 20, bytes) || !decodeCmvm(bytes.data(), bytes.size(), eyes, angles, n))
        return false;
    delete[] eyes;
    delete[] angles;
    return true;
}

}  // namespace

Editor::Editor(EditorClock clock, int fps, uint32_t startMs) : clock_(clock), fps_(fps), target_(startMs)
{
    useVirtualClock(fps_);
    lastWallMs_ = seekWallStart_ = lastPollWallMs_ = wallMilliseconds();
    for (const char* name : kDataFiles) {
        watched_.push_back(stamp(name));
        if (isCameraPathFile(name)) cameraPathFileLoads(name, watched_.back().lastGood);
    }
}

Editor::~Editor()
{
    for (const WatchedFile& file : watched_) keepFileContents(file.name, nullptr);
    if (activeEditor == this) activeEditor = nullptr;
    freeCamera = nullptr;
}

void Editor::install()
{
    activeEditor = this;
    setWindowProcedure(editorProcedure);
}

bool Editor::handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    int x = static_cast<int16_t>(lParam & 0xFFFF), y = static_cast<int16_t>((lParam >> 16) & 0xFFFF);
    switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
        return handleKey(wParam, lParam, message == WM_KEYDOWN);
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        looking_ = message == WM_RBUTTONDOWN;
        lastX_ = x, lastY_ = y;
        return true;
    case WM_MOUSEMOVE:
        if (looking_) turnFreeCamera(x, y);
        return looking_;
    default:
        return false;
    }
}

bool Editor::handleKey(uintptr_t key, intptr_t modifiers, bool down)
{
    shiftHeld_ = (modifiers & KEY_SHIFT) != 0;
    bool control = (modifiers & KEY_CONTROL) != 0;
    if (key < 256 && !(down && control)) held_[key] = down;
    if (!down) return key != VK_ESCAPE;
    switch (key) {
    case VK_SPACE: togglePause(); return true;
    case VK_TAB: toggleFreeCamera(); return true;
    case VK_LEFT: case VK_RIGHT: case VK_PRIOR: case VK_NEXT: case VK_HOME:
        seekByKey(key, shiftHeld_);
        return true;
    case 'S':
        if (control) saveCurrentPath();
        return true;
    default:
        return key != VK_ESCAPE;
    }
}

void Editor::seekByKey(uintptr_t key, bool shift)
{
    long long step = shift ? 10000 : 1000;
    long long from = target_ >= 0 ? target_ : shownMs_;  // a seek during a seek goes on from its end
    int last = kSceneCount - 1;
    switch (key) {
    case VK_LEFT: seekTo(from - step); break;
    case VK_RIGHT: seekTo(from + step); break;
    case VK_PRIOR: seekTo(sceneStartMs(scene_ > 0 ? scene_ - 1 : 0)); break;
    case VK_NEXT: seekTo(sceneStartMs(scene_ < last ? scene_ + 1 : last)); break;
    case VK_HOME: seekTo(sceneStartMs(scene_)); break;
    default: break;
    }
}

void Editor::togglePause()
{
    if (target_ >= 0) {  // a seek under way lands paused or playing
        paused_ = !paused_;
        return;
    }
    if (!paused_) {
        paused_ = true;
        redrawnWhilePaused_ = false;
        useScriptedClock(shownMs_);
        if (musicPlayer) musicPlayer->pause();
        return;
    }
    paused_ = false;
    soundNote_ = "resume";
    // The scenes moved on while the free camera looked around: the moment is replayed exactly.
    if (redrawnWhilePaused_) {
        seekTo(shownMs_);
        return;
    }
    if (clock_ == EditorClock::Virtual) {
        setVirtualFrame(frameAtOrAfter(shownMs_, fps_) + 1);
        return;
    }
    startPlaying(shownMs_);
}

// The clock and the soundtrack go on from `ms` together: the clock from when its sound is heard.
void Editor::startPlaying(uint32_t ms)
{
    startClockWithSound(ms);
    follower_ = SoundFollower();
}

void Editor::toggleFreeCamera()
{
    if (freeCameraOn()) {
        freeCamera = nullptr;
        return;
    }
    free_ = camera;
    freeCamera = &free_;
}

void Editor::turnFreeCamera(int x, int y)
{
    if (freeCameraOn()) {
        free_.rotY += static_cast<float>(x - lastX_) * kDegreesPerPixel;
        free_.rotX -= static_cast<float>(y - lastY_) * kDegreesPerPixel;
    }
    lastX_ = x, lastY_ = y;
}

void Editor::moveFreeCamera(double ms)
{
    if (!freeCameraOn()) return;
    double ahead = held_['W'] - held_['S'], right = held_['D'] - held_['A'], up = held_['E'] - held_['Q'];
    double distance = kMoveUnitsPerSecond * (shiftHeld_ ? kShiftSpeedUp : 1) * ms / 1000;
    Direction move = eyeToWorld(free_, {right * distance, up * distance, -ahead * distance});
    free_.eyeX = static_cast<float>(free_.eyeX + move.x);
    free_.eyeY = static_cast<float>(free_.eyeY + move.y);
    free_.eyeZ = static_cast<float>(free_.eyeZ + move.z);
}

void Editor::saveCurrentPath()
{
    if (!cameraPath || cameraPath->fileName.empty()) {
        std::fprintf(stderr, "edit: this scene has no camera path file to save\n");
        return;
    }
    std::string reason;
    if (!saveCameraPath(*cameraPath, reason)) {
        showMessageBox(cameraPath->fileName.c_str(), ("Could not save camera path: " + reason).c_str());
        return;
    }
    std::fprintf(stderr, "edit: saved %s (%d points), the file before kept as %s.bak\n",
                 cameraPath->fileName.c_str(), cameraPath->pointCount, cameraPath->fileName.c_str());
}

void Editor::pollDataFiles()
{
    bool changed = false;
    for (WatchedFile& file : watched_) {
        WatchedFile now = stamp(file.name.c_str());
        if (now.time == file.time && now.size == file.size) continue;
        file.time = now.time;
        file.size = now.size;
        std::vector<uint8_t> bytes;
        if (isCameraPathFile(file.name) && !cameraPathFileLoads(file.name, bytes)) {
            // Replays read what was loaded last, until the file loads again.
            showMessageBox(file.name.c_str(), "Could not load camera path");
            if (!file.lastGood.empty()) keepFileContents(file.name, &file.lastGood);
            continue;
        }
        file.lastGood = bytes;
        std::fprintf(stderr, "edit: %s changed; the show replays from scene %d's start\n", file.name.c_str(), scene_);
        changed = true;
    }
    if (changed) seekTo(sceneStartMs(scene_));
}

bool Editor::needsPixels(uint32_t showMs) const { return target_ < 0 || showMs >= target_; }

void Editor::frameBegins()
{
    if (target_ >= 0 && tickCount() >= target_) arrive();
    double wall = wallMilliseconds();
    double elapsed = clock_ == EditorClock::Real ? wall - lastWallMs_ : 1000.0 / fps_;
    lastWallMs_ = wall;
    if (target_ >= 0) return;
    if (clock_ == EditorClock::Real && !paused_ && musicPlayer) follower_.frame(musicPlayer->positionMs(), wall);
    shownMs_ = tickCount();
    if (soundNote_) frameBegunSeconds_ = calendarSeconds();
    moveFreeCamera(elapsed);
    if (paused_ && drawsFrame()) {
        savedPathStep_ = cameraPathStep;
        redrawnWhilePaused_ = true;
    }
}

void Editor::arrive()
{
    target_ = -1;
    if (paused_) {
        useScriptedClock(tickCount());
        redrawnWhilePaused_ = true;  // the frame it lands on is drawn
    } else if (clock_ == EditorClock::Real) {
        startPlaying(tickCount());
    }
    if (clock_ == EditorClock::Real)
        std::fprintf(stderr, "\rseek: show %.1f s reached in %.1f s of wall time\n", tickCount() / 1000.0,
                     (wallMilliseconds() - seekWallStart_) / 1000.0);
}

bool Editor::drawsFrame() const { return !paused_ || freeCameraOn() || target_ >= 0 || redrawnWhilePaused_; }

bool Editor::frameDone(Timeline& timeline)
{
    if (paused_ && target_ < 0 && redrawnWhilePaused_) cameraPathStep = savedPathStep_;
    int scene = timeline.current < kSceneCount ? timeline.current : kSceneCount - 1;  // past the end: the last
    if (scene != scene_) cameraPathPointCount = 0;  // each scene records from its first point
    scene_ = scene;
    if (target_ >= 0) {
        advanceVirtualFrame();
        if (clock_ == EditorClock::Real && virtualFrameIndex() % 60 == 0)
            std::fprintf(stderr, "\rseek: show %.1f s of %.1f s ", tickCount() / 1000.0, target_ / 1000.0);
    } else {
        present();
        if (clock_ == EditorClock::Virtual && !paused_) advanceVirtualFrame();
    }
    if (pendingSeek_ >= 0) applySeek(timeline, pendingSeek_);
    if (clock_ == EditorClock::Real && wallMilliseconds() - lastPollWallMs_ >= kPollIntervalMs) {
        lastPollWallMs_ = wallMilliseconds();
        pollDataFiles();
    }
    if (target_ < 0 && framesLeft > 0 && --framesLeft == 0) return false;
    return true;
}

void Editor::present()
{
    presentFrame();
    double presented = calendarSeconds();
    if (musicPlayer && !paused_) musicPlayer->play();
    ++framesShown_;
    std::string now = title();
    if (now != shownTitle_) setShowWindowTitle(now);
    shownTitle_ = now;
    if (soundNote_ && clock_ == EditorClock::Real) logSound(soundNote_, presented);
    soundNote_ = nullptr;
    if (paused_ && clock_ == EditorClock::Real) usleep(10000);  // a held picture needs no busy loop
}

// With the calendar times at which the frame began and was presented, to line up with a
// recording of the sound.
void Editor::logSound(const char* what, double presentedSeconds) const
{
    double music = musicPlayer ? musicPlayer->positionMs() : -1;
    // The clock and the mixer's position read at the same moment (the frame's own show time is
    // earlier by however long it took to draw); the mixer leads what is heard by the output's buffer.
    uint32_t now = tickCount();
    std::fprintf(stderr, "edit: first frame after %s at show %u ms, begun at %.3f, presented at %.3f: clock %u ms, ",
                 what, shownMs_, frameBegunSeconds_, presentedSeconds, now);
    if (music < 0)
        std::fprintf(stderr, "no soundtrack playing\n");
    else
        std::fprintf(stderr, "mixer at %.0f ms\n", music);
}

void Editor::applySeek(Timeline& timeline, long long ms)
{
    pendingSeek_ = -1;
    if (ms < 0) ms = 0;
    if (ms > showDurationMs()) ms = showDurationMs();
    if (musicPlayer) musicPlayer->pause();
    // While fast-forwarding, the scenes stand at the frame about to run; otherwise at the one shown.
    bool fastForwarding = target_ >= 0;
    long long at = fastForwarding ? tickCount() : shownMs_;
    if (ms < at || (ms == at && !fastForwarding) || redrawnWhilePaused_) {
        if (!restartShow(timeline)) {
            postQuitMessage(1);
            return;
        }
        useVirtualClock(fps_);
        cameraPathPointCount = 0;
        redrawnWhilePaused_ = false;
    } else if (!fastForwarding) {
        setVirtualFrame(frameAtOrAfter(shownMs_ + 1, fps_));
    }
    target_ = ms;
    seekWallStart_ = wallMilliseconds();
    if (!paused_) soundNote_ = "seek";
}

std::string Editor::title() const
{
    char text[160];
    std::snprintf(text, sizeof text, "%.1f s · scene %d", shownMs_ / 1000.0, scene_);
    std::string result = text;
    if (paused_) result += " · paused";
    if (target_ >= 0) result += " · seeking";
    if (freeCameraOn()) result += " · free camera";
    if (cameraPath && !cameraPath->fileName.empty()) {
        int n = cameraPath->pointCount;
        std::snprintf(text, sizeof text, " · %s %d/%d points", cameraPath->fileName.c_str(),
                      cameraPathPointCount < n ? cameraPathPointCount : n, n);
        result += text;
    }
    return result;
}
