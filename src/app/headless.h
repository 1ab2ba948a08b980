// headless.h -- the modes without a window: stills, capture to video, benchmark
#pragma once
#include <memory>

#include "app/options.h"
#include "app/show.h"

// An observer of the modes without a window; finish closes its output and gives the exit code.
class HeadlessObserver : public FrameObserver {
public:
    virtual int finish(int loopExitCode) { return loopExitCode; }
};

// Show time of the frame just drawn: ms since the first frame, by the virtual clock.
uint32_t showTimeOfFrame();

// Null after a one-line message when the mode cannot start (no ffmpeg, an unwritable folder).
std::unique_ptr<FrameObserver> makeHeadlessObserver(const Options& options, double processStartMs);
// Closes the mode's output (video, JSON); returns the exit code.
int finishHeadlessObserver(FrameObserver& observer, int loopExitCode);
