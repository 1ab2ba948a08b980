// scene2.cpp -- the thin tube: flight through a thin textured tube, triangles drifting over it
#include <GL/gl.h>

#include "geometry/mesh_draw.h"
#include "geometry/spline_path.h"
#include "image/texture.h"
#include "render/camera.h"
#include "scenes/drifting_triangles.h"
#include "scenes/scene_helpers.h"
#include "scenes/scene_steps.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/world_geometry.h"

void scene2Init()
{
    applySceneStart(Scene::ThinTube);

    // cameraPathStep is not reset: no earlier scene moves it from its start value 0.
    const int provisionalPointCount = 20;
    loadCameraPath("sc2.CMVM", provisionalPointCount);

    const float white[4] = {1, 1, 1, 1};
    setMaterial(white);

    seedDriftingTriangles();
}

void followTunnelPath()
{
    // The last sample a segment starts on; negative (no samples) for fewer than 3 points,
    // and then the camera keeps what the init gave it.
    const int lastSample = 50 * cameraPath->pointCount - 150;
    int sample = cameraPathStep;
    if (cameraPathStep > lastSample)
        sample = lastSample;
    else
        ++cameraPathStep;
    applyCameraPathSample(sample);
}

void scene2Draw(uint32_t)
{
    followTunnelPath();
    camera.look();

    // The blur pass of the frame that ran this scene's init bound its copy target last;
    // the tube is meant to wear the terrain texture the init chose.
    glBindTexture(GL_TEXTURE_2D, terrainTexture->id);
    const int tubeSegments = 5000;
    const int tubeStyle = 1;
    // The camera flies inside the tube, whose faces look outward: the walls it sees are
    // the back faces, so the front ones are culled while the tube draws.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    drawTube(*ringMesh, tubeSegments, tubeStyle);  // the first call only compiles the list
    glCullFace(GL_BACK);
    glDisable(GL_CULL_FACE);

    drawDriftingTrianglesOverTube(false);
}
