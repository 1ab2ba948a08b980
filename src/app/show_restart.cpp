// show_restart.cpp -- the show put back as a fresh process starts it, for a replay from 0
#include "app/show_restart.h"

#include "app/window.h"
#include "geometry/mesh_draw.h"
#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/blur.h"
#include "render/camera.h"
#include "scenes/drifting_triangles.h"
#include "scenes/scene_steps.h"
#include "scenes/scenes.h"
#include "timeline/timeline.h"
#include "world/random.h"
#include "world/world.h"
#include "world/world_geometry.h"

namespace {

// Everything holding GL names goes while its context still stands.
void releaseGlObjects()
{
    for (auto* texture : {&terrainTexture, &logoTexture, &texture2, &texture3, &hiphopTexture}) texture->reset();
    for (auto* mesh : {&ringMesh, &terrainMesh, &bigShape, &shape1, &shape2, &shape3, &shape4, &shape5, &shape6,
                       &shape5Fine, &shape7})
        mesh->reset();
    for (auto* morph : {&morphA, &morphB, &morphC}) morph->reset();
    deleteBlurTarget();
}

void resetCameraPath()
{
    delete cameraPath;
    cameraPath = nullptr;
    delete[] cameraPathEyeSamples;
    delete[] cameraPathAngleSamples;
    cameraPathEyeSamples = cameraPathAngleSamples = nullptr;
    cameraPathEyeSampleCount = cameraPathAngleSampleCount = 0;
    cameraPathStep = 0;
}

// The values a fresh process starts with.
void resetSceneState()
{
    resetBlurSettings();
    camera = Camera();
    clearColour = ColourRGB();
    texturedListPending = true;
    cubeCloudSpin = SpinState();
    layerAlpha = 0;
    for (int i = 0; i < kDriftingTriangleCount; ++i) particleSpeeds[i] = 0, particleFlags[i] = false;
    for (Vertex& v : particles) v = Vertex();
    for (Vertex& v : particleTails) v = Vertex();
    for (Vertex& v : trailHeads) v = Vertex();
    resetCameraPath();
    demo::resetRandom();
    FrameClock::reset();
}

}  // namespace

bool restartShow(Timeline& timeline)
{
    releaseGlObjects();
    if (!renewShowContext()) return false;
    resetSceneState();
    setUpShowContext(frameWidth(), frameHeight());
    timeline.firstUpdate = true;
    timeline.running = false;
    timeline.current = 0;
    return true;
}
