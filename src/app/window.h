// window.h -- the show's window and GL context, and its window procedure
#pragma once
#include <cstdint>

#include "platform/platform.h"

// Chosen by the command line before createWindowAndContext runs.
extern WindowMode windowMode;

bool createWindowAndContext(const char* title, int width, int height, int bits);
// The first perspective, the blur's target and the world, on the current context.
void setUpShowContext(int width, int height);
void destroyWindowAndContext();
intptr_t windowProcedure(uint32_t message, uintptr_t wParam, intptr_t lParam);
