// scene4.cpp -- timeline entry 4: four nested rings of lit wire cubes turning, a grey glow
#include <GL/gl.h>

#include "geometry/mesh.h"
#include "image/texture.h"
#include "render/blur.h"
#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "scenes/scenes.h"
#include "world/world_geometry.h"

void scene4Init()
{
    camera.setPerspective(5, 2000);
    camera.eyeX = 0;
    camera.eyeY = 0;
    camera.eyeZ = -9;
    camera.rotX = camera.rotY = camera.rotZ = 0;

    blurEnabled = true;
    blurInsetAnimated = false;
    clearColour = {0, 0, 0};
    blurSpread = 0.01f;
    blurPasses = 25;
    blurColour = {0.8f, 0.8f, 0.8f};

    // The cubes are lit lines: their white colour has no effect, the material decides.
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT1);
    glDisable(GL_LIGHT0);
    const float grey[4] = {0.5f, 0.5f, 0.5f, 0.3f};
    setMaterial(grey);

    newBlurTarget();  // leaves it bound for the first draw call
}

// Rotation of each copy: degrees per degree of the base angle, and its axis.
struct RingTurn {
    double rate;
    float axisX, axisY, axisZ;
};
static const RingTurn ringTurns[4] = {
    {1.0f, 0.2f, 0.2f, 0.2f},
    {0.1f, 0.2f, 0.2f, 0.4f},
    {0.2f, 0.2f, 0.4f, 0.2f},
    {0.3f, 0.4f, 0.2f, 0.2f},
};

void scene4Draw(uint32_t ms)
{
    const double degreesPerMs = 0.05;
    const float baseAngle = static_cast<float>(static_cast<float>(ms) * degreesPerMs);
    camera.look();

    // Each copy is drawn inside the transforms of the ones before: scales 3, 9, 27, 81.
    const float ringScale = 3;
    ringMesh->scale = {ringScale, ringScale, ringScale};
    for (const RingTurn& turn : ringTurns) {
        ringMesh->rotation = {static_cast<float>(baseAngle * turn.rate), turn.axisX, turn.axisY, turn.axisZ};
        ringMesh->drawVertexCubes();
    }
}
