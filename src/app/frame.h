// frame.h -- the body of one drawn frame
#pragma once
#include "geometry/vertex.h"

struct Timeline;

extern ColourRGB clearColour;  // the background, set by the scenes

void renderFrame(Timeline& timeline);

// Off: the frames that follow rasterize nothing (their GL calls still run, so everything the
// scenes advance per call advances). Nothing carries from one frame's pixels to the next (every
// frame clears; the blur copies its source inside the frame that uses it), so a painted frame
// after any number of unpainted ones is the same bytes as in a run that paints them all.
void setFramePainted(bool painted);
