// scene9.cpp -- timeline entry 9: the textured ribbon winding on black, seen from a recorded flight
#include <GL/gl.h>

#include <cmath>

#include "app/frame.h"
#include "app/world.h"
#include "app/world_geometry.h"
#include "geometry/spline_path.h"
#include "image/texture.h"
#include "render/blur.h"
#include "render/camera.h"
#include "scenes/scenes.h"

namespace {

constexpr int kSamplesPerSegment = 50;

Vertex ribbonWobble;

// One path sample per frame until the path is used up; then the camera stays put.
void followRibbonFlight()
{
    if (!cameraPath) return;
    if (cameraPathStep < kSamplesPerSegment * (cameraPath->pointCount - 2)) {
        applyCameraPathSample(cameraPathStep);
        cameraPathStep += 1;
    }
}

// The lead cross-section's push for this frame: three sines of different periods (radians).
Vertex wobbleAt(uint32_t ms)
{
    const double t = ms;
    return Vertex(static_cast<float>(0.05 * std::sin(t * 0.0011111111f)),
                  static_cast<float>(0.16 * std::sin(t * 0.00125)),
                  static_cast<float>(-0.07 * std::sin(t * 0.001)));
}

}  // namespace

void scene9Init()
{
    camera.fovy = 45;
    camera.aspect = 1.3333334f;
    camera.zNear = 0.1f;
    camera.zFar = 200;
    camera.project();
    camera.eyeX = 0;
    camera.eyeY = 0;
    camera.eyeZ = -20;

    blurEnabled = false;
    blurInsetAnimated = false;
    glDisable(GL_CULL_FACE);

    loadCameraPath("sc12.CMVM", 25);
    cameraPathStep = 0;
    clearColour = ColourRGB{0, 0, 0};
}

void scene9Draw(uint32_t ms)
{
    followRibbonFlight();

    if (texture3) glBindTexture(GL_TEXTURE_2D, texture3->id);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    camera.look();
    ribbon.draw();

    // Drawn before it moves: each frame shows the shape of the previous frames' pushes.
    ribbonWobble = wobbleAt(ms);
    ribbon.update(ribbonWobble);
}
