// drifting_triangles.cpp -- black triangle outlines drifting right, coming back on the left
#include "scenes/drifting_triangles.h"

#include <GL/gl.h>

#include <cmath>

#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "world/random.h"
#include "world/world.h"

float particleSpeeds[kDriftingTriangleCount];
bool particleFlags[kDriftingTriangleCount];

namespace {

constexpr float kRespawnBeyondX = 20;
constexpr float kFlaggedScale = 1.3f;
constexpr float kLineWidthPerSpeed = 5;  // pixels per unit of speed: 1.5 or 2

// A start on the left: x = -10 + digit * sin i, y = digit * cos i (i in radians), z = 0.
void placeOnTheLeft(int i)
{
    double angle = i;
    float y = static_cast<float>((demo::rand() % 8) * std::cos(angle));
    float x = static_cast<float>((demo::rand() % 10) * std::sin(angle) - 10);
    particles[i] = Vertex(x, y, 0);
}

bool rollFlag() { return demo::rand() % 10 == 3; }

void drawOutline()
{
    glBegin(GL_LINES);
    glColor3f(0, 0, 0);
    emitTriangleOutline();
    glEnd();
}

}  // namespace

void seedDriftingTriangles()
{
    for (int i = 0; i < kDriftingTriangleCount; ++i) {
        placeOnTheLeft(i);
        particleSpeeds[i] = static_cast<float>((demo::rand() % 2) * 0.1 + 0.3);
        particleFlags[i] = rollFlag();
    }
}

void drawDriftingTriangles(bool enlargeFlagged)
{
    for (int i = 0; i < kDriftingTriangleCount; ++i) {
        Vertex& p = particles[i];
        camera.look();
        glTranslatef(p.x, p.y, p.z);
        if (enlargeFlagged && particleFlags[i]) glScalef(kFlaggedScale, kFlaggedScale, kFlaggedScale);
        setLineWidth(particleSpeeds[i] * kLineWidthPerSpeed);
        drawOutline();

        p.x += particleSpeeds[i];
        if (p.x > kRespawnBeyondX) {
            placeOnTheLeft(i);
            particleFlags[i] = rollFlag();
        }
    }
}

void drawDriftingTrianglesOverTube(bool enlargeFlagged)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    camera.eyeX = 0;
    camera.eyeY = 0;
    camera.eyeZ = -25;
    camera.rotX = camera.rotY = camera.rotZ = 0;
    drawDriftingTriangles(enlargeFlagged);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
}
