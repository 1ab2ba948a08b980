// headless.h -- the modes without a window: stills, capture to video, benchmark
#pragma once
#include <memory>

#include "app/frame.h"
#include "app/options.h"

// Show time of the frame just drawn: ms since the first frame, by the virtual clock.
uint32_t showTimeOfFrame();

// Null after a one-line message when the mode cannot start (no ffmpeg, an unwritable folder).
std::unique_ptr<FrameObserver> makeHeadlessObserver(const Options& options, double processStartMs);
