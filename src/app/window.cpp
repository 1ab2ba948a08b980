// window.cpp -- opens the show's window and context, sets the first perspective, builds
// the world; the window procedure handles the show's few messages
#include "app/window.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>

#include "app/recorder.h"
#include "render/blur.h"
#include "render/camera.h"
#include "world/world.h"

WindowMode windowMode = WindowMode::FullScreenDesktop;
FrameRequest frameRequest;

namespace {

bool frameRefused = false;

// The frame's samples: as asked (at most what the GL offers), else 4 for the show on a
// hardware GL and 1 everywhere else.
int chooseSamples(bool live)
{
    int most = maxFrameSamples();
    int wanted = frameRequest.samples > 0 ? frameRequest.samples : (live && !rendererIsSoftware() ? 4 : 1);
    if (wanted > most && frameRequest.samples > 0)
        std::fprintf(stderr, "demo: --samples %d: the GL offers at most %d, which the frame takes\n", wanted, most);
    return std::min(wanted, most);
}

// The show follows the drawable where asked, or by default on a hardware GL; a software GL
// keeps the first frame and stretches it, so that real time holds.
bool followsDrawable(bool live)
{
    return live && frameRequest.width == 0 && (frameRequest.screen || !rendererIsSoftware());
}

// Rebuilds the frame where the run asks for another than the one the window opened with.
bool fitFrame(bool live)
{
    int samples = chooseSamples(live);
    int width = frameRequest.width > 0 ? frameRequest.width : outputWidth();
    int height = frameRequest.width > 0 ? frameRequest.height : outputHeight();
    if (followsDrawable(live)) {
        int drawableWidth = 0, drawableHeight = 0;
        drawableSize(drawableWidth, drawableHeight);
        int pictureWidth = 0, pictureHeight = 0;
        pictureInside(drawableWidth, drawableHeight, pictureWidth, pictureHeight);
        if (pictureHeight >= 64) {
            width = pictureWidth;
            height = pictureHeight;
        }
        followDrawable(true);
    }
    if (std::max(width, height) > maxFrameSide()) {
        std::fprintf(stderr, "demo: a frame of %d x %d is more than the GL takes (%d a side)\n", width, height,
                     maxFrameSide());
        frameRefused = true;
        return false;
    }
    bool unchanged = width == outputWidth() && height == outputHeight() && samples == frameSamples();
    if (!unchanged && !setFrameSize(width, height, samples)) {
        std::fprintf(stderr, "demo: the GL cannot make a frame of %d x %d with %d samples\n", width, height, samples);
        frameRefused = true;
        return false;
    }
    if (live)
        std::fprintf(stderr, "demo: frame %d x %d, %d sample%s, renderer %s\n", frameWidth(), frameHeight(),
                     frameSamples(), frameSamples() == 1 ? "" : "s", rendererName().c_str());
    return true;
}

double openingPresentTookMs = 0;

// A black window at once, while the data loads; and the window's first present, far slower than
// the rest (its images are made then), is not the show's first frame, which must meet its sound.
// The second present is timed: the usual time of a present.
void presentBlackFrames()
{
    glClearColor(0, 0, 0, 1);
    for (int i = 0; i < 2; ++i) {
        double begun = wallMilliseconds();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        presentFrame();
        glFinish();
        openingPresentTookMs = wallMilliseconds() - begun;
    }
}

}  // namespace

int windowFailureExitCode() { return frameRefused ? 2 : 1; }

double openingPresentMs() { return openingPresentTookMs; }

bool createWindowAndContext(const char* title, int width, int height, int bits)
{
    (void)bits;  // the frame is always 8 bits per channel, no alpha
    setWindowProcedure(windowProcedure);
    frameRefused = false;
    if (!openShowWindow(title, width, height, windowMode)) return false;
    if (!fitFrame(windowMode != WindowMode::Offscreen)) {
        closeShowWindow();
        return false;
    }
    if (windowMode != WindowMode::Offscreen) presentBlackFrames();
    setUpShowContext(frameWidth(), frameHeight());
    return true;
}

void setUpShowContext(int width, int height)
{
    glViewport(0, 0, width, height);
    camera.fovy = 45.0f;
    camera.zNear = 5.0f;
    camera.zFar = 2000.0f;
    camera.aspect = static_cast<float>(width) / static_cast<float>(height);
    camera.project();

    newBlurTarget();
    setUpWorld();
}

void destroyWindowAndContext()
{
    deleteBlurTarget();
    releaseWorldTextures();
    closeShowWindow();
}

intptr_t windowProcedure(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            postQuitMessage(0);
            return 0;
        }
        break;
    case WM_KEYUP:
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
        break;
    case WM_MOUSEMOVE:
        return 0;
    case WM_LBUTTONDOWN:
        recordCameraPathClick();
        break;
    default:
        break;
    }
    return defaultWindowProcedure(message, wParam, lParam);
}
