// scene4.cpp -- the turning rings: four nested rings of lit wire cubes turning, a grey glow
#include <GL/gl.h>

#include "geometry/mesh_draw.h"
#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/world_geometry.h"

void scene4Init()
{
    applySceneStart(Scene::TurningRings);  // the new blur target stays bound for the first draw call

    // The cubes are lit lines: their white colour has no effect, the material decides.
    const float grey[4] = {0.5f, 0.5f, 0.5f, 0.3f};
    setMaterial(grey);
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
        drawVertexCubes(*ringMesh);
    }
}
