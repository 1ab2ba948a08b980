// blur.h -- the radial blur: the scene drawn small, copied, and laid over itself zoomed
#pragma once
#include "geometry/vertex.h"

struct Timeline;

extern bool blurEnabled;
extern bool blurInsetAnimated;
extern int blurPasses;       // 30 at start
extern float blurSpread;     // 0.05 at start
extern ColourRGB blurColour;
extern float blurInset;      // the animated start inset; only grows
extern float blurTimeAccum;  // ms accumulated while animated; only grows
// True: the quads are stacked over the whole frame itself, the picture to compare with.
// False: they add up in a smaller target first, where the GL allows it.
extern bool blurReference;

// A fresh blank 256 x 256 copy target, left bound; the blur owns it and deletes the one before.
void newBlurTarget();
void deleteBlurTarget();  // before its GL context goes
unsigned int blurTargetTexture();  // the target's GL name; 0 when there is none
// Draws the current scene into the lower left 256 x 256, copies it into the target, then
// clears that corner to the background again. The background is read after the update: an init
// that runs in it (a scene switch) may have set a new one.
void renderBlurSource(Timeline& timeline, const ColourRGB& background);
// Lays `passes` additive quads over the frame, each zoomed in by `spread` more.
void drawBlurOverlay(int passes, float spread, Timeline& timeline);

// Back to the start values (for tests and a second show in one process).
void resetBlurSettings();
