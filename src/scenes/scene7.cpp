// scene7.cpp -- the morph shells: five blended morph shells, passing triangles, a pull-back
#include <GL/gl.h>

#include <cmath>

#include "geometry/mesh_draw.h"
#include "geometry/morph.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/world.h"
#include "world/world_geometry.h"

// Alpha of the first shell; the others trail it. The init leaves it where it stands.
float layerAlpha = 0;

namespace {

constexpr int kTriangleCount = 50;

void drawPassingTriangles()
{
    glDisable(GL_LIGHTING);
    for (int i = 0; i < kTriangleCount; ++i) {
        Vertex& corner = particles[i];
        camera.look();
        glTranslatef(corner.x, corner.y, corner.z);
        // They swell as they pass x = -0.1; exactly there the size would be infinite.
        float size = std::fabs(1.0f / (corner.x + 0.1f));
        if (std::isfinite(size)) {
            glScalef(size, size, size);
            setLineWidth(3);
            glBegin(GL_LINES);
            glColor4f(1, 1, 1, 1);
            emitTriangleOutline();
            glEnd();
        }
        corner.x += 0.15f;
    }
    glEnable(GL_LIGHTING);
}

struct Shell {
    float alphaOffset;
    float specularAlpha;
    float scale;
};
// Each shell is drawn inside the transforms of the ones before it.
const Shell kShells[5] = {
    {0, 1, 1.1f}, {0.5f, 0.5f, 1.1f}, {0.7f, 0.3f, 1.3f}, {0.9f, 0.1f, 1.3f}, {0.9f, 0.1f, 5.3f},
};

void drawShells(const float angles[5])
{
    Mesh* shape = morphA->mesh();
    for (int i = 0; i < 5; ++i) {
        const GLfloat diffuse[4] = {1, 1, 1, layerAlpha - kShells[i].alphaOffset};
        const GLfloat specular[4] = {1, 1, 1, kShells[i].specularAlpha};
        setMaterial(diffuse, specular);
        shape->rotation = {angles[i], 0.2f, 0.2f, 0.2f};
        shape->scale = {kShells[i].scale, kShells[i].scale, kShells[i].scale};
        drawColoured(*shape);
    }
}

}  // namespace

void scene7Init()
{
    applySceneStart(Scene::Shells);

    // A row of triangles from x = -10 down to x = -34.5, waiting left of the view.
    for (int i = 0; i < kTriangleCount; ++i)
        particles[i] = Vertex(static_cast<float>(-10 - 0.5 * i), 1, 0);
}

void scene7Draw(uint32_t ms)
{
    camera.look();

    // Turn angles in degrees: 0.05 per ms for the first shell, the rest relative to it.
    float s = static_cast<float>(ms * 0.05);
    float angles[5] = {s, static_cast<float>(ms * 0.05 * 0.1), static_cast<float>(s * 0.2),
                       static_cast<float>(s * 0.3), static_cast<float>(s * 0.04)};

    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    glEnable(GL_BLEND);

    if (ms > 3000 && ms < 12000) drawPassingTriangles();

    camera.look();
    drawShells(angles);
    if (layerAlpha <= 1) layerAlpha += 0.005f;
    morphA->step();

    // The last second: pull back along the view axis, faster each frame.
    if (ms > 15000) camera.eyeZ = static_cast<float>(camera.eyeZ - (ms - 15000) * 0.01);

    glDisable(GL_BLEND);
}
