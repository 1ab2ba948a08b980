// camera.cpp -- viewing transform: look along +z from the eye, then turn in eye space
#include "render/camera.h"

#include <GL/gl.h>
#include <GL/glu.h>

Camera camera;

void Camera::look()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(360 - rotX, 1, 0, 0);
    glRotatef(360 - rotY, 0, 1, 0);
    glRotatef(360 - rotZ, 0, 0, 1);
    gluLookAt(eyeX, eyeY, eyeZ, eyeX, eyeY, static_cast<double>(eyeZ) + 0.5, 0, 1, 0);
}

void Camera::project()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fovy, aspect, zNear, zFar);
}

void Camera::setPerspective(float nearPlane, float farPlane)
{
    fovy = 45;
    aspect = 1.3333334f;
    zNear = nearPlane;
    zFar = farPlane;
    project();
}

void beginScreenOverlay()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 1024, 768, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endScreenOverlay()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}
