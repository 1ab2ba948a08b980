// capture.h -- the show rendered to a video through an ffmpeg child process
#pragma once
#include <memory>

#include "app/headless.h"

// Null after a one-line message when the capture cannot start (no ffmpeg).
std::unique_ptr<FrameObserver> makeCapture(const Options& options);

// The soundtrack alone, the samples a capture of the same stretch sends its encoder, to a WAV
// file written whole. 0, or 1 after a one-line message.
int writeCaptureSound(const Options& options);
