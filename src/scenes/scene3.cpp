// scene3.cpp -- timeline entry 3: the wide tube in white fog, the triangles drifting on
#include <GL/gl.h>

#include "app/frame.h"
#include "app/world_geometry.h"
#include "geometry/mesh.h"
#include "geometry/spline_path.h"
#include "image/texture.h"
#include "render/blur.h"
#include "render/camera.h"
#include "scenes/drifting_triangles.h"
#include "scenes/scene_steps.h"
#include "scenes/scenes.h"

void scene3Init()
{
    camera.fovy = 45;
    camera.aspect = 1.3333334f;
    camera.zNear = 5;
    camera.zFar = 2000;
    camera.project();
    camera.eyeX = 0;
    camera.eyeY = 0;
    camera.eyeZ = -450;

    blurEnabled = false;
    blurInsetAnimated = false;
    clearColour = {1, 1, 1};
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);

    blurTexture = new Texture;
    blurTexture->createBlank(256, 256);
    glBindTexture(GL_TEXTURE_2D, texture2->id);
    glEnable(GL_TEXTURE_2D);

    const int provisionalPointCount = 30;
    loadCameraPath("sc3.CMVM", provisionalPointCount);
    cameraPathStep = 0;

    const float white[4] = {1, 1, 1, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);

    // Switched on only around the tube in each draw call.
    const float fogStartUnits = 1400, fogEndUnits = 1500;
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, white);
    glFogf(GL_FOG_DENSITY, 0.15f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, fogStartUnits);
    glFogf(GL_FOG_END, fogEndUnits);

    ringMesh->listDirty = true;  // rebuild the tube in this entry's style
}

void followWideTunnelPath()
{
    const int samplesPerCall = 2;
    if (cameraPathStep < 50 * (cameraPath->pointCount - 2)) {
        applyCameraPathSample(cameraPathStep);
        cameraPathStep += samplesPerCall;
    }
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
    // Inside the tube the walls are its back faces (see entry 2).
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_FOG);
    ringMesh->scale = {tubeScale, tubeScale, tubeScale};
    ringMesh->drawTube(tubeSegments, tubeStyle);  // the first call only compiles the list
    glDisable(GL_FOG);
    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);

    camera.eyeX = 0;
    camera.eyeY = 0;
    camera.eyeZ = -25;
    camera.rotX = camera.rotY = camera.rotZ = 0;
    drawDriftingTriangles(true);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);
}
