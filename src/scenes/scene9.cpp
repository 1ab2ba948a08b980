// scene9.cpp -- the ribbon: the textured ribbon winding on black, seen from a recorded flight
#include <GL/gl.h>

#include <cmath>

#include "geometry/spline_path.h"
#include "image/texture.h"
#include "render/camera.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/world.h"
#include "world/world_geometry.h"

namespace {

Vertex ribbonWobble;

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
    applySceneStart(Scene::Ribbon);
    loadCameraPath("sc12.CMVM", 25);
    cameraPathStep = 0;
}

void scene9Draw(uint32_t ms)
{
    followCameraPath(1);  // one sample per frame, then the camera stays put

    if (texture3) glBindTexture(GL_TEXTURE_2D, texture3->id);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    camera.look();
    ribbon.draw();

    // Drawn before it moves: each frame shows the shape of the previous frames' pushes.
    ribbonWobble = wobbleAt(ms);
    ribbon.update(ribbonWobble);
}
