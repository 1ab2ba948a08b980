// scene6.cpp -- the terrain corridor: a flight through a fogged terrain corridor with white streaks
#include <GL/gl.h>

#include "geometry/mesh_draw.h"
#include "geometry/spline_path.h"
#include "image/texture.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/random.h"
#include "world/world.h"
#include "world/world_geometry.h"

// The streaks: bright ends in `particles` (shared), faded ends in `particleTails` (ours).

namespace {

void seedStreaks()
{
    for (int i = 0; i < kParticleCount; ++i) {
        int a = demo::rand() % 450;
        int b = demo::rand() % 300;
        particles[i] = Vertex(static_cast<float>(b - 100), -300, static_cast<float>(a));
        particleTails[i].setPosition(static_cast<float>(b - 100 + 50), 100, static_cast<float>(a - 50));
    }
}

// Three rows along z; in each, two copies as generated (the floor) and two turned upside
// down (the ceiling).
struct TerrainCopy {
    float shiftZ;
    float x, y, z;
    float turnDegrees;
};
const TerrainCopy kCorridor[12] = {
    {0, 0, 100, -170, 0},     {0, 120, 100, -170, 0},   {0, 0, 0, 0, 180},     {0, 100, 0, 0, 180},
    {100, 0, 100, -170, 0},   {100, 120, 100, -170, 0}, {100, 0, 0, 0, 180},   {100, 120, 0, 0, 180},
    {200, 0, 100, -170, 0},   {200, 120, 100, -170, 0}, {200, 0, 0, 0, 180},   {200, 120, 0, 0, 180},
};

void drawCorridor()
{
    for (const TerrainCopy& copy : kCorridor) {
        camera.look();
        if (copy.shiftZ != 0) glTranslatef(0, 0, copy.shiftZ);
        terrainMesh->position = {copy.x, copy.y, copy.z};
        glRotatef(copy.turnDegrees, 1, 0, 0);
        drawTextured(*terrainMesh);
    }
}

// Drawn under the matrix of the last terrain copy: the streak coordinates live in its frame.
void drawStreaks()
{
    for (int i = 0; i < kParticleCount; ++i) {
        glBegin(GL_LINES);
        glColor4f(1, 1, 1, 1);
        glVertex3f(particles[i].x, particles[i].y, particles[i].z);
        glColor4f(1, 1, 1, 0);
        glVertex3f(particleTails[i].x, particleTails[i].y, particleTails[i].z);
        glEnd();
    }
}

}  // namespace

void scene6Init()
{
    applySceneStart(Scene::Corridor);

    loadCameraPath("sc10.CMVM", 20);
    cameraPathStep = 0;

    // Fog is switched on only while the terrain is drawn.
    const GLfloat black[4] = {0, 0, 0, 1};
    setLinearFog(black, 100, 200);

    seedStreaks();
}

void scene6Draw(uint32_t)
{
    followCameraPath(1);
    glEnable(GL_FOG);

    const GLfloat grey[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    const GLfloat specular[4] = {0.3f, 0.3f, 0.3f, 0.3f};
    setMaterial(grey, specular);

    glEnable(GL_TEXTURE_2D);
    drawCorridor();

    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    setLineWidth(5);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    drawStreaks();

    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
}
