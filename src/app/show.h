// show.h -- the timeline of the show, the message loop and the program's modes
#pragma once
#include "app/options.h"

struct Timeline;

// Watches every drawn frame: presents it, stores it, measures it. frameDone returning
// false ends the loop.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    // Whether the frame about to be drawn, at show time `showMs`, must reach the pixels. A frame
    // that no output needs is fast-forwarded: its scenes run and advance all their state, but
    // nothing is rasterized.
    virtual bool needsPixels(uint32_t /*showMs*/) const { return true; }
    virtual void frameBegins() {}
    virtual bool frameDone(Timeline& timeline) = 0;
};

constexpr int kSceneCount = 11;
// The eleven entries with their durations (ms), in order; the entries live for the run.
void fillTimeline(Timeline& timeline);
uint32_t showDurationMs();
// Show time (ms since the first frame) at which entry `index` starts, inits taking no time.
uint32_t sceneStartMs(int index);

// Drains all pending messages, then draws one frame; returns the quit message's code, or 0
// when the observer ends the loop.
// With `paintAllFrames` every frame is painted, whatever the observer needs.
int messageLoop(Timeline& timeline, FrameObserver& observer, bool paintAllFrames = false);

// The whole program for parsed options; returns the exit code.
int runProgram(const Options& options);
