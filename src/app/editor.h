// editor.h -- the show with editing keys: pause, seek, a free camera, save and reload of paths
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/sound_follower.h"
#include "render/camera.h"

struct Timeline;

// A data file as last seen: its modification time and size.
struct WatchedFile {
    std::string name;
    std::filesystem::file_time_type time{};
    uintmax_t size = 0;
    std::vector<uint8_t> lastGood;  // a camera path's bytes as last loaded well
};

enum class EditorClock {
    Real,     // the live show: real time once a seek has arrived, the soundtrack alongside
    Virtual,  // every frame one frame of the virtual clock (tests)
};

class Editor : public FrameObserver {
public:
    Editor(EditorClock clock, int fps, uint32_t startMs);
    ~Editor() override;

    // Routes the window's messages through the editor (after the window exists).
    void install();
    // True where the editor took the message; the rest go to the show's window procedure.
    bool handleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    bool needsPixels(uint32_t showMs) const override;
    void frameBegins() override;
    bool drawsFrame() const override;
    bool frameDone(Timeline& timeline) override;

    // A seek to show time `ms`, carried out after the frame being drawn.
    void seekTo(long long ms) { pendingSeek_ = ms; }
    // Looks for changed data files now (the editor does so by itself about once a second).
    void pollDataFiles();

    uint32_t showMs() const { return shownMs_; }
    bool paused() const { return paused_; }
    bool seeking() const { return target_ >= 0; }
    bool freeCameraOn() const { return freeCamera == &free_; }
    const Camera& free() const { return free_; }
    std::string title() const;

    int framesLeft = -1;  // for tests: the loop ends after this many shown frames (-1: never)

private:
    void togglePause();
    void toggleFreeCamera();
    bool handleKey(uintptr_t key, intptr_t modifiers, bool down);
    void seekByKey(uintptr_t key, bool shift);
    void moveFreeCamera(double ms);
    void turnFreeCamera(int x, int y);
    void saveCurrentPath();
    void applySeek(Timeline& timeline, long long ms);
    void arrive();
    void present();
    void startPlaying(uint32_t ms);
    void logSound(const char* what, double presentedSeconds) const;

    EditorClock clock_;
    int fps_;
    long long target_;            // the fast-forward's end, -1 when not seeking
    long long pendingSeek_ = -1;  // asked for by a key, done after the frame
    bool paused_ = false;
    bool redrawnWhilePaused_ = false;  // the scenes' per-frame state moved on while paused
    uint32_t shownMs_ = 0;
    int scene_ = 0;
    int savedPathStep_ = 0;
    Camera free_;
    bool looking_ = false;  // right button held
    int lastX_ = -1, lastY_ = -1;
    bool held_[256] = {};
    bool shiftHeld_ = false;
    double lastWallMs_ = 0;
    double seekWallStart_ = 0;
    const char* soundNote_ = "start";  // the sound (re)started: the next frame shown is logged
    double frameBegunSeconds_ = 0;
    SoundFollower follower_;
    uint64_t framesShown_ = 0;
    std::vector<WatchedFile> watched_;
    double lastPollWallMs_ = 0;
    std::string shownTitle_;
};
