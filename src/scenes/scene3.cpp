// scene3.cpp -- the wide tube: the wide tube in white fog, the triangles drifting on
#include <GL/gl.h>

#include "geometry/mesh_draw.h"
#include "geometry/spline_path.h"
#include "render/camera.h"
#include "scenes/drifting_triangles.h"
#include "scenes/scene_helpers.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/world_geometry.h"

void scene3Init()
{
    applySceneStart(Scene::WideTube);

    const int provisionalPointCount = 30;
    loadCameraPath("sc3.CMVM", provisionalPointCount);
    cameraPathStep = 0;

    const float white[4] = {1, 1, 1, 1};
    setMaterial(white);

    // Switched on only around the tube in each draw call.
    const float fogStartUnits = 1400, fogEndUnits = 1500;
    setLinearFog(white, fogStartUnits, fogEndUnits);

    ringMesh->listDirty = true;  // rebuild the tube in this scene's style
}

void followWideTunnelPath()
{
    const int samplesPerCall = 2;
    followCameraPath(samplesPerCall);
}

void scene3Draw(uint32_t)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Once the path is used up the tube is seen from the triangle camera of the last call.
    followWideTunnelPath();
    camera.look();

    const int tubeSegments = 5000;
    const int tubeStyle = 2;
    const float tubeScale = 25;
    // Inside the tube the walls are its back faces (see scene 2).
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_FOG);
    ringMesh->scale = {tubeScale, tubeScale, tubeScale};
    drawTube(*ringMesh, tubeSegments, tubeStyle);  // the first call only compiles the list
    glDisable(GL_FOG);
    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);
    drawDriftingTrianglesOverTube(true);
}
