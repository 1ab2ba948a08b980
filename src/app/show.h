// show.h -- the message loop and the program's modes
#pragma once
#include "app/frame.h"
#include "app/options.h"

struct Timeline;

// The eleven scenes of the show with their durations, before their first frame.
void fillTimeline(Timeline& timeline);

// Drains all pending messages, then draws one frame; returns the quit message's code, or 0
// when the observer ends the loop.
// With `paintAllFrames` every frame is painted, whatever the observer needs.
int messageLoop(Timeline& timeline, FrameObserver& observer, bool paintAllFrames = false);

// The whole program for parsed options; returns the exit code.
int runProgram(const Options& options);
