// frame.h -- the body of one drawn frame
#pragma once
#include "geometry/vertex.h"

struct Timeline;

extern ColourRGB clearColour;  // the background, set by the scenes

void renderFrame(Timeline& timeline);
