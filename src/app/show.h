// show.h -- the message loop and the program's modes
#pragma once
#include "app/frame.h"
#include "app/options.h"

struct Timeline;

// Drains all pending messages, then draws one frame; returns the quit message's code, or 0
// when the observer ends the loop.
int messageLoop(Timeline& timeline, FrameObserver& observer);

// The whole program for parsed options; returns the exit code.
int runProgram(const Options& options);
