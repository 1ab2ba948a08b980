// window.cpp -- opens the show's window and context, sets the first perspective, builds
// the world; the window procedure handles the show's few messages
#include "app/window.h"

#include <GL/gl.h>

#include "app/recorder.h"
#include "render/blur.h"
#include "render/camera.h"
#include "world/world.h"

WindowMode windowMode = WindowMode::FullScreenDesktop;

bool createWindowAndContext(const char* title, int width, int height, int bits)
{
    (void)bits;  // the frame is always 8 bits per channel, no alpha
    setWindowProcedure(windowProcedure);
    if (!openShowWindow(title, width, height, windowMode)) return false;

    glViewport(0, 0, width, height);
    camera.fovy = 45.0f;
    camera.zNear = 5.0f;
    camera.zFar = 2000.0f;
    camera.aspect = static_cast<float>(width) / static_cast<float>(height);
    camera.project();

    newBlurTarget();
    setUpWorld();
    return true;
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
