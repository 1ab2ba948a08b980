// scene5.cpp -- the morph: a flowing dark-red morph inside a green wire shell
#include <GL/gl.h>

#include "geometry/mesh_draw.h"
#include "geometry/morph.h"
#include "geometry/spline_path.h"
#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/world.h"
#include "world/world_geometry.h"

// No state of its own: the camera path, the morphs and the camera are the world's.

void scene5Init()
{
    applySceneStart(Scene::Morph);

    loadCameraPath("sc6.CMVM", 30);
    cameraPathStep = 0;

    const GLfloat red[4] = {1, 0, 0.1f, 1};
    const GLfloat dimSpecular[4] = {0.1f, 0.1f, 0.1f, 1};
    setMaterial(red, dimSpecular);
}

void scene5Draw(uint32_t)
{
    followCameraPath(1);  // one sample per call, then the camera rests
    camera.look();

    glBlendFunc(GL_SRC_COLOR, GL_DST_COLOR);
    glEnable(GL_BLEND);

    const GLfloat darkRed[4] = {0.4f, 0, 0, 0.8f};
    const GLfloat whiteSpecular[4] = {1, 1, 1, 0.8f};
    setMaterial(darkRed, whiteSpecular);
    Mesh* flowing = morphB->mesh();
    flowing->scale = {1, 1, 1};
    drawColoured(*flowing);
    morphB->step();

    // The shell is drawn under the matrix the morph left, which is the camera's (no placement).
    const GLfloat faintGreen[4] = {0, 0.5f, 0, 0.1f};
    const GLfloat shellSpecular[4] = {0.1f, 0.1f, 0.1f, 0.1f};
    setMaterial(faintGreen, shellSpecular);
    glDisable(GL_DEPTH_TEST);
    Mesh* shell = morphC->mesh();
    shell->scale = {4, 4, 4};
    drawWireframe(*shell, 5.0f);

    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
}
