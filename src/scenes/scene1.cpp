// scene1.cpp -- the cube cloud: a spinning cloud of wire cubes, the logo strip, a white glow
#include <GL/gl.h>

#include <cmath>

#include "geometry/mesh_draw.h"
#include "image/texture.h"
#include "render/blur.h"
#include "render/camera.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/world_geometry.h"

// Reset windows as (open, close) pairs in ms; a window catches only calls strictly inside it.
static const float spinResetTimes[10] = {400, 500, 1700, 1800, 2600, 2700, 2800, 2900, 4900, 5000};
static constexpr int kSpinResetValues = 10;

SpinState cubeCloudSpin;

void advanceSpin(float t)
{
    SpinState& s = cubeCloudSpin;
    if (!s.started) {
        s.started = true;
        s.prevTime = t;
    }
    float delta = t - s.prevTime;
    s.prevTime = t;
    s.clock += delta;
    // Per call, so the turning speed follows the frame rate; the clock follows real time.
    s.angleA = static_cast<float>(s.angleA + std::sin(s.clock * 0.0016666667));
    s.angleB = static_cast<float>(s.angleB + std::cos(s.clock * 0.00125));
    s.angleC = static_cast<float>(s.angleC + std::sin(s.clock * 0.002));

    if (s.resetIndex >= kSpinResetValues) return;
    if (spinResetTimes[s.resetIndex] < t && t < spinResetTimes[s.resetIndex + 1]) {
        s.angleA = s.angleB = s.angleC = 0;
        s.clock = 0;
        s.resetIndex += 2;
    }
}

void scene1Init()
{
    applySceneStart(Scene::CubeCloud);
}

// Each copy is drawn inside the previous copy's transform: scales 1, 1.4, 2.52, turns add up.
static void drawCubeClouds()
{
    bigShape->rotation = {cubeCloudSpin.angleA, 0.2f, 0.2f, 0.4f};
    bigShape->scale = {1, 1, 1};
    drawVertexCubes(*bigShape);
    bigShape->rotation.angle = cubeCloudSpin.angleB;
    bigShape->scale = {1.4f, 1.4f, 1.4f};
    drawVertexCubes(*bigShape);
    bigShape->rotation.angle = cubeCloudSpin.angleC;
    bigShape->scale = {1.8f, 1.8f, 1.8f};
    drawVertexCubes(*bigShape);
}

// A 100 x 350 pixel strip at the right edge; the image's u axis runs down the screen.
static void drawLogoStrip()
{
    beginScreenOverlay();
    glBindTexture(GL_TEXTURE_2D, logoTexture->id);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(900, 300);
    glTexCoord2f(1, 0);
    glVertex2f(900, 650);
    glTexCoord2f(1, 1);
    glVertex2f(1000, 650);
    glTexCoord2f(0, 1);
    glVertex2f(1000, 300);
    glEnd();
    endScreenOverlay();
}

void scene1Draw(uint32_t ms)
{
    const float t = static_cast<float>(ms);
    camera.look();
    advanceSpin(t);
    glDisable(GL_TEXTURE_2D);
    drawCubeClouds();
    drawLogoStrip();

    const float insetGrowsAfterMs = 10000;
    if (t > insetGrowsAfterMs) blurInsetAnimated = true;
}
