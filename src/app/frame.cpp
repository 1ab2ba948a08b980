// frame.cpp -- the body of one frame: blur source, timeline, blur overlay
#include "app/frame.h"

#include <GL/gl.h>

#include "render/blur.h"
#include "timeline/timeline.h"
#include "world/world.h"

void renderFrame(Timeline& timeline)
{
    glClearColor(clearColour.r, clearColour.g, clearColour.b, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    if (blurEnabled) renderBlurSource(timeline, clearColour);
    timeline.update();
    // Tested again: an init run by this update may have switched the blur on.
    if (blurEnabled) drawBlurOverlay(blurPasses, blurSpread, timeline);
    glFlush();
}
