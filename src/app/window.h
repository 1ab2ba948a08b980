// window.h -- the show's window and GL context, and its window procedure
#pragma once
#include <cstdint>

#include "platform/platform.h"

// Chosen by the command line before createWindowAndContext runs.
extern WindowMode windowMode;

// The frame the run asks for: a size (0: the mode's own), or the drawable's (screen), and
// samples (0: the mode's own choice).
struct FrameRequest {
    int width = 0, height = 0;
    bool screen = false;
    int samples = 0;
};
extern FrameRequest frameRequest;

// False where no window could be made (exit code 1) or the GL cannot make the frame asked
// for (one line; windowFailureExitCode gives 2).
bool createWindowAndContext(const char* title, int width, int height, int bits);
int windowFailureExitCode();
// How long the second black frame presented as the window opened took: a usual present's time (ms).
double openingPresentMs();
// The first perspective, the blur's target and the world, on the current context.
void setUpShowContext(int width, int height);
void destroyWindowAndContext();
intptr_t windowProcedure(uint32_t message, uintptr_t wParam, intptr_t lParam);
