// scene0.cpp -- the opening picture: the title bitmap on black for ten seconds
#include <GL/gl.h>

#include "image/texture.h"
#include "render/camera.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/world.h"

void scene0Init()
{
    applySceneStart(Scene::Title);
}

// The same picture whatever the time: 512 x 384 pixels, 128 from the top, centred across.
void scene0Draw(uint32_t)
{
    camera.look();
    beginScreenOverlay();
    glBindTexture(GL_TEXTURE_2D, hiphopTexture ? hiphopTexture->id : 0);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(256, 128);
    glTexCoord2f(1, 1);
    glVertex2f(768, 128);
    glTexCoord2f(1, 0);
    glVertex2f(768, 512);
    glTexCoord2f(0, 0);
    glVertex2f(256, 512);
    glEnd();
    endScreenOverlay();
}
