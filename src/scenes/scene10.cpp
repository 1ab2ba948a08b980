// scene10.cpp -- the last tube: the last tube flight with a swarm of trails, veiled in grey
#include <GL/gl.h>

#include "geometry/mesh_draw.h"
#include "geometry/spline_path.h"
#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/random.h"
#include "world/world.h"
#include "world/world_geometry.h"

namespace {

constexpr int kLightLookAhead = 25;  // samples
constexpr int kSwarmLookAhead = 40;  // samples
constexpr uint32_t kVeilStartMs = 13500;

float fadeToGreyAlpha = 0;  // the veil happens once per run, from this entry's start

// Eye sample `index`, the last one past the end; the camera's own eye with no samples.
Vertex pathPointAhead(int index)
{
    Vertex point(camera.eyeX, camera.eyeY, camera.eyeZ);
    eyeSampleClamped(index, point);
    return point;
}

// The model-view matrix is the identity here: the light shines along that vector in eye space.
void aimLightAt(const Vertex& direction)
{
    const GLfloat position[4] = {direction.x, direction.y, direction.z, 0};
    glLightfv(GL_LIGHT2, GL_POSITION, position);
}

void drawTube()
{
    if (!ringMesh) return;
    ringMesh->scale = MeshScale{25, 25, 25};
    glEnable(GL_TEXTURE_2D);
    ::drawTube(*ringMesh, 3000, 1);  // the first call after the init only compiles
}

// Every trail's head keeps its fixed offset from the swarm's leading point.
void drawSwarm(const Vertex& lead)
{
    for (int i = 0; i < kTrailCount; ++i) {
        trailHeads[i].setPosition(lead.x + particles[i].x, lead.y + particles[i].y,
                                  lead.z + particles[i].z);
        trails[i].update(trailHeads[i]);
        trails[i].draw();
    }
}

void drawGreyVeil()
{
    beginScreenOverlay();
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    glEnable(GL_BLEND);
    drawFullScreenQuad(0.7f, 0.7f, 0.7f, fadeToGreyAlpha);
    if (fadeToGreyAlpha >= 0) fadeToGreyAlpha += 0.01f;
    glDisable(GL_BLEND);
    endScreenOverlay();
}

}  // namespace

void scene10Init()
{
    applySceneStart(Scene::LastTube);  // light 2, switched on there, is set up below
    fadeToGreyAlpha = 0;  // a replayed show (the editor's seek back) veils again

    loadCameraPath("sc9.CMVM", 25);
    cameraPathStep = 0;

    const GLfloat white[4] = {1, 1, 1, 1};
    setMaterial(white);

    if (ringMesh) {
        ringMesh->listDirty = true;  // rebuilt for 3000 segments of style 1 at the next draw
        ringMesh->rotation = MeshRotation{};
        ringMesh->scale = MeshScale{1, 1, 1};
    }

    const GLfloat lightPosition[4] = {0, 0, 0, 0};
    const GLfloat lightAmbient[4] = {0.3f, 0.3f, 0.3f, 1};
    const GLfloat lightColour[4] = {0.9f, 0.9f, 0.9f, 1};
    glLightfv(GL_LIGHT2, GL_POSITION, lightPosition);
    glLightfv(GL_LIGHT2, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, lightColour);
    glLightfv(GL_LIGHT2, GL_SPECULAR, lightColour);

    // Head offsets: whole numbers in the box x 0..27, y 0..17, z 0..19.
    for (int i = 0; i < kTrailCount; ++i) {
        const int z = demo::rand() % 20;
        const int y = demo::rand() % 18;
        const int x = demo::rand() % 28;
        particles[i] = Vertex(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    }
}

void scene10Draw(uint32_t ms)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    followCameraPath(1);
    const int s = cameraPathStep;
    aimLightAt(pathPointAhead(s + kLightLookAhead));

    camera.look();
    drawTube();
    camera.look();  // the tube left its segments' turns on the matrix
    drawSwarm(pathPointAhead(s + kSwarmLookAhead));

    if (ms > kVeilStartMs) drawGreyVeil();
}
