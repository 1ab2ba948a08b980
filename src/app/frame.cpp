// frame.cpp -- the body of one frame: blur source, timeline, blur overlay
#include "app/frame.h"

#include <GL/gl.h>

#include <cstdio>

#include "render/blur.h"
#include "timeline/timeline.h"
#include "world/world.h"

namespace {
bool framePainted = true;
}  // namespace

void renderFrame(Timeline& timeline)
{
    glClearColor(clearColour.r, clearColour.g, clearColour.b, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    if (blurEnabled) renderBlurSource(timeline, clearColour);
    timeline.update();
    // Tested again: an init run by this update may have switched the blur on.
    if (blurEnabled) drawBlurOverlay(blurPasses, blurSpread, timeline);
    if (framePainted) glFlush();  // an unpainted frame has nothing to show; waking the rasterizer costs
}

// Rasterizer discard (GL 3.0) skips even the clears and the triangle set-up; a GL without it
// gets a one-pixel scissor box, which still sets up every triangle but fills almost nothing.
void setFramePainted(bool painted)
{
    static const bool haveDiscard = [] {
        int major = 0;
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        return version && std::sscanf(version, "%d", &major) == 1 && major >= 3;
    }();
    if (painted == framePainted) return;
    framePainted = painted;
    GLenum cap = haveDiscard ? GL_RASTERIZER_DISCARD : GL_SCISSOR_TEST;
    if (painted) {
        glDisable(cap);
    } else {
        glScissor(0, 0, 1, 1);
        glEnable(cap);
    }
}
