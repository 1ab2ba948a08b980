// scene_helpers.cpp -- small GL steps that several scenes share
#include "scenes/scene_helpers.h"

#include "platform/platform.h"

void setMaterial(const GLfloat ambientAndDiffuse[4], const GLfloat specular[4])
{
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, ambientAndDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
}

void setMaterial(const GLfloat colour[4]) { setMaterial(colour, colour); }

void setLinearFog(const GLfloat colour[4], GLfloat start, GLfloat end)
{
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, colour);
    glFogf(GL_FOG_DENSITY, 0.15f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, start);
    glFogf(GL_FOG_END, end);
}

void drawFullScreenQuad(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    glBegin(GL_QUADS);
    glColor4f(r, g, b, a);
    glVertex2f(0, 0);
    glVertex2f(kFrameWidth, 0);
    glVertex2f(kFrameWidth, kFrameHeight);
    glVertex2f(0, kFrameHeight);
    glEnd();
}

void emitTriangleOutline()
{
    glVertex3f(0, 0, 0);
    glVertex3f(-2, -2, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(2, -2, 0);
    glVertex3f(-2, -2, 0);
    glVertex3f(2, -2, 0);
}
